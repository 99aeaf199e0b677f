// Console output for a window program.
//
// On Windows kestrim.exe is a window program: started from a console, its standard output and
// error go nowhere unless it attaches to that console. AttachStartingConsole() does so for the
// streams that are not redirected already, so that --help, --version and a mistyped option are
// answered where they were asked. Elsewhere it does nothing.
#pragma once

#include <QString>

void AttachStartingConsole();

// `text` with every control character (a line break, an escape sequence's ESC, a DEL) written
// as \n, \r, \t or \xHH, and a backslash as \\, so a name read from a file prints as one line
// of exactly what it holds.
QString EscapedForTerminal(const QString &text);

// A message of several lines as one: each line ends as a sentence before the next begins
// ("… Permission denied. Nothing was exported.").
QString OneLine(const QString &text);
