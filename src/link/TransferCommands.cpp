#include "TransferCommands.h"

#include "DeviceExchange.h"
#include "DeviceSearch.h"
#include "ExchangeHost.h"
#include "LinkPort.h"
#include "model/Dialogs.h"
#include "model/Document.h"

namespace talvaro {
namespace {

const QString WarningCaption = QStringLiteral("Warnung");
const QString NoExternalCallWarning = QStringLiteral(
    "Achtung!\r\nSie haben die Einstellungen so gewählt, dass ein Externanruf an keinem "
    "Endgerät signalisiert wird.\r\nWenn Sie die Einstellungen in der Anlage speichern, "
    "werden Sie von extern nicht erreichbar sein.\r\nWollen Sie die Einstellungen in der "
    "Anlage speichern?");
const QString FactoryResetWarning = QStringLiteral(
    "Die Einstellungen der Telefonanlage werden in den werkseitigen Auslieferzustand "
    "zurückgesetzt.\r\nWollen Sie fortfahren?");

} // namespace

TransferCommands::TransferCommands(LinkPort& link, DeviceExchange& exchange, DeviceSearch& search,
                                   ExchangeHost& host, Dialogs& dialogs)
    : m_link(link), m_exchange(exchange), m_search(search), m_host(host), m_dialogs(dialogs) {}

void TransferCommands::UpDownloadExecute(ExchangeOperation operation) {
    m_exchange.prepareTransfer(operation);
    startTransfer();
}

void TransferCommands::WerkseinstellungExecute() {
    if (m_dialogs.askWarning(WarningCaption, FactoryResetWarning) != DialogResult::Yes)
        return;
    m_host.newConfiguration();
    m_exchange.prepareFactoryReset();
    startTransfer();
}

void TransferCommands::startTransfer() {
    if (!m_host.checkPinBeforeUse())
        return;
    const ExchangeOperation operation = m_exchange.record().operation;
    if (operation == ExchangeOperation::Program && !m_host.anyExtensionRingsExternally() &&
        m_dialogs.askWarning(WarningCaption, NoExternalCallWarning) != DialogResult::Yes)
        return;
    if (m_exchange.record().portInUse == 0) {
        m_search.startSearch(operation);
        return;
    }
    // Whatever the line brought while nobody asked cannot answer the command about to
    // be sent; left in place it would be taken for the device's acknowledgement.
    m_link.discardInput();
    if (operation == ExchangeOperation::Read) {
        m_exchange.beginRead();
        return;
    }
    m_dialogs.setTransferCaption(QStringLiteral("Konfiguration programmieren"));
    m_exchange.beginWrite();
    m_dialogs.setTransferLines({QString(), QStringLiteral("Übertragung läuft ...")});
    m_dialogs.showTransfer();
}

} // namespace talvaro
