#pragma once

#include "model/Dialogs.h"

#include <QTextStream>

// The program's dialogs on a terminal: messages go to stderr, questions are answered
// "&Ja" only when the user said so beforehand (--yes), and no person is ever waited for.
namespace talvaro {

class TerminalDialogs : public Dialogs {
public:
    explicit TerminalDialogs(QTextStream& err);

    void setAssumeYes(bool yes) { m_assumeYes = yes; }
    // The questions whose "&Ja" risks losing something (programming without a backup)
    // are answered "&Ja" only when the user said so for them (--no-backup), not by --yes.
    void setWithoutBackup(bool yes) { m_withoutBackup = yes; }
    // The answer of the port dialog: this COM number when it is offered.
    void setPortChoice(quint16 port) { m_portChoice = port; }
    // The time the programming result waits for the device's restart.
    void setRestartDelay(int ms) { m_restartDelayMs = ms; }

    DialogResult showMessage(MessageDialog which, const QString& caption,
                             const QStringList& lines) override;
    void showMessageBox(MessageIcon icon, const QString& text) override;
    DialogResult askWarning(const QString& caption, const QString& text) override;
    DialogResult askWarningDefaultNo(const QString& caption, const QString& text) override;
    DialogResult askNoDeviceFound(const QStringList& accessHints) override;
    std::optional<DeviceType> selectDeviceType(DeviceType current) override;
    PortChoice choosePort(const QStringList& entries, quint16 currentPort) override;
    void showAbout() override {}

    void setSearchPortLabel(const QString& text) override;
    bool isSearchShowing() const override { return m_searchShowing; }
    void execSearch() override { m_searchShowing = true; }
    void closeSearch() override { m_searchShowing = false; }

    void setTransferCaption(const QString& caption) override { m_transferCaption = caption; }
    void setTransferLines(const QStringList& lines) override;
    void showTransfer() override { m_transferShowing = true; }
    void closeTransfer() override;
    void setTransferClosedHandler(std::function<void()> handler) override {
        m_transferClosed = std::move(handler);
    }

    // There is nobody to pick a file or a printer.
    QString getOpenFileName(const FileDialogRequest&) override { return {}; }
    QString getSaveFileName(const FileDialogRequest&) override { return {}; }

private:
    void say(const QString& text);
    // The question on stderr and its answer, "&Ja" only when `yes`.
    DialogResult answer(const QString& question, bool yes, const QString& yesLine,
                        const QString& noLine);

    QTextStream& m_err;
    bool m_assumeYes = false;
    bool m_withoutBackup = false;
    int m_restartDelayMs = 2700;
    quint16 m_portChoice = 0;
    bool m_searchShowing = false;
    bool m_transferShowing = false;
    QString m_transferCaption;
    std::function<void()> m_transferClosed;
};

} // namespace talvaro
