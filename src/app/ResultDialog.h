#pragma once

#include "model/Dialogs.h"

#include <QDialog>

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
    void reject() override;

protected:
    // A push button that ends the dialog with `result` when clicked.
    QPushButton* addResultButton(const QString& text, DialogResult result);

private:
    DialogResult m_outcome = DialogResult::Cancel;
};

QFont dialogFont();

} // namespace talvaro
