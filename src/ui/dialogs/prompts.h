// The message boxes and file dialogs the window shows; tests answer them instead of a person.
#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>

class QMessageBox;
class QWidget;

class Prompts {
public:
    virtual ~Prompts() = default;
    // An OK message with the application's title. It does not block: the window goes on
    // receiving readings while the operator reads it. While a box of the same kind (`kind`, or
    // the same text when no kind is given) is still open, that box takes the new text and is
    // raised instead of a second one shown.
    virtual void message(QWidget *parent, const QString &text, const QString &kind = {});
    // The save-file dialog: `filters` are "Name (*.ext)" entries, the first one chosen;
    // replacing an existing file is confirmed by the operator first. Returns the chosen path,
    // or an empty text when the dialog was cancelled.
    virtual QString saveFileName(QWidget *parent, const QString &initialName,
                                 const QStringList &filters);
    // The answer Enter gives.
    enum class Default { Yes, No };
    // A Yes/No question with the question icon; true for Yes.
    virtual bool question(QWidget *parent, const QString &caption, const QString &text,
                          Default byDefault = Default::Yes);

private:
    // The box open for each window and kind of message; a closed box leaves a null pointer.
    QHash<std::pair<QWidget *, QString>, QPointer<QMessageBox>> m_openMessages;
};
