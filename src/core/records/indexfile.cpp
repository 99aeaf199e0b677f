#include "records/indexfile.h"

#include "records/filesharing.h"
#include "records/recordfile.h"
#include "regularfile.h"

#include <QFile>
#include <QRegularExpression>

// Only the narrow, byte-for-byte profile class is used: values are ASCII and are kept raw.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace {

bool Load(const QString &path, CSimpleIniA &ini, QString *error)
{
    std::optional<QByteArray> read = RegularFile::ReadAll(path, error);
    if (!read)
        return error->isEmpty();
    QByteArray bytes = std::move(*read);
    // The parser stops at a NUL byte; a stray run of them (a damaged block) must not hide the
    // keys after it, so it reads as a line break.
    bytes.replace('\0', '\n');
    if (ini.LoadData(bytes.constData(), size_t(bytes.size())) < 0) {
        *error = QStringLiteral("cannot parse %1").arg(path);
        return false;
    }
    return true;
}

// SimpleIni ends lines with the platform's line end; profile files keep CR LF everywhere.
QByteArray WithCrLf(const std::string &text)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(text.size()) + 16);
    char previous = 0;
    for (const char c : text) {
        if (c == '\n' && previous != '\r')
            bytes += '\r';
        bytes += c;
        previous = c;
    }
    return bytes;
}

} // namespace

QString IndexFile::FileName(QDate day)
{
    return QString::asprintf("%d-%02d-%02d.ini", day.year(), day.month(), day.day());
}

bool IndexFile::IsIndexFileName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}\\.ini$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern.match(fileName).hasMatch();
}

bool IndexFile::Create(QString *error) const
{
    return FileSharing::ReplaceContents(m_path, QByteArray(kInitialContent), error);
}

QString IndexFile::value(const char *key) const
{
    CSimpleIniA ini;
    QString error;
    if (!Load(m_path, ini, &error))
        return {};
    return QString::fromUtf8(ini.GetValue(kSection, key, ""));
}

quint64 IndexFile::count() const
{
    const QString text = value(kTotalNum).trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && text[digits].isDigit() && text[digits].unicode() < 0x80)
        ++digits;
    return text.left(digits).toULongLong();
}

bool IndexFile::write(std::initializer_list<Entry> entries, QString *error) const
{
    CSimpleIniA ini;
    ini.SetSpaces(false);
    if (!Load(m_path, ini, error))
        return false;
    for (const auto &[key, value] : entries)
        ini.SetValue(kSection, key, value.toUtf8().constData());
    std::string text;
    if (ini.Save(text) < 0) {
        *error = QStringLiteral("cannot format %1").arg(m_path);
        return false;
    }
    return FileSharing::ReplaceContents(m_path, WithCrLf(text), error);
}
