#include "ckestrimapp.h"

#include "controls/fonts.h"
#include "speech/speechengine.h"
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
    // KESTRIM_SPEECH=off: a desk without speakers, or a test run, speaks nothing.
    if (qEnvironmentVariable("KESTRIM_SPEECH") == QStringLiteral("off")) {
        seams.speechEngine = [] {
            return std::unique_ptr<SpeechEngine>();
        };
    }
    CKestrimDlg dialog(seams);
    dialog.SetLaunchOptions(options);
    dialog.exec();
    return false;
}
