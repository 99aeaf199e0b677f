// A status bar of fixed-width text panes, addressed by index like the platform's indicator panes.
// A pane whose text does not fit its width grows to hold it.
#pragma once

#include <QList>
#include <QStatusBar>

class QLabel;

class PaneStatusBar : public QStatusBar {
    Q_OBJECT

public:
    explicit PaneStatusBar(QWidget *parent = nullptr);

    // One pane per indicator id, with its width in pixels; a pane starts with the text given.
    void setIndicators(const QList<int> &ids, const QList<int> &widths, const QStringList &texts);
    void setPaneText(int index, const QString &text);
    QString paneText(int index) const;
    int paneCount() const { return int(m_panes.size()); }
    QLabel *pane(int index) const { return m_panes.value(index); }

private:
    static constexpr int kTextPadding = 4;
    void fitPane(int index);

    QList<QLabel *> m_panes;
    QList<int> m_widths; // the width each pane has at least
};
