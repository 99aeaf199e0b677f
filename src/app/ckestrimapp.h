// The application: sets up what the window needs from the platform and runs the window.
#pragma once

#include "commandline.h"

class CKestrimApp {
public:
    // Runs the main window until it is closed. Returns false: the application ends with it.
    bool InitInstance(const LaunchOptions &options = {});
};
