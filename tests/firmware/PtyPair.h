#pragma once

#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal standing in for a serial cable: the program opens `slavePath`, the
// test plays the device on `master`. The test keeps a slave handle of its own, so that
// the line stays up while the program opens and closes its side.
struct PtyPair {
    PtyPair() {
        termios raw{};
        ::cfmakeraw(&raw);
        char name[128] = {};
        if (::openpty(&master, &slave, name, &raw, nullptr) == 0) {
            slavePath = QString::fromLocal8Bit(name);
            ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        }
    }
    ~PtyPair() {
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return master >= 0 && !slavePath.isEmpty(); }

    bool send(const QByteArray& bytes) const {
        return ::write(master, bytes.constData(), bytes.size()) == bytes.size();
    }
    // What the program has written, waiting up to `timeoutMs` for the first byte.
    QByteArray receive(int timeoutMs) const {
        QByteArray got;
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return got;
        char buffer[512];
        ssize_t n;
        while ((n = ::read(master, buffer, sizeof buffer)) > 0)
            got.append(buffer, n);
        return got;
    }

    int master = -1;
    int slave = -1;
    QString slavePath;
};
