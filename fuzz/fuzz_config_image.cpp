// Configuration images of any content and length, decoded into the editor of every
// device type and encoded again, as after a read from the device or a file load.
#include "FuzzDialogs.h"
#include "model/ConfigModel.h"
#include "model/Document.h"
#include "model/ImageBuffers.h"

#include <QByteArray>

#include <cstdint>
#include <memory>

using namespace talvaro;

namespace {

// The editor as the window holds it after setDeviceType.
struct Editor {
    explicit Editor(DeviceType type) : model(document, dialogs) {
        document.applyDeviceType(type);
        model.adaptToDeviceType();
    }
    // decode, then encode into a copy of `image`
    QByteArray cycle(DeviceType type, const QByteArray& image) {
        images.working(type) = image;
        model.decodeImage(images);
        model.encodeImage(images);
        if (images.checksum != imageChecksum(images.working(type)))
            __builtin_trap();
        return images.working(type);
    }

    // Encodes the unchanged editor over `image`.
    QByteArray encodeOver(DeviceType type, const QByteArray& image) {
        images.working(type) = image;
        model.encodeImage(images);
        return images.working(type);
    }

    FuzzDialogs dialogs;
    Document document;
    ConfigModel model;
    ImageBuffers images;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const DeviceType type = data[0] % (HighestDeviceType + 2); // 8 stands for any code above 7
    const QByteArray raw(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const qsizetype length = familyProfile(type).imageLength;

    Editor editor(type);
    const QByteArray encoded = editor.cycle(type, raw);
    // Short images read as zero-padded; bytes past the image are never touched.
    if (encoded.size() != std::max(raw.size(), length))
        __builtin_trap();
    if (encoded.mid(length) != raw.mid(length))
        __builtin_trap();

    // Every byte is either written from the editor alone or kept as it was: encoded over
    // two images that differ in every bit, each byte is the same in both or untouched.
    QByteArray inverted = encoded;
    for (char& byte : inverted)
        byte = static_cast<char>(~byte);
    const QByteArray overInverted = editor.encodeOver(type, inverted);
    const QByteArray overEncoded = editor.encodeOver(type, encoded);
    if (overEncoded != encoded)
        __builtin_trap();
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const bool written = overInverted[i] == overEncoded[i];
        const bool kept = overInverted[i] == inverted[i] && overEncoded[i] == encoded[i];
        if (!written && !kept)
            __builtin_trap();
    }

    // What the editor wrote it reads back unchanged: stable in the same editor and in a
    // fresh one, as when a programmed device is read again or a saved file reopened.
    if (editor.cycle(type, encoded) != encoded)
        __builtin_trap();
    Editor reopened(type);
    if (reopened.cycle(type, encoded) != encoded)
        __builtin_trap();

    // A code above 7 behaves as type 0.
    if (type > HighestDeviceType && Editor(0).cycle(0, raw) != encoded)
        __builtin_trap();

    // Reading a configuration never fails and never asks anything.
    if (editor.dialogs.messages != 0 || reopened.dialogs.messages != 0)
        __builtin_trap();
    return 0;
}
