#include "ScriptedDialogs.h"
#include "SettingsSandbox.h"
#include "app/AppForm.h"
#include "app/EditorPages.h"
#include "app/EditorWidgets.h"
#include "model/NavigationTree.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTextEdit>
#include <QTreeWidget>

using namespace talvaro;

namespace {

QTreeWidgetItem* node(QTreeWidget* tree, const QString& text) {
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

QStringList treeTexts(QTreeWidget* tree) {
    QStringList texts;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        texts << (*it)->text(0);
    return texts;
}

QString visiblePages(TAppForm& form) {
    QStringList shown;
    for (const QString& name : TAppForm::PageNames)
        if (!form.page(name)->isHidden())
            shown << name;
    return shown.join(',');
}

void clickNode(QTreeWidget* tree, QTreeWidgetItem* item) {
    const QRect rect = tree->visualItemRect(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
}

QByteArray fileBytes(int size, char fill) {
    return QByteArray(size, fill);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The enabled controls that take the focus where the window shows them: tool bar, tree,
// page and help panel. Menu and status bar are no page; the tree's nodes belong to it.
void focusableControls(QAccessibleInterface* parent, QList<QAccessibleInterface*>& found) {
    for (int i = 0; i < parent->childCount(); ++i) {
        QAccessibleInterface* child = parent->child(i);
        const QAccessible::Role role = child->role();
        if (child->state().invisible || role == QAccessible::MenuBar ||
            role == QAccessible::StatusBar)
            continue;
        if (child->state().focusable && !child->state().disabled)
            found << child;
        if (role != QAccessible::Tree)
            focusableControls(child, found);
    }
}

} // namespace

class TestEditorWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void clickRunsTheRuleOnce();
    void clickOnSelectedRadioRunsNothing();
    void kindClicksKeepTheUniqueKinds();
    void spinFieldsShowTheirSuffixAndRefuseTyping();
    void pinFieldTakesDigitsOnly();
    void treePerType_data();
    void treePerType();
    void pagesAndHelpTopics();
    void clickOnSelectedNodeShowsItsPageAgain();
    void pinGateHoldsTheUserOnTheContactPage();
    void contactPageCoversThePicture();
    void treeCaptionsFitTheColumn();
    void shortPinBringsTheContactPageBackWithoutSecondMessage();
    void layoutPerType_data();
    void layoutPerType();
    void layoutDoesNotDriftWhenSwitching();
    void headingsFollowTheType();
    void openAcceptsLongFilesAndRejectsShortOnes();
    void saveAsWritesExactlyTheImage();
    void newConfigurationAfterOpen();
    void promptCancelledSaveStopsNewAndOpen();
    void failedSaveKeepsTheOldFile();
    void helpFollowsPagesAndHints();
    void helpFollowsTheKeyboardFocus();
    void everyControlHasAUniqueNameAndADescription_data();
    void everyControlHasAUniqueNameAndADescription();
    void keyboardAloneChangesAPermissionAndSaves();
    void readAsksToSaveUnsavedEditsFirst();
    void printingGoesThroughThePinCheck();

private:
    std::unique_ptr<SettingsSandbox> m_sandbox;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<TAppForm> m_form;
    QTemporaryDir m_dir;

    QWidget* w(const QString& name) { return m_form->pages().widget(name); }
    void click(const QString& name) {
        auto* button = qobject_cast<QAbstractButton*>(w(name));
        QVERIFY2(button, qPrintable(name));
        button->click();
    }
    bool checked(const QString& name) {
        return qobject_cast<QAbstractButton*>(w(name))->isChecked();
    }
};

void TestEditorWindow::init() {
    m_sandbox = std::make_unique<SettingsSandbox>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_form = std::make_unique<TAppForm>(*m_dialogs, *m_dialogs, TAppForm::FirstShowSearch::Off);
    m_form->document().setWorkDir(m_dir.path() + "/");
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void TestEditorWindow::cleanup() {
    QVERIFY(m_dialogs->allAnswered());
    m_form->document().updateTitle();
    m_form.reset();
}

void TestEditorWindow::clickRunsTheRuleOnce() {
    m_form->setDeviceType(5);
    QSignalSpy captions(&m_form->document(), &Document::captionChanged);
    click("RBnab22");
    // Nichtamt: the external-call box is cleared and locked, in model and widget alike.
    QVERIFY(checked("RBnab22"));
    QVERIFY(!checked("RBvab22"));
    QVERIFY(!checked("CBarb22"));
    QVERIFY(!w("CBarb22")->isEnabled());
    QCOMPARE(m_form->model().state("CBarb22").checked, false);
    QCOMPARE(captions.count(), 1);
    QVERIFY(m_form->windowTitle().endsWith("Neu.tkx*"));

    click("RBvab22");
    QVERIFY(checked("CBarb22"));
    QVERIFY(w("CBarb22")->isEnabled());

    // Door permission off clears and locks the four bell buttons.
    click("CBtb22");
    for (int key = 1; key <= 4; ++key) {
        const QString box = QStringLiteral("CBTaste%1Ruf22").arg(key);
        QVERIFY(!checked(box));
        QVERIFY(!w(box)->isEnabled());
    }
    click("CBtb22");
    for (int key = 1; key <= 4; ++key)
        QVERIFY(checked(QStringLiteral("CBTaste%1Ruf22").arg(key)));
}

void TestEditorWindow::clickOnSelectedRadioRunsNothing() {
    m_form->setDeviceType(5);
    QVERIFY(checked("RBTelefon21"));
    QSignalSpy changes(&m_form->model(), &ConfigModel::controlChanged);
    click("RBTelefon21");
    QVERIFY(checked("RBTelefon21")); // the toolkit's own toggle must not clear it
    QCOMPARE(changes.count(), 0);
    QVERIFY(!m_form->document().isModified());
}

void TestEditorWindow::kindClicksKeepTheUniqueKinds() {
    m_form->setDeviceType(6);
    click("RBAnrufbeantworter22");
    for (int n : {1, 3, 4, 5, 6})
        QVERIFY(!w(QStringLiteral("RBAnrufbeantworter2%1").arg(n))->isEnabled());
    click("RBTelefon22");
    for (int n = 1; n <= 6; ++n)
        QVERIFY(w(QStringLiteral("RBAnrufbeantworter2%1").arg(n))->isEnabled());
    click("ButtonTlnAus");
    QVERIFY(!checked("CBTaste3Ruf24"));
    click("ButtonTlnEin");
    QVERIFY(checked("CBTaste3Ruf26"));
}

void TestEditorWindow::spinFieldsShowTheirSuffixAndRefuseTyping() {
    m_form->setDeviceType(4);
    auto* time = qobject_cast<QDoubleSpinBox*>(w("LMDExtSpinEditK1Time"));
    QCOMPARE(time->suffix(), QStringLiteral(" s"));
    QCOMPARE(time->decimals(), 1);
    auto* rings = qobject_cast<QDoubleSpinBox*>(w("LMDSpinEditAnzahlRufe"));
    QCOMPARE(rings->maximum(), 9.0);
    QCOMPARE(rings->decimals(), 0);
    const double before = rings->value();
    rings->setFocus();
    QTest::keyClicks(rings, "7");
    QCOMPARE(rings->value(), before);
    QTest::keyClick(rings, Qt::Key_Up);
    QCOMPARE(rings->value(), before + 1);
    QCOMPARE(m_form->model().state("LMDSpinEditAnzahlRufe").value, before + 1);
    QVERIFY(m_form->document().isModified());
}

void TestEditorWindow::pinFieldTakesDigitsOnly() {
    m_form->setDeviceType(4);
    auto* pin = qobject_cast<QLineEdit*>(w("LMDEditFernsteuerungPin"));
    pin->setFocus();
    pin->clear();
    QTest::keyClicks(pin, "1a2-b34 5");
    QCOMPARE(pin->text(), QStringLiteral("1234"));
    QCOMPARE(m_form->model().state("LMDEditFernsteuerungPin").text, QStringLiteral("1234"));
    QTest::keyClick(pin, Qt::Key_Backspace);
    QCOMPARE(m_form->model().state("LMDEditFernsteuerungPin").text, QStringLiteral("123"));
}

void TestEditorWindow::treePerType_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("0") << 0u
                       << QStringList{"Konfiguration", "Externanschluss", "Berechtigungen",
                                      "Rufverteilung"};
    QTest::newRow("2") << 2u
                       << QStringList{"Konfiguration", "Externanschluss", "Erweitert",
                                      "Berechtigungen", "Rufverteilung"};
    QTest::newRow("5") << 5u
                       << QStringList{"Konfiguration", "Externanschluss", "Nachwahl/Faxweiche",
                                      "Erweitert",     "Berechtigungen",  "Rufverteilung",
                                      "Schaltkontakt"};
    QTest::newRow("7") << 7u
                       << QStringList{"Konfiguration", "Externanschluss", "Nachwahl/Faxweiche",
                                      "Erweitert",     "Berechtigungen",  "Rufverteilung"};
}

void TestEditorWindow::treePerType() {
    QFETCH(uint, type);
    m_form->setDeviceType(type);
    QTEST(treeTexts(m_form->tree()), "texts");
    QVERIFY(!m_form->tree()->currentItem());
    for (QTreeWidgetItemIterator it(m_form->tree()); *it; ++it)
        QVERIFY((*it)->childCount() == 0 || (*it)->isExpanded());
}

void TestEditorWindow::pagesAndHelpTopics() {
    m_form->setDeviceType(4);
    QTreeWidget* tree = m_form->tree();
    const struct {
        const char* node;
        const char* pages;
        int topic;
    } rows[] = {
        {"Berechtigungen", "PanelTln", 3},           {"Rufverteilung", "PanelRuf", 4},
        {"Nachwahl/Faxweiche", "PanelNachwahl", 25}, {"Erweitert", "PanelExternErweitert", 29},
        {"Schaltkontakte", "PanelKontakte", 31},     {"Externanschluss", "PanelLtg", 2},
        {"Konfiguration", "PanelImage", 1}};
    for (const auto& row : rows) {
        tree->setCurrentItem(node(tree, row.node));
        QCOMPARE(visiblePages(*m_form), QString(row.pages));
        QCOMPARE(m_form->helpTopic(), row.topic);
    }
    // Types 5 and 6 name the contact page differently: shown in front of the start page,
    // with the start page's help.
    m_form->setDeviceType(6);
    tree->setCurrentItem(node(tree, "Schaltkontakt"));
    QCOMPARE(visiblePages(*m_form), QStringLiteral("PanelImage,PanelKontakte"));
    QCOMPARE(m_form->helpTopic(), 1);
}

void TestEditorWindow::clickOnSelectedNodeShowsItsPageAgain() {
    m_form->setDeviceType(5);
    QTreeWidget* tree = m_form->tree();
    clickNode(tree, node(tree, "Rufverteilung"));
    QCOMPARE(visiblePages(*m_form), QStringLiteral("PanelRuf"));
    m_form->page("PanelRuf")->hide();
    m_form->page("PanelTln")->show();
    clickNode(tree, node(tree, "Rufverteilung"));
    QCOMPARE(visiblePages(*m_form), QStringLiteral("PanelRuf"));
}

void TestEditorWindow::pinGateHoldsTheUserOnTheContactPage() {
    m_form->setDeviceType(6);
    QTreeWidget* tree = m_form->tree();
    clickNode(tree, node(tree, "Berechtigungen"));
    const int topic = m_form->helpTopic();
    click("RBKontakt1Fern");
    QCOMPARE(m_form->model().state("LMDEditFernsteuerungPin").text, QStringLiteral("0000"));
    m_dialogs->expect("MessageBox", DialogResult::Ok);
    clickNode(tree, node(tree, "Rufverteilung"));
    QCOMPARE(m_dialogs->shown.last().lines,
             QStringList{"Sie haben den Kontakt für Fernsteuern ausgewählt.\r\nDie PIN für "
                         "Fernsteuerung darf in diesem Fall nicht 0000 sein!"});
    QVERIFY(!m_form->page("PanelKontakte")->isHidden());
    QVERIFY(m_form->page("PanelRuf")->isHidden());
    QCOMPARE(m_form->helpTopic(), topic);
    QCOMPARE(QApplication::focusWidget(), w("LMDEditFernsteuerungPin"));
    // The tree highlights the page that is shown, not the one clicked.
    QTRY_COMPARE(tree->currentItem(), node(tree, "Schaltkontakt"));
    QCOMPARE(tree->selectedItems(), QList<QTreeWidgetItem*>{node(tree, "Schaltkontakt")});

    // Type 7 has no contact page and never holds the user.
    m_form->setDeviceType(7);
    m_form->model().setChecked("RBKontakt1Fern", true);
    clickNode(tree, node(tree, "Rufverteilung"));
    QCOMPARE(visiblePages(*m_form), QStringLiteral("PanelRuf"));
}

// On types 5 and 6 the contact page looks the same with the device picture behind it as
// without.
void TestEditorWindow::contactPageCoversThePicture() {
    QWidget* contacts = m_form->page("PanelKontakte");
    for (const DeviceType type : {5u, 6u}) {
        m_form->setDeviceType(type);
        clickNode(m_form->tree(), node(m_form->tree(), "Schaltkontakt"));
        QVERIFY(!m_form->page("PanelImage")->isHidden());
        const QImage seen = contacts->parentWidget()->grab(contacts->geometry()).toImage();
        m_form->page("PanelImage")->hide();
        QCOMPARE(contacts->parentWidget()->grab(contacts->geometry()).toImage(), seen);
    }
}

void TestEditorWindow::treeCaptionsFitTheColumn() {
    QTreeWidget* tree = m_form->tree();
    const int margin =
        2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1);
    for (DeviceType type = 0; type <= 7; ++type) {
        m_form->setDeviceType(type);
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            const QString text = (*it)->text(0);
            QVERIFY2(tree->fontMetrics().horizontalAdvance(text) + margin <=
                         tree->visualItemRect(*it).width(),
                     qPrintable(text));
        }
    }
    QCOMPARE(tree->width(), 161);
}

void TestEditorWindow::shortPinBringsTheContactPageBackWithoutSecondMessage() {
    m_form->setDeviceType(4);
    QTreeWidget* tree = m_form->tree();
    clickNode(tree, node(tree, "Schaltkontakte"));
    auto* pin = qobject_cast<QLineEdit*>(w("LMDEditFernsteuerungPin"));
    pin->setFocus();
    QTRY_VERIFY(pin->hasFocus());
    QTest::keyClick(pin, Qt::Key_Backspace);
    m_dialogs->expect("MessageBox", DialogResult::Ok);
    tree->setFocus(); // leaving the field with three digits
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->shown.last().lines,
             QStringList{"Die PIN für Fernsteuerung muss vierstellig sein!"});
    clickNode(tree, node(tree, "Berechtigungen"));
    QCOMPARE(m_dialogs->shown.size(), 1);
    QVERIFY(!m_form->page("PanelKontakte")->isHidden());
    QVERIFY(m_form->page("PanelTln")->isHidden());
}

void TestEditorWindow::layoutPerType_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<int>("shift");
    QTest::addColumn<int>("firstColumn");
    QTest::addColumn<QString>("topRow");
    QTest::addColumn<int>("contactLeft");
    for (uint t : {0u, 2u})
        QTest::addRow("%u", t) << t << 48 << 216 << "RBTelefon21" << 40;
    for (uint t : {1u, 3u})
        QTest::addRow("%u", t) << t << 24 << 216 << "RBTelefon21" << 40;
    QTest::newRow("5") << 5u << 24 << 152 << "RBTelefon21" << 112;
    QTest::newRow("4") << 4u << 0 << 216 << "RBNotruf21" << 40;
    for (uint t : {6u, 7u})
        QTest::addRow("%u", t) << t << 0 << 152 << "RBNotruf21" << 112;
}

void TestEditorWindow::layoutPerType() {
    QFETCH(uint, type);
    QFETCH(int, shift);
    QFETCH(int, firstColumn);
    QFETCH(QString, topRow);
    QFETCH(int, contactLeft);
    m_form->setDeviceType(type);
    const EditorPages::LayoutMemory& memory = m_form->pages().layoutMemory();
    QCOMPARE(w("PanelTyp1")->height(), memory.kindPanelHeights[0] - shift);
    QCOMPARE(w("PanelBerecht3")->y(), memory.permissionTops[2] - shift);
    QCOMPARE(w("lblTuer")->y(), memory.permissionLabelTops[3] - shift);
    QCOMPARE(w("PanelTyp1")->x(), firstColumn);
    QCOMPARE(w("PanelBerecht1")->x(), firstColumn);
    QCOMPARE(w("PanelTyp4")->x(), isSixExtension(type) ? 248 : 312);
    QCOMPARE(w(topRow)->y(), memory.kindButtonTops[0]);
    QCOMPARE(w("lblTypAB")->y() - w("lblTypTel")->y(), 24);
    QCOMPARE(w("PanelTyp6")->isHidden(), !isSixExtension(type));
    QCOMPARE(w("PanelRuf5")->isHidden(), !isSixExtension(type));
    QCOMPARE(w("PanelKontakt1")->x(), contactLeft);
    QCOMPARE(w("PanelKontakt2")->isHidden(), isSixExtension(type));
    QCOMPARE(w("RBFax23")->isHidden(), !deviceProfile(type).hasFax);
    QCOMPARE(w("lblTypNotruf")->isHidden(), !deviceProfile(type).hasEmergency);
    // The ring page keeps its places for every type.
    QCOMPARE(w("PanelRuf1")->x(), 152);
    // The start page picture sits in the middle of its page.
    const QWidget* picture = w("Image1");
    QCOMPARE(picture->x(), (368 - picture->width()) / 2);
    QCOMPARE(picture->y(), (388 - picture->height()) / 2);
}

void TestEditorWindow::layoutDoesNotDriftWhenSwitching() {
    m_form->setDeviceType(6);
    QHash<QString, QRect> before;
    const QStringList names{"PanelTyp1", "PanelTyp6",  "PanelBerecht2", "RBNotruf21",   "RBFax25",
                            "lblTypFax", "lblVollamt", "lblTypNotruf",  "PanelKontakt1"};
    for (const QString& name : names)
        before.insert(name, w(name)->geometry());
    m_form->setDeviceType(2);
    QVERIFY(w("RBNotruf21")->isHidden());
    QVERIFY(w("RBFax21")->isHidden());
    QVERIFY(w("PanelTyp5")->isHidden());
    m_form->setDeviceType(6);
    for (const QString& name : names)
        QCOMPARE(w(name)->geometry(), before.value(name));
    QVERIFY(!w("RBNotruf21")->isHidden());
    QVERIFY(!w("PanelTyp5")->isHidden());
    QVERIFY(!m_form->document().isModified());
}

void TestEditorWindow::headingsFollowTheType() {
    auto text = [this](const char* name) { return qobject_cast<QLabel*>(w(name))->text(); };
    m_form->setDeviceType(1);
    QCOMPARE(text("lblTlnAnschluss"), QStringLiteral("Nebenstelle"));
    QCOMPARE(text("lblRufAnschluss"), QStringLiteral("Nebenstelle"));
    QCOMPARE(text("lblKontakteHead"), QStringLiteral("Schaltkontakte"));
    QCOMPARE(text("lblTypTel"), QStringLiteral("Gerätetyp Telefon/Kombigerät"));
    m_form->setDeviceType(5);
    QCOMPARE(text("lblTlnAnschluss"), QStringLiteral("Anschluss"));
    QCOMPARE(text("lblKontakteHead"), QStringLiteral("Schaltkontakt"));
    QCOMPARE(text("lblTypTel"), QStringLiteral("Telefon/Kombigerät"));
    m_form->setDeviceType(2);
    QCOMPARE(text("lblKontakteHead"), QStringLiteral("Schaltkontakt")); // type 2 leaves it
    QCOMPARE(text("lblTypTel"), QStringLiteral("Gerätetyp Telefon/Fax/Kombigerät"));
}

void TestEditorWindow::openAcceptsLongFilesAndRejectsShortOnes() {
    m_form->setDeviceType(2);
    QByteArray image = fileBytes(76, '\0');
    m_form->model().encodeImage(m_form->images());
    const QByteArray fourImage = m_form->images().working(2);
    image.replace(0, 60, fourImage);
    const QString longFile = m_dir.filePath("sechs.tkx");
    writeFile(longFile, image);
    m_dialogs->expect("OpenDialog", DialogResult::Ok, longFile);
    m_form->openConfiguration();
    QCOMPARE(m_dialogs->lastFileRequest.proposedName, QStringLiteral("*.tkx"));
    QCOMPARE(m_form->windowTitle(),
             QStringLiteral("Talvaro - Konfigurator für Mirello 16 und Quenta 26 - sechs.tkx"));
    QVERIFY(!m_form->document().isUntitled());
    QCOMPARE(m_form->document().workDir(), m_dir.path() + "/");

    m_form->setDeviceType(6);
    m_form->markModified();
    const QByteArray sixBefore = m_form->images().working(6);
    const QString caption = m_form->windowTitle();
    for (const QByteArray& content : {fileBytes(60, '\1'), QByteArray()}) {
        const QString shortFile = m_dir.filePath("kurz.tkx");
        writeFile(shortFile, content);
        m_dialogs->expect("OpenDialog", DialogResult::Ok, shortFile);
        m_dialogs->expect("ErrorDialog", DialogResult::Ok);
        m_form->openConfiguration();
        QCOMPARE(m_dialogs->shown.last().caption, QStringLiteral("Fehler bei Dateizugriff"));
        QCOMPARE(m_dialogs->shown.last().lines,
                 QStringList({"Fehler!", "Die Datei ist keine Konfigurationsdatei!"}));
        QCOMPARE(m_form->images().working(6), sixBefore);
        QCOMPARE(m_form->windowTitle(), caption);
    }
}

void TestEditorWindow::saveAsWritesExactlyTheImage() {
    for (uint type : {3u, 7u}) {
        m_form->setDeviceType(type);
        const QString path = m_dir.filePath(QStringLiteral("typ%1.tkx").arg(type));
        m_dialogs->expect("SaveDialog", DialogResult::Ok, path);
        QCOMPARE(m_form->saveConfigurationAs(), 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), m_form->images().working(type));
        QCOMPARE(file.size(), isSixExtension(type) ? 76 : 60);
    }
    // Cancelled from the menu: nothing to do, no failure.
    m_dialogs->expect("SaveDialog", DialogResult::Cancel);
    QCOMPARE(m_form->saveConfigurationAs(), 0);
}

void TestEditorWindow::newConfigurationAfterOpen() {
    m_form->setDeviceType(5);
    const QString path = m_dir.filePath("alt.tkx");
    m_dialogs->expect("SaveDialog", DialogResult::Ok, path);
    m_form->saveConfigurationAs();
    click("RBnab23");
    m_form->newConfiguration();
    QCOMPARE(m_form->windowTitle(),
             QStringLiteral("Talvaro - Konfigurator für Mirello 16 - Neu.tkx"));
    QVERIFY(m_form->document().isUntitled());
    QVERIFY(checked("RBvab23"));
}

void TestEditorWindow::promptCancelledSaveStopsNewAndOpen() {
    m_form->setDeviceType(5);
    click("RBnab23");
    m_dialogs->expect("HinweisBox", DialogResult::Yes);
    m_dialogs->expect("SaveDialog", DialogResult::Cancel);
    m_form->findChild<QAction*>("FileNew1")->trigger();
    QCOMPARE(m_dialogs->shown.first().lines.last(),
             QStringLiteral("Wollen Sie die Daten jetzt speichern?"));
    QVERIFY(checked("RBnab23")); // the edit survived
    QVERIFY(m_form->document().isModified());

    // "&Nein" drops the changes and goes on.
    m_dialogs->expect("HinweisBox", DialogResult::No);
    m_form->findChild<QAction*>("FileNew1")->trigger();
    QVERIFY(checked("RBvab23"));
    QVERIFY(!m_form->document().isModified());
}

void TestEditorWindow::failedSaveKeepsTheOldFile() {
    m_form->setDeviceType(5);
    const QString folder = m_dir.filePath("gesperrt");
    QDir().mkpath(folder);
    const QString path = folder + "/anlage.tkx";
    writeFile(path, "alter Inhalt");
    // Even root cannot create files in an immutable folder.
    if (QProcess::execute("chattr", {"+i", folder}) != 0)
        QSKIP("cannot lock a folder on this file system");
    m_dialogs->expect("SaveDialog", DialogResult::Ok, path);
    m_dialogs->expect("MessageBox", DialogResult::Ok);
    const int result = m_form->saveConfigurationAs();
    QProcess::execute("chattr", {"-i", folder});
    QCOMPARE(result, -1);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("alter Inhalt"));
    QCOMPARE(m_form->document().filePath(), path); // keeps the chosen name
}

void TestEditorWindow::helpFollowsPagesAndHints() {
    m_form->setDeviceType(1);
    m_form->tree()->setCurrentItem(node(m_form->tree(), "Berechtigungen"));
    QVERIFY(m_form->infoText()->toPlainText().contains("Nebenstelle"));
    m_form->onHint("|16");
    QCOMPARE(m_form->helpTopic(), 16);
    const QString amtsholung = m_form->infoText()->toPlainText();
    QVERIFY(!amtsholung.isEmpty());
    m_form->onHint("Drucken|"); // an empty long hint keeps the panel
    QCOMPARE(m_form->infoText()->toPlainText(), amtsholung);
    m_form->onHint("|Hilfe");
    QVERIFY(m_form->infoText()->toPlainText().isEmpty());
    // Hints carry no tooltip and sit where the help table puts them.
    QCOMPARE(w("PanelAmtsholung")->statusTip(), QStringLiteral("|16"));
    QVERIFY(w("PanelAmtsholung")->toolTip().isEmpty());
    QCOMPARE(m_form->findChild<QAction*>("FileOpen1")->statusTip(), QStringLiteral("|9"));
    QCOMPARE(m_form->findChild<QWidget*>("SpeedButton2")->statusTip(), QStringLiteral("|5"));
}

void TestEditorWindow::helpFollowsTheKeyboardFocus() {
    m_form->setDeviceType(5);
    m_form->tree()->setCurrentItem(node(m_form->tree(), "Externanschluss"));
    QCOMPARE(m_form->helpTopic(), 2);
    w("RBWartemusikJa")->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(m_form->helpTopic(), 19);
    w("RBAmtsholungJa")->setFocus(Qt::ShortcutFocusReason);
    QTRY_COMPARE(m_form->helpTopic(), 16);
    // Focus the program moves itself leaves the help where it is.
    w("RBHeranholenJa")->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), w("RBHeranholenJa"));
    QCoreApplication::processEvents();
    QCOMPARE(m_form->helpTopic(), 16);
}

void TestEditorWindow::everyControlHasAUniqueNameAndADescription_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QString>("node");
    for (uint type = 0; type <= HighestDeviceType; ++type)
        for (const NavigationNode& node : navigationNodes(type))
            QTest::addRow("%u %s", type, qPrintable(node.text)) << type << node.text;
}

void TestEditorWindow::everyControlHasAUniqueNameAndADescription() {
    QFETCH(uint, type);
    QFETCH(QString, node);
    m_form->setDeviceType(type);
    m_form->tree()->setCurrentItem(::node(m_form->tree(), node));
    QList<QAccessibleInterface*> controls;
    focusableControls(QAccessible::queryAccessibleInterface(m_form.get()), controls);
    QStringList names;
    for (QAccessibleInterface* control : controls) {
        const QString name = control->text(QAccessible::Name);
        QVERIFY2(!name.isEmpty() && !names.contains(name) &&
                     !control->text(QAccessible::Description).isEmpty(),
                 qPrintable(name + " / " + control->object()->objectName()));
        names << name;
    }
    // The grid's names follow the type's word and number of extensions.
    QVERIFY(node != "Berechtigungen" ||
            names.contains(QStringLiteral("%1 %2: türberechtigt")
                               .arg(type == 1 ? "Nebenstelle" : "Anschluss")
                               .arg(familyProfile(type).extensions)));
}

// From the start, with keys alone: through the tree to "Berechtigungen", a permission
// chosen with the arrow keys, and the file saved from the menu.
void TestEditorWindow::keyboardAloneChangesAPermissionAndSaves() {
    // Keys go where the window sends them: to an open menu, else to the focus.
    const auto press = [](Qt::Key key) {
        QWidget* popup = QApplication::activePopupWidget();
        QTest::keyClick(popup ? popup : QApplication::focusWidget(), key);
    };
    const auto focusName = [] { return QApplication::focusWidget()->accessibleName(); };
    for (int i = 0; i < 5 && QApplication::focusWidget() != m_form->tree(); ++i)
        press(Qt::Key_Tab);
    for (int i = 0; i < 6 && visiblePages(*m_form) != "PanelTln"; ++i)
        press(Qt::Key_Down);

    // One stop per radio group; the kinds of all six extensions before the permissions.
    for (int i = 0; i < 7; ++i)
        press(Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("Anschluss 1: amtsberechtigt"));
    press(Qt::Key_Down);
    QCOMPARE(focusName(), QStringLiteral("Anschluss 1: halbamtsberechtigt"));

    // Alt reaches the menu bar; "In Datei speichern..." is the sixth entry of the first menu.
    const QString path = m_dir.filePath("tastatur.tkx");
    m_dialogs->expect("SaveDialog", DialogResult::Ok, path);
    for (Qt::Key key : {Qt::Key_Alt, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down,
                        Qt::Key_Down, Qt::Key_Down, Qt::Key_Return})
        press(key);
    m_form->newConfiguration();
    m_form->openConfigurationFile(path);
    QVERIFY(checked("RBhab21"));
}

void TestEditorWindow::readAsksToSaveUnsavedEditsFirst() {
    m_form->setDeviceType(5);
    click("RBnab23");
    m_dialogs->expect("HinweisBox", DialogResult::Cancel);
    m_form->findChild<QAction*>("Download")->trigger();
    // "Abbrechen" stops the read before any search or exchange.
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->shown.first().lines,
             QStringList({"Die Daten wurden geändert und nicht gespeichert!",
                          "Wollen Sie die Daten jetzt speichern?"}));
    QVERIFY(checked("RBnab23"));
    QVERIFY(m_form->document().isModified());
}

void TestEditorWindow::printingGoesThroughThePinCheck() {
    m_form->setDeviceType(4);
    m_form->model().setChecked("RBKontakt2Fern", true);
    m_dialogs->expect("MessageBox", DialogResult::Ok);
    m_form->findChild<QAction*>("Print1")->trigger();
    QVERIFY(m_dialogs->shown.last().lines.first().startsWith("Sie haben mindestens einen Kontakt"));

    m_form->model().setChecked("RBKontakt2Intern", true);
    const QString pdf = m_dir.filePath("bericht.pdf");
    m_dialogs->expect("PrintDialog", DialogResult::Ok, pdf);
    m_form->findChild<QAction*>("Print1")->trigger();
    QVERIFY(QFileInfo(pdf).size() > 0);
    QCOMPARE(m_form->reportLines().first(), QStringLiteral("Quenta 14 Konfiguration"));
    QVERIFY(m_form->reportLines().contains("<U>Schaltkontakte"));
    QVERIFY(m_form->reportLines().contains("   Schaltkontakt 2 aktivieren durch: Interntelefon"));
    // Number fields appear as the window shows them.
    const QString time = qobject_cast<QDoubleSpinBox*>(w("LMDExtSpinEditK1Time"))->text();
    QVERIFY(m_form->reportLines().contains("   Schaltkontakt 1: Kontaktschaltzeit in Sekunden = " +
                                           time));
}

QTEST_MAIN(TestEditorWindow)
#include "test_editor_window.moc"
