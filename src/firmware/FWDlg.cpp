#include "FWDlg.h"

#include "firmware/FirmwareUpdate.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace talvaro {
namespace {

const QStringList Memo1Lines = {
    QStringLiteral("Bitte sichern Sie vor dem Einspielen der neuen Firmware ihre "),
    QStringLiteral("Einstellungen ."),
    QStringLiteral("Es kann sein, dass die Einstellungen nach dem Einspielen auf die "),
    QStringLiteral("Werkseinstellungen zurückgestellt werden."),
    QString(),
    QStringLiteral("Wählen Sie eine Firmwaredatei aus."),
    QStringLiteral("Klicken Sie dann auf Start, um mit dem Einspielen zu beginnen."),
};

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TFirmwareDlg::TFirmwareDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FirmwareDlg"));
    setWindowTitle(QStringLiteral("Firmware Update"));
    setModal(true);

    Memo1 = named(new QPlainTextEdit(Memo1Lines.join(QLatin1Char('\n')), this), "Memo1");
    Memo1->setReadOnly(true);
    Label2 = named(new QLabel(QStringLiteral("Datei"), this), "Label2");
    Filename = named(new QLineEdit(this), "Filename");
    BtnSuchen = named(new QPushButton(QStringLiteral("..."), this), "BtnSuchen");
    Label1 = named(new QLabel(QStringLiteral("Fortschritt"), this), "Label1");
    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    OKBtn = named(new QPushButton(QStringLiteral("Start"), this), "OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = named(new QPushButton(QStringLiteral("Abbrechen"), this), "CancelBtn");
    Label2->setBuddy(Filename);
    // What a screen reader says: the labels beside the fields, the window's title for its
    // text, and for "..." what the text asks the user to do.
    Memo1->setAccessibleName(windowTitle());
    Filename->setAccessibleName(Label2->text());
    BtnSuchen->setAccessibleName(QStringLiteral("Firmwaredatei auswählen"));
    ProgressBar1->setAccessibleName(Label1->text());

    auto* fields = new QGridLayout;
    fields->addWidget(Label2, 0, 0);
    fields->addWidget(Filename, 0, 1);
    fields->addWidget(BtnSuchen, 0, 2);
    fields->addWidget(Label1, 1, 0);
    fields->addWidget(ProgressBar1, 1, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(BtnSuchen, &QPushButton::clicked, this, &TFirmwareDlg::BtnSuchenClick);
    connect(OKBtn, &QPushButton::clicked, this, &TFirmwareDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TFirmwareDlg::reject);
    connect(this, &QDialog::finished, this, [this] {
        if (m_update)
            m_update->dialogClosed();
    });
}

void TFirmwareDlg::setController(FirmwareUpdate* update) {
    if (m_update)
        m_update->setView(nullptr);
    m_update = update;
    if (m_update)
        m_update->setView(this);
}

void TFirmwareDlg::FormShow() {
    Filename->setEnabled(true);
    BtnSuchen->setEnabled(true);
    ProgressBar1->setValue(0);
}

void TFirmwareDlg::BtnSuchenClick() {
    if (!m_update)
        return;
    const QString chosen = m_update->chooseFile();
    if (!chosen.isEmpty())
        Filename->setText(chosen);
}

void TFirmwareDlg::OKBtnClick() {
    if (m_update)
        m_update->OKBtnClick(Filename->text());
}

void TFirmwareDlg::waitingForLoader(bool waiting) {
    // Pressed again meanwhile, "Start" would wake the loader a second time.
    OKBtn->setEnabled(!waiting);
}

void TFirmwareDlg::transferStarting() {
    OKBtn->setEnabled(false);
    CancelBtn->setEnabled(false);
    Filename->setEnabled(false);
    BtnSuchen->setEnabled(false);
}

void TFirmwareDlg::setProgress(int percent) {
    ProgressBar1->setValue(percent);
}

void TFirmwareDlg::transferEnded() {
    CancelBtn->setEnabled(true);
    OKBtn->setEnabled(true);
}

void TFirmwareDlg::closeDialog() {
    done(QDialog::Rejected);
}

bool TFirmwareDlg::FormCloseQuery() const {
    return !m_update || m_update->FormCloseQuery();
}

void TFirmwareDlg::reject() {
    // Escape and the cancel button end here as well as the close box.
    if (FormCloseQuery())
        QDialog::reject();
}

void TFirmwareDlg::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TFirmwareDlg::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

} // namespace talvaro
