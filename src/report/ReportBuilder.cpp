#include "ReportBuilder.h"

#include <array>

namespace talvaro {
namespace {

// A yes/no radio pair printed as one of two texts.
struct ChoiceLine {
    const char* radio;
    const char* chosen;
    const char* otherwise;
};

constexpr std::array<ChoiceLine, 4> ExternalLineChoices{{
    {"RBAmtsholungJa", "   Amtsholung automatisch", "   Amtsholung durch Vorwahl der Kennziffer 0"},
    {"RBHeranholenJa", "   Externanrufe heranholen = ja", "   Externanrufe heranholen = nein"},
    {"RBAnklopfschutzJa", "   Anklopfschutz = ja", "   Anklopfschutz = nein"},
    {"RBWartemusikJa", "   Wartemusik = ein", "   Wartemusik = aus"},
}};

constexpr ChoiceLine NachwahlChoice{"RBNachwahlJa", "   Nachwahl und Faxweiche = ein",
                                    "   Nachwahl und Faxweiche = aus"};
constexpr ChoiceLine HookflashChoice{"RBHookflashAmt", "   Hookflash ans Amt weiterreichen",
                                     "   Hookflash für Rückfrage verwenden"};

// Which report sections a device type has; contacts 0 means no contact section.
struct Sections {
    bool nachwahl;
    bool hookflash;
    int contacts;
};

constexpr std::array<Sections, 8> SectionsByType{{
    {false, false, 0}, // 0
    {false, false, 0}, // 1
    {false, true, 0},  // 2
    {true, true, 2},   // 3
    {true, true, 2},   // 4
    {true, true, 1},   // 5
    {true, true, 1},   // 6
    {true, true, 0},   // 7
}};

// Kind radios in the order they are tested; none selected means telephone.
struct KindRow {
    const char* radioPrefix;
    QString KindCaptions::*caption;
};

constexpr std::array<KindRow, 4> KindRows{{
    {"RBAnrufbeantworter", &KindCaptions::anrufbeantworter},
    {"RBTfe", &KindCaptions::tfe},
    {"RBFax", &KindCaptions::fax},
    {"RBNotruf", &KindCaptions::notruf},
}};

class Builder {
public:
    explicit Builder(const ReportInput& input)
        : m_in(input), m_type(isDefinedDeviceType(input.deviceType) ? input.deviceType : 0),
          m_word(m_type == 1 ? QStringLiteral("Nebenstelle") : QStringLiteral("Anschluss")),
          m_extensions(familyProfile(m_type).extensions) {}

    QStringList build() {
        const Sections& s = SectionsByType[m_type];
        add(m_in.title);
        add(QString());
        add(QString());
        add(QStringLiteral("<U>Externanschluss"));
        for (const ChoiceLine& c : ExternalLineChoices)
            add(choice(c));
        add(QString());
        if (s.nachwahl) {
            add(choice(NachwahlChoice));
            add(QStringLiteral("   Anzahl der Rufe = ") + text("LMDSpinEditAnzahlRufe"));
            add(QStringLiteral("   Wartezeit für Nachwahl und Faxweiche = ") +
                text("LMDSpinEditTimeout1"));
            add(QString());
        }
        if (s.hookflash)
            add(choice(HookflashChoice));
        add(QString());
        add(QStringLiteral("<U>Gerätetyp und Berechtigungen"));
        for (int n = 1; n <= m_extensions; ++n)
            add(permissionLine(n));
        add(QString());
        add(QStringLiteral("<U>Rufverteilung"));
        for (int n = 1; n <= m_extensions; ++n)
            add(ringLine(n));
        add(QString());
        if (s.contacts > 0)
            addContacts(s.contacts);
        return m_lines;
    }

private:
    void add(const QString& line) { m_lines.append(line); }

    bool checked(const QString& name) const { return m_in.control(name).checked; }
    QString text(const char* name) const { return m_in.control(QLatin1String(name)).text; }

    QString choice(const ChoiceLine& c) const {
        return QString::fromUtf8(checked(QLatin1String(c.radio)) ? c.chosen : c.otherwise);
    }

    // Controls of extension n (1..6) end in 21..26.
    static QString ext(const QString& prefix, int n) { return prefix + QString::number(20 + n); }

    QString extensionStart(int n) const {
        return QStringLiteral("   ") + m_word + QLatin1Char(' ') + QString::number(n) +
               QStringLiteral(" = ");
    }

    QString permissionLine(int n) const {
        QString kind = m_in.kindCaptions.telefon;
        for (const KindRow& row : KindRows) {
            if (checked(ext(QLatin1String(row.radioPrefix), n))) {
                kind = m_in.kindCaptions.*row.caption;
                break;
            }
        }
        QString permission = QStringLiteral(" + nichtamtsberechtigt");
        if (checked(ext(QStringLiteral("RBvab"), n)))
            permission = QStringLiteral(" + amtsberechtigt");
        else if (checked(ext(QStringLiteral("RBhab"), n)))
            permission = QStringLiteral(" + halbamtsberechtigt");
        const QString door = checked(ext(QStringLiteral("CBtb"), n))
                                 ? QStringLiteral(" + türberechtigt")
                                 : QString();
        return extensionStart(n) + kind + permission + door;
    }

    QString ringLine(int n) const {
        QString line;
        if (checked(ext(QStringLiteral("CBarb"), n)))
            line = extensionStart(n) + QStringLiteral("Externen Anruf signalisieren");
        for (int k = 1; k <= 4; ++k) {
            if (!checked(QStringLiteral("CBTaste%1Ruf%2").arg(k).arg(20 + n)))
                continue;
            const QString button = QStringLiteral("Klingeltaster") + QString::number(k);
            line =
                line.isEmpty() ? extensionStart(n) + button : line + QStringLiteral(" + ") + button;
        }
        return line.isEmpty() ? extensionStart(n) : line;
    }

    QString activationLine(int c) const {
        const QString contact = QStringLiteral("RBKontakt") + QString::number(c);
        QString line = QStringLiteral("   Schaltkontakt %1 aktivieren durch: ").arg(c);
        if (checked(contact + QStringLiteral("Intern")))
            return line + QStringLiteral("Interntelefon");
        if (checked(contact + QStringLiteral("Klingel"))) {
            line += QStringLiteral("Klingeltaster");
            QString buttons;
            for (int k = 1; k <= 4; ++k) {
                if (checked(QStringLiteral("CBKontakt%1Klingel%2").arg(c).arg(k)))
                    buttons += (buttons.isEmpty() ? QStringLiteral(" ") : QStringLiteral(", ")) +
                               QString::number(k);
            }
            return line + buttons;
        }
        if (checked(contact + QStringLiteral("Extern")))
            return line + QStringLiteral("Externruf");
        return line + QStringLiteral("Fernsteuerung");
    }

    void addContacts(int contacts) {
        add(contacts == 2 ? QStringLiteral("<U>Schaltkontakte")
                          : QStringLiteral("<U>Schaltkontakt"));
        for (int c = 1; c <= contacts; ++c)
            add(activationLine(c));
        add(QStringLiteral("   Schaltkontakt 1: Kontaktschaltzeit in Sekunden = ") +
            text("LMDExtSpinEditK1Time"));
        if (contacts == 2) {
            add(QStringLiteral("   Schaltkontakt 2: Kontaktschaltzeit in Sekunden = ") +
                text("LMDExtSpinEditK2Time"));
            add(QString());
        }
        add(QStringLiteral("   Wartezeit für PIN = ") + text("LMDExtSpinEditTimeout2"));
        add(QStringLiteral("   Wartezeit für Schaltbefehle = ") + text("LMDExtSpinEditTimeout3"));
    }

    const ReportInput& m_in;
    const DeviceType m_type;
    const QString m_word;
    const int m_extensions;
    QStringList m_lines;
};

} // namespace

QStringList buildReport(const ReportInput& input) {
    return Builder(input).build();
}

} // namespace talvaro
