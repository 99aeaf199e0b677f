#include "consoleoutput.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>

#include <cstdio>

namespace {

// A stream is left alone when it goes to a file or a pipe already (kestrim --help > help.txt).
bool Unconnected(DWORD which)
{
    const HANDLE handle = ::GetStdHandle(which);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE ||
           ::GetFileType(handle) == FILE_TYPE_UNKNOWN;
}

} // namespace

void AttachStartingConsole()
{
    const bool out = Unconnected(STD_OUTPUT_HANDLE);
    const bool err = Unconnected(STD_ERROR_HANDLE);
    if (!out && !err)
        return;
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return; // started from the Start menu or Explorer: there is no console to write to
    FILE *stream = nullptr;
    if (out)
        ::freopen_s(&stream, "CONOUT$", "w", stdout);
    if (err)
        ::freopen_s(&stream, "CONOUT$", "w", stderr);
}

#else

void AttachStartingConsole() {}

#endif
