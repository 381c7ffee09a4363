#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace talvaro {

// The serial trace: while recording, traffic is kept in memory as a readable hex dump
// with time and direction; appending adds it to the end of the log file and stops.
class TraceLog {
public:
    enum class Direction { Sent, Received, Discarded, Dropped };

    // ComLog.log in the user's data folder, shared by the window and the command line.
    static QString defaultFilePath();

    void setFileName(const QString& name);
    QString fileName() const { return m_fileName; }

    void start() { m_recording = true; }
    bool isRecording() const { return m_recording; }
    void record(Direction direction, const QByteArray& bytes);
    void note(const QString& text);
    // Creates the file's folder when needed. False when the file could not be written;
    // the recorded traffic is kept then.
    bool append();

    QString text() const { return m_lines.join(QLatin1Char('\n')); }

    static QStringList hexDump(const QByteArray& bytes);

private:
    QString m_fileName = QStringLiteral("ComLog.log");
    bool m_recording = false;
    QStringList m_lines;
};

} // namespace talvaro
