#include "CFrameTableModel.h"

#include <QBrush>
#include <QColor>

namespace {
const char* DirectionText(KorNetFrameDirection d)
{
    switch (d) {
    case KorNetFrameDirection::Sent: return "Sent";
    case KorNetFrameDirection::Received: return "Recv'd";
    case KorNetFrameDirection::Stray: return "Stray";
    }
    return "";
}
}  // namespace

void CFrameTableModel::Append(std::vector<CCapturedFrame> frames)
{
    if (frames.empty()) return;
    if (m_startUs < 0) m_startUs = frames.front().timeUs;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(frames.size()) - 1);
    m_rows.reserve(m_rows.size() + frames.size());
    for (CCapturedFrame& f : frames) {
        CDecodedFrame d = DecodeFrame(f.bytes.data(), f.bytes.size(), f.direction);
        m_rows.push_back({std::move(f), std::move(d)});
    }
    endInsertRows();
    if (m_rows.size() > m_rowLimit) {
        const size_t excess = m_rows.size() - m_rowLimit + m_rowLimit / 10;
        beginRemoveRows({}, 0, static_cast<int>(excess) - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + static_cast<std::ptrdiff_t>(excess));
        endRemoveRows();
    }
}

void CFrameTableModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    m_startUs = -1;
    endResetModel();
}

int CFrameTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CFrameTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant CFrameTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size())) return {};
    const Row& r = m_rows[static_cast<size_t>(index.row())];
    const bool hasHeader = r.frame.direction != KorNetFrameDirection::Stray && r.frame.bytes.size() > 4 &&
                           r.frame.bytes[0] == 0x55;
    if (role == Qt::ForegroundRole) {
        if (r.frame.status != KORNET_OK || r.frame.direction == KorNetFrameDirection::Stray) return QBrush(QColor(176, 0, 0));
        return {};
    }
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case kTime: return QString::number(static_cast<double>(r.frame.timeUs - m_startUs) / 1e6, 'f', 6);
    case kDirection: {
        QString text = DirectionText(r.frame.direction);
        if (r.frame.attempt > 0) text += QString(" (retry %1)").arg(r.frame.attempt);
        return text;
    }
    case kAddress: return hasHeader ? QVariant(r.decoded.address) : QVariant();
    case kSequence: return hasHeader ? QVariant(r.decoded.sequence) : QVariant();
    case kCommand: return QString::fromLatin1(r.decoded.commandName.empty() ? r.decoded.typeName : r.decoded.commandName);
    case kSummary: return QString::fromLatin1(r.decoded.summary);
    case kStatus:
        return r.frame.direction == KorNetFrameDirection::Stray ? QString() : QString(KorNetStatusName(r.frame.status));
    default: return {};
    }
}

QVariant CFrameTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[kColumnCount] = {"Time (s)", "Direction", "Address", "Seq", "Command", "Summary",
                                                      "Status"};
    return section >= 0 && section < kColumnCount ? QString(kTitles[section]) : QString();
}

void CFrameFilter::SetFilter(int address, const QString& command)
{
    m_address = address;
    m_command = command.trimmed();
    invalidateRowsFilter();
}

bool CFrameFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    const auto* model = static_cast<const CFrameTableModel*>(sourceModel());
    const CFrameTableModel::Row& r = model->At(sourceRow);
    const bool hasAddress = r.frame.direction != KorNetFrameDirection::Stray && r.frame.bytes.size() > 2 &&
                            r.frame.bytes[0] == 0x55;
    if (m_address >= 0 && (!hasAddress || r.decoded.address != m_address)) return false;
    if (!m_command.isEmpty()) {
        const QString name = QString::fromLatin1(r.decoded.commandName.empty() ? r.decoded.typeName : r.decoded.commandName);
        if (!name.contains(m_command, Qt::CaseInsensitive)) return false;
    }
    return true;
}
