#include "centralrowsmodel.h"

CentralRowsModel::CentralRowsModel(QObject *parent)
    : QAbstractTableModel(parent)
{}

int CentralRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CentralRowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CentralRowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == 0 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    const CentralRow &row = m_rows[index.row()];
    switch (index.column()) {
    case 0:
        return row.desk;
    case 1:
        return QStringLiteral("COM") + QString::number(row.port);
    default:
        return row.fields.value(index.column() - 2);
    }
}

QVariant CentralRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_captions[size_t(section)];
}

bool CentralRowsModel::setHeaderData(int section, Qt::Orientation orientation,
                                     const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::EditRole || section < 0 ||
        section >= kColumnCount)
        return false;
    m_captions[size_t(section)] = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

void CentralRowsModel::setRows(QList<CentralRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}
