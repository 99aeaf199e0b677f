// Prompts that are answered by the test and remember what was shown.
#pragma once

#include "app/prompts.h"

#include <QStringList>

class RecordingPrompts : public Prompts {
public:
    void message(QWidget *, const QString &text) override { messages.append(text); }

    QStringList messages;
};
