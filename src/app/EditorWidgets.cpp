#include "EditorWidgets.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

namespace talvaro {

SpinEdit::SpinEdit(QWidget* parent) : QDoubleSpinBox(parent) {
    setLocale(QLocale(QLocale::German, QLocale::Germany)); // "0,5 s"
    lineEdit()->setReadOnly(true);
    setKeyboardTracking(false);
}

PinEdit::PinEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(4);
    // Pasted text must obey the same rule as typed keys.
    setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), this));
}

void PinEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool digit =
        text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9');
    if (digit || event->key() == Qt::Key_Backspace)
        QLineEdit::keyPressEvent(event);
    else
        event->accept(); // dropped
}

void PinEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A message box or another window taking over is no leaving of the field; reacting
    // to it would answer the message with the next one.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit left();
}

} // namespace talvaro
