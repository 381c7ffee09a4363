#include "HistoryTable.h"

#include <array>

namespace talvaro {
namespace {

// clang-format off
const std::array<QString, HistoryTableModel::ColumnCount> Headers{
    QStringLiteral("Nr."), QStringLiteral("Zeit"), QStringLiteral("Vorgang"),
    QStringLiteral("Modell"), QStringLiteral("Gerät"), QStringLiteral("Firmware"),
    QStringLiteral("Port"), QStringLiteral("Notiz")};
// clang-format on

QString cell(const HistoryRow& row, int column) {
    switch (column) {
    case HistoryTableModel::Number:
        return row.id;
    case HistoryTableModel::Time:
        return row.time;
    case HistoryTableModel::Action:
        return row.damage.isEmpty() ? row.action : QStringLiteral("beschädigt: ") + row.damage;
    case HistoryTableModel::Model:
        return row.model;
    case HistoryTableModel::Device:
        return row.device;
    case HistoryTableModel::Firmware:
        return row.firmware;
    case HistoryTableModel::Port:
        return row.port;
    case HistoryTableModel::Note:
        return row.note;
    }
    return {};
}

} // namespace

QString historyTimeText(const HistoryEntry& entry) {
    return entry.time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

HistoryRow historyRowOf(const HistoryEntry& entry) {
    HistoryRow row;
    row.id = QString::number(entry.id);
    row.time = historyTimeText(entry);
    row.action = entry.event.action;
    row.type = entry.event.type;
    row.model = deviceProfile(entry.event.type).identity;
    row.firmware = entry.event.firmware;
    row.port = entry.event.port;
    row.damage = entry.damage;
    row.device = entry.event.deviceText;
    row.note = entry.note;
    return row;
}

HistoryTableModel::HistoryTableModel(QList<HistoryRow> rows, QObject* parent)
    : QAbstractTableModel(parent), m_rows(std::move(rows)) {}

int HistoryTableModel::rowOf(const QString& id) const {
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].id == id)
            return i;
    return -1;
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return cell(m_rows[index.row()], index.column());
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return Headers[section];
}

void HistoryFilter::setText(const QString& text) {
    m_text = text.trimmed();
    invalidateFilter();
}

void HistoryFilter::setOnlyType(std::optional<DeviceType> type) {
    m_type = type;
    invalidateFilter();
}

bool HistoryFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const HistoryRow& row = static_cast<const HistoryTableModel*>(sourceModel())->row(sourceRow);
    if (m_type && row.type != *m_type)
        return false;
    return m_text.isEmpty() || row.model.contains(m_text, Qt::CaseInsensitive) ||
           row.device.contains(m_text, Qt::CaseInsensitive) ||
           row.note.contains(m_text, Qt::CaseInsensitive);
}

} // namespace talvaro
