#include "ConfigModel.h"
#include "ControlNames.h"

#include <array>
#include <cmath>

// The configuration image of both families and its translation to and from the editor.
// Only the bytes named in the layouts are written; all others keep what they held.
namespace talvaro {

namespace {

constexpr int None = -1;

struct ImageLayout {
    int kinds, flags, ringMasks;
    int heranholen, amtsholung, anklopfschutz, wartemusik, hookflash, nachwahl;
    int anzahlRufe, timeout1, timeoutPin, timeoutSchalt;
    std::array<int, 2> contact;
    int secondContactFixed; // six-extension images carry one contact; the second is fixed
    std::array<int, 2> switchTime;
    int pin;
};

// clang-format off
//                               kinds flags masks heran amts ankl warte hook nachw rufe t1  tpin tschalt contacts    fixed times       pin
constexpr ImageLayout FourLayout{0,    4,    8,    16,   17,  18,  19,   20,  21,   22,  23, 24,  25,     {32, 33},   None, {36, 38},   48};
constexpr ImageLayout SixLayout {0,    8,    16,   32,   33,  34,  35,   36,  37,   38,  39, 40,  41,     {48, None}, 49,   {52, None}, 64};
// clang-format on

const ImageLayout& layoutFor(DeviceType type) {
    return isSixExtension(type) ? SixLayout : FourLayout;
}

// Extension flag byte.
constexpr quint8 FlagVollamt = 0x01;
constexpr quint8 FlagHalbamt = 0x02;
constexpr quint8 FlagNichtamt = 0x04;
constexpr quint8 FlagDoor = 0x08;
constexpr quint8 FlagExternalCall = 0x10;

// Contact control byte.
constexpr quint8 ContactIntern = 0x01;
constexpr quint8 ContactExtern = 0x20;
constexpr quint8 ContactFern = 0x40;
constexpr quint8 contactBellButton(int button) {
    return static_cast<quint8>(1u << button); // Taster 1..4 are bits 1..4
}
constexpr quint8 ContactBellButtons = 0x1e;

// PIN digits: 1..9 as their value; the digit 0 travels as 10, because a 0 byte marks
// the PIN as unset.
constexpr quint8 PinDigitZero = 10;
const QString UnsetPin = QStringLiteral("0000");

struct YesNoChoice {
    int ImageLayout::*offset;
    const char* yes;
    const char* no;
};

// Decoded and encoded in this order.
constexpr std::array<YesNoChoice, 5> YesNoChoices{{
    {&ImageLayout::amtsholung, "RBAmtsholungJa", "RBAmtsholungNein"},
    {&ImageLayout::heranholen, "RBHeranholenJa", "RBHeranholenNein"},
    {&ImageLayout::anklopfschutz, "RBAnklopfschutzJa", "RBAnklopfschutzNein"},
    {&ImageLayout::wartemusik, "RBWartemusikJa", "RBWartemusikNein"},
    {&ImageLayout::nachwahl, "RBNachwahlJa", "RBNachwahlNein"},
}};

quint8 byteAt(const QByteArray& image, int offset) {
    return static_cast<quint8>(image.at(offset));
}

void putByte(QByteArray& image, int offset, int value) {
    image[offset] = static_cast<char>(static_cast<quint8>(value));
}

QString decodePin(const QByteArray& image, int offset) {
    QString pin;
    for (int i = 0; i < 4; ++i) {
        const quint8 b = byteAt(image, offset + i);
        if (b == 0 || b > PinDigitZero)
            return UnsetPin;
        pin.append(QChar(u'0' + (b == PinDigitZero ? 0 : b)));
    }
    return pin;
}

// "0000" (remote control off) stays four 0 bytes, as a device in factory state holds it.
void encodePin(QByteArray& image, int offset, const QString& text) {
    bool ok = false;
    int number = text.toInt(&ok);
    if (!ok || number < 0 || number > 9999)
        number = 0;
    const bool unset = number == 0;
    for (int i = 3; i >= 0; --i) {
        const int digit = number % 10;
        putByte(image, offset + i, unset ? 0 : digit == 0 ? PinDigitZero : digit);
        number /= 10;
    }
}

// Hundredths of a second, truncated; the tolerance keeps 2.3 s from becoming 229.
int hundredths(double seconds) {
    return static_cast<int>(std::floor(seconds * 100.0 + 1e-6));
}

} // namespace

void ConfigModel::decodeImage(const ImageBuffers& images) {
    const DeviceType type = m_document.deviceType();
    const ImageLayout& at = layoutFor(type);
    // A short buffer reads as if padded with zeros.
    QByteArray image = isSixExtension(type) ? images.sixWorking : images.fourWorking;
    const int length = familyProfile(type).imageLength;
    if (image.size() < length)
        image.append(QByteArray(length - image.size(), '\0'));
    const int count = extensionCount();

    for (const YesNoChoice& c : YesNoChoices)
        setChecked(QLatin1String(byteAt(image, at.*c.offset) ? c.yes : c.no), true);
    // The fields clamp whatever they are given, so they never need a fall-back value.
    setValue(QStringLiteral("LMDSpinEditAnzahlRufe"), byteAt(image, at.anzahlRufe));
    setValue(QStringLiteral("LMDSpinEditTimeout1"), byteAt(image, at.timeout1) / 10);
    setChecked(byteAt(image, at.hookflash) ? QStringLiteral("RBHookflashRueckfrage")
                                           : QStringLiteral("RBHookflashAmt"),
               true);

    for (int n = 1; n <= count; ++n) {
        const quint8 kind = byteAt(image, at.kinds + n - 1);
        setChecked(
            extensionControl(names::KindRadios[kind < names::KindRadios.size() ? kind : 0], n),
            true);
    }
    for (int n = 1; n <= count; ++n) {
        const quint8 flags = byteAt(image, at.flags + n - 1);
        setChecked(extensionControl("CBarb", n), flags & FlagExternalCall);
        const bool door = isChecked(extensionControl("CBtb", n));
        for (int button = 1; button <= 4; ++button) {
            const quint8 mask = byteAt(image, at.ringMasks + button - 1);
            setEnabled(names::ringBox(button, n), door);
            setChecked(names::ringBox(button, n), door && (mask & (1u << (n - 1))));
        }
    }
    for (int n = 1; n <= count; ++n) {
        const quint8 flags = byteAt(image, at.flags + n - 1);
        const char* line = (flags & FlagNichtamt)  ? "RBnab"
                           : (flags & FlagHalbamt) ? "RBhab"
                                                   : "RBvab";
        setChecked(extensionControl(line, n), true);
        setChecked(extensionControl("CBtb", n), flags & FlagDoor);
    }
    // The permission rules just run may have preset what the image says otherwise: read
    // back every box that is still the user's to choose.
    for (int n = 1; n <= count; ++n) {
        const quint8 flags = byteAt(image, at.flags + n - 1);
        const QString externalCall = extensionControl("CBarb", n);
        if (state(externalCall).enabled)
            setChecked(externalCall, flags & FlagExternalCall);
        if (!isChecked(extensionControl("CBtb", n)))
            continue;
        for (int button = 1; button <= 4; ++button)
            setChecked(names::ringBox(button, n),
                       byteAt(image, at.ringMasks + button - 1) & (1u << (n - 1)));
    }

    for (int contact = 1; contact <= 2; ++contact) {
        if (at.contact[contact - 1] == None)
            continue;
        const quint8 b = byteAt(image, at.contact[contact - 1]);
        if (b != ContactIntern && (b & ContactBellButtons)) {
            setChecked(names::contactChoice(contact, "Klingel"), true);
            for (int button = 1; button <= 4; ++button)
                setChecked(names::contactButton(contact, button), b & contactBellButton(button));
        } else {
            const char* choice = b == ContactExtern ? "Extern"
                                 : b == ContactFern ? "Fern"
                                                    : "Intern";
            setChecked(names::contactChoice(contact, choice), true);
        }
    }
    for (int contact = 1; contact <= 2; ++contact) {
        const int offset = at.switchTime[contact - 1];
        if (offset == None)
            continue;
        const int raw = byteAt(image, offset) | byteAt(image, offset + 1) << 8;
        setValue(names::switchTimeField(contact), raw * 0.01);
    }

    setText(QStringLiteral("LMDEditFernsteuerungPin"), decodePin(image, at.pin));
    setValue(QStringLiteral("LMDExtSpinEditTimeout2"), byteAt(image, at.timeoutPin) / 10);
    setValue(QStringLiteral("LMDExtSpinEditTimeout3"), byteAt(image, at.timeoutSchalt) / 10);
}

void ConfigModel::encodeImage(ImageBuffers& images) {
    const DeviceType type = m_document.deviceType();
    const ImageLayout& at = layoutFor(type);
    QByteArray& image = images.working(type);
    const int length = familyProfile(type).imageLength;
    if (image.size() < length)
        image.append(QByteArray(length - image.size(), '\0'));
    const int count = extensionCount();

    for (int n = 1; n <= count; ++n)
        putByte(image, at.flags + n - 1, 0);

    for (const YesNoChoice& c : YesNoChoices)
        putByte(image, at.*c.offset, isChecked(QLatin1String(c.yes)) ? 1 : 0);
    putByte(image, at.anzahlRufe,
            static_cast<int>(valueOf(QStringLiteral("LMDSpinEditAnzahlRufe"))));
    putByte(image, at.timeout1,
            static_cast<int>(valueOf(QStringLiteral("LMDSpinEditTimeout1")) * 10));
    putByte(image, at.hookflash, isChecked(QStringLiteral("RBHookflashAmt")) ? 0 : 1);

    for (int n = 1; n <= count; ++n)
        putByte(image, at.kinds + n - 1, static_cast<int>(kindOf(n)));

    for (int button = 1; button <= 4; ++button)
        putByte(image, at.ringMasks + button - 1, 0);
    for (int n = 1; n <= count; ++n) {
        if (isChecked(extensionControl("CBarb", n)))
            putByte(image, at.flags + n - 1, FlagExternalCall);
        for (int button = 1; button <= 4; ++button) {
            const int offset = at.ringMasks + button - 1;
            if (isChecked(names::ringBox(button, n)))
                putByte(image, offset, byteAt(image, offset) | 1u << (n - 1));
        }
    }

    for (int n = 1; n <= count; ++n) {
        const int offset = at.flags + n - 1;
        quint8 flags = byteAt(image, offset);
        flags |= isChecked(extensionControl("RBnab", n))   ? FlagNichtamt
                 : isChecked(extensionControl("RBhab", n)) ? FlagHalbamt
                                                           : FlagVollamt;
        if (isChecked(extensionControl("CBtb", n)))
            flags |= FlagDoor;
        putByte(image, offset, flags);
    }

    for (int contact = 1; contact <= 2; ++contact) {
        const int offset = at.contact[contact - 1];
        if (offset == None)
            continue;
        int b = ContactIntern;
        if (isChecked(names::contactChoice(contact, "Klingel"))) {
            b = 0;
            for (int button = 1; button <= 4; ++button)
                if (isChecked(names::contactButton(contact, button)))
                    b |= contactBellButton(button);
        } else if (isChecked(names::contactChoice(contact, "Extern"))) {
            b = ContactExtern;
        } else if (isChecked(names::contactChoice(contact, "Fern"))) {
            b = ContactFern;
        } else if (!isChecked(names::contactChoice(contact, "Intern"))) {
            setChecked(names::contactChoice(contact, "Intern"), true);
        }
        putByte(image, offset, b);
    }
    if (at.secondContactFixed != None)
        putByte(image, at.secondContactFixed, ContactIntern);

    for (int contact = 1; contact <= 2; ++contact) {
        const int offset = at.switchTime[contact - 1];
        if (offset == None)
            continue;
        const int raw = hundredths(valueOf(names::switchTimeField(contact)));
        putByte(image, offset, raw & 0xff);
        putByte(image, offset + 1, raw >> 8);
    }

    encodePin(image, at.pin, state(QStringLiteral("LMDEditFernsteuerungPin")).text);
    putByte(image, at.timeoutPin,
            static_cast<int>(valueOf(QStringLiteral("LMDExtSpinEditTimeout2")) * 10));
    putByte(image, at.timeoutSchalt,
            static_cast<int>(valueOf(QStringLiteral("LMDExtSpinEditTimeout3")) * 10));

    images.checksum = imageChecksum(image);
}

} // namespace talvaro
