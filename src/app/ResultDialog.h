#pragma once

#include "model/Dialogs.h"

#include <QDialog>

#include <optional>

class QPushButton;

namespace talvaro {

// A fixed-size dialog that ends with one of the program's dialog results.
class ResultDialog : public QDialog {
    Q_OBJECT
public:
    explicit ResultDialog(const QString& caption, QWidget* parent = nullptr);

    DialogResult outcome() const { return m_outcome; }
    // Runs the dialog modally and answers how it ended.
    DialogResult run();

    void finish(DialogResult result);
    // The close box; refused while the dialog may not close.
    void reject() override;

    // The answer of the Escape key, Cancel unless set; none makes Escape do nothing.
    void setEscapeResult(std::optional<DialogResult> result) { m_escape = result; }

protected:
    // A push button that ends the dialog with `result` when clicked. Like any dialog
    // button it answers Return while it has the focus.
    QPushButton* addResultButton(const QString& text, DialogResult result);
    // The button that answers Return while no other button has the focus.
    void setDefaultButton(QPushButton* button);
    // Where every showing puts the focus, not where the last use left it: the default
    // button unless set.
    void setFirstFocus(QWidget* widget) { m_firstFocus = widget; }
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // False while the dialog must stay open whatever the user does.
    virtual bool mayClose() const { return true; }

private:
    DialogResult m_outcome = DialogResult::Cancel;
    std::optional<DialogResult> m_escape = DialogResult::Cancel;
    QWidget* m_firstFocus = nullptr;
};

QFont dialogFont();

} // namespace talvaro
