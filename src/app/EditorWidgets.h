#pragma once

#include <QDoubleSpinBox>
#include <QLineEdit>

namespace talvaro {

// A number field that changes only through its spin buttons or the arrow keys.
class SpinEdit : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(QWidget* parent = nullptr);
};

// The remote-control PIN: digits and backspace only, four characters at most.
class PinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit PinEdit(QWidget* parent = nullptr);

signals:
    void left(); // the field lost the keyboard focus

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

} // namespace talvaro
