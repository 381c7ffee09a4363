#include "WidgetDialogs.h"

#include "AboutBox.h"
#include "HistoryDialogs.h"
#include "MessageDialogs.h"
#include "SearchDialogs.h"
#include "firmware/FWDlg.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>

namespace talvaro {

WidgetDialogs::WidgetDialogs() = default;
WidgetDialogs::~WidgetDialogs() = default;

namespace {

// Each dialog is made when it is first needed and then kept for the run: none of them
// costs the start of the program anything.
template <typename Dialog> Dialog& made(std::unique_ptr<Dialog>& dialog) {
    if (!dialog)
        dialog = std::make_unique<Dialog>();
    return *dialog;
}

} // namespace

void WidgetDialogs::setMainWindow(QWidget* mainWindow) {
    m_mainWindow = mainWindow;
}

TUpDownLoad& WidgetDialogs::upDownLoad() {
    if (!UpDownLoad) {
        made(UpDownLoad).setMainWindow(m_mainWindow);
        UpDownLoad->setClosedHandler(m_transferClosed);
    }
    return *UpDownLoad;
}

TFirmwareDlg& WidgetDialogs::firmwareDlg() {
    if (!FirmwareDlg)
        made(FirmwareDlg).setController(m_firmwareUpdate);
    return *FirmwareDlg;
}

DialogResult WidgetDialogs::showMessage(MessageDialog which, const QString& caption,
                                        const QStringList& lines) {
    TMessageDialog* dialog = nullptr;
    switch (which) {
    case MessageDialog::Error:
        dialog = &made(ErrorDialog);
        break;
    case MessageDialog::Hinweis:
        dialog = &made(HinweisBox);
        break;
    case MessageDialog::Ergebnis:
        dialog = &made(ErgebnisDialog);
        break;
    case MessageDialog::ProgErgebnis:
        dialog = &made(ProgErgebnisDialog);
        break;
    }
    dialog->setWindowTitle(caption);
    for (const QString& line : lines)
        dialog->addLine(line);
    const DialogResult result = dialog->run();
    dialog->clearMessage();
    return result;
}

void WidgetDialogs::showMessageBox(MessageIcon icon, const QString& text) {
    const QMessageBox::Icon boxIcon = icon == MessageIcon::Critical  ? QMessageBox::Critical
                                      : icon == MessageIcon::Warning ? QMessageBox::Warning
                                                                     : QMessageBox::NoIcon;
    QMessageBox box(boxIcon, QStringLiteral("Talvaro"), text, QMessageBox::NoButton, m_mainWindow);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

DialogResult WidgetDialogs::askWarning(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, m_mainWindow);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes ? DialogResult::Yes : DialogResult::No;
}

DialogResult WidgetDialogs::askWarningDefaultNo(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, m_mainWindow);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    box.setDefaultButton(box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole));
    box.exec();
    return box.clickedButton() == yes ? DialogResult::Yes : DialogResult::No;
}

HistoryChoice WidgetDialogs::execHistory(const QList<HistoryRow>& rows, DeviceType current) {
    return execHistoryDialog(m_mainWindow, rows, current, m_historyView);
}

void WidgetDialogs::showComparison(const QString& caption, const QList<ComparedLine>& lines) {
    execComparisonDialog(m_mainWindow, caption, lines);
}

DialogResult WidgetDialogs::askNoDeviceFound(const QStringList& accessHints) {
    TKeineAnlageDlg& dialog = made(KeineAnlageDlg);
    dialog.setAccessHints(accessHints);
    return dialog.run();
}

std::optional<DeviceType> WidgetDialogs::selectDeviceType(DeviceType current) {
    return made(SelectDeviceDlg).choose(current);
}

PortChoice WidgetDialogs::choosePort(const QStringList& entries, quint16 currentPort) {
    return made(WaehleComPortDlg).choose(entries, currentPort);
}

void WidgetDialogs::attachFirmwareUpdate(FirmwareUpdate& update) {
    m_firmwareUpdate = &update;
    if (FirmwareDlg)
        FirmwareDlg->setController(m_firmwareUpdate);
}

void WidgetDialogs::execFirmware() {
    firmwareDlg().exec();
}

void WidgetDialogs::execFirmwareWithFile(const QString& file) {
    TFirmwareDlg& dialog = firmwareDlg();
    dialog.Filename->setText(file);
    dialog.exec();
}

void WidgetDialogs::showAbout() {
    made(AboutBox).run();
}

void WidgetDialogs::setSearchPortLabel(const QString& text) {
    made(SuchenDlg).setPortLabel(text);
}

bool WidgetDialogs::isNoDeviceFoundShowing() const {
    return KeineAnlageDlg && KeineAnlageDlg->isVisible();
}

void WidgetDialogs::searchAgainFromNoDeviceFound() {
    if (isNoDeviceFoundShowing())
        KeineAnlageDlg->finish(DialogResult::Retry);
}

bool WidgetDialogs::isWaitingForUser() const {
    return QApplication::activeModalWidget() != nullptr;
}

bool WidgetDialogs::isSearchShowing() const {
    return SuchenDlg && SuchenDlg->isVisible();
}

void WidgetDialogs::execSearch() {
    TSuchenDlg& dialog = made(SuchenDlg);
    dialog.setButtonsEnabled(false);
    dialog.run();
}

void WidgetDialogs::closeSearch() {
    if (isSearchShowing())
        SuchenDlg->finish(DialogResult::Cancel);
}

void WidgetDialogs::setTransferCaption(const QString& caption) {
    upDownLoad().setWindowTitle(caption);
}

void WidgetDialogs::setTransferLines(const QStringList& lines) {
    TUpDownLoad& dialog = upDownLoad();
    dialog.clearMessage();
    for (const QString& line : lines)
        dialog.addLine(line);
}

void WidgetDialogs::showTransfer() {
    upDownLoad().show();
}

void WidgetDialogs::closeTransfer() {
    upDownLoad().closeTransfer();
}

void WidgetDialogs::setTransferClosedHandler(std::function<void()> handler) {
    m_transferClosed = std::move(handler);
    if (UpDownLoad)
        UpDownLoad->setClosedHandler(m_transferClosed);
}

QString qtFileFilter(const QString& pipeFilter) {
    // Every other field is a mask that the description already shows. On this platform
    // "*.*" would miss files without a dot, so "all files" becomes "*".
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        filters << QString(parts[i]).replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
    return filters.join(QStringLiteral(";;"));
}

void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request,
                         QFileDialog::AcceptMode mode) {
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    // Saving asks before it overwrites, as a save dialog should.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilter(qtFileFilter(request.filter));
    dialog.setDefaultSuffix(request.defaultExt);
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.proposedName.isEmpty() && !request.proposedName.contains(QLatin1Char('*')))
        dialog.selectFile(request.proposedName);
}

namespace {

QString runFileDialog(QWidget* parent, const FileDialogRequest& request,
                      QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    configureFileDialog(dialog, request, mode);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString WidgetDialogs::getOpenFileName(const FileDialogRequest& request) {
    return runFileDialog(m_mainWindow, request, QFileDialog::AcceptOpen);
}

QString WidgetDialogs::getSaveFileName(const FileDialogRequest& request) {
    return runFileDialog(m_mainWindow, request, QFileDialog::AcceptSave);
}

bool WidgetDialogs::execPrintDialog(QPrinter& printer) {
    QPrintDialog dialog(&printer, m_mainWindow);
    return dialog.exec() == QDialog::Accepted;
}

void WidgetDialogs::execPrinterSetup(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, m_mainWindow);
    dialog.exec();
}

std::optional<QString> WidgetDialogs::askText(const QString& caption, const QString& label,
                                              const QString& text) {
    QInputDialog dialog(m_mainWindow);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(label);
    dialog.setTextValue(text);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setAccessibleName(caption);
        edit->setAccessibleDescription(label);
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace talvaro
