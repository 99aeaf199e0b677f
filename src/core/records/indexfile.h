// One day's index file, Ini/yyyy-MM-dd.ini: a Windows profile file with the section [RECORD]
// holding TOTAL_NUM (the day's record count) and PATH (where the day's record files lie).
// Other programs read these files, so the format is kept byte for byte: keys in their order,
// "key=value" without spaces, CR LF line ends on every platform.
#pragma once

#include <QDate>
#include <QString>

#include <initializer_list>
#include <utility>

class IndexFile {
public:
    static constexpr char kSection[] = "RECORD";
    static constexpr char kTotalNum[] = "TOTAL_NUM";
    static constexpr char kPath[] = "PATH";
    // What a new index holds: no records yet, no day file named.
    static constexpr char kInitialContent[] = "[RECORD]\r\nTOTAL_NUM=0\r\nPATH=0\r\n";

    explicit IndexFile(QString path)
        : m_path(std::move(path))
    {}

    // "2024-05-21.ini"
    static QString FileName(QDate day);
    // True for names FileName gives; nothing else in the index folder belongs to the program.
    static bool IsIndexFileName(const QString &fileName);

    // Writes the initial content in place of whatever is at the path.
    bool Create(QString *error) const;
    // The key's value in [RECORD]; empty when the file or the key is missing.
    QString value(const char *key) const;
    // TOTAL_NUM: its leading decimal digits, 0 when it has none.
    quint64 count() const;
    // Sets the keys in [RECORD], keeping every other line and the order of the keys, and
    // replaces the file in one step. A missing file is created.
    using Entry = std::pair<const char *, QString>;
    bool write(std::initializer_list<Entry> entries, QString *error) const;

private:
    QString m_path;
};
