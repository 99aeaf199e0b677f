#include "prompts.h"

#include <QApplication>
#include <QMessageBox>

void Prompts::message(QWidget *parent, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
