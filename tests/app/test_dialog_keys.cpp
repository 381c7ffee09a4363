// The keys of every dialog of the program: each button by click and by focus + Return,
// and Escape, with the answer each gives.
#include "app/AboutBox.h"
#include "app/MessageDialogs.h"
#include "app/SearchDialogs.h"
#include "app/WidgetDialogs.h"

#include <QApplication>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace talvaro;

Q_DECLARE_METATYPE(talvaro::DialogResult)

namespace {

std::unique_ptr<ResultDialog> makeDialog(const QString& name) {
    if (name == QLatin1String("ErrorDialog"))
        return std::make_unique<TErrorDialog>();
    if (name == QLatin1String("HinweisBox"))
        return std::make_unique<THinweisBox>();
    if (name == QLatin1String("ErgebnisDialog"))
        return std::make_unique<TErgebnisDialog>();
    if (name == QLatin1String("KeineAnlageDlg"))
        return std::make_unique<TKeineAnlageDlg>();
    if (name == QLatin1String("SuchenDlg"))
        return std::make_unique<TSuchenDlg>(); // buttons enabled: no search runs
    if (name == QLatin1String("SelectDeviceDlg"))
        return std::make_unique<TSelectDeviceDlg>();
    if (name == QLatin1String("WaehleComPortDlg"))
        return std::make_unique<TWaehleComPortDlg>();
    return std::make_unique<TAboutBox>();
}

QPushButton* button(QWidget* dialog, const QString& text) {
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// Runs the dialog modally and does `action` once it shows; the answer it ends with.
DialogResult answer(ResultDialog& dialog, const std::function<void()>& action) {
    QTimer::singleShot(0, &dialog, [&dialog, action] {
        QTRY_VERIFY(dialog.isVisible());
        action();
    });
    return dialog.run();
}

} // namespace

class TestDialogKeys : public QObject {
    Q_OBJECT
private slots:
    void buttonsAndEscape_data();
    void buttonsAndEscape();
    void reusedDialogStartsOnItsDefaultButton();
    void escapeLeavesARunningSearchShowing();
    void escapeLeavesTheTransferWindowShowing();
};

// An empty button text stands for the Escape key.
void TestDialogKeys::buttonsAndEscape_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("key");
    QTest::addColumn<DialogResult>("expected");
    const struct {
        const char* dialog;
        const char* key;
        DialogResult expected;
    } rows[] = {
        {"ErrorDialog", "OK", DialogResult::Ok},
        {"ErrorDialog", "", DialogResult::Ok},
        {"HinweisBox", "&Ja", DialogResult::Yes},
        {"HinweisBox", "&Nein", DialogResult::No},
        {"HinweisBox", "Abbrechen", DialogResult::Cancel}, // once answered Yes on Return
        {"HinweisBox", "", DialogResult::Cancel},
        {"ErgebnisDialog", "OK", DialogResult::Ok},
        {"ErgebnisDialog", "", DialogResult::Ok},
        {"KeineAnlageDlg", "Offline", DialogResult::Ok},
        {"KeineAnlageDlg", "Suchen", DialogResult::Retry},
        {"KeineAnlageDlg", "", DialogResult::Retry},
        {"SuchenDlg", "OK", DialogResult::Ok},
        {"SuchenDlg", "Abbrechen", DialogResult::Cancel},
        {"SuchenDlg", "", DialogResult::Cancel},
        {"SelectDeviceDlg", "OK", DialogResult::Ok},
        {"SelectDeviceDlg", "Abbrechen", DialogResult::Cancel},
        {"SelectDeviceDlg", "", DialogResult::Cancel},
        {"WaehleComPortDlg", "OK", DialogResult::Ok},
        {"WaehleComPortDlg", "Abbrechen", DialogResult::Cancel},
        {"WaehleComPortDlg", "", DialogResult::Cancel},
        {"AboutBox", "OK", DialogResult::Ok},
        {"AboutBox", "", DialogResult::Ok},
    };
    for (const auto& row : rows)
        QTest::addRow("%s %s", row.dialog, *row.key ? row.key : "Escape")
            << QString::fromLatin1(row.dialog) << QString::fromUtf8(row.key) << row.expected;
}

void TestDialogKeys::buttonsAndEscape() {
    QFETCH(QString, dialog);
    QFETCH(QString, key);
    QFETCH(DialogResult, expected);
    const std::unique_ptr<ResultDialog> d = makeDialog(dialog);
    if (key.isEmpty()) {
        QCOMPARE(answer(*d, [&] { QTest::keyClick(d.get(), Qt::Key_Escape); }), expected);
        return;
    }
    QPushButton* b = button(d.get(), key);
    QVERIFY(b);
    QCOMPARE(answer(*d, [b] { b->click(); }), expected);
    QCOMPARE(answer(*d,
                    [&] {
                        b->setFocus();
                        QTRY_COMPARE(QApplication::focusWidget(), b);
                        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                    }),
             expected);
}

// The dialogs live as long as the program: a button focused in one use must not take
// Return in the next.
void TestDialogKeys::reusedDialogStartsOnItsDefaultButton() {
    TKeineAnlageDlg dialog;
    QPushButton* search = button(&dialog, "Suchen");
    QCOMPARE(answer(dialog,
                    [&] {
                        search->setFocus();
                        QTRY_COMPARE(QApplication::focusWidget(), search);
                        QTest::keyClick(search, Qt::Key_Escape);
                    }),
             DialogResult::Retry);
    QCOMPARE(answer(dialog,
                    [&] {
                        QTRY_COMPARE(QApplication::focusWidget(), button(&dialog, "Offline"));
                        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                    }),
             DialogResult::Ok);
}

void TestDialogKeys::escapeLeavesARunningSearchShowing() {
    QMainWindow main;
    main.show();
    WidgetDialogs dialogs;
    dialogs.createDialogs(&main);
    bool stayed = false;
    QTimer::singleShot(0, &main, [&] {
        QWidget* search = nullptr;
        QTRY_VERIFY((search = QApplication::activeModalWidget()) != nullptr);
        QTest::keyClick(search, Qt::Key_Escape);
        search->close();
        // Still the modal window in front: the main window cannot start a search.
        stayed = dialogs.isSearchShowing() && QApplication::activeModalWidget() == search;
        dialogs.closeSearch();
    });
    dialogs.execSearch();
    QVERIFY(stayed);
    QVERIFY(!dialogs.isSearchShowing());
}

void TestDialogKeys::escapeLeavesTheTransferWindowShowing() {
    QMainWindow main;
    WidgetDialogs dialogs;
    dialogs.createDialogs(&main);
    int closings = 0;
    dialogs.setTransferClosedHandler([&] { ++closings; });
    dialogs.showTransfer();
    QWidget* transfer = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("UpDownLoad"))
            transfer = w;
    QVERIFY(transfer && transfer->isVisible());
    QTest::keyClick(transfer, Qt::Key_Escape);
    QTest::keyClick(button(transfer, "Abbrechen"), Qt::Key_Return);
    QVERIFY(transfer->isVisible());
    QCOMPARE(closings, 0);
    transfer->close(); // the close box stays a way out
    QVERIFY(!transfer->isVisible());
    QCOMPARE(closings, 1);
}

QTEST_MAIN(TestDialogKeys)
#include "test_dialog_keys.moc"
