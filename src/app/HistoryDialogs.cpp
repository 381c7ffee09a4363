#include "HistoryDialogs.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace talvaro {
namespace {

QTreeWidget* table(QDialog& dialog, const QStringList& headers) {
    auto* tree = new QTreeWidget(&dialog);
    tree->setHeaderLabels(headers);
    tree->setRootIsDecorated(false);
    tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return tree;
}

} // namespace

HistoryChoice execHistoryDialog(QWidget* parent, const QList<HistoryRow>& rows,
                                DeviceType current) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("VerlaufDlg"));
    dialog.setWindowTitle(QStringLiteral("Konfigurationsverlauf"));
    dialog.resize(720, 420);
    auto* layout = new QVBoxLayout(&dialog);
    auto* onlyCurrent = new QCheckBox(QStringLiteral("Nur der aktuelle Gerätetyp"), &dialog);
    QTreeWidget* tree =
        table(dialog, {QStringLiteral("Zeit"), QStringLiteral("Vorgang"), QStringLiteral("Modell"),
                       QStringLiteral("Firmware"), QStringLiteral("Port")});
    for (const HistoryRow& row : rows) {
        auto* item = new QTreeWidgetItem(tree);
        item->setData(0, Qt::UserRole, row.id);
        item->setData(1, Qt::UserRole, row.type);
        if (!row.damage.isEmpty()) {
            item->setText(0, row.id);
            item->setText(1, QStringLiteral("beschädigt: ") + row.damage);
            continue;
        }
        item->setText(0, row.time);
        item->setText(1, row.action);
        item->setText(2, row.model);
        item->setText(3, row.firmware);
        item->setText(4, row.port);
    }
    QObject::connect(onlyCurrent, &QCheckBox::toggled, tree, [tree, current](bool only) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = tree->topLevelItem(i);
            item->setHidden(only && item->data(1, Qt::UserRole).toUInt() != current);
        }
    });

    auto* buttons = new QDialogButtonBox(&dialog);
    HistoryChoice choice;
    const auto add = [&](const QString& text, HistoryCommand command, bool damagedToo) {
        QPushButton* button = buttons->addButton(text, QDialogButtonBox::ActionRole);
        QObject::connect(button, &QPushButton::clicked, &dialog, [&, command] {
            if (QTreeWidgetItem* item = tree->currentItem()) {
                choice = {command, item->data(0, Qt::UserRole).toString()};
                dialog.accept();
            }
        });
        QObject::connect(tree, &QTreeWidget::currentItemChanged, button,
                         [button, damagedToo](QTreeWidgetItem* item) {
                             button->setEnabled(
                                 item && (damagedToo || !item->text(1).startsWith("beschädigt")));
                         });
        button->setEnabled(false);
    };
    add(QStringLiteral("In den Editor laden"), HistoryCommand::Load, false);
    add(QStringLiteral("Vergleichen"), HistoryCommand::Compare, false);
    add(QStringLiteral("Als Datei speichern..."), HistoryCommand::SaveAs, false);
    add(QStringLiteral("Löschen"), HistoryCommand::Delete, true);
    buttons->addButton(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    layout->addWidget(onlyCurrent);
    layout->addWidget(tree);
    layout->addWidget(buttons);
    dialog.exec();
    return choice;
}

void execComparisonDialog(QWidget* parent, const QString& caption,
                          const QList<ComparedLine>& lines) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("VergleichDlg"));
    dialog.setWindowTitle(caption);
    dialog.resize(720, 420);
    auto* layout = new QVBoxLayout(&dialog);
    if (lines.isEmpty()) {
        layout->addWidget(
            new QLabel(QStringLiteral("Die Konfigurationen stimmen überein."), &dialog));
    } else {
        QTreeWidget* tree =
            table(dialog, {QString(), QStringLiteral("Alt"), QStringLiteral("Neu")});
        tree->setRootIsDecorated(true);
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
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}

} // namespace talvaro
