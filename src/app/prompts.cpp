#include "prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {
constexpr char kKindProperty[] = "kestrimMessageKind";
} // namespace

void Prompts::message(QWidget *parent, const QString &text, const QString &kind)
{
    // A failure that repeats (every reading on a full disk, every unplug of an unattended
    // desk) is one box until the operator has read it, not a pile of them.
    const QString key = kind.isEmpty() ? text : kind;
    m_openMessages.removeAll(nullptr);
    for (const QPointer<QMessageBox> &open : std::as_const(m_openMessages)) {
        if (open->property(kKindProperty).toString() == key && open->parentWidget() == parent) {
            open->setText(text);
            open->raise();
            return;
        }
    }
    auto *box = new QMessageBox(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                                QMessageBox::Ok, parent);
    box->setProperty(kKindProperty, key);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    m_openMessages.append(box);
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
