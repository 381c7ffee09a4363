#include "ResultDialog.h"

#include <QPushButton>

namespace talvaro {

QFont dialogFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    return font;
}

ResultDialog::ResultDialog(const QString& caption, QWidget* parent) : QDialog(parent) {
    setWindowTitle(caption);
    setFont(dialogFont());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
}

DialogResult ResultDialog::run() {
    m_outcome = DialogResult::Cancel;
    exec();
    return m_outcome;
}

void ResultDialog::finish(DialogResult result) {
    m_outcome = result;
    done(result == DialogResult::Cancel ? Rejected : Accepted);
}

void ResultDialog::reject() {
    finish(DialogResult::Cancel);
}

QPushButton* ResultDialog::addResultButton(const QString& text, DialogResult result) {
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, result] { finish(result); });
    return button;
}

} // namespace talvaro
