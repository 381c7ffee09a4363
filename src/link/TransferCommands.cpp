#include "TransferCommands.h"

#include "DeviceExchange.h"
#include "DeviceSearch.h"
#include "ExchangeHost.h"
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

TransferCommands::TransferCommands(DeviceExchange& exchange, DeviceSearch& search,
                                   ExchangeHost& host, Dialogs& dialogs)
    : m_exchange(exchange), m_search(search), m_host(host), m_dialogs(dialogs) {}

void TransferCommands::UpDownloadExecute(ExchangeOperation operation) {
    if (!m_exchange.begin())
        return;
    m_exchange.prepareTransfer(operation);
    startTransfer();
}

void TransferCommands::WerkseinstellungExecute() {
    if (!m_exchange.begin())
        return;
    if (m_dialogs.askWarning(WarningCaption, FactoryResetWarning) != DialogResult::Yes)
        return m_exchange.end(ExchangeResult::Cancelled);
    m_host.newConfiguration();
    m_exchange.prepareFactoryReset();
    startTransfer();
}

void TransferCommands::startTransfer() {
    if (!m_host.checkPinBeforeUse())
        return m_exchange.end(ExchangeResult::PinRefused);
    const ExchangeOperation operation = m_exchange.record().operation;
    if (operation == ExchangeOperation::Program && !m_host.anyExtensionRingsExternally() &&
        m_dialogs.askWarning(WarningCaption, NoExternalCallWarning) != DialogResult::Yes)
        return m_exchange.end(ExchangeResult::Cancelled);
    if (m_exchange.record().portInUse == 0)
        return m_search.searchFor(operation);
    if (operation == ExchangeOperation::Read)
        return m_exchange.read();
    m_dialogs.setTransferCaption(QStringLiteral("Konfiguration programmieren"));
    m_exchange.write();
    m_dialogs.setTransferLines({QString(), QStringLiteral("Übertragung läuft ...")});
    m_dialogs.showTransfer();
}

} // namespace talvaro
