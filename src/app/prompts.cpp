#include "prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

void Prompts::message(QWidget *parent, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                                QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QString Prompts::saveFileName(QWidget *parent, const QString &initialName,
                              const QStringList &filters)
{
    // Qt's dialog asks before replacing an existing file unless told not to.
    return QFileDialog::getSaveFileName(parent, QString(), initialName,
                                        filters.join(QStringLiteral(";;")));
}

bool Prompts::question(QWidget *parent, const QString &caption, const QString &text)
{
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}
