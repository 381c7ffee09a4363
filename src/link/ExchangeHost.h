#pragma once

#include "LinkTypes.h"
#include "model/DeviceTypes.h"

#include <QByteArray>
#include <QString>

namespace talvaro {

class Document;
struct ImageBuffers;

// What a successful exchange leaves on the device.
enum class TransferKind { Read, Programmed, FactoryReset, Backup };

struct TransferredImage {
    TransferKind kind;
    DeviceType type;
    QString deviceText; // as the device answered it: name, FirmwareSeparator, version
    quint16 port;
    QByteArray image;
};

// What the device link needs of the main window: the editor behind the image, the
// caption, the status bar and the firmware start timer.
class ExchangeHost {
public:
    virtual ~ExchangeHost() = default;

    virtual Document& document() = 0;
    virtual ImageBuffers& images() = 0;

    // Adapts the whole editor (and the document's transfer sizes) to a device type.
    virtual void setDeviceType(DeviceType code) = 0;
    // Editor into the working image of the current family, with its checksum.
    virtual void encodeImage() = 0;
    // Working image into the editor.
    virtual void decodeImage() = 0;
    virtual void updateTitle() = 0;
    virtual void setStatusText(StatusPanel panel, const QString& text) = 0;

    // False when the PIN is unusable; the check has then shown its own message.
    virtual bool checkPinBeforeUse() = 0;
    // Whether some extension of the current family has its "Externanruf" box ticked.
    virtual bool anyExtensionRingsExternally() const = 0;
    // Factory defaults of the current type, new file name and title, without asking
    // to save the edits.
    virtual void newConfiguration() = 0;

    virtual void stopFirmwareStartTimer() = 0;

    // Every exchange, however it ends, ends here once with its result.
    virtual void exchangeEnded(ExchangeResult result) { Q_UNUSED(result); }

    // The configuration history; a host without one keeps nothing and never asks for
    // a backup. Whether the device must be read and kept before it is written.
    virtual bool needsBackupBeforeWriting() { return false; }
    // False when the image could not be kept.
    virtual bool imageTransferred(const TransferredImage& transferred) {
        Q_UNUSED(transferred);
        return true;
    }
};

} // namespace talvaro
