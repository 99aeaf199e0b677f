// One kind of history the history window shows: a list of days, newest first, and of the day
// shown its rows, its figures, and a note to say instead of the figures (the days are being
// read, they cannot be read, nothing is recorded). The window draws what the source holds and
// tells it which day the operator chose; the signals say when something changed.
//
// A source follows changes only while it is shown: refresh() starts it, pause() stops it.
#pragma once

#include "bilingual.h"
#include "history/historyfigures.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QAbstractItemModel;

class HistoryDaySource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The days as the day list shows them, newest first.
    virtual QStringList dayCaptions() const = 0;
    // The day shown, as an index into dayCaptions(); -1 when none is.
    virtual int shownIndex() const = 0;
    // Shows the day at `index` of dayCaptions().
    virtual void showDay(int index) = 0;
    // The shown day's rows as the table shows them. The model lives as long as the source.
    virtual QAbstractItemModel *rows() const = 0;
    // The width of each of the table's columns, in pixels.
    virtual QList<int> columnWidths() const = 0;
    virtual HistoryFigures figures() const = 0;
    // Said in the summary line instead of the figures; empty when there is nothing to say.
    virtual QString note() const = 0;

    // Reads the days afresh and follows them from now on; the day shown stays chosen while it
    // is there, otherwise the newest day is shown.
    virtual void refresh() = 0;
    // Stops following the days until the next refresh(): the window shows another source.
    virtual void pause() = 0;
    // The interface language of the captions and notes.
    virtual void setLanguage(Language language) = 0;

signals:
    // The days or their captions changed; shownIndex() says which one is shown now.
    void daysChanged();
    // The shown day's rows, figures or note changed.
    void dayChanged();
    // A day's rows were put in the table anew, to be read from the top: another day was chosen
    // or its rows arrived.
    void dayShown();
};
