#include "HelpTexts.h"

#include <array>
#include <cstdint>
#include <span>

namespace talvaro {
namespace {

// Which device types a line is shown for, one bit per type.
using TypeMask = std::uint8_t;

template <class... T> constexpr TypeMask types(T... t) {
    return static_cast<TypeMask>(((1u << t) | ...));
}

constexpr TypeMask All = 0xFF;
constexpr TypeMask T1 = types(1);
constexpr TypeMask NotT1 = All & ~T1;
constexpr TypeMask T34 = types(3, 4);
constexpr TypeMask NotT34 = All & ~T34;

struct LineSpec {
    TypeMask types;
    bool bold;
    const char* text; // UTF-8
};

constexpr LineSpec line(const char* text) {
    return {All, false, text};
}
constexpr LineSpec line(TypeMask t, const char* text) {
    return {t, false, text};
}
constexpr LineSpec bold(const char* text) {
    return {All, true, text};
}
constexpr LineSpec bold(TypeMask t, const char* text) {
    return {t, true, text};
}
constexpr LineSpec Empty = line("");
constexpr LineSpec More =
    line("Weitere Informationen erhalten Sie, wenn Sie den Mauszeiger über eine Einstellung "
         "bewegen.");

// The texts are the program's own, misspellings included.
constexpr LineSpec Program[] = {
    bold("Konfigurationsprogramm"),
    Empty,
    line("Dieses Programm ermöglicht es Ihnen, Einstellungen an Ihrer Telefonanlage vorzunehmen."),
};

constexpr LineSpec ExternalLine[] = {
    bold("Externanschluss"),
    Empty,
    line("Hier können Sie alle Einstellungen vornehmen, die den Externanschluss betreffen."),
    Empty,
    More,
};

constexpr LineSpec Permissions[] = {
    bold("Gerätetyp und Berechtigungen"),
    Empty,
    line(T1, "Hier können Sie alle Einstellungen vornehmen, welche die Berechtigungen und "
             "Gerätetypen der Nebenstellen betreffen."),
    line(NotT1, "Hier können Sie alle Einstellungen vornehmen, welche die Berechtigungen und "
                "Gerätetypen der internen Anschlüsse betreffen."),
    Empty,
    More,
};

constexpr LineSpec RingLineT1 = line(T1, "Hier können Sie festlegen, an welchen Nebenstellen ein "
                                         "Externanruf und/oder Türruf signalisiert werden soll.");
constexpr LineSpec RingLineOthers =
    line(NotT1, "Hier können Sie festlegen, an welchen internen Anschlüssen ein Externanruf "
                "und/oder Türruf signalisiert werden soll.");

constexpr LineSpec Ringing[] = {
    bold("Rufsignalisierung festlegen"), Empty, RingLineT1, RingLineOthers, Empty, More,
};

constexpr LineSpec ReadDevice[] = {
    bold("Konfiguration auslesen"),
    Empty,
    line("Hiermit können Sie die Konfiguration aus Ihrer Telefonanlage auslesen."),
    Empty,
};

constexpr LineSpec ProgramDevice[] = {
    bold("Konfiguration speichern"),
    Empty,
    line("Hiermit können Sie die Konfiguration in Ihre Telefonanlage speichern."),
    Empty,
    line("Nach dem Speichern wird die Telefonanlage neu gestartet. Alle eventuell bestehenden "
         "Verbindungen werden dabei getrennt."),
    Empty,
};

constexpr LineSpec FactoryReset[] = {
    bold("Werkseinstellungen"),
    Empty,
    line("Hiermit können Sie Ihre Telefonanlage wieder auf die Werkseinstellungen zurücksetzen."),
    Empty,
    line("Nach dem Zurücksetzen auf die Werkseinstellungen wird die Telefonanlage neu gestartet. "
         "Alle eventuell bestehenden Verbindungen werden dabei getrennt."),
    Empty,
};

constexpr LineSpec Open[] = {
    bold("Öffnen"),
    Empty,
    line("Hiermit können Sie eine Konfigurationsdatei die auf Ihrem Computer gespeichert ist "
         "wieder öffnen."),
    Empty,
};

constexpr LineSpec SaveAs[] = {
    bold("In Datei speichern"),
    Empty,
    line("Hiermit können Sie die aktuelle Konfiguration Ihrer Telefonanlage in einer Datei auf "
         "Ihrem Computer speichern."),
    Empty,
};

constexpr LineSpec New[] = {
    bold("Neu erstellen"),
    Empty,
    line("Hiermit können Sie eine neue Konfiguration für Ihrer Telefonanlage erstellen. Die "
         "Grundeinstellungen entsprechen dabei den Werkseinstellungen."),
    Empty,
    line("Im Gegensatz zum Menüpunkt Werkseinstellungen wird die Konfiguration nicht sofort in "
         "die Telefonanlage gespeichert."),
};

constexpr LineSpec Exit[] = {
    bold("Beenden"),
    Empty,
    line("Hiermit beenden Sie das Konfigurationsprogramm."),
    Empty,
};

constexpr LineSpec Print[] = {
    bold("Drucken"),
    Empty,
    line("Hiermit können Sie die aktuelle Konfiguration auf dem Drucker ausgeben."),
    Empty,
};

constexpr LineSpec PrinterSetup[] = {
    bold("Drucker einrichten"),
    Empty,
    line("Hiermit können Sie den Drucker auswählen und einrichten."),
    Empty,
};

constexpr LineSpec Firmware[] = {
    bold("Neue Firmware"),
    Empty,
    line("Hiermit können Sie die Firmware Ihrer Telefonanlage aktualisieren."),
    Empty,
    line(types(0), "Die aktuelle Firmware wird Ihnen auf den Internetseiten der Varunet AG zum "
                   "Download zur Verfügung gestellt."),
    line(T1, "Die aktuelle Firmware wird Ihnen auf den Internetseiten der Kestrawe Elektro- und "
             "Fernmeldetechnik GmbH zum Download zur Verfügung gestellt."),
    line(All & ~types(0, 1),
         "Die aktuelle Firmware erhalten Sie bei Ihrem Händler oder beim Hersteller."),
    Empty,
    line("Bevor Sie die Firmware aktualisieren, laden Sie diese bitte zuerst auf Ihren PC "
         "herunter."),
};

constexpr LineSpec ForAllInternal = line("Diese Einstellung gilt für alle Internteilnehmer.");

constexpr LineSpec Amtsholung[] = {
    bold("Amtsholung"),
    Empty,
    line("Hier können Sie festlegen, ob Sie gehende Verbindungen nach Extern automatisch oder "
         "durch Vorwahl der Kennziffer 0 einleiten möchten."),
    Empty,
    ForAllInternal,
};

constexpr LineSpec Heranholen[] = {
    bold("Externanrufe heranholen"),
    Empty,
    line("Hier können Sie festlegen, ob Internteilnehmer einen Externanruf, der an ihrem Telefon "
         "nicht signalisiert wird, heranholen dürfen."),
    line("Der Internteilnehmer muss dazu die Amtsberechtigung oder die Halbamtsberechtigung "
         "besitzen."),
    Empty,
    ForAllInternal,
};

constexpr LineSpec Anklopfschutz[] = {
    bold("Anklopfschutz"),
    Empty,
    line("Hier können Sie festlegen, ob Extern- oder Türstellenrufe an bestehenden Gesprächen "
         "anklopfen dürfen."),
    Empty,
    line("Diese Einstellung ist anlagenweit und betrifft alle Interngespräche und das Anklopfen "
         "an einem Externgespräch durch einen Türstellenruf."),
    line("Das Anklopfen eines weiteren Externteilnehmers an einem Externgespräch ist ein Dienst "
         "der Varunet und kann durch diese Einstellung nicht beeinflusst werden. Dazu müssen Sie "
         "das Leistungsmerkmal Anklopfen durch die entsprechende Bedienprozedur in der "
         "Vermittlungsstelle ein- bzw. ausschalten."),
};

constexpr LineSpec Wartemusik[] = {
    bold("Wartemusik"),
    Empty,
    line("Hier können Sie die Wartemusik in Ihrer Telefonanlage ein- bzw. ausschalten."),
    Empty,
    line("Ein Externteilnehmer hört die Wartemusik, während Sie ein Rückfragegespräch mit einem "
         "Internteilnehmer führen."),
};

// Three lists of terminal kinds: with emergency devices, with fax, and the oldest models.
constexpr TypeMask WithEmergency = types(4, 6, 7);
constexpr TypeMask WithFax = types(1, 3, 5);
constexpr TypeMask Basic = All & ~(WithEmergency | WithFax);

constexpr LineSpec Kinds[] = {
    bold("Gerätetyp"),
    Empty,
    line("Hier können Sie festlegen, welchen Endgerätetyp sie anschließen möchten."),
    Empty,
    line(WithEmergency, "- Notrufgerät"),
    line(WithEmergency | WithFax, "- Telefon/Kombigerät"),
    line(Basic, "- Telefon/Fax/Kombigerät"),
    line("- Anrufbeantworter"),
    line("- TFE"),
    line(WithEmergency | WithFax, "- Fax"),
    Empty,
    line("Hinweis:"),
    line(T1, "Es kann je eine Nebenstelle auf Gerätetyp Anrufbeantworter, TFE und Fax eingestellt "
             "werden."),
    line((WithEmergency | WithFax) & ~T1,
         "Es kann je ein Anschluss auf Gerätetyp Anrufbeantworter, TFE und Fax eingestellt "
         "werden."),
    line(WithEmergency, "Notrufgeräte sind gegenüber anderen Gerätetypen immer bevorrechtigt."),
    line(Basic, "Es kann nur ein Anschluss auf Gerätetyp Anrufbeantworter und ein Anschluss auf "
                "Gerätetyp TFE eingestellt werden."),
};

constexpr LineSpec Rights[] = {
    bold("Berechtigungen"),
    Empty,
    line(T1, "Hier können Sie festlegen, welche Berechtigungen die Nebenstelle zum Telefonieren "
             "erhalten soll."),
    line(NotT1, "Hier können Sie festlegen, welche Berechtigungen der Anschluss zum Telefonieren "
                "erhalten soll."),
    Empty,
    line("- amtsberechtigt"),
    line("- halbamtsberechtigt"),
    line("- nichtamtsberechtigt"),
    line("- türberechtigt"),
    Empty,
    line("Hinweis:"),
    line("Je nach eingestelltem Gerätetyp können einzelne Einstellungen deaktiviert sein!"),
};

constexpr LineSpec RingExtension[] = {
    bold("Rufsignalisierung festlegen"),
    Empty,
    RingLineT1,
    RingLineOthers,
    Empty,
    line("Bei den Türstellenrufen können Sie selektieren, von welchem Klingeltaster der Ruf "
         "ausgelöst wurde."),
    Empty,
    line("Hinweis:"),
    line("Je nach eingestelltem Gerätetyp oder eingestellter Berechtigung können einzelne "
         "Kontrollkästchen deaktiviert sein!"),
};

constexpr LineSpec DoorAllOn[] = {
    bold(T1, "Türrufe an allen Nebenstellen signalisieren"),
    bold(NotT1, "Türrufe an allen Anschlüssen signalisieren"),
    Empty,
    line(T1, "Hiermit können Sie die Türrufsignalisierung für alle Klingeltasten an allen "
             "Nebenstellen einschalten."),
    line(NotT1, "Hiermit können Sie die Türrufsignalisierung für alle Klingeltasten an allen "
                "Anschlüssen einschalten."),
    Empty,
};

constexpr LineSpec DoorAllOff[] = {
    bold(T1, "Türrufe an keiner Nebenstelle signalisieren"),
    bold(NotT1, "Türrufe an keinem Anschluss signalisieren"),
    Empty,
    line(T1, "Hiermit können Sie die Türrufsignalisierung für alle Klingeltasten an allen "
             "Nebenstellen ausschalten."),
    line(NotT1, "Hiermit können Sie die Türrufsignalisierung für alle Klingeltasten an allen "
                "Anschlüssen ausschalten."),
    Empty,
};

constexpr LineSpec Nachwahl[] = {
    bold("Nachwahl/Faxweiche"),
    Empty,
    line("Die Nachwahlfunktion ermöglicht es einem externen Anrufer, durch Nachwahl der "
         "Nebenstellennummer eine Nebenstelle der Telefonanlage anzurufen."),
    line("Durch Einschalten der Nachwahlfunktion wird auch die Faxweiche der Telefonanlage "
         "aktiviert. Dazu muss aber eine Nebenstelle als Gerätetyp Fax konfiguriert sein."),
    line("Handelt es sich bei dem externen Anrufer um ein Faxgerät, wird dies von der "
         "Telefonanlage erkannt, und das Gespräch an die Fax-Nebenstelle weitergeleitet."),
};

constexpr LineSpec NachwahlOnOff[] = {
    bold("Nachwahl und Faxweiche"),
    Empty,
    line("Hier können Sie die Nachwahlfunktion und Faxweiche Ihrer Telefonanlage ein- bzw. "
         "ausschalten."),
    Empty,
    bold("Nachwahl und Faxweiche ein:"),
    line("Die Telefonanlage nimmt externe Anrufe selbstständig an und wartet auf eine Nachwahl. "
         "Ist der Anrufer ein Faxgerät, wird dies von der Telefonanlage erkannt, und das Gespräch "
         "an die Fax-Nebenstelle weitergeleitet."),
    bold("Nachwahl und Faxweiche aus:"),
    line("Die Telefonanlage ruft bei externen Anrufen alle rufberechtigten Nebenstellen. Eine "
         "Nachwahl ist nicht möglich. Die Faxweiche ist deaktiviert."),
};

constexpr LineSpec RingCount[] = {
    bold("Anzahl der Rufe"),
    Empty,
    line("Hiermit legen Sie bei eingeschalteter Nachwahlfunktion und Faxweiche fest, nach "
         "wievielen Rufen die Telefonanlage den externen Anruf entgegennimmt."),
    line("Mögliche Werte sind 0 - 9."),
    line("0:"),
    line("Die Telefonanlage nimmt den externen Anruf nach dem ersten Ruf entgegen. Eine CLIP "
         "Anzeige an den Nebenstellen ist bei dieser Einstellung nicht möglich."),
    line("1 - 9:"),
    line("Die Telefonanlage nimmt den externen Anruf nach der eingestellten Rufanzahl entgegen. "
         "Die Nebenstellen erhalten bis zum Erreichen der eingestellten Rufanzahl den Externruf. "
         "Eine CLIP Anzeige an den Nebenstellen ist bei 2 - 9 Rufen möglich."),
};

constexpr LineSpec NachwahlTimeout[] = {
    bold("Wartezeit für Nachwahl und Faxweiche"),
    Empty,
    line("Hiermit legen Sie bei eingeschalteter Nachwahlfunktion und Faxweiche fest, wie lange "
         "die Telefonanlage nach der Annahme des externen Rufes auf eine Nachwahl oder ein CNG "
         "Signal von einem Fax wartet."),
    line("Mögliche Werte sind 3 - 25 Sekunden."),
    Empty,
    line("Bei Werten unterhalb von 8 Sekunden ist keine sichere Faxerkennung möglich."),
};

constexpr LineSpec Advanced[] = {
    bold("Erweitert"),
    Empty,
    line("Hier können Sie weitere Einstellungen für den Externanschluss vornehmen."),
    Empty,
};

constexpr LineSpec Hookflash[] = {
    bold("Hookflash"),
    Empty,
    line("Hiermit legen Sie fest, wie das Hookflash-Signal (langer Flash) von der Telefonanlage "
         "ausgewertet werden soll."),
    Empty,
    bold("an Vermittlungsstelle weiterleiten:"),
    line("Ein Hookflash von einem Endgerät wird von der Telefonanlage an die Vermittlungsstelle "
         "weitergeleitet. Dies ist notwendig, um manche Leistungsmerkmale in der "
         "Vermittlungsstelle zu steuern."),
    Empty,
    bold("für Rückfrage verwenden:"),
    line("Ein Hookflash von einem Endgerät wird von der Telefonanlage zum Einleiten einer "
         "Rückfrage verwendet. Der Hookflash wird nicht ans Amt weitergeleitet."),
};

constexpr LineSpec Contacts[] = {
    bold(T34, "Schaltkontakte"),
    bold(NotT34, "Schaltkontakt"),
    Empty,
    line(T34, "Hiermit legen Sie die Betriebsart und die Schaltzeit der Schaltkontakte fest."),
    line(T34, "Für jeden Schaltkontakt können dabei unterschiedliche Einstellungen vorgenommen "
              "werden."),
    line(NotT34, "Hiermit legen Sie die Betriebsart und die Schaltzeit des Schaltkontaktes fest."),
};

constexpr LineSpec ContactControl[] = {
    bold("Schaltkontakt steuern durch"),
    Empty,
    line(T34, "Sie können für jeden Kontakt festlegen, wodurch er gesteuert werden soll."),
    line(NotT34, "Sie können für den Kontakt festlegen, wodurch er gesteuert werden soll."),
    bold("Interntelefon:"),
    line("Der Kontakt wird durch Tastaturbefehle von den Interntelefonen gesteuert."),
    bold("Klingeltaster:"),
    line("Der Kontakt wird das Betätigen eines Klingeltasters gesteuert."),
    bold("Externruf:"),
    line("Der Kontakt wird durch einen Externruf gesteuert."),
    bold("Fernsteuerung:"),
    line("Der Kontakt wird von einem externen Telefon gesteuert. Dazu muss die Nachwahlfunktion "
         "eingeschaltet sein, und die PIN für Fernsteuerung darf nicht 0000 sein."),
};

constexpr LineSpec SwitchTime[] = {
    bold("Schaltzeit"),
    Empty,
    line("Hier legen Sie die Zeit fest, für die der Kontakt bei einer Zeitsteuerung betätigt "
         "wird."),
    line("Dies ist zum Beispiel der Fall, wenn der Kontakt durch einen Klingeltaster gesteuert "
         "wird."),
    line("Von einem Intern- oder Externtelefon ist durch Eingabe des entsprechenden "
         "Tastaturbefehls ebenfalls eine Zeitsteuerung des Kontaktes möglich."),
};

constexpr LineSpec RemoteControl[] = {
    bold("Fernsteuerung"),
    Empty,
    line(T34, "Hier legen Sie die PIN für das Fernsteuern der Kontakte und die maximale Wartezeit "
              "für die Eingabe der PIN und der Schaltbefehle fest."),
    line(NotT34, "Hier legen Sie die PIN für das Fernsteuern des Kontaktes und die maximale "
                 "Wartezeit für die Eingabe der PIN und der Schaltbefehle fest."),
    line("Die PIN muss immer vierstellig und darf nicht 0000 sein. Ist die PIN 0000, so ist das "
         "Fernsteuern ausgeschaltet."),
    line(T34, "Für die Wartezeiten muss ein Wert zwischen 3 und 25 Sekunden eingegeben werden."),
    line(NotT34, "Für die Wartezeit muss ein Wert zwischen 3 und 25 Sekunden eingegeben werden."),
};

// Topic number -> its lines; several topics share one text.
constexpr std::array<std::span<const LineSpec>, HighestHelpTopic + 1> Topics{{
    {},              // 0: empty panel
    Program,         // 1
    ExternalLine,    // 2
    Permissions,     // 3
    Ringing,         // 4
    ReadDevice,      // 5
    ProgramDevice,   // 6
    FactoryReset,    // 7
    Program,         // 8
    Open,            // 9
    SaveAs,          // 10
    New,             // 11
    Exit,            // 12
    Print,           // 13
    PrinterSetup,    // 14
    Firmware,        // 15
    Amtsholung,      // 16
    Heranholen,      // 17
    Anklopfschutz,   // 18
    Wartemusik,      // 19
    Kinds,           // 20
    Rights,          // 21
    RingExtension,   // 22
    DoorAllOn,       // 23
    DoorAllOff,      // 24
    Nachwahl,        // 25
    NachwahlOnOff,   // 26
    RingCount,       // 27
    NachwahlTimeout, // 28
    Advanced,        // 29
    Hookflash,       // 30
    Contacts,        // 31
    ContactControl,  // 32
    ContactControl,  // 33
    SwitchTime,      // 34
    ContactControl,  // 35
    ContactControl,  // 36
    SwitchTime,      // 37
    RemoteControl,   // 38
}};

} // namespace

QList<HelpLine> helpTopicLines(int topic, DeviceType type) {
    QList<HelpLine> lines;
    if (topic < 0 || topic > HighestHelpTopic)
        return lines;
    const TypeMask bit = static_cast<TypeMask>(1u << (isDefinedDeviceType(type) ? type : 0));
    for (const LineSpec& limits : Topics[static_cast<std::size_t>(topic)])
        if (limits.types & bit)
            lines.append({QString::fromUtf8(limits.text), limits.bold});
    return lines;
}

QString helpTopicTitle(int topic, DeviceType type) {
    for (const HelpLine& l : helpTopicLines(topic, type))
        if (l.bold)
            return l.text;
    return {};
}

QString helpTopicHtml(int topic, DeviceType type) {
    QString html;
    for (const HelpLine& l : helpTopicLines(topic, type)) {
        // Marked empty, or the break would stay in the paragraph as a line separator.
        if (l.text.isEmpty()) {
            html += QStringLiteral("<p style=\"-qt-paragraph-type:empty; margin:0\"><br></p>");
            continue;
        }
        const QString body = l.text.toHtmlEscaped();
        html += QStringLiteral("<p style=\"margin:0\">") +
                (l.bold ? QStringLiteral("<b>") + body + QStringLiteral("</b>") : body) +
                QStringLiteral("</p>");
    }
    return html;
}

} // namespace talvaro
