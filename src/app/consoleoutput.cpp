#include "consoleoutput.h"

#include <QStringList>
#include <QtGlobal>

QString EscapedForTerminal(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            escaped += QStringLiteral("\\\\");
            break;
        case u'\n':
            escaped += QStringLiteral("\\n");
            break;
        case u'\r':
            escaped += QStringLiteral("\\r");
            break;
        case u'\t':
            escaped += QStringLiteral("\\t");
            break;
        default:
            // C0 and C1 controls, DEL, and the line and paragraph separators.
            if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                c == QChar::ParagraphSeparator)
                escaped += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                escaped += c;
        }
    }
    return escaped;
}

QString OneLine(const QString &text)
{
    QString line;
    for (const QString &part : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (!line.isEmpty())
            line += QStringLiteral(".;:!?。；：！？").contains(line.back()) ? u" " : u". ";
        line += trimmed;
    }
    return line;
}

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
