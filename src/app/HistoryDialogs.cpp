#include "HistoryDialogs.h"

#include "HistoryTable.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace talvaro {
namespace {

// Column widths are measured on this many rows; a long history stays quick to open.
constexpr int MeasuredRows = 200;

void describe(QWidget* widget, const QString& name, const QString& description) {
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

QPushButton* closeButton(QDialogButtonBox* buttons) {
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setText(QStringLiteral("Schließen"));
    describe(close, QStringLiteral("Schließen"), QStringLiteral("Schließt das Fenster."));
    return close;
}

} // namespace

HistoryDialog::HistoryDialog(QWidget* parent, const QList<HistoryRow>& rows, DeviceType current,
                             const HistoryViewState& state)
    : QDialog(parent), m_model(new HistoryTableModel(rows, this)),
      m_filter(new HistoryFilter(this)), m_search(new QLineEdit(this)),
      m_onlyCurrent(new QCheckBox(QStringLiteral("Nur der aktuelle Gerätetyp"), this)),
      m_table(new QTableView(this)), m_buttons(new QDialogButtonBox(this)) {
    setObjectName(QStringLiteral("VerlaufDlg"));
    setWindowTitle(QStringLiteral("Konfigurationsverlauf"));
    resize(860, 460);

    auto* searchLabel = new QLabel(QStringLiteral("&Suchen:"), this);
    searchLabel->setBuddy(m_search);
    m_search->setPlaceholderText(QStringLiteral("Modell, Gerät oder Notiz"));
    m_search->setClearButtonEnabled(true);
    describe(m_search, QStringLiteral("Suchen"),
             QStringLiteral("Zeigt nur die Einträge, deren Modell, Gerät oder Notiz diesen Text "
                            "enthält."));
    describe(m_onlyCurrent, m_onlyCurrent->text(),
             QStringLiteral("Zeigt nur die Einträge des Gerätetyps, der gerade bearbeitet wird."));

    m_filter->setSourceModel(m_model);
    m_table->setModel(m_filter);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->horizontalHeader()->setResizeContentsPrecision(MeasuredRows);
    // A long reason of damage or note leaves room for the other columns; the tool tip
    // shows all of it.
    m_table->horizontalHeader()->setMaximumSectionSize(fontMetrics().averageCharWidth() * 36);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->resizeColumnsToContents();
    describe(m_table, windowTitle(),
             QStringLiteral("Jede Konfiguration, die ausgelesen, programmiert oder "
                            "zurückgesetzt wurde, das Neueste zuerst: Nummer, Zeit, Vorgang, "
                            "Modell, Gerät, Firmware, Port und Notiz."));

    addCommand(QStringLiteral("In den Editor laden"),
               QStringLiteral("Lädt die Konfiguration des Eintrags unter ihrem Gerätetyp in den "
                              "Editor."),
               HistoryCommand::Load, false);
    addCommand(QStringLiteral("Vergleichen"),
               QStringLiteral("Vergleicht die Konfiguration des Eintrags mit der im Editor."),
               HistoryCommand::Compare, false);
    addCommand(QStringLiteral("Als Datei speichern..."),
               QStringLiteral("Speichert die Konfiguration des Eintrags als .tkx-Datei."),
               HistoryCommand::SaveAs, false);
    addCommand(QStringLiteral("Notiz..."),
               QStringLiteral("Gibt dem Eintrag eine Notiz, zum Beispiel den Namen des Kunden."),
               HistoryCommand::Note, true);
    addCommand(QStringLiteral("Löschen"),
               QStringLiteral("Löscht den Eintrag nach einer Rückfrage aus dem Verlauf."),
               HistoryCommand::Delete, true);
    closeButton(m_buttons);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // A filter that hides the selected row selects the first one it shows.
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_filter->setText(text);
        if (!currentRow())
            select({});
    });
    connect(m_onlyCurrent, &QCheckBox::toggled, this, [this, current](bool only) {
        m_filter->setOnlyType(only ? std::optional(current) : std::nullopt);
        if (!currentRow())
            select({});
    });

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(searchLabel);
    filterRow->addWidget(m_search, 1);
    filterRow->addWidget(m_onlyCurrent);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(m_table);
    layout->addWidget(m_buttons);

    m_search->setText(state.filter);
    m_onlyCurrent->setChecked(state.onlyCurrent);
    select(state.selectedId);
    m_table->setFocus();
}

void HistoryDialog::addCommand(const QString& text, const QString& description,
                               HistoryCommand command, bool damagedToo) {
    QPushButton* button = m_buttons->addButton(text, QDialogButtonBox::ActionRole);
    describe(button, QString(text).remove(QStringLiteral("...")), description);
    connect(button, &QPushButton::clicked, this, [this, command] {
        if (const HistoryRow* row = currentRow()) {
            m_choice = {command, row->id};
            accept();
        }
    });
    const auto update = [this, button, damagedToo] {
        const HistoryRow* row = currentRow();
        button->setEnabled(row && (damagedToo || row->damage.isEmpty()));
    };
    connect(m_table->selectionModel(), &QItemSelectionModel::currentChanged, button, update);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, button, update);
    update();
}

const HistoryRow* HistoryDialog::currentRow() const {
    const QModelIndex index = m_filter->mapToSource(m_table->currentIndex());
    if (!index.isValid() ||
        !m_table->selectionModel()->isRowSelected(m_table->currentIndex().row(), QModelIndex()))
        return nullptr;
    return &m_model->row(index.row());
}

void HistoryDialog::select(const QString& id) {
    const int row = m_model->rowOf(id);
    QModelIndex index = row < 0 ? QModelIndex() : m_filter->mapFromSource(m_model->index(row, 0));
    if (!index.isValid())
        index = m_filter->index(0, 0);
    if (index.isValid())
        m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
}

HistoryViewState HistoryDialog::state() const {
    const HistoryRow* row = currentRow();
    return {m_search->text(), m_onlyCurrent->isChecked(), row ? row->id : QString()};
}

HistoryChoice execHistoryDialog(QWidget* parent, const QList<HistoryRow>& rows, DeviceType current,
                                HistoryViewState& state) {
    HistoryDialog dialog(parent, rows, current, state);
    dialog.exec();
    state = dialog.state();
    return dialog.choice();
}

void execComparisonDialog(QWidget* parent, const QString& caption,
                          const QList<ComparedLine>& lines) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("VergleichDlg"));
    dialog.setWindowTitle(caption);
    dialog.resize(720, 420);
    auto* layout = new QVBoxLayout(&dialog);
    if (lines.isEmpty()) {
        auto* same = new QLabel(QStringLiteral("Die Konfigurationen stimmen überein."), &dialog);
        describe(same, same->text(),
                 QStringLiteral("Der Vergleich hat keinen Unterschied gefunden."));
        layout->addWidget(same);
    } else {
        auto* tree = new QTreeWidget(&dialog);
        tree->setHeaderLabels(
            {QStringLiteral("Abschnitt"), QStringLiteral("Alt"), QStringLiteral("Neu")});
        tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        describe(tree, QStringLiteral("Unterschiede"),
                 QStringLiteral("Jede Zeile des Konfigurationsberichts, die sich unterscheidet, "
                                "nach Abschnitten: links die alte, rechts die neue Fassung."));
        QTreeWidgetItem* section = nullptr;
        for (const ComparedLine& line : lines) {
            if (!section || section->text(0) != line.section) {
                section = new QTreeWidgetItem(tree, {line.section});
                section->setExpanded(true);
            }
            new QTreeWidgetItem(section, {QString(), line.before, line.after});
        }
        layout->addWidget(tree);
    }
    auto* buttons = new QDialogButtonBox(&dialog);
    closeButton(buttons)->setFocus();
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}

} // namespace talvaro
