#pragma once

#include "model/Dialogs.h"
#include "report/PrintDialogs.h"

#include <QEventLoop>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Answers the program's dialogs from a script. Every dialog shown is recorded; one that
// the script did not expect fails the running test.
class ScriptedDialogs : public talvaro::Dialogs, public talvaro::PrintDialogs {
public:
    struct Shown {
        QString dialog; // "ErrorDialog", "HinweisBox", "MessageBox", "SelectDeviceDlg", ...
        QString caption;
        QStringList lines;
    };
    struct Answer {
        QString dialog;
        talvaro::DialogResult result = talvaro::DialogResult::Ok;
        QString text; // file name, chosen port entry
        talvaro::DeviceType type = 0;
        talvaro::HistoryCommand command = talvaro::HistoryCommand::Close;
        bool untilSearchedAgain = false;
    };

    void expect(const QString& dialog, talvaro::DialogResult result, const QString& text = {});
    void expectDeviceType(talvaro::DeviceType type);
    // "Konfigurationsverlauf" ends with `command` on the entry `id`.
    void expectHistory(talvaro::HistoryCommand command, const QString& id = {});
    // "Keine Telefonanlage gefunden" stays open (in an event loop) until the program ends
    // it with searchAgainFromNoDeviceFound; a hang fails the test.
    void expectNoDeviceFoundUntilSearchedAgain();
    bool allAnswered() const { return m_script.isEmpty(); }
    // Once the script is used up, answers every further dialog with `result` instead of
    // failing, for outcomes that depend on timing; `shown` still tells what came.
    void answerAnyWith(talvaro::DialogResult result) { m_anyAnswer = result; }

    QList<Shown> shown;
    QString searchPortLabel;
    QString transferCaption = QStringLiteral("Datenügertragung");
    bool searchShowing = false;
    bool transferShowing = false;

    talvaro::DialogResult showMessage(talvaro::MessageDialog which, const QString& caption,
                                      const QStringList& lines) override;
    void showMessageBox(talvaro::MessageIcon icon, const QString& text) override;
    talvaro::DialogResult askWarning(const QString& caption, const QString& text) override;
    talvaro::DialogResult askNoDeviceFound(const QStringList& accessHints) override;
    std::optional<talvaro::DeviceType> selectDeviceType(talvaro::DeviceType current) override;
    talvaro::PortChoice choosePort(const QStringList& entries, quint16 currentPort) override;
    void showAbout() override;
    void execFirmware() override;
    void setSearchPortLabel(const QString& text) override { searchPortLabel = text; }
    bool isSearchShowing() const override { return searchShowing; }
    void execSearch() override;
    void closeSearch() override { searchShowing = false; }
    void setTransferCaption(const QString& caption) override { transferCaption = caption; }
    void showTransfer() override { transferShowing = true; }
    void closeTransfer() override;
    void setTransferClosedHandler(std::function<void()> handler) override {
        m_transferClosed = std::move(handler);
    }
    QString getOpenFileName(const talvaro::FileDialogRequest& request) override;
    QString getSaveFileName(const talvaro::FileDialogRequest& request) override;
    // Answered Ok with a text: the job goes into that PDF file.
    bool execPrintDialog(QPrinter& printer) override;
    void execPrinterSetup(QPrinter& printer) override;

    talvaro::HistoryChoice execHistory(const QList<talvaro::HistoryRow>& rows,
                                       talvaro::DeviceType current) override;
    // Expected as "Vergleich".
    void showComparison(const QString& caption, const QList<talvaro::ComparedLine>& lines) override;

    talvaro::FileDialogRequest lastFileRequest;
    QList<talvaro::HistoryRow> historyRows;
    QList<talvaro::ComparedLine> comparedLines;

    // Expected as "Texteingabe": Ok answers the script's text, anything else cancels.
    bool isNoDeviceFoundShowing() const override { return m_noDeviceLoop != nullptr; }
    void searchAgainFromNoDeviceFound() override;

    std::optional<QString> askText(const QString& caption, const QString& label,
                                   const QString& text) override;

private:
    Answer next(const QString& dialog, const QString& caption, const QStringList& lines);

    QList<Answer> m_script;
    std::optional<talvaro::DialogResult> m_anyAnswer;
    std::function<void()> m_transferClosed;
    QEventLoop* m_noDeviceLoop = nullptr;
};
