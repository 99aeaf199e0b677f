// The rows of one day across the desks, as the history's "All desks" table shows them: the desk
// and port, then the record list's four columns.
#pragma once

#include "centralview.h"

#include <QAbstractTableModel>

#include <array>

class CentralRowsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 6;

    explicit CentralRowsModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

    void setRows(QList<CentralRow> rows);
    const QList<CentralRow> &rows() const { return m_rows; }

private:
    QList<CentralRow> m_rows;
    std::array<QString, kColumnCount> m_captions;
};
