#include "panestatusbar.h"

#include <QLabel>

PaneStatusBar::PaneStatusBar(QWidget *parent)
    : QStatusBar(parent)
{
    // The window has a fixed size; a grip would only take room from the panes.
    setSizeGripEnabled(false);
    // Opaque: on the R9's shorter window it lies over the bottom band of controls, which must
    // not show between the panes.
    setAutoFillBackground(true);
}

void PaneStatusBar::setIndicators(const QList<int> &ids, const QList<int> &widths,
                                  const QStringList &texts)
{
    qDeleteAll(m_panes);
    m_panes.clear();
    for (int i = 0; i < ids.size(); ++i) {
        auto *label = new QLabel(texts.value(i), this);
        label->setObjectName(QStringLiteral("pane%1").arg(i));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        // The last pane takes whatever room is left, so that panes widened for their texts
        // never push each other out of the bar.
        const bool last = i == ids.size() - 1;
        addWidget(label, last ? 1 : 0);
        m_panes.append(label);
        m_widths.append(widths.value(i));
        fitPane(i);
    }
}

void PaneStatusBar::setPaneText(int index, const QString &text)
{
    if (QLabel *label = m_panes.value(index)) {
        label->setText(text);
        fitPane(index);
    }
}

// A pane keeps its width unless its text needs more.
void PaneStatusBar::fitPane(int index)
{
    QLabel *label = m_panes[index];
    const int frame = label->width() - label->contentsRect().width();
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + frame +
                       2 * label->margin() + kTextPadding;
    if (index == m_panes.size() - 1 && label->text().isEmpty())
        label->setMinimumWidth(0);
    else
        label->setFixedWidth(qMax(m_widths[index], needed));
}

QString PaneStatusBar::paneText(int index) const
{
    const QLabel *label = m_panes.value(index);
    return label ? label->text() : QString();
}
