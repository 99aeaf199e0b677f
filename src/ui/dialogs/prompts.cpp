#include "prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

void Prompts::message(QWidget *parent, const QString &text, const QString &kind)
{
    // A failure that repeats (every reading on a full disk, every unplug of an unattended
    // desk) is one box until the operator has read it, not a pile of them.
    QPointer<QMessageBox> &open = m_openMessages[{parent, kind.isEmpty() ? text : kind}];
    if (open) {
        open->setText(text);
        open->raise();
        return;
    }
    open = new QMessageBox(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                           QMessageBox::Ok, parent);
    open->setAttribute(Qt::WA_DeleteOnClose);
    open->open();
}

QString Prompts::saveFileName(QWidget *parent, const QString &initialName,
                              const QStringList &filters)
{
    // Qt's dialog asks before replacing an existing file unless told not to.
    return QFileDialog::getSaveFileName(parent, QString(), initialName,
                                        filters.join(QStringLiteral(";;")));
}

bool Prompts::question(QWidget *parent, const QString &caption, const QString &text,
                       Default byDefault)
{
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                 byDefault == Default::Yes ? QMessageBox::Yes : QMessageBox::No) ==
           QMessageBox::Yes;
}
