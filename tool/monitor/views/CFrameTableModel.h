// The Link Monitor's table: one row per captured frame, added in batches,
// and the filter over it (address, command).
#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <vector>

#include "monitor/CFrameCapture.h"
#include "monitor/FrameDecoder.h"

class CFrameTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kTime, kDirection, kAddress, kSequence, kCommand, kSummary, kStatus, kColumnCount };

    struct Row {
        CCapturedFrame frame;
        CDecodedFrame decoded;
    };

    using QAbstractTableModel::QAbstractTableModel;

    // Appends a batch: one row insertion for all of them. Past the row
    // limit the oldest rows go (a tenth of the limit at a time), so a
    // monitor left open on a busy line does not eat the memory.
    void Append(std::vector<CCapturedFrame> frames);
    void SetRowLimit(size_t limit) { m_rowLimit = limit > 10 ? limit : 10; }
    void Clear();
    const Row& At(int row) const { return m_rows[static_cast<size_t>(row)]; }
    const std::vector<Row>& Rows() const { return m_rows; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<Row> m_rows;
    int64_t m_startUs = -1;  // time of the first frame: the table counts from it
    size_t m_rowLimit = 500000;
};

class CFrameFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    // -1: every address. `command`: part of the command's name, any case;
    // empty: every command.
    void SetFilter(int address, const QString& command);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    int m_address = -1;
    QString m_command;
};
