// What every test of the main window needs: its seams answered by the test, and pictures of
// the window as the operator sees it.
#pragma once

#include "recordingspeech.h"
#include "window/ckestrimdlg.h"

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
