#pragma once

#include "sim/LoaderReception.h"
#include "sim/SimDevice.h"

#include <chrono>
#include <functional>
#include <memory>

namespace talvaro::sim {

struct LoaderOptions {
    LoaderFaults faults;
    // A loader that has heard nothing for this long has stored the firmware and
    // restarted the device. The transfer waits 3.2 s after the last record.
    std::chrono::milliseconds restartAfter{1000};
    std::function<std::chrono::steady_clock::time_point()> clock = [] {
        return std::chrono::steady_clock::now();
    };
};

// Gives the device a firmware loader: after the handshake it takes records, and once
// the line has been quiet for restartAfter, what arrives is a command to the restarted
// device again. The returned reception is the loader's state; behind a PtyDevice, read
// it inside withDevice.
std::shared_ptr<LoaderReception> installFirmwareLoader(SimDevice& device,
                                                       LoaderOptions options = {});

} // namespace talvaro::sim
