#include "DeviceTypes.h"

#include <array>

namespace talvaro {
namespace {

const QString TitleBoth = QStringLiteral("Talvaro - Konfigurator für Mirello 16 und Quenta 26");
const QString ConfigFilterGeneric =
    QStringLiteral("Talvaro Dateien (*.tkx)|*.tkx|Alle Dateien (*.*)|*.*");
const QString FirmwareFilterGeneric =
    QStringLiteral("Mirello 16 / Quenta 26 Firmwaredatei (*.efw)|*.efw|Alle Dateien (*.*)|*.*");

QString configFilterFor(const char* model) {
    return QString::fromUtf8(model) +
           QStringLiteral(" Dateien (*.tkx)|*.tkx|Alle Dateien (*.*)|*.*");
}

QString firmwareFilterFor(const char* model) {
    return QString::fromUtf8(model) +
           QStringLiteral(" Firmwaredatei (*.efw)|*.efw|Alle Dateien (*.*)|*.*");
}

// Kind-row captions: the four-extension models prefix "Gerätetyp "; where fax cannot
// be chosen the telephone row covers fax machines too.
struct KindRows {
    QString telefon, anrufbeantworter, tfe, fax, notruf;
};

KindRows fourExtensionRows(bool hasFax) {
    return {hasFax ? QStringLiteral("Gerätetyp Telefon/Kombigerät")
                   : QStringLiteral("Gerätetyp Telefon/Fax/Kombigerät"),
            QStringLiteral("Gerätetyp Anrufbeantworter"), QStringLiteral("Gerätetyp TFE"),
            QStringLiteral("Gerätetyp Fax"), QStringLiteral("Gerätetyp Notrufgerät")};
}

KindRows sixExtensionRows() {
    return {QStringLiteral("Telefon/Kombigerät"), QStringLiteral("Anrufbeantworter"),
            QStringLiteral("TFE"), QStringLiteral("Fax"), QStringLiteral("Notrufgerät")};
}

struct Row {
    const char* identity;
    const char* model; // name used in title, label and filters
    bool genericTexts; // types 0..4 share the two-family title and filters
    bool fax, emergency, nachwahl, erweitert;
    const char* contactNode;
    int contacts;
    const char* contactHeading;
    int picture;
    char loaderByte;
};

// clang-format off
constexpr std::array<Row, 8> Rows{{
    //  identity        model           generic fax    emerg  nachw  erw    contact node      n  heading           pic loader
    {"Vorda 12",      "Vorda 12",      true,  false, false, false, false, "",               2, "",               0, '\x3E'},
    {"Kalnis Fax",    "Kalnis Fax",    true,  true,  false, true,  true,  "",               2, "Schaltkontakte", 1, '\x2F'},
    {"Mirello 14",    "Mirello 14",    true,  false, false, false, true,  "",               2, "",               2, '\x26'},
    {"Mirello 14TS",  "Mirello 14TS",  true,  true,  false, true,  true,  "Schaltkontakte", 2, "Schaltkontakte", 2, '\x25'},
    {"Quenta 14",     "Quenta 14",     true,  true,  true,  true,  true,  "Schaltkontakte", 2, "Schaltkontakte", 3, '\x24'},
    {"Mirello 16",    "Mirello 16",    false, true,  false, true,  true,  "Schaltkontakt",  1, "Schaltkontakt",  4, '\x21'},
    {"Quenta 26",     "Quenta 26",     false, true,  true,  true,  true,  "Schaltkontakt",  1, "Schaltkontakt",  5, '\xA7'},
    {"Quenta 26x",    "Quenta 26Sol",  false, true,  true,  true,  true,  "",               1, "Schaltkontakt",  5, '\x22'},
}};
// clang-format on

DeviceTypeProfile makeProfile(DeviceType code) {
    const Row& r = Rows[code];
    const QString model = QString::fromUtf8(r.model);
    const KindRows rows = code <= 4 ? fourExtensionRows(r.fax) : sixExtensionRows();
    return DeviceTypeProfile{
        code,
        QString::fromUtf8(r.identity),
        r.genericTexts ? TitleBoth : QStringLiteral("Talvaro - Konfigurator für ") + model,
        model + QStringLiteral(" Konfiguration"),
        r.genericTexts ? ConfigFilterGeneric : configFilterFor(r.model),
        r.genericTexts ? FirmwareFilterGeneric : firmwareFilterFor(r.model),
        r.fax,
        r.emergency,
        r.nachwahl,
        r.erweitert,
        QString::fromUtf8(r.contactNode),
        r.contacts,
        QString::fromUtf8(r.contactHeading),
        code == 1,
        rows.telefon,
        rows.anrufbeantworter,
        rows.tfe,
        rows.fax,
        rows.notruf,
        r.picture,
        r.loaderByte,
    };
}

const std::array<DeviceTypeProfile, 8>& profiles() {
    static const std::array<DeviceTypeProfile, 8> table{
        makeProfile(0), makeProfile(1), makeProfile(2), makeProfile(3),
        makeProfile(4), makeProfile(5), makeProfile(6), makeProfile(7)};
    return table;
}

const FamilyProfile FourExtensionProfile{
    DeviceFamily::FourExtension, 4, 60, 61, "R0000,3c\r", "W0000,3c\r"};
const FamilyProfile SixExtensionProfile{
    DeviceFamily::SixExtension, 6, 76, 77, "R0000,4c\r", "W0000,4c\r"};

// Members of a group may answer for each other; types 0, 1 and 4 stand alone.
// Order matters: the current type's own identity is tried first, then the siblings.
struct Group {
    DeviceType first, last;
};
constexpr std::array<Group, 2> ModelGroups{{{2, 3}, {5, 7}}};

} // namespace

bool isDefinedDeviceType(DeviceType code) {
    return code <= HighestDeviceType;
}

const DeviceTypeProfile& deviceProfile(DeviceType code) {
    return profiles()[isDefinedDeviceType(code) ? code : 0];
}

bool isSixExtension(DeviceType code) {
    return code == 5 || code == 6 || code == 7;
}

DeviceFamily deviceFamily(DeviceType code) {
    return isSixExtension(code) ? DeviceFamily::SixExtension : DeviceFamily::FourExtension;
}

const FamilyProfile& familyProfile(DeviceType code) {
    return isSixExtension(code) ? SixExtensionProfile : FourExtensionProfile;
}

std::optional<DeviceType> identifyDevice(DeviceType current, const QString& identity) {
    if (!isDefinedDeviceType(current))
        return std::nullopt;
    if (identity == profiles()[current].identity)
        return current;
    for (const Group& g : ModelGroups) {
        if (current < g.first || current > g.last)
            continue;
        for (DeviceType t = g.first; t <= g.last; ++t)
            if (identity == profiles()[t].identity)
                return t;
    }
    return std::nullopt;
}

} // namespace talvaro
