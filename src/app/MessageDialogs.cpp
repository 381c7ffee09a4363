#include "MessageDialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace talvaro {
namespace {

const QSize PictureDialogSize(321, 165);
const QSize PlainDialogSize(313, 214);

QLabel* pictureLabel(TMessageDialog::Picture picture, QWidget* parent) {
    const QStyle::StandardPixmap pixmap = picture == TMessageDialog::Picture::Error
                                              ? QStyle::SP_MessageBoxCritical
                                              : QStyle::SP_MessageBoxQuestion;
    auto* label = new QLabel(parent);
    label->setPixmap(parent->style()->standardIcon(pixmap).pixmap(32, 32));
    label->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    return label;
}

} // namespace

TMessageDialog::TMessageDialog(const QString& caption, Picture picture, QSize clientSize,
                               QWidget* parent)
    : ResultDialog(caption, parent) {
    setFixedSize(clientSize);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto* frameLayout = new QHBoxLayout(frame);
    if (picture != Picture::None)
        frameLayout->addWidget(pictureLabel(picture, frame));

    // Read-only, borderless, in the dialog's colour and out of the focus chain: a click
    // into it leaves the focus on the buttons.
    m_message = new QPlainTextEdit(frame);
    m_message->setObjectName(QStringLiteral("Message"));
    m_message->setReadOnly(true);
    m_message->setFrameShape(QFrame::NoFrame);
    m_message->setFocusPolicy(Qt::NoFocus);
    m_message->viewport()->setAutoFillBackground(false);
    m_message->setStyleSheet(QStringLiteral("background: transparent;"));
    frameLayout->addWidget(m_message, 1);

    m_buttons = new QHBoxLayout;
    m_buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(m_buttons);
}

void TMessageDialog::showEvent(QShowEvent* event) {
    ResultDialog::showEvent(event);
    // The text has no label of its own; the caption the caller gave says what it is.
    m_message->setAccessibleName(windowTitle());
}

QPushButton* TMessageDialog::addOkButton() {
    QPushButton* ok = addResultButton(QStringLiteral("OK"), DialogResult::Ok);
    setDefaultButton(ok);
    setEscapeResult(DialogResult::Ok);
    m_buttons->addWidget(ok);
    m_buttons->addStretch();
    return ok;
}

void TMessageDialog::addLine(const QString& line) {
    m_message->appendPlainText(line);
}

void TMessageDialog::clearMessage() {
    m_message->clear();
}

QStringList TMessageDialog::lines() const {
    const QString text = m_message->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

TErrorDialog::TErrorDialog(QWidget* parent)
    : TMessageDialog(QString(), Picture::Error, PictureDialogSize, parent) {
    setObjectName(QStringLiteral("ErrorDialog"));
    addOkButton();
}

THinweisBox::THinweisBox(QWidget* parent)
    : TMessageDialog(QStringLiteral("Hinweis"), Picture::Question, PictureDialogSize, parent) {
    setObjectName(QStringLiteral("HinweisBox"));
    // "&Ja" has the focus when shown.
    QPushButton* yes = addResultButton(QStringLiteral("&Ja"), DialogResult::Yes);
    setDefaultButton(yes);
    buttonRow()->addWidget(yes);
    buttonRow()->addWidget(addResultButton(QStringLiteral("&Nein"), DialogResult::No));
    buttonRow()->addWidget(addResultButton(QStringLiteral("Abbrechen"), DialogResult::Cancel));
    buttonRow()->addStretch();
}

TErgebnisDialog::TErgebnisDialog(QWidget* parent)
    : TMessageDialog(QString(), Picture::None, PlainDialogSize, parent) {
    setObjectName(QStringLiteral("ErgebnisDialog"));
    addOkButton();
}

TProgErgebnisDialog::TProgErgebnisDialog(QWidget* parent, int restartDelayMs)
    : TMessageDialog(QString(), Picture::None, PlainDialogSize, parent) {
    setObjectName(QStringLiteral("ProgErgebnisDialog"));
    m_ok = addOkButton();
    m_timer.setSingleShot(true);
    m_timer.setInterval(restartDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &TProgErgebnisDialog::restartDone);
}

void TProgErgebnisDialog::showEvent(QShowEvent* event) {
    TMessageDialog::showEvent(event);
    m_timer.start();
    m_ok->setFocus();
    m_ok->setEnabled(false);
}

void TProgErgebnisDialog::restartDone() {
    m_timer.stop();
    m_ok->setEnabled(true);
    m_ok->setFocus();
    addLine(QStringLiteral("Die Anlage wurde neu gestartet."));
}

TUpDownLoad::TUpDownLoad(QWidget* parent)
    : TMessageDialog(QStringLiteral("Datenügertragung"), Picture::None, PlainDialogSize, parent) {
    setObjectName(QStringLiteral("UpDownLoad"));
    // The button has no action and Escape none either: only the close box or the
    // exchange ends the window.
    setEscapeResult(std::nullopt);
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    buttonRow()->addWidget(cancel);
    buttonRow()->addStretch();
}

void TUpDownLoad::showEvent(QShowEvent* event) {
    TMessageDialog::showEvent(event);
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
}

void TUpDownLoad::hideEvent(QHideEvent* event) {
    TMessageDialog::hideEvent(event);
    if (!event->spontaneous())
        closed();
}

void TUpDownLoad::closeTransfer() {
    if (isVisible())
        close();
    else
        closed();
}

void TUpDownLoad::closed() {
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
    if (m_closed)
        m_closed();
}

} // namespace talvaro
