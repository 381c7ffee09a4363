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
#include <vector>

using namespace talvaro;
using enum DialogResult;

Q_DECLARE_METATYPE(talvaro::DialogResult)

namespace {

template <class T> std::unique_ptr<ResultDialog> make() {
    return std::make_unique<T>();
}

const struct {
    const char* name;
    std::unique_ptr<ResultDialog> (*make)();
    DialogResult escape;
    std::vector<std::pair<const char*, DialogResult>> buttons;
} Rows[] = {
    {"ErrorDialog", make<TErrorDialog>, Ok, {{"OK", Ok}}},
    // "Abbrechen" once answered Yes on Return.
    {"HinweisBox", make<THinweisBox>, Cancel, {{"&Ja", Yes}, {"&Nein", No}, {"Abbrechen", Cancel}}},
    {"ErgebnisDialog", make<TErgebnisDialog>, Ok, {{"OK", Ok}}},
    {"KeineAnlageDlg", make<TKeineAnlageDlg>, Retry, {{"Offline", Ok}, {"Suchen", Retry}}},
    // Buttons enabled: no search runs.
    {"SuchenDlg", make<TSuchenDlg>, Cancel, {{"OK", Ok}, {"Abbrechen", Cancel}}},
    {"SelectDeviceDlg", make<TSelectDeviceDlg>, Cancel, {{"OK", Ok}, {"Abbrechen", Cancel}}},
    {"WaehleComPortDlg", make<TWaehleComPortDlg>, Cancel, {{"OK", Ok}, {"Abbrechen", Cancel}}},
    {"AboutBox", make<TAboutBox>, Ok, {{"OK", Ok}}},
};

QPushButton* button(QWidget* dialog, const QString& text) {
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

void returnOn(QWidget* w) {
    w->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), w);
    QTest::keyClick(w, Qt::Key_Return);
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
    QTest::addColumn<int>("dialog");
    QTest::addColumn<QString>("key");
    QTest::addColumn<DialogResult>("expected");
    for (int i = 0; i < int(std::size(Rows)); ++i) {
        for (const auto& [key, expected] : Rows[i].buttons)
            QTest::addRow("%s %s", Rows[i].name, key) << i << QString::fromUtf8(key) << expected;
        QTest::addRow("%s Escape", Rows[i].name) << i << QString() << Rows[i].escape;
    }
}

void TestDialogKeys::buttonsAndEscape() {
    QFETCH(int, dialog);
    QFETCH(QString, key);
    QFETCH(DialogResult, expected);
    const std::unique_ptr<ResultDialog> d = Rows[dialog].make();
    if (key.isEmpty()) {
        QCOMPARE(answer(*d, [&] { QTest::keyClick(d.get(), Qt::Key_Escape); }), expected);
        return;
    }
    QPushButton* b = button(d.get(), key);
    QVERIFY(b);
    QCOMPARE(answer(*d, [b] { b->click(); }), expected);
    QCOMPARE(answer(*d, [b] { returnOn(b); }), expected);
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
             Retry);
    QCOMPARE(answer(dialog,
                    [&] {
                        QTRY_COMPARE(QApplication::focusWidget(), button(&dialog, "Offline"));
                        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                    }),
             Ok);
}

void TestDialogKeys::escapeLeavesARunningSearchShowing() {
    QMainWindow main;
    main.show();
    WidgetDialogs dialogs;
    dialogs.setMainWindow(&main);
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
    dialogs.setMainWindow(&main);
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
