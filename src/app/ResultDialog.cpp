#include "ResultDialog.h"

#include <QKeyEvent>
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
    if (mayClose())
        finish(DialogResult::Cancel);
}

void ResultDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier)
        return QDialog::keyPressEvent(event);
    if (m_escape && mayClose())
        finish(*m_escape);
}

void ResultDialog::setDefaultButton(QPushButton* button) {
    button->setDefault(true);
    if (!m_firstFocus)
        m_firstFocus = button;
}

void ResultDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_firstFocus && m_firstFocus->isEnabled())
        m_firstFocus->setFocus();
}

QPushButton* ResultDialog::addResultButton(const QString& text, DialogResult result) {
    auto* button = new QPushButton(text, this);
    connect(button, &QPushButton::clicked, this, [this, result] { finish(result); });
    return button;
}

} // namespace talvaro
