#include "sim/LoaderHandler.h"

namespace talvaro::sim {
namespace {

struct LoaderSession {
    bool active = false; // records are being received
    std::chrono::steady_clock::time_point lastByte;
};

} // namespace

std::shared_ptr<LoaderReception> installFirmwareLoader(SimDevice& device, LoaderOptions options) {
    auto reception = std::make_shared<LoaderReception>(options.faults);
    auto session = std::make_shared<LoaderSession>();
    // The device owns the handler, so the reference to it cannot dangle.
    device.setLoaderHandler(
        [&device, reception, session, options = std::move(options)](const QByteArray& bytes) {
            const auto now = options.clock();
            if (session->active && now - session->lastByte >= options.restartAfter) {
                session->active = false;
                reception->restart();
                device.leaveLoader();
                return device.receive(bytes);
            }
            session->active = true;
            session->lastByte = now;
            QByteArray reply;
            for (const char byte : bytes)
                reply += reception->receive(byte);
            return reply;
        });
    device.setLoaderChatter([reception] { return reception->chatter(); });
    return reception;
}

} // namespace talvaro::sim
