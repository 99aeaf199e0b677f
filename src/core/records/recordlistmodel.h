// The day's records as the record list shows them: one row per record, four centred columns
// (quantity, time, value, environment temperature). Fields past the fourth are not shown and
// missing ones show empty. The rows are held as read, so a day of 100,000 records costs its
// strings and nothing per row on top.
#pragma once

#include "records/recordline.h"

#include "records/recordcolumns.h"

#include <QAbstractTableModel>

#include <array>

class RecordListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 4;

    explicit RecordListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Column captions change with the interface language.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

    // Replaces every row (a model reset).
    void setRows(RecordRows rows);
    // Adds one row at the end.
    void appendRow(const QStringList &fields);
    // Adds `rows` at the end, as one insertion.
    void appendRows(const RecordRows &rows);
    const RecordRows &rows() const { return m_rows; }

private:
    RecordRows m_rows;
    std::array<QString, kColumnCount> m_captions{
        kRecordColumns[0].in(Language::English), kRecordColumns[1].in(Language::English),
        kRecordColumns[2].in(Language::English), kRecordColumns[3].in(Language::English)};
};
