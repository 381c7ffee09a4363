#include "AppStart.h"

#include "AppIcon.h"

#include <QApplication>

namespace talvaro {

void identifyApplication() {
    QApplication::setApplicationName(QStringLiteral("Talvaro"));
    QApplication::setOrganizationName(QStringLiteral("Brovenik"));
    QApplication::setWindowIcon(appIcon());
}

AppStart::AppStart(TAppForm::FirstShowSearch search) : m_form(m_dialogs, m_dialogs, search) {
    m_dialogs.createDialogs(&m_form);
    m_dialogs.attachFirmwareUpdate(m_form.firmwareUpdate());
}

} // namespace talvaro
