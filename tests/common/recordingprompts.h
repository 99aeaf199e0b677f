// Prompts that are answered by the test and remember what was shown.
#pragma once

#include "dialogs/prompts.h"

#include <QList>
#include <QStringList>

class RecordingPrompts : public Prompts {
public:
    void message(QWidget *, const QString &text, const QString & = {}) override
    {
        messages.append(text);
    }

    // Save dialogs: each one shown is remembered as its initial name and filters, joined by
    // '|'; it is answered with the next of `saveTargets`, or cancelled when none is left.
    QString saveFileName(QWidget *, const QString &initialName, const QStringList &filters) override
    {
        saveDialogs.append((QStringList{initialName} + filters).join(u'|'));
        return saveTargets.isEmpty() ? QString() : saveTargets.takeFirst();
    }

    // Questions: remembered as "caption: text" and answered with the next of `answers`, Yes
    // when none is left.
    bool question(QWidget *, const QString &caption, const QString &text) override
    {
        questions.append(caption + QStringLiteral(": ") + text);
        return answers.isEmpty() || answers.takeFirst();
    }

    QStringList messages;
    QStringList saveTargets;
    QStringList saveDialogs;
    QStringList questions;
    QList<bool> answers;
};
