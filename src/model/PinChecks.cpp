#include "ConfigModel.h"

// The remote-control PIN: it must have four digits, and it must not be "0000" while a
// contact is switched by remote control.
namespace talvaro {

namespace {

const QString PinField = QStringLiteral("LMDEditFernsteuerungPin");
const QString UnsetPin = QStringLiteral("0000");
const QString TooShort = QStringLiteral("Die PIN für Fernsteuerung muss vierstellig sein!");
const QString UnsetWithOneContact =
    QStringLiteral("Sie haben den Kontakt für Fernsteuern ausgewählt.\r\n"
                   "Die PIN für Fernsteuerung darf in diesem Fall nicht 0000 sein!");
const QString UnsetWithTwoContacts =
    QStringLiteral("Sie haben mindestens einen Kontakt für Fernsteuern ausgewählt.\r\n"
                   "Die PIN für Fernsteuerung darf in diesem Fall nicht 0000 sein!");

// Only the models with a contact page are checked.
bool checksPin(DeviceType type) {
    return type >= 3 && type <= 6;
}

} // namespace

bool ConfigModel::remoteControlWithoutPin() const {
    const bool remote =
        isChecked(QStringLiteral("RBKontakt1Fern")) ||
        (!isSixExtension(m_document.deviceType()) && isChecked(QStringLiteral("RBKontakt2Fern")));
    return remote && state(PinField).text == UnsetPin;
}

QString ConfigModel::remoteControlMessage() const {
    return isSixExtension(m_document.deviceType()) ? UnsetWithOneContact : UnsetWithTwoContacts;
}

bool ConfigModel::contactPageVisible() const {
    return m_view && m_view->isContactPageVisible();
}

void ConfigModel::showPinField(bool showPage) {
    if (!m_view)
        return;
    if (showPage)
        m_view->showContactPage();
    if (showPage || m_view->isContactPageVisible())
        m_view->focusPinField();
}

void ConfigModel::leavePinField() {
    if (!checksPin(m_document.deviceType()))
        return;
    if (state(PinField).text.size() < 4) {
        if (contactPageVisible())
            m_view->focusPinField();
        // Told once is enough: the mark keeps the user on the page until it is mended.
        if (!m_pinPending)
            m_dialogs.showMessageBox(MessageIcon::Critical, TooShort);
        m_pinPending = true;
        return;
    }
    m_pinPending = false;
}

bool ConfigModel::checkPinOnLeave(bool withMessages) {
    if (!checksPin(m_document.deviceType()))
        return true;
    if (m_pinPending) {
        showPinField(true);
        m_pinPending = false;
        return false;
    }
    if (remoteControlWithoutPin()) {
        showPinField(true);
        m_pinPending = false;
        if (withMessages)
            m_dialogs.showMessageBox(MessageIcon::Critical, remoteControlMessage());
        return false;
    }
    return true;
}

bool ConfigModel::checkPinBeforeUse() {
    if (!checksPin(m_document.deviceType()))
        return true;
    if (state(PinField).text.size() < 4) {
        showPinField(false);
        m_pinPending = true;
        m_dialogs.showMessageBox(MessageIcon::Critical, TooShort);
        return false;
    }
    m_pinPending = false;
    if (remoteControlWithoutPin()) {
        showPinField(false);
        m_pinPending = true;
        m_dialogs.showMessageBox(MessageIcon::Critical, remoteControlMessage());
        return false;
    }
    // A passing check leaves nothing pending, so the next page change is not held.
    return true;
}

} // namespace talvaro
