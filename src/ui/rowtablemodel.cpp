#include "ui/rowtablemodel.h"

#include <algorithm>
#include <climits>

namespace quillfen::ui {

RowTableModel::RowTableModel(QStringList headers, bool checkable, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers)), m_checkable(checkable) {}

void RowTableModel::setRows(qsizetype count, TextOf textOf) {
    beginResetModel();
    // A view counts rows in an int.
    m_count = std::clamp<qsizetype>(count, 0, INT_MAX);
    m_textOf = std::move(textOf);
    m_checks.assign(m_checkable ? size_t(m_count) : 0, 0);
    endResetModel();
}

QString RowTableModel::text(qsizetype row, int column) const {
    if (row < 0 || row >= m_count || column < 0 || column >= m_headers.size() || !m_textOf)
        return {};
    return m_textOf(row, column);
}

bool RowTableModel::isChecked(qsizetype row) const {
    return row >= 0 && size_t(row) < m_checks.size() && m_checks[size_t(row)];
}

void RowTableModel::setChecked(qsizetype row, bool checked) {
    if (row < 0 || size_t(row) >= m_checks.size())
        return;
    m_checks[size_t(row)] = checked;
    const QModelIndex cell = index(int(row), 0);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

std::vector<qsizetype> RowTableModel::checkedRows() const {
    std::vector<qsizetype> rows;
    for (size_t row = 0; row < m_checks.size(); ++row) {
        if (m_checks[row])
            rows.push_back(qsizetype(row));
    }
    return rows;
}

int RowTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_count);
}

int RowTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant RowTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_count)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return text(index.row(), index.column());
    case Qt::CheckStateRole:
        if (m_checkable && index.column() == 0)
            return isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
        break;
    default:
        break;
    }
    return {};
}

QVariant RowTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headers.size())
        return m_headers[section];
    return {};
}

Qt::ItemFlags RowTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_checkable && index.column() == 0)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool RowTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !m_checkable || index.column() != 0 || !index.isValid())
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

} // namespace quillfen::ui
