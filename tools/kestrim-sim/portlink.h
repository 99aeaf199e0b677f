// A symbolic link that puts the simulator's pseudo-terminal behind a fixed name, such as
// Ports/com3 in the program's working folder, for as long as the simulator runs.
#pragma once

#include <QString>

class PortLink {
public:
    PortLink() = default;
    ~PortLink() { remove(); }
    PortLink(const PortLink &) = delete;
    PortLink &operator=(const PortLink &) = delete;

    // Makes path (and its folder) a link to target. An existing link there is replaced (a
    // simulator that was killed leaves one behind); anything else there is left alone and the
    // call fails, with the reason in errorString().
    bool create(const QString &path, const QString &target);

    // Removes the link, unless it has been replaced by another one meanwhile.
    void remove();

    QString errorString() const { return m_errorString; }

private:
    QString m_path;
    QString m_target;
    QString m_errorString;
};
