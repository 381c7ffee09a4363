#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace talvaro {

// The serial trace: while recording, traffic is kept in memory as a readable hex dump
// with time and direction; appending adds it to the end of the log file (readable by
// its owner only) and stops. Every row carries a mark after the time: "K" for bytes of
// a configuration image, so that the support report can leave them out, "-" for the
// rest. Rows written before there were marks have none.
class TraceLog {
public:
    enum class Direction { Sent, Received, Discarded, Dropped };

    static constexpr char PayloadMark = 'K';
    static constexpr char PlainMark = '-';

    // ComLog.log in the user's data folder, shared by the window and the command line.
    static QString defaultFilePath();

    void setFileName(const QString& name);
    QString fileName() const { return m_fileName; }

    void start() { m_recording = true; }
    bool isRecording() const { return m_recording; }
    void record(Direction direction, const QByteArray& bytes);
    void note(const QString& text);
    // The next record sent is image bytes.
    void nextSentIsPayload() { m_nextSentPayload = true; }
    // Everything received, discarded or dropped from now until the next record sent is
    // image bytes (the device's answer to a read command).
    void incomingIsPayload() { m_incomingPayload = true; }
    void endPayload() { m_nextSentPayload = m_incomingPayload = false; }
    // Creates the file's folder when needed. False when the file could not be written;
    // the recorded traffic is kept then.
    bool append();

    QString text() const { return m_lines.join(QLatin1Char('\n')); }

    static QStringList hexDump(const QByteArray& bytes);

    // The trace's lines with the bytes of every configuration image replaced by their
    // number ("[77 Byte Konfiguration ausgelassen]"). Rows without a mark come from
    // before there were marks: a record of more than two bytes is left out, and so is
    // everything from a command longer than two bytes (reading or writing an image)
    // up to the next short command.
    static QString withoutConfigurations(const QString& text);

private:
    QString m_fileName = QStringLiteral("ComLog.log");
    bool m_recording = false;
    bool m_nextSentPayload = false;
    bool m_incomingPayload = false;
    QStringList m_lines;
};

} // namespace talvaro
