#include "ckestrimapp.h"

#include "controls/fonts.h"
#include "speechchoice.h"
#include "window/ckestrimdlg.h"

#include <QApplication>

bool CKestrimApp::InitInstance(const LaunchOptions &options)
{
    QApplication::setApplicationName(QStringLiteral("Kestrim"));
    QApplication::setApplicationDisplayName(QStringLiteral("QUELLOR   V2.1"));
    // Matches the window to its desktop entry and icon (Wayland names windows by it).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kestrim.Kestrim"));
    // The settings root; nothing of the program is stored under it.
    QApplication::setOrganizationName(QStringLiteral("应用程序向导生成的本地应用程序"));
    InstallFontSubstitutes();

    KestrimSeams seams;
    seams.speechEngine = ChosenSpeechEngine();
    CKestrimDlg dialog(seams);
    dialog.SetLaunchOptions(options);
    dialog.exec();
    return false;
}
