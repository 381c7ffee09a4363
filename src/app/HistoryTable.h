#pragma once

#include "history/HistoryStore.h"
#include "model/Dialogs.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <optional>

// The rows of "Konfigurationsverlauf" as a table model, so that a long history costs
// the view only the rows on screen, and the dialog's filter over them.
namespace talvaro {

// The entry as the dialog lists it, its time in local time.
HistoryRow historyRowOf(const HistoryEntry& entry);
QString historyTimeText(const HistoryEntry& entry);

class HistoryTableModel : public QAbstractTableModel {
public:
    enum Column { Number, Time, Action, Model, Device, Firmware, Port, Note, ColumnCount };

    explicit HistoryTableModel(QList<HistoryRow> rows, QObject* parent = nullptr);

    const HistoryRow& row(int index) const { return m_rows[index]; }
    // The row of the entry `id`, or -1.
    int rowOf(const QString& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<HistoryRow> m_rows;
};

// Shows the rows whose model, device text or note contains the text, and with a type
// given only those of that type.
class HistoryFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setText(const QString& text);
    void setOnlyType(std::optional<DeviceType> type);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_text;
    std::optional<DeviceType> m_type;
};

} // namespace talvaro
