#pragma once

#include <QObject>
#include <QString>

class QWidget;

// Application-wide hint tracking. A control's hint is its status tip ("|" + topic for
// help); the filter reports the hint of the widget the mouse rests on (or of its nearest
// ancestor carrying one) and of the highlighted menu entry. Hints never reach the status
// bar, and a hint with an empty short part shows no tooltip.
namespace talvaro {

class HintFilter : public QObject {
    Q_OBJECT
public:
    explicit HintFilter(QObject* parent = nullptr);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // The hint that applies to `widget`: its own, else that of the closest ancestor
    // within the same window.
    static QString inheritedHint(const QWidget* widget);

signals:
    // The current hint; may repeat the previous one.
    void hintChanged(const QString& hint);

private:
    void setPending(const QString& hint);
    void flush();

    QString m_pending;
    bool m_scheduled = false;
};

// Gives every object below `root` (and `root` itself) named in the help table its hint;
// menus carry theirs on their menu entry, and menu bar titles announce their hints when
// highlighted. Call once per window.
void assignHelpHints(QObject* root);

// Sets "|" + topic as the hint of a widget, action or menu.
void setHelpHint(QObject* target, int topic);

} // namespace talvaro
