// `kestrim --record --port COMn`: a desk with a speaker and no screen. The same Station as the
// window's reads the thermometer, speaks, and writes the same day files, warning file, index
// and central rows; each reading is printed as a line on standard output. SIGINT, SIGTERM and
// SIGHUP (Ctrl+C, Ctrl+Break on Windows) end it cleanly: the port is closed and nothing written
// is lost. A thermometer that is not there yet, or goes away, is waited for on the port.
#pragma once

#include "launchoptions.h"

// Runs until a termination signal; 0 then, 1 when the data folder cannot be entered or the port
// cannot be opened at start.
int RunRecordCommand(int argc, char *argv[], const LaunchOptions &options);
