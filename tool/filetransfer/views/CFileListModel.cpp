#include "CFileListModel.h"

namespace {
QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

void CFileListModel::SetRows(std::vector<CFileListRow> rows, const CListSortState& sort)
{
    beginResetModel();
    m_rows = std::move(rows);
    SortFileList(m_rows, sort);
    endResetModel();
}

void CFileListModel::Sort(const CListSortState& sort)
{
    // Rows move: the view's selection is of rows, not names, so it is dropped
    // with the old order (the window selects the names again).
    beginResetModel();
    SortFileList(m_rows, sort);
    endResetModel();
}

void CFileListModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void CFileListModel::SetName(int row, const std::string& name)
{
    if (row < 0 || row >= rowCount()) return;
    m_rows[static_cast<size_t>(row)].name = name;
    const QModelIndex changed = index(row, kJxColumnName);
    emit dataChanged(changed, changed);
}

std::vector<std::string> CFileListModel::Names() const
{
    std::vector<std::string> names;
    names.reserve(m_rows.size());
    for (const CFileListRow& row : m_rows) names.push_back(row.name);
    return names;
}

int CFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CFileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant CFileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const CFileListRow& row = m_rows[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        switch (index.column()) {
        case kJxColumnName:
            return Latin1(row.name);
        case kJxColumnSize:
            return Latin1(row.sizeText);
        case kJxColumnTime:
            return Latin1(row.timeText);
        }
    }
    // A long name or time in a narrow column: the whole text on hover.
    if (role == Qt::ToolTipRole && index.column() != kJxColumnSize)
        return Latin1(index.column() == kJxColumnName ? row.name : row.timeText);
    if (role == Qt::UserRole) return row.itemData;
    if (role == Qt::TextAlignmentRole && index.column() == kJxColumnSize)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case kJxColumnName:
        return QStringLiteral("Name");
    case kJxColumnSize:
        return QStringLiteral("Size");
    case kJxColumnTime:
        return QStringLiteral("Time");
    }
    return {};
}

Qt::ItemFlags CFileListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kJxColumnName) f |= Qt::ItemIsEditable;
    return f;
}

bool CFileListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != kJxColumnName) return false;
    // The window checks the name and renames the file; it sets the row then.
    emit renameRequested(index.row(), Latin1(m_rows[static_cast<size_t>(index.row())].name), value.toString());
    return false;
}
