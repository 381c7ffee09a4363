#include "AppStart.h"

#include "AppIcon.h"
#include "StartOptions.h"

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

AppStart::AppStart(const StartOptions& options)
    : AppStart(options.searchesAtStart() ? TAppForm::FirstShowSearch::On
                                         : TAppForm::FirstShowSearch::Off) {
    if (options.deviceType())
        m_form.setDeviceType(*options.deviceType());
    const QString file = options.file();
    if (file.isEmpty())
        return;
    if (options.isFirmwareFile())
        m_form.afterStartSearch([this, file] { m_dialogs.execFirmwareWithFile(file); });
    else
        m_form.afterStartSearch([this, file] { m_form.openConfigurationFile(file); });
}

} // namespace talvaro
