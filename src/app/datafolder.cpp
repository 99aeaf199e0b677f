#include "datafolder.h"

#include "consoleoutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace {

// Windows paths compare without regard to case or to the kind of separator.
bool SameFolder(QString a, QString b, bool windows)
{
    if (windows) {
        a.replace(u'\\', u'/');
        b.replace(u'\\', u'/');
    }
    return QDir::cleanPath(a).compare(QDir::cleanPath(b),
                                      windows ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

#ifdef Q_OS_WIN
// Whether a file can be made in the folder: on Windows the folder's attributes do not say (a
// folder under Program Files looks writable and is not, for an ordinary user).
bool CanWriteIn(const QString &folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".kestrim-probe-XXXXXX")));
    return probe.open();
}
#endif

} // namespace

QString ChooseDataFolder(const DataFolderSituation &situation)
{
    const auto absolute = [&situation](const QString &path) {
        return QDir::cleanPath(QDir(situation.working).absoluteFilePath(path));
    };
    if (!situation.option.isEmpty())
        return absolute(situation.option);
    if (!situation.environment.isEmpty())
        return absolute(situation.environment);
    if (situation.windows && (SameFolder(situation.working, situation.installFolder, true) ||
                              !situation.workingWritable))
        return QDir::cleanPath(situation.userHome + QStringLiteral("/Kestrim"));
    return QDir::cleanPath(situation.working);
}

DataFolderSituation CurrentDataFolderSituation(const QString &option)
{
    DataFolderSituation situation;
    situation.option = option;
    situation.environment = qEnvironmentVariable("KESTRIM_HOME");
    situation.working = QDir::currentPath();
    situation.installFolder = QCoreApplication::applicationDirPath();
    situation.userHome = QDir::homePath();
#ifdef Q_OS_WIN
    situation.windows = true;
    // Only asked where the answer matters: a probe file is a write in the operator's folder.
    if (option.isEmpty() && situation.environment.isEmpty() &&
        !SameFolder(situation.working, situation.installFolder, true))
        situation.workingWritable = CanWriteIn(situation.working);
#endif
    return situation;
}

bool EnterDataFolder(const QString &folder, QString *error)
{
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("the data folder %1 cannot be made")
                     .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    if (!QDir::setCurrent(folder)) {
        *error = QStringLiteral("the data folder %1 cannot be entered")
                     .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    return true;
}

bool EnterChosenDataFolder(const QString &option)
{
    QString error;
    if (EnterDataFolder(ChooseDataFolder(CurrentDataFolderSituation(option)), &error))
        return true;
    AttachStartingConsole();
    std::fputs(qPrintable(QStringLiteral("kestrim: %1\n").arg(error)), stderr);
    return false;
}
