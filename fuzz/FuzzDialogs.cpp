#include "FuzzDialogs.h"

using namespace talvaro;

DialogResult FuzzDialogs::showMessage(MessageDialog which, const QString& caption,
                                      const QStringList& lines) {
    Q_UNUSED(lines);
    ++messages;
    if (onMessage)
        onMessage(which, caption);
    return DialogResult::Ok;
}

DialogResult FuzzDialogs::askWarning(const QString&, const QString&) {
    return answer(2) == 0 ? DialogResult::Yes : DialogResult::No;
}

DialogResult FuzzDialogs::askNoDeviceFound(const QStringList&) {
    return answer(2) == 0 ? DialogResult::Ok : DialogResult::Retry;
}

// The dialog offers the six-extension models.
std::optional<DeviceType> FuzzDialogs::selectDeviceType(DeviceType) {
    const int pick = answer(4);
    if (pick == 0)
        return std::nullopt;
    return DeviceType(4 + pick);
}

PortChoice FuzzDialogs::choosePort(const QStringList&, quint16 currentPort) {
    return {DialogResult::Cancel, currentPort};
}

void FuzzDialogs::closeTransfer() {
    // Every close runs the closing handler, also when the window was not showing.
    transferShowing = false;
    if (m_transferClosed)
        m_transferClosed();
}
