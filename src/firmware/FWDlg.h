#pragma once

#include "firmware/FirmwareHost.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace talvaro {

class FirmwareUpdate;

// "Firmware Update": takes the firmware file and shows the progress of the transfer.
// The buttons are forwarded to the update; the dialog keeps no state of its own.
class TFirmwareDlg : public QDialog, public FirmwareView {
    Q_OBJECT
public:
    explicit TFirmwareDlg(QWidget* parent = nullptr);

    void setController(FirmwareUpdate* update);

    void BtnSuchenClick();
    void OKBtnClick();

    // FirmwareView
    void waitingForLoader(bool waiting) override;
    void transferStarting() override;
    void setProgress(int percent) override;
    void transferEnded() override;
    void closeDialog() override;

    void reject() override;

    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Filename = nullptr;
    QPushButton* BtnSuchen = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    bool FormCloseQuery() const;

    FirmwareUpdate* m_update = nullptr;
};

} // namespace talvaro
