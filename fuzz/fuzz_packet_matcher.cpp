// The packet matcher on the real serial link, behind a pseudo-terminal: the input is a
// script of requests, disarms and chunks of received bytes, and decides where the
// chunks break. Every packet must be the next bytes of the line with the shape armed for,
// every request gets at most one event, and a request its bytes complete is answered.
#include "link/PacketMatcher.h"
#include "link/SerialLink.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <fuzzer/FuzzedDataProvider.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>

using namespace talvaro;

namespace {

constexpr int NeverTicks = 10000; // far beyond any run: only 0-tick requests time out
constexpr int LongestChunk = 64;
constexpr int WaitMs = 2000;

struct Request {
    bool live = false; // armed and not yet answered, cancelled or re-armed
    bool line = true;
    int count = 0;
    bool expires = false;
    qsizetype start = 0; // offset in the stream of the request's first byte
};

struct Line {
    Line() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            abort();
        link.setPortMap(PortMap({QString::fromLocal8Bit(ptsname(master))}));
        link.setPortNumber(1);
        if (!link.open())
            abort();
        // Counts the bytes as they arrive, before the matcher takes any.
        QObject::connect(&link, &SerialLink::inputArrived, [this] {
            received += link.pendingInput() - pendingSeen;
            pendingSeen = link.pendingInput();
        });
        matcher = new PacketMatcher(link);
        QObject::connect(&link, &SerialLink::inputArrived, [this] { seen(); });
        QObject::connect(matcher, &PacketMatcher::packet,
                         [this](const QByteArray& bytes) { packet(bytes); });
        QObject::connect(matcher, &PacketMatcher::timeout, [this] { timeout(); });
    }

    void seen() { pendingSeen = link.pendingInput(); }
    // Stream offset of the first byte the matcher has not taken.
    qsizetype front() const { return received - link.pendingInput(); }

    // Whether the bytes from the request's start complete it, and where.
    qsizetype completionEnd() const {
        const QByteArray available = stream.mid(request.start, received - request.start);
        if (!request.line)
            return available.size() >= request.count ? request.count : -1;
        const qsizetype crlf = available.indexOf("\r\n");
        return crlf < 0 ? -1 : crlf + 2;
    }

    void packet(const QByteArray& bytes) {
        if (!request.live || matcher->isArmed())
            __builtin_trap();
        request.live = false;
        if (bytes != stream.mid(request.start, bytes.size()))
            __builtin_trap();
        if (bytes.size() != completionEnd())
            __builtin_trap(); // not the first complete packet
        seen();
    }

    void timeout() {
        if (!request.live || !request.expires || matcher->isArmed())
            __builtin_trap();
        request.live = false;
        // The bytes taken for this request did not complete it.
        const QByteArray taken = stream.mid(request.start, front() - request.start);
        if (request.line ? taken.contains("\r\n") : taken.size() >= request.count)
            __builtin_trap();
        seen();
    }

    void arm(bool line, int count, bool expires) {
        request = {true, line, std::max(count, 1), expires, front()};
        if (line)
            matcher->armForLine(expires ? 0 : NeverTicks);
        else
            matcher->armForBytes(count, expires ? 0 : NeverTicks);
        seen();
    }

    void disarm() {
        request.live = false;
        matcher->disarm();
        seen();
    }

    // Runs what is due: queued packets, 0-tick time-outs, arrived bytes.
    void pump() {
        QEventLoop loop;
        for (int i = 0; i < 100 && loop.processEvents(); ++i) {
        }
        // A request that its bytes complete has been answered by now.
        if (request.live && completionEnd() >= 0)
            __builtin_trap();
    }

    // False when the bytes did not come through in time (a busy machine); the run ends.
    bool feed(const QByteArray& chunk) {
        stream += chunk;
        for (qsizetype done = 0; done < chunk.size();) {
            const ssize_t n = ::write(master, chunk.constData() + done, chunk.size() - done);
            if (n <= 0)
                return false;
            done += n;
        }
        QElapsedTimer clock;
        clock.start();
        while (received < stream.size() && clock.elapsed() < WaitMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (received != stream.size())
            return false;
        pump();
        return true;
    }

    // Back to a disarmed matcher and an empty line between runs.
    void reset(bool inconclusive) {
        matcher->disarm();
        if (inconclusive) {
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < 200)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QEventLoop loop;
        while (loop.processEvents()) {
        }
        link.takeInput(link.pendingInput());
        stream.clear();
        received = 0;
        pendingSeen = 0;
        request = {};
    }

    int master = -1;
    SerialLink link;
    PacketMatcher* matcher = nullptr;
    QByteArray stream;      // every byte fed in this run
    qsizetype received = 0; // of those, how many reached the link
    qsizetype pendingSeen = 0;
    Request request;
};

Line* line = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    line = new Line;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    bool conclusive = true;
    while (conclusive && input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange(0, 5)) {
        case 0:
        case 1: {
            const auto n = input.ConsumeIntegralInRange<size_t>(1, LongestChunk);
            const std::string chunk = input.ConsumeBytesAsString(n);
            conclusive = line->feed(QByteArray::fromStdString(chunk));
            break;
        }
        case 2:
            line->arm(true, 0, input.ConsumeBool());
            break;
        case 3: {
            const int count = input.ConsumeIntegralInRange(-1, 80);
            line->arm(false, count, input.ConsumeBool());
            break;
        }
        case 4:
            line->disarm();
            break;
        case 5:
            line->pump();
            break;
        }
    }
    if (conclusive)
        line->pump();
    line->reset(!conclusive);
    return 0;
}
