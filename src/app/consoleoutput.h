// Console output for a window program.
//
// On Windows kestrim.exe is a window program: started from a console, its standard output and
// error go nowhere unless it attaches to that console. AttachStartingConsole() does so for the
// streams that are not redirected already, so that --help, --version and a mistyped option are
// answered where they were asked. Elsewhere it does nothing.
#pragma once

void AttachStartingConsole();
