#include "panestatusbar.h"

#include <QLabel>

PaneStatusBar::PaneStatusBar(QWidget *parent)
    : QStatusBar(parent)
{}

void PaneStatusBar::setIndicators(const QList<int> &ids, const QList<int> &widths,
                                  const QStringList &texts)
{
    qDeleteAll(m_panes);
    m_panes.clear();
    for (int i = 0; i < ids.size(); ++i) {
        auto *label = new QLabel(texts.value(i), this);
        label->setObjectName(QStringLiteral("pane%1").arg(i));
        label->setFixedWidth(widths.value(i));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        addWidget(label);
        m_panes.append(label);
    }
}

void PaneStatusBar::setPaneText(int index, const QString &text)
{
    if (QLabel *label = m_panes.value(index))
        label->setText(text);
}

QString PaneStatusBar::paneText(int index) const
{
    const QLabel *label = m_panes.value(index);
    return label ? label->text() : QString();
}
