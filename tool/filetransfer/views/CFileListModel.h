// One file list of the File Transfer window ("Name", "Size", "Time") as a
// table model: the rows are plain CFileListRow values filled in one go, so
// a controller with a hundred thousand files is one reset, not a widget per
// row. A name edited in the view is not taken by the model: it asks its
// window (renameRequested), which changes the row once the rename was done.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "filetransfer/RemotePane.h"

class CFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces every row, sorted by `sort` and renumbered.
    void SetRows(std::vector<CFileListRow> rows, const CListSortState& sort);
    // Sorts the rows again (after a column click).
    void Sort(const CListSortState& sort);
    void Clear();
    // The row after an in-place rename: only its name changes.
    void SetName(int row, const std::string& name);

    const std::vector<CFileListRow>& Rows() const { return m_rows; }
    const CFileListRow& At(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // Every name, in list order.
    std::vector<std::string> Names() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    // The operator ended an edit of the name `oldName` in `row`, leaving
    // `text`. Connected queued: the editor is closed before the window
    // shows a message about it.
    void renameRequested(int row, const QString& oldName, const QString& text);

private:
    std::vector<CFileListRow> m_rows;
};
