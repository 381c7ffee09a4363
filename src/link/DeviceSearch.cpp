#include "DeviceSearch.h"

#include "DeviceExchange.h"
#include "ExchangeHost.h"
#include "LinkPort.h"
#include "PortMap.h"
#include "model/Dialogs.h"
#include "model/Document.h"

#include <array>

namespace talvaro {
namespace {

const QString SearchPrefix = QStringLiteral("Suche an ");

constexpr int SettleMs = 200;      // after opening, before the first question
constexpr int FirstAnswerMs = 100; // the answer to the first question is thrown away
constexpr int CloseDelayMs = 100;  // before a port without device is closed
constexpr int IdentifyTicks = 12;

// Working offline, these types let the user pick one of the six-extension models.
constexpr std::array<bool, HighestDeviceType + 1> OffersModelChoice{false, false, true, true,
                                                                    false, true,  true, true};

bool offersModelChoice(DeviceType type) {
    return isDefinedDeviceType(type) && OffersModelChoice[type];
}

} // namespace

DeviceSearch::DeviceSearch(LinkPort& link, DeviceExchange& exchange, ExchangeHost& host,
                           Dialogs& dialogs)
    : m_link(link), m_exchange(exchange), m_host(host), m_dialogs(dialogs) {}

void DeviceSearch::startSearch(ExchangeOperation operation) {
    m_exchange.record().operation = operation;
    restartAtFirstPort();
    showSearchWhileProbing();
}

void DeviceSearch::deviceNotRecognised() {
    m_link.pause(CloseDelayMs);
    m_link.close();
    showSearchWhileProbing();
}

void DeviceSearch::showSearchWhileProbing() {
    if (searchDevice() && !m_dialogs.isSearchShowing())
        m_dialogs.execSearch();
}

void DeviceSearch::restartAtFirstPort() {
    m_exchange.record().searchPort = 0;
    m_dialogs.setSearchPortLabel(QString());
}

bool DeviceSearch::searchDevice() {
    for (;;) {
        if (probeNextPort())
            return true;
        if (m_dialogs.askNoDeviceFound(m_link.accessHints()) != DialogResult::Retry) {
            goOffline();
            return false;
        }
        restartAtFirstPort();
    }
}

bool DeviceSearch::probeNextPort() {
    ExchangeRecord& record = m_exchange.record();
    // Whatever port is still open (an earlier probe, a device that stopped answering)
    // would make the next open fail; only one port is open at any time.
    if (m_link.isOpen())
        m_link.close();
    while (record.searchPort < HighestComPort) {
        ++record.searchPort;
        if (!m_link.portAvailable(record.searchPort))
            continue;
        m_link.setPortNumber(record.searchPort);
        if (!m_link.open()) {
            m_link.close();
            continue;
        }
        m_dialogs.setSearchPortLabel(SearchPrefix + QStringLiteral("COM") +
                                     QString::number(record.searchPort));
        m_link.pause(SettleMs);
        m_link.write("T\r");
        m_link.pause(FirstAnswerMs);
        m_link.discardInput();
        m_link.disarm();
        m_link.armForLine(IdentifyTicks);
        record.state = ExchangeState::Identify;
        m_link.write("T\r");
        return true;
    }
    return false;
}

void DeviceSearch::goOffline() {
    m_dialogs.closeSearch();
    m_exchange.record().portInUse = 0;
    m_link.close();
    m_host.setStatusText(StatusPanel::Device, QString());
    m_host.setStatusText(StatusPanel::Port, QString());
    const DeviceType type = m_host.document().deviceType();
    if (!offersModelChoice(type))
        return;
    if (const std::optional<DeviceType> chosen = m_dialogs.selectDeviceType(type))
        m_host.setDeviceType(*chosen);
}

} // namespace talvaro
