// Every desk's history from the central records: the days any desk recorded, newest first, and
// the chosen day's rows across the desks, with the desk as a column. The reads go to the
// reader's thread and come back as signals, so the window never waits on the network; while a
// read is under way, or when it failed, the note says so. An answer that comes back after the
// operator moved on (another day chosen, the source paused) is dropped.
#pragma once

#include "centralview.h"
#include "history/historydaysource.h"

#include <QDate>

#include <memory>
#include <optional>

class CentralReader;
class CentralRowsModel;
struct CentralSettings;

class CentralDaySource : public HistoryDaySource {
    Q_OBJECT

public:
    // Starts a reader of its own, on its own thread, for `settings`' server.
    explicit CentralDaySource(const CentralSettings &settings, QObject *parent = nullptr);
    ~CentralDaySource() override;

    QStringList dayCaptions() const override;
    int shownIndex() const override;
    void showDay(int index) override;
    QAbstractItemModel *rows() const override;
    QList<int> columnWidths() const override;
    HistoryFigures figures() const override;
    QString note() const override;
    void refresh() override;
    void pause() override;
    void setLanguage(Language language) override;

private:
    enum class Note { None, Reading, Unreadable, Nothing };

    void daysRead(const QList<CentralDay> &days, const QString &error);
    void dayRead(QDate day, const QList<CentralRow> &rows, const QString &error);
    void setNote(Note note, const QString &error = {});

    std::unique_ptr<CentralReader> m_reader;
    CentralRowsModel *m_model = nullptr;
    bool m_following = false;
    Language m_language = Language::English;
    QList<CentralDay> m_days;
    std::optional<QDate> m_shown;
    HistoryFigures m_figures;
    Note m_note = Note::None;
    QString m_error; // the server's words, for Note::Unreadable
};
