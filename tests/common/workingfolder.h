// A fresh, empty working folder made current for one test, as Kestrim's records are relative
// to the working folder; the previous folder is current again, and this one removed, when it
// goes.
#pragma once

#include <QDir>
#include <QTemporaryDir>

class WorkingFolder {
public:
    WorkingFolder()
        : m_previous(QDir::currentPath())
    {
        m_entered = m_folder.isValid() && QDir::setCurrent(m_folder.path());
    }
    ~WorkingFolder() { QDir::setCurrent(m_previous); }
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

    bool isValid() const { return m_entered; }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }

private:
    QTemporaryDir m_folder;
    QString m_previous;
    bool m_entered = false;
};
