#pragma once

#include "model/Dialogs.h"

#include <functional>

// Dialogs without a person: every question is answered from `answer` (the fuzz input
// decides), and what a caller must not leave behind is kept for the targets to check.
class FuzzDialogs : public talvaro::Dialogs {
public:
    // Picks one of `count` answers; 0 when the input is used up.
    std::function<int(int count)> answer = [](int) { return 0; };
    // Runs as a modal message window opens.
    std::function<void(talvaro::MessageDialog which, const QString& caption)> onMessage;

    bool searchShowing = false;
    bool transferShowing = false;
    int messages = 0;

    talvaro::DialogResult showMessage(talvaro::MessageDialog which, const QString& caption,
                                      const QStringList& lines) override;
    void showMessageBox(talvaro::MessageIcon, const QString&) override { ++messages; }
    talvaro::DialogResult askWarning(const QString& caption, const QString& text) override;
    talvaro::DialogResult askNoDeviceFound(const QStringList& accessHints) override;
    std::optional<talvaro::DeviceType> selectDeviceType(talvaro::DeviceType current) override;
    talvaro::PortChoice choosePort(const QStringList& entries, quint16 currentPort) override;
    void showAbout() override {}

    void setSearchPortLabel(const QString&) override {}
    bool isSearchShowing() const override { return searchShowing; }
    // Modal in the window; here it stays "open" while the script goes on.
    void execSearch() override { searchShowing = true; }
    void closeSearch() override { searchShowing = false; }

    void setTransferCaption(const QString&) override {}
    void showTransfer() override { transferShowing = true; }
    void closeTransfer() override;
    void setTransferClosedHandler(std::function<void()> handler) override {
        m_transferClosed = std::move(handler);
    }

    QString getOpenFileName(const talvaro::FileDialogRequest&) override { return {}; }
    QString getSaveFileName(const talvaro::FileDialogRequest&) override { return {}; }

private:
    std::function<void()> m_transferClosed;
};
