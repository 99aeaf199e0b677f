// The entry that puts the simulator behind a fixed name, such as Ports/com3 in the program's
// working folder, for as long as the simulator runs: a symbolic link to a pseudo-terminal, or a
// text file naming a local socket ("pipe:NAME"), which works on every system.
#pragma once

#include <QString>

class PortLink {
public:
    PortLink() = default;
    ~PortLink() { remove(); }
    PortLink(const PortLink &) = delete;
    PortLink &operator=(const PortLink &) = delete;

    // Makes path (and its folder) a link to the device target. An existing link there is
    // replaced (a simulator that was killed leaves one behind); anything else there is left
    // alone and the call fails, with the reason in errorString().
    bool create(const QString &path, const QString &target);
    // Makes path a text file holding `text` ("pipe:NAME"). An existing link, or a text file a
    // simulator left behind (one naming a pipe), is replaced; anything else is left alone.
    bool createText(const QString &path, const QString &text);

    // Removes the entry, unless it has been replaced by another one meanwhile.
    void remove();

    QString errorString() const { return m_errorString; }

private:
    bool clear(const QString &path);

    QString m_path;
    QString m_target; // the link's target, or the file's text
    bool m_text = false;
    QString m_errorString;
};
