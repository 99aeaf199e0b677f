#include "records/recordlistmodel.h"

RecordListModel::RecordListModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

int RecordListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RecordListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role == Qt::DisplayRole)
        return m_rows.at(index.row()).value(index.column());
    return {};
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_captions[size_t(section)];
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

bool RecordListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                                    int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount ||
        (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    m_captions[size_t(section)] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void RecordListModel::setRows(RecordRows rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void RecordListModel::appendRow(const QStringList &fields)
{
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(fields);
    endInsertRows();
}

void RecordListModel::appendRows(const RecordRows &rows)
{
    if (rows.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_rows.append(rows);
    endInsertRows();
}
