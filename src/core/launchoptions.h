// What the window is started with: from the command line, or as remembered when it gives none.
#pragma once

#include "bilingual.h"

#include <QString>

#include <optional>

struct LaunchOptions {
    int port = 0;                     // COM number; 0: as remembered or probed
    bool connect = false;             // connect as soon as the window is up
    std::optional<Language> language; // none: as remembered
    QString dataFolder;               // --data; empty: $KESTRIM_HOME or the working folder
};
