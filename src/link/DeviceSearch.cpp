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
    if (m_exchange.begin())
        searchFor(operation);
}

void DeviceSearch::searchFor(ExchangeOperation operation) {
    m_exchange.searchFor(operation);
    m_link.refreshPorts();
    m_dialogs.setSearchPortLabel(QString());
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
    // "Suchen" looks at the ports again: an adapter plugged in meanwhile is found.
    m_link.refreshPorts();
    m_exchange.restartSearch();
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
    // Whatever port is still open (an earlier probe, a device that stopped answering)
    // would make the next open fail; only one port is open at any time.
    if (m_link.isOpen())
        m_link.close();
    while (m_exchange.advanceSearchPort()) {
        const quint16 port = m_exchange.record().searchPort;
        if (!m_link.portAvailable(port))
            continue;
        m_link.setPortNumber(port);
        if (!m_link.open()) {
            m_link.close();
            continue;
        }
        m_dialogs.setSearchPortLabel(SearchPrefix + QStringLiteral("COM") + QString::number(port));
        m_link.pause(SettleMs);
        m_link.write("T\r");
        m_link.pause(FirstAnswerMs);
        // The answer to this first question is thrown away with the next one's discard.
        m_exchange.beginIdentification();
        return true;
    }
    return false;
}

void DeviceSearch::goOffline() {
    m_dialogs.closeSearch();
    m_exchange.goOffline();
    m_link.close();
    m_host.setStatusText(StatusPanel::Device, QString());
    m_host.setStatusText(StatusPanel::Port, QString());
    const DeviceType type = m_host.document().deviceType();
    const std::optional<DeviceType> chosen =
        offersModelChoice(type) ? m_dialogs.selectDeviceType(type) : std::nullopt;
    if (chosen)
        m_host.setDeviceType(*chosen);
    m_exchange.end(ExchangeResult::NoDevice);
}

} // namespace talvaro
