#pragma once

#include "model/Dialogs.h"

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLineEdit;
class QTableView;

// The history's dialogs as widgets: "Konfigurationsverlauf" and the comparison window.
namespace talvaro {

class HistoryFilter;
class HistoryTableModel;

// What the user had set up in "Konfigurationsverlauf" when it closed; the dialog opens
// with it again after a note or a deletion.
struct HistoryViewState {
    QString filter;
    bool onlyCurrent = false;
    QString selectedId;
};

class HistoryDialog : public QDialog {
public:
    HistoryDialog(QWidget* parent, const QList<HistoryRow>& rows, DeviceType current,
                  const HistoryViewState& state);

    const HistoryChoice& choice() const { return m_choice; }
    HistoryViewState state() const;
    // The entry of the row that has the focus, if any.
    const HistoryRow* currentRow() const;

private:
    void addCommand(const QString& text, const QString& description, HistoryCommand command,
                    bool damagedToo);
    void select(const QString& id);

    HistoryTableModel* m_model;
    HistoryFilter* m_filter;
    QLineEdit* m_search;
    QCheckBox* m_onlyCurrent;
    QTableView* m_table;
    QDialogButtonBox* m_buttons;
    HistoryChoice m_choice;
};

HistoryChoice execHistoryDialog(QWidget* parent, const QList<HistoryRow>& rows, DeviceType current,
                                HistoryViewState& state);
void execComparisonDialog(QWidget* parent, const QString& caption,
                          const QList<ComparedLine>& lines);

} // namespace talvaro
