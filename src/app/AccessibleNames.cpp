#include "AccessibleNames.h"

#include "EditorPages.h"
#include "EditorWidgets.h"
#include "help/HelpHints.h"
#include "help/HelpTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>

#include <utility>

namespace talvaro {
namespace {

// The tool bar's buttons are named after the actions they trigger.
constexpr std::pair<const char*, const char*> ToolButtonActions[] = {
    {"ToolButton10", "Print1"}, {"SpeedButton2", "Download"}, {"SpeedButton1", "Upload"}};

QString joined(const QString& caption, const QString& text) {
    return caption.isEmpty() ? text : caption + QStringLiteral(": ") + text;
}

// The bold caption of the panel or block that holds `control`, looked for from its parent
// up to the page; empty for a control that stands on the page itself.
QString groupCaption(const QWidget* control, const QWidget* page) {
    for (const QWidget* group = control->parentWidget(); group && group != page;
         group = group->parentWidget())
        for (const QLabel* label : group->findChildren<QLabel*>())
            if (label->font().bold())
                return label->text();
    return {};
}

// The label left of `field` on the same row.
QString labelBeside(const QWidget* field) {
    const QRect place = field->geometry();
    for (const QLabel* label :
         field->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        const QRect l = label->geometry();
        if (l.x() < place.x() && l.top() <= place.bottom() && place.top() <= l.bottom())
            return label->text().trimmed();
    }
    return {};
}

QString columnOf(const EditorPages::GridCell& cell) {
    return cell.columnWord->text() + QLatin1Char(' ') + cell.columnNumber->text();
}

void nameGridCells(const EditorPages& pages) {
    for (const EditorPages::GridCell& cell : pages.permissionCells())
        cell.control->setAccessibleName(columnOf(cell) + QStringLiteral(": ") + cell.row->text());
    for (const EditorPages::GridCell& cell : pages.ringCells())
        cell.control->setAccessibleName(cell.row->text() + QStringLiteral(" ruft ") +
                                        columnOf(cell));
}

// Choices carry their own text, fields the label beside them; both after the caption of
// their panel, which tells "ja" from "ja" and one contact's "Schaltzeit" from the other's.
void nameChoicesAndFields(const QWidget* page) {
    for (QAbstractButton* choice : page->findChildren<QAbstractButton*>())
        if (choice->isCheckable() && !choice->text().isEmpty())
            choice->setAccessibleName(joined(groupCaption(choice, page), choice->text()));
    QList<QWidget*> fields;
    for (SpinEdit* spin : page->findChildren<SpinEdit*>())
        fields << spin;
    for (PinEdit* pin : page->findChildren<PinEdit*>())
        fields << pin;
    for (QWidget* field : fields)
        field->setAccessibleName(joined(groupCaption(field, page), labelBeside(field)));
}

void nameWindowParts(QWidget& window) {
    for (const auto& [buttonName, actionName] : ToolButtonActions) {
        auto* button = window.findChild<QWidget*>(QLatin1String(buttonName));
        const auto* action = window.findChild<QAction*>(QLatin1String(actionName));
        if (button && action)
            button->setAccessibleName(action->iconText()); // without "&" and "..."
    }
    // Without a name the bar would be announced by its object name.
    if (auto* bar = window.findChild<QWidget*>(QStringLiteral("ToolBar1")))
        bar->setAccessibleName(QStringLiteral("Symbolleiste"));
    if (auto* tree = window.findChild<QWidget*>(QStringLiteral("TreeView1")))
        tree->setAccessibleName(QStringLiteral("Seiten"));
    const auto* helpHeader = window.findChild<QLabel*>(QStringLiteral("PanelInfoHead"));
    if (auto* help = window.findChild<QWidget*>(QStringLiteral("InfoText")); help && helpHeader)
        help->setAccessibleName(helpHeader->text());
}

// The topic of the nearest area that carries one; the start page's for the tree and the
// help panel, which belong to every page.
int topicOf(const QWidget* control) {
    for (const QWidget* w = control; w; w = w->parentWidget())
        if (const std::optional<int> topic = helpTopicFor(w->objectName()))
            return *topic;
    return helpTopicFor(QStringLiteral("PanelImage")).value_or(0);
}

} // namespace

void describeWindowControls(QWidget& window, const EditorPages& pages, DeviceType type) {
    for (const QWidget* page : pages.pageWidgets())
        nameChoicesAndFields(page);
    nameGridCells(pages);
    nameWindowParts(window);
    for (QWidget* control : window.findChildren<QWidget*>())
        if (control->focusPolicy() != Qt::NoFocus)
            control->setAccessibleDescription(helpTopicTitle(topicOf(control), type));
}

} // namespace talvaro
