// Fuzzes the [central] settings: the input's first line is taken as the url and the rest as the
// desk, and the whole input is also read as the url's value in a Kestrim.ini. Whatever the url:
// no crash; a refusal says why in one of Kestrim's own sentences, never quoting the url; an
// accepted url has a host, a port number and a database name without '/' or '@'; the url's
// password never reaches the log or the refusal, and the identity the cursor file records is
// the same without it.
#include "centralsettings.h"
#include "fuzzcheck.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdint>

namespace {

QStringList g_logged;

void Collect(QtMsgType, const QMessageLogContext &, const QString &text)
{
    g_logged.append(text);
}

// What a refusal may say: Kestrim's own sentences and nothing taken from the url.
bool KnownProblem(const QString &problem)
{
    static const QStringList kProblems{
        QString(),
        QStringLiteral("the url could not be read"),
        QStringLiteral("the url is not a PostgreSQL one"),
        QStringLiteral("the url gives a password as an option; PGPASSWORD or ~/.pgpass give it"),
        QStringLiteral("the url has an option Kestrim does not pass on (it passes host, port, "
                       "sslmode, sslrootcert, sslcert, sslkey, sslcrl, require_auth)"),
        QStringLiteral("the url's sslmode is none of disable, allow, prefer, require, "
                       "verify-ca, verify-full"),
        QStringLiteral("the url names no host"),
        QStringLiteral("the url's port is not a port number"),
        QStringLiteral("the url's path is not a database name"),
        QStringLiteral("Kestrim-central-id.txt cannot be written"),
    };
    return kProblems.contains(problem) ||
           problem.startsWith(QStringLiteral("require_auth needs PostgreSQL's client library"));
}

// A password that could be told apart in a text: long enough, and no part of what was rightly
// understood of the url or of Kestrim's own words.
bool Distinctive(const QString &password, const std::optional<CentralSettings> &settings)
{
    if (password.size() < 8)
        return false;
    if (settings && (settings->identity().contains(QStringLiteral("@") + password) ||
                     settings->user.contains(password) || settings->host.contains(password) ||
                     settings->database.contains(password) || settings->desk.contains(password)))
        return false;
    return true;
}

void Check(const QString &url, const std::optional<CentralSettings> &settings,
           const QString &problem)
{
    FUZZ_CHECK(KnownProblem(problem));
    FUZZ_CHECK(!settings || problem.isEmpty());
    // Every line logged is one of Kestrim's own: nothing of the url's text.
    for (const QString &line : std::as_const(g_logged))
        FUZZ_CHECK(line == QStringLiteral("Kestrim.ini [central] url refused: ") + problem +
                               QStringLiteral(" ; readings are kept on this desk only") ||
                   line == QStringLiteral("the password in the url is not used; PGPASSWORD or "
                                          "~/.pgpass give it") ||
                   line.startsWith(QStringLiteral("this installation is ")));
    if (settings) {
        FUZZ_CHECK(!settings->host.isEmpty());
        FUZZ_CHECK(settings->port > 0 && settings->port <= 65535);
        FUZZ_CHECK(!settings->database.contains(u'/') && !settings->database.contains(u'@'));
    }
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    for (const QString &password :
         {parsed.password(QUrl::FullyDecoded), parsed.password(QUrl::FullyEncoded)}) {
        if (!Distinctive(password, settings))
            continue;
        FUZZ_CHECK(!problem.contains(password));
        for (const QString &line : std::as_const(g_logged))
            FUZZ_CHECK(!line.contains(password));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("kestrim.*=true"));
    qInstallMessageHandler(Collect);
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/kestrim-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/kestrim-fuzz-XXXXXX"));
    FUZZ_CHECK(folder.isValid() && QDir::setCurrent(folder.path()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype end = input.indexOf('\n');
    const QString url = QString::fromUtf8(end < 0 ? input : input.first(end));
    const QString desk = end < 0 ? QString() : QString::fromUtf8(input.sliced(end + 1));

    g_logged.clear();
    QString problem;
    const std::optional<CentralSettings> settings = ParseCentralSettings(url, desk, &problem);
    Check(url, settings, problem);
    // The identity the cursor file records is the same whatever the password: none of it is
    // taken from the password. (Looking for the password's text in it would find Kestrim's own
    // words, such as "postgresql:".)
    if (QUrl withoutPassword(url.trimmed(), QUrl::StrictMode);
        settings && !withoutPassword.password().isEmpty()) {
        withoutPassword.setPassword(QString());
        g_logged.clear();
        const std::optional<CentralSettings> same =
            ParseCentralSettings(withoutPassword.toString(QUrl::FullyEncoded), desk, nullptr);
        FUZZ_CHECK(same && same->identity() == settings->identity());
    }

    // The same text as Kestrim.ini's url, quoted as a url with '#' or ';' must be.
    QFile::remove(QStringLiteral("Kestrim.ini"));
    QFile::remove(kInstallationFile);
    QFile ini(QStringLiteral("Kestrim.ini"));
    FUZZ_CHECK(ini.open(QIODevice::WriteOnly));
    ini.write("[central]\nurl=\"" + url.toUtf8() + "\"\n");
    ini.close();
    g_logged.clear();
    QString loadedProblem;
    const std::optional<CentralSettings> loaded =
        LoadCentralSettings(QStringLiteral("Kestrim.ini"), &loadedProblem);
    Check(url, loaded, loadedProblem);

    // And the whole input as the settings file, whatever it holds.
    FUZZ_CHECK(ini.open(QIODevice::WriteOnly));
    ini.write(input);
    ini.close();
    g_logged.clear();
    QString anyProblem;
    LoadCentralSettings(QStringLiteral("Kestrim.ini"), &anyProblem);
    FUZZ_CHECK(KnownProblem(anyProblem));
    return 0;
}
