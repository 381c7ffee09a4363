#include "HintFilter.h"

#include "HelpHints.h"

#include <QAction>
#include <QEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QWidget>

namespace talvaro {
namespace {

bool hasEmptyShortHint(const QString& hint) {
    return hint.startsWith(QLatin1Char('|'));
}

// A widget repeats its own status tip when the mouse enters it and an empty one when
// it leaves; the enter and leave handling already covers those.
bool isOwnEcho(const QObject* receiver, const QString& tip) {
    const auto* w = qobject_cast<const QWidget*>(receiver);
    if (!w || w->statusTip().isEmpty())
        return false;
    return tip.isEmpty() || tip == w->statusTip();
}

bool isKeyboardFocus(const QEvent* event) {
    switch (static_cast<const QFocusEvent*>(event)->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        return true;
    default:
        return false;
    }
}

} // namespace

HintFilter::HintFilter(QObject* parent) : QObject(parent) {}

QString HintFilter::inheritedHint(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (!w->statusTip().isEmpty())
            return w->statusTip();
        if (w->isWindow())
            break;
    }
    return {};
}

bool HintFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Enter:
        if (auto* w = qobject_cast<QWidget*>(watched))
            setPending(inheritedHint(w));
        break;
    case QEvent::Leave:
        // Where the mouse went is known once all leave and enter events of the move
        // have passed: the last one decides, so the parent's hint is only a candidate.
        if (auto* w = qobject_cast<QWidget*>(watched))
            setPending(w->isWindow() ? QString() : inheritedHint(w->parentWidget()));
        break;
    case QEvent::FocusIn:
        // Tab and shortcuts move the keyboard; focus set by the program itself (the PIN
        // check) or by a click leaves the help to the page and the mouse.
        if (auto* w = qobject_cast<QWidget*>(watched); w && isKeyboardFocus(event))
            setPending(inheritedHint(w));
        break;
    case QEvent::StatusTip: {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        // A highlighted menu entry counts at once: opening a menu also makes the mouse
        // leave the window's controls, and that must not replace the entry's hint.
        if (!isOwnEcho(watched, tip)) {
            m_pending.clear();
            emit hintChanged(tip);
        }
        return true; // the status bar shows device information, never hints
    }
    case QEvent::ToolTip:
        if (auto* w = qobject_cast<QWidget*>(watched); w && hasEmptyShortHint(w->statusTip()))
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void HintFilter::setPending(const QString& hint) {
    m_pending = hint;
    if (m_scheduled)
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &HintFilter::flush, Qt::QueuedConnection);
}

void HintFilter::flush() {
    m_scheduled = false;
    emit hintChanged(m_pending);
}

void setHelpHint(QObject* target, int topic) {
    const QString hint = helpHint(topic);
    if (auto* menu = qobject_cast<QMenu*>(target))
        menu->menuAction()->setStatusTip(hint);
    else if (auto* w = qobject_cast<QWidget*>(target))
        w->setStatusTip(hint);
    else if (auto* a = qobject_cast<QAction*>(target))
        a->setStatusTip(hint);
}

void assignHelpHints(QObject* root) {
    // A menu bar highlights its titles without announcing their hints; let it.
    QList<QMenuBar*> bars = root->findChildren<QMenuBar*>();
    if (auto* bar = qobject_cast<QMenuBar*>(root))
        bars.append(bar);
    for (QMenuBar* bar : bars)
        QObject::connect(bar, &QMenuBar::hovered, bar,
                         [bar](QAction* title) { title->showStatusText(bar); });

    for (const HelpHintAssignment& a : helpHintAssignments()) {
        const QString name = QLatin1String(a.objectName);
        if (root->objectName() == name)
            setHelpHint(root, a.topic);
        for (QObject* o : root->findChildren<QObject*>(name))
            setHelpHint(o, a.topic);
    }
    for (const TextHintAssignment& a : textHintAssignments())
        for (QMenu* menu : root->findChildren<QMenu*>(QLatin1String(a.objectName)))
            menu->menuAction()->setStatusTip(QString::fromUtf8(a.hint));
}

} // namespace talvaro
