// The data folder: where Kestrim keeps TempData/, Ini/, Ports/ and Kestrim.ini, and which it
// makes its working folder before anything is read or written.
//
// In order: the folder given with --data, then $KESTRIM_HOME, then the working folder it was
// started in. On Windows the working folder is not taken when it is the folder kestrim.exe is
// installed in (a Start-menu shortcut starts it in C:\Program Files\Kestrim) or when it cannot
// be written; the data folder is then %USERPROFILE%\Kestrim.
#pragma once

#include <QString>

struct DataFolderSituation {
    QString option;        // --data; empty when not given
    QString environment;   // $KESTRIM_HOME; empty when not set
    QString working;       // the working folder at start
    QString installFolder; // the folder of the executable
    bool workingWritable = true;
    QString userHome; // %USERPROFILE% (QDir::homePath())
    bool windows = false;
};

// The folder to use (absolute, made if missing by EnterDataFolder).
QString ChooseDataFolder(const DataFolderSituation &situation);

// The situation of this process: its environment, working folder and executable.
DataFolderSituation CurrentDataFolderSituation(const QString &option);

// Makes `folder` (with its parents) and changes into it; false with *error saying why.
bool EnterDataFolder(const QString &folder, QString *error);

// Chooses the data folder for this process (`option` is --data) and enters it; false when it
// cannot, after saying why on the console.
bool EnterChosenDataFolder(const QString &option);
