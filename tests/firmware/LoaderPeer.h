#pragma once

#include "PtyPair.h"
#include "firmware/FirmwareTransfer.h"

#include <QByteArray>
#include <QList>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

// The transfer's waits cut short for a loader peer that answers at once; a missing reply
// is given up after twice `replyTimeoutMs`.
inline talvaro::TransferTimings quickTimings(int replyTimeoutMs) {
    talvaro::TransferTimings t;
    t.afterLinkClosed = 0;
    t.beforeOpen = 0;
    t.openTimeout = 20;
    t.replyTimeout = replyTimeoutMs;
    t.afterClose = 0;
    t.afterTransfer = 0;
    return t;
}

// Plays the device's loader on the master side of a pseudo-terminal: collects records
// (length field plus L bytes) and answers each with the next scripted reply, or with
// the accept byte once the script is used up. A reply of -1 means silence.
class LoaderPeer {
public:
    LoaderPeer(const PtyPair& pty, QList<int> replies, QByteArray afterReply = {})
        : m_pty(pty), m_replies(std::move(replies)), m_afterReply(std::move(afterReply)),
          m_thread([this] { run(); }) {}
    ~LoaderPeer() { stop(); }

    // Stops reading: whatever the program writes from now on stays in the pty.
    void stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

    QList<QByteArray> records() const {
        std::lock_guard lock(m_mutex);
        return m_records;
    }
    std::chrono::steady_clock::time_point lastReply() const {
        std::lock_guard lock(m_mutex);
        return m_lastReply;
    }

private:
    void run() {
        QByteArray pending;
        while (!m_stop) {
            pending += m_pty.receive(10);
            while (pending.size() >= 2) {
                const int length = quint8(pending[0]) << 8 | quint8(pending[1]);
                if (pending.size() < 2 + length)
                    break;
                answer(pending.left(2 + length));
                pending.remove(0, 2 + length);
            }
        }
    }

    void answer(const QByteArray& record) {
        int reply = 0x11;
        {
            std::lock_guard lock(m_mutex);
            m_records.append(record);
            if (!m_replies.isEmpty())
                reply = m_replies.takeFirst();
        }
        if (reply < 0)
            return;
        // Reply and any trailing noise leave in one piece, as a device would send them.
        m_pty.send(QByteArray(1, static_cast<char>(reply)) + m_afterReply);
        std::lock_guard lock(m_mutex);
        m_lastReply = std::chrono::steady_clock::now();
    }

    const PtyPair& m_pty;
    mutable std::mutex m_mutex;
    QList<int> m_replies;
    QList<QByteArray> m_records;
    std::chrono::steady_clock::time_point m_lastReply;
    const QByteArray m_afterReply;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};
