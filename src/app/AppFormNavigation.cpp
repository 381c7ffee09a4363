// Page navigation: the tree on the left chooses the page in the middle and its help.
#include "AppForm.h"

#include "EditorPages.h"
#include "help/HelpHints.h"
#include "help/HelpPanel.h"

#include <QTextEdit>
#include <QTreeWidget>

#include <array>

namespace talvaro {
namespace {

struct PageRow {
    const char* node;
    const char* page;
    int topic;
};

// The first matching node text decides; any other text shows the contact page in front
// of the start page with the start page's help.
constexpr std::array<PageRow, 7> PageRows{{
    {"Konfiguration", "PanelImage", 1},
    {"Externanschluss", "PanelLtg", 2},
    {"Berechtigungen", "PanelTln", 3},
    {"Rufverteilung", "PanelRuf", 4},
    {"Nachwahl/Faxweiche", "PanelNachwahl", 25},
    {"Erweitert", "PanelExternErweitert", 29},
    {"Schaltkontakte", "PanelKontakte", 31},
}};
constexpr int OtherNodeTopic = 1;

} // namespace

void TAppForm::showPage(const QTreeWidgetItem* node) {
    const QString text = node->text(0);
    if (!model().checkPinOnLeave(true)) {
        selectContactNodeLater();
        return;
    }
    QStringList shown{QStringLiteral("PanelKontakte"), QStringLiteral("PanelImage")};
    int topic = OtherNodeTopic;
    for (const PageRow& row : PageRows) {
        if (text == QLatin1String(row.node)) {
            shown = QStringList{QString::fromLatin1(row.page)};
            topic = row.topic;
            break;
        }
    }
    for (const QString& name : PageNames)
        page(name)->setVisible(shown.contains(name));
    showHelpTopic(topic);
}

void TAppForm::showHelpTopic(int topic) {
    m_helpTopic = topic;
    m_help->showHelpTopic(topic);
}

void TAppForm::onHint(const QString& hint) {
    if (const auto topic = topicOfHint(hint))
        showHelpTopic(*topic);
}

void TAppForm::TreeView1Change(QTreeWidgetItem* current) {
    // Clearing the tree reports a change to no node.
    if (current)
        showPage(current);
}

void TAppForm::TreeView1Click() {
    // A click that changed the selection has shown its page already; only a click on
    // the selected node shows it again.
    const QTreeWidgetItem* node = TreeView1->currentItem();
    if (node && node == m_currentAtPress)
        showPage(node);
}

void TAppForm::TreeView1Enter() {
    model().checkPinOnLeave(false);
}

} // namespace talvaro
