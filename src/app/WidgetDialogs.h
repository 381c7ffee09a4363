#pragma once

#include "HistoryDialogs.h"
#include "model/Dialogs.h"
#include "report/PrintDialogs.h"

#include <QFileDialog>

#include <memory>

class QWidget;

namespace talvaro {

class TErrorDialog;
class THinweisBox;
class TErgebnisDialog;
class TProgErgebnisDialog;
class TUpDownLoad;
class TKeineAnlageDlg;
class TSuchenDlg;
class TSelectDeviceDlg;
class TWaehleComPortDlg;
class TAboutBox;
class TFirmwareDlg;
class FirmwareUpdate;

// The real dialogs of the window. Each is created when it is first needed and lives
// until the program ends.
class WidgetDialogs : public Dialogs, public PrintDialogs {
public:
    WidgetDialogs();
    ~WidgetDialogs() override;

    // The window the dialogs belong to; the main window must exist already.
    void setMainWindow(QWidget* mainWindow);
    // The firmware dialog forwards its buttons to the main window's update.
    void attachFirmwareUpdate(FirmwareUpdate& update);

    DialogResult showMessage(MessageDialog which, const QString& caption,
                             const QStringList& lines) override;
    void showMessageBox(MessageIcon icon, const QString& text) override;
    DialogResult askWarning(const QString& caption, const QString& text) override;
    DialogResult askWarningDefaultNo(const QString& caption, const QString& text) override;
    DialogResult askNoDeviceFound(const QStringList& accessHints) override;
    std::optional<DeviceType> selectDeviceType(DeviceType current) override;
    PortChoice choosePort(const QStringList& entries, quint16 currentPort) override;
    void showAbout() override;
    void execFirmware() override;
    // The firmware dialog with `file` already chosen; nothing is sent before "Start".
    void execFirmwareWithFile(const QString& file);
    void setSearchPortLabel(const QString& text) override;
    bool isSearchShowing() const override;
    void execSearch() override;
    void closeSearch() override;
    void setTransferCaption(const QString& caption) override;
    void setTransferLines(const QStringList& lines) override;
    void showTransfer() override;
    void closeTransfer() override;
    void setTransferClosedHandler(std::function<void()> handler) override;
    HistoryChoice execHistory(const QList<HistoryRow>& rows, DeviceType current) override;
    void showComparison(const QString& caption, const QList<ComparedLine>& lines) override;
    QString getOpenFileName(const FileDialogRequest& request) override;
    QString getSaveFileName(const FileDialogRequest& request) override;
    bool execPrintDialog(QPrinter& printer) override;
    void execPrinterSetup(QPrinter& printer) override;
    std::optional<QString> askText(const QString& caption, const QString& label,
                                   const QString& text) override;
    bool isNoDeviceFoundShowing() const override;
    void searchAgainFromNoDeviceFound() override;
    bool isWaitingForUser() const override;

private:
    TUpDownLoad& upDownLoad();
    TFirmwareDlg& firmwareDlg();

    QWidget* m_mainWindow = nullptr;
    FirmwareUpdate* m_firmwareUpdate = nullptr;
    // The exchange registers this while the main window is built, before the dialogs.
    std::function<void()> m_transferClosed;
    std::unique_ptr<TErrorDialog> ErrorDialog;
    std::unique_ptr<TUpDownLoad> UpDownLoad;
    std::unique_ptr<TProgErgebnisDialog> ProgErgebnisDialog;
    std::unique_ptr<THinweisBox> HinweisBox;
    std::unique_ptr<TFirmwareDlg> FirmwareDlg;
    std::unique_ptr<TWaehleComPortDlg> WaehleComPortDlg;
    std::unique_ptr<TErgebnisDialog> ErgebnisDialog;
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<TKeineAnlageDlg> KeineAnlageDlg;
    std::unique_ptr<TSuchenDlg> SuchenDlg;
    std::unique_ptr<TSelectDeviceDlg> SelectDeviceDlg;
    HistoryViewState m_historyView;
};

// "Text (*.tkx)|*.tkx|Alle Dateien (*.*)|*.*" in the form Qt's file dialogs take.
QString qtFileFilter(const QString& pipeFilter);

// Folder, proposed name, filter, default extension and the overwrite question.
void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request,
                         QFileDialog::AcceptMode mode);

} // namespace talvaro
