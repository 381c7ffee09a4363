#include "AppStart.h"

#include "AppIcon.h"
#include "StartOptions.h"

#include <QApplication>

#include <utility>

namespace talvaro {

void identifyApplication() {
    QApplication::setApplicationName(QStringLiteral("Talvaro"));
    QApplication::setOrganizationName(QStringLiteral("Brovenik"));
    QApplication::setWindowIcon(appIcon());
}

AppStart::AppStart(TAppForm::FirstShowSearch search, SessionSetup setup)
    : m_form(m_dialogs, m_dialogs, search, std::move(setup)) {
    m_dialogs.setMainWindow(&m_form);
    m_dialogs.attachFirmwareUpdate(m_form.firmwareUpdate());
}

AppStart::AppStart(const StartOptions& options, SessionSetup setup)
    : AppStart(options.searchesAtStart() ? TAppForm::FirstShowSearch::On
                                         : TAppForm::FirstShowSearch::Off,
               std::move(setup)) {
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
