// The cursors of every day file, kept in a small file beside Kestrim.ini (Kestrim-central.txt)
// so that a restart resends nothing the server confirmed. The file is written whole, in one
// step, after each batch the server committed. It names the server and desk it speaks for: for
// another server or desk, or when it is missing or damaged, the desk knows nothing confirmed and
// starts every day file over (harmless: the server keys readings, so a resend never duplicates).
//
//   kestrim-central 1
//   identity postgresql://kestrim@records:5432/kestrim desk=Entrance A
//   TempData/2026/12/20261209-01.txt<TAB>rows<TAB>hash<TAB>size<TAB>modified ms<TAB>warning size
#pragma once

#include "centralcursor.h"

#include <QMap>
#include <QString>

inline const QString kCentralCursorFile = QStringLiteral("Kestrim-central.txt");

class CentralCursors {
public:
    CentralCursors(QString path, QString identity);

    // Reads the file; false (and no cursors) when it is missing, damaged or for another
    // identity.
    bool load();
    // Replaces the file; false when it cannot be written (the cursors then last for the run).
    bool save() const;

    const CentralCursor *find(const QString &dayFile) const;
    void set(const QString &dayFile, const CentralCursor &cursor) { m_cursors[dayFile] = cursor; }
    void remove(const QString &dayFile) { m_cursors.remove(dayFile); }
    QList<QString> dayFiles() const { return m_cursors.keys(); }
    const QString &path() const { return m_path; }

private:
    QString m_path;
    QString m_identity;
    QMap<QString, CentralCursor> m_cursors;
};
