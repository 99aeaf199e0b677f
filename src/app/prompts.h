// The message boxes and file dialogs the window shows; tests answer them instead of a person.
#pragma once

#include <QString>

class QWidget;

class Prompts {
public:
    virtual ~Prompts() = default;
    // An OK message with the application's title. It does not block: the window goes on
    // receiving readings while the operator reads it.
    virtual void message(QWidget *parent, const QString &text);
};
