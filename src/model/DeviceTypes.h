#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The eight models of telephone system and everything that differs between them.
// Codes above 7 are kept as they are but answer every query like type 0.
namespace talvaro {

using DeviceType = unsigned;

constexpr DeviceType DefaultDeviceType = 5;
constexpr DeviceType HighestDeviceType = 7;

enum class DeviceFamily { FourExtension, SixExtension };

struct FamilyProfile {
    DeviceFamily family;
    int extensions;      // 4 (21..24) or 6 (21..26)
    int imageLength;     // configuration image bytes
    int readReplyLength; // image plus checksum byte
    QByteArray readCommand;
    QByteArray writeCommand;
};

struct DeviceTypeProfile {
    DeviceType code;
    QString identity; // what the device answers to "T\r"
    QString windowTitle;
    QString label; // model name + " Konfiguration"
    QString configFilter;
    QString firmwareFilter;
    bool hasFax;
    bool hasEmergency;
    bool hasNachwahlPage;
    bool hasErweitertPage;
    QString contactPageNode; // tree node text, empty when the type has no contact page
    int contacts;
    QString contactHeading; // empty: the heading keeps its form text
    bool extensionWordNebenstelle;
    QString kindRowTelefon;
    QString kindRowAnrufbeantworter;
    QString kindRowTfe;
    QString kindRowFax;
    QString kindRowNotruf;
    int pictureIndex; // 0..5, types 2/3 and 6/7 share a picture
    char loaderTypeByte;
};

const DeviceTypeProfile& deviceProfile(DeviceType code);
const FamilyProfile& familyProfile(DeviceType code);

DeviceFamily deviceFamily(DeviceType code);
bool isSixExtension(DeviceType code);
bool isDefinedDeviceType(DeviceType code);

// Identification: the device answered `identity` while `current` was being edited.
// Returns the type to continue with (current itself or a sibling of its model group),
// or nothing when the answer does not belong to the group.
std::optional<DeviceType> identifyDevice(DeviceType current, const QString& identity);

// Common values that every type sets alike.
inline const QString DefaultFileName = QStringLiteral("Neu.tkx");
inline const QString ConfigExt = QStringLiteral("tkx");
inline const QString ConfigMask = QStringLiteral("*.tkx");
inline const QString FirmwareExt = QStringLiteral("efw");
inline const QString FirmwareMask = QStringLiteral("*.efw");

} // namespace talvaro
