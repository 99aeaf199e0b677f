// What every test of the main window needs: its seams answered by the test, and pictures of
// the window as the operator sees it.
#pragma once

#include "dialogs/resource.h"
#include "recordingspeech.h"
#include "window/ckestrimdlg.h"

#include <QAction>
#include <QTest>
#include <QWidget>

// The test's clock and prompts; speech goes to `spoken`, or nowhere when there is no log.
inline KestrimSeams TestSeams(std::shared_ptr<const Clock> clock, std::shared_ptr<Prompts> prompts,
                              std::shared_ptr<SpokenLog> spoken = {})
{
    KestrimSeams seams;
    seams.clock = std::move(clock);
    seams.prompts = std::move(prompts);
    seams.speechEngine = [spoken]() -> std::unique_ptr<SpeechEngine> {
        if (!spoken)
            return {};
        return std::make_unique<RecordingSpeechEngine>(spoken);
    };
    return seams;
}

// With KESTRIM_SCREENSHOT_DIR set, keeps a picture of the window under `name`.png there.
inline void Screenshot(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("KESTRIM_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Bytes arriving on the window's port, handed on as the serial port hands on every chunk.
inline void Receive(CKestrimDlg &window, const QByteArray &bytes)
{
    auto *port = window.findChild<CMscomm *>(QString::number(IDC_SERIAL));
    QVERIFY(port);
    emit port->received(bytes);
}

// The thermometer behind the window, for what the device or its port does (a reading taken, the
// port lost) where a test has no real device.
inline device::Thermometer &ThermometerOf(CKestrimDlg &window)
{
    auto *thermometer = window.findChild<device::Thermometer *>();
    Q_ASSERT(thermometer);
    return *thermometer;
}

// Triggers the one menu or shortcut action of the window with this caption, as the operator's
// click or screen reader would. False, so the test fails, when no action or more than one has it.
[[nodiscard]] inline bool TriggerAction(CKestrimDlg &window, const QString &caption)
{
    QList<QAction *> found;
    for (QAction *action : window.findChildren<QAction *>()) {
        if (action->text() == caption)
            found.append(action);
    }
    if (found.size() != 1)
        return false;
    found.constFirst()->trigger();
    return true;
}
