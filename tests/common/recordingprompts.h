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

    // Questions: remembered as "caption: text" with the answer Enter gives, and answered with
    // the next of `answers`, or with that default answer when none is left.
    bool question(QWidget *, const QString &caption, const QString &text,
                  Default byDefault = Default::Yes) override
    {
        questions.append(caption + QStringLiteral(": ") + text);
        questionDefaults.append(byDefault);
        return answers.isEmpty() ? byDefault == Default::Yes : answers.takeFirst();
    }

    QStringList messages;
    QStringList saveTargets;
    QStringList saveDialogs;
    QStringList questions;
    QList<Default> questionDefaults;
    QList<bool> answers;
};
