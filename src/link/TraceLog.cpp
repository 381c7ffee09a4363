#include "TraceLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <array>
#include <utility>

namespace talvaro {
namespace {

constexpr int BytesPerRow = 16;
constexpr int MaxFileNameLength = 255;

struct DirectionLabel {
    TraceLog::Direction direction;
    const char* label;
};

constexpr std::array<DirectionLabel, 4> Labels{{
    {TraceLog::Direction::Sent, "PC -> Anlage"},
    {TraceLog::Direction::Received, "Anlage -> PC"},
    {TraceLog::Direction::Discarded, "verworfen   "},
    {TraceLog::Direction::Dropped, "Puffer voll "},
}};

QString labelOf(TraceLog::Direction direction) {
    for (const DirectionLabel& l : Labels)
        if (l.direction == direction)
            return QString::fromLatin1(l.label);
    return {};
}

// Up to two bytes are the commands ("T\r") and single replies (ACK) of the protocol.
constexpr qsizetype ShortRecord = 2;

QString labelPattern() {
    QStringList labels;
    for (const DirectionLabel& l : Labels)
        labels << QRegularExpression::escape(QString::fromLatin1(l.label));
    return labels.join(QLatin1Char('|'));
}

// A record is left out from its first row on; its further rows only add their bytes.
class Redaction {
public:
    QString run(const QString& text) {
        static const QRegularExpression head(
            QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} "
                           "(?:([K-]) )?(%1) )((?:[0-9A-F]{2} )+)")
                .arg(labelPattern()));
        static const QRegularExpression next(QStringLiteral("^ +(?:([K-]) +)?((?:[0-9A-F]{2} )+)"));
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            if (const auto row = head.match(line); row.hasMatch())
                headRow(line, row);
            else if (const auto more = next.match(line); more.hasMatch())
                nextRow(line, more);
            else
                keep(line, false);
        }
        flush();
        return m_out.join(QLatin1Char('\n'));
    }

private:
    static qsizetype bytesIn(const QRegularExpressionMatch& row, int group) {
        return qMin<qsizetype>(row.capturedLength(group) / 3, BytesPerRow);
    }

    void headRow(const QString& line, const QRegularExpressionMatch& row) {
        flush();
        const QString mark = row.captured(2);
        const qsizetype bytes = bytesIn(row, 4);
        const bool sent = row.captured(3) == labelOf(TraceLog::Direction::Sent);
        bool omit = mark == QLatin1Char(TraceLog::PayloadMark);
        if (mark.isEmpty()) {
            // Without marks: a long command starts an image transfer, a short one ends it.
            const bool afterLongCommand = m_afterLongCommand;
            if (sent && bytes > 1)
                m_afterLongCommand = bytes > ShortRecord;
            omit = bytes > ShortRecord || (afterLongCommand && !(sent && bytes == ShortRecord));
        } else if (sent) {
            m_afterLongCommand = false;
        }
        if (!omit)
            return keep(line, true);
        m_omitting = true;
        m_configuration = !mark.isEmpty();
        m_head = row.captured(1);
        m_bytes = bytes;
    }

    void nextRow(const QString& line, const QRegularExpressionMatch& row) {
        // A marked row says what it holds; one without a mark follows its record, and
        // one whose record is unknown (cut off at the start of the tail) stays out.
        const QString mark = row.captured(1);
        const bool plain = mark.isEmpty() ? m_inRecord : mark == QLatin1Char(TraceLog::PlainMark);
        if (plain && !m_omitting)
            return m_out.append(line);
        if (!m_omitting) {
            m_omitting = true;
            m_configuration = !mark.isEmpty();
            m_head.clear();
        }
        m_bytes += bytesIn(row, 2);
    }

    void keep(const QString& line, bool record) {
        flush();
        m_inRecord = record;
        m_out << line;
    }

    void flush() {
        if (!m_omitting)
            return;
        m_out << m_head + QStringLiteral("[%1 Byte %2ausgelassen]")
                              .arg(m_bytes)
                              .arg(m_configuration ? QStringLiteral("Konfiguration ") : QString());
        m_omitting = false;
        m_inRecord = false;
        m_bytes = 0;
    }

    QStringList m_out;
    QString m_head;
    qsizetype m_bytes = 0;
    bool m_omitting = false;
    bool m_configuration = false;
    bool m_inRecord = false;
    bool m_afterLongCommand = false;
};

QString timestamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

} // namespace

QString TraceLog::defaultFilePath() {
    // Named here rather than by the application: talvaro-cli writes into the same folder.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Brovenik/Talvaro/ComLog.log");
}

void TraceLog::setFileName(const QString& name) {
    m_fileName = name.left(MaxFileNameLength);
}

QStringList TraceLog::hexDump(const QByteArray& bytes) {
    QStringList rows;
    for (qsizetype start = 0; start < bytes.size(); start += BytesPerRow) {
        const QByteArray chunk = bytes.mid(start, BytesPerRow);
        QString hex;
        QString ascii;
        for (const char c : chunk) {
            hex += QStringLiteral("%1 ").arg(static_cast<quint8>(c), 2, 16, QLatin1Char('0'));
            ascii += (c >= 0x20 && c <= 0x7E) ? QLatin1Char(c) : QLatin1Char('.');
        }
        rows << hex.toUpper().leftJustified(BytesPerRow * 3) + QLatin1Char(' ') + ascii;
    }
    return rows;
}

void TraceLog::record(Direction direction, const QByteArray& bytes) {
    const bool sent = direction == Direction::Sent;
    const bool payload = sent ? std::exchange(m_nextSentPayload, false) : m_incomingPayload;
    if (sent)
        m_incomingPayload = false; // the PC speaks again: the device's answer is over
    if (!m_recording || bytes.isEmpty())
        return;
    const QString stamp = timestamp() + QLatin1Char(' ');
    const QString mark = QString(QLatin1Char(payload ? PayloadMark : PlainMark)) + QLatin1Char(' ');
    const QString label = labelOf(direction) + QLatin1Char(' ');
    // Continuation rows repeat the mark, so that each row alone says what it holds.
    const QString head = stamp + mark + label;
    const QString indent =
        QString(stamp.size(), QLatin1Char(' ')) + mark + QString(label.size(), QLatin1Char(' '));
    const QStringList rows = hexDump(bytes);
    for (qsizetype i = 0; i < rows.size(); ++i)
        m_lines << (i == 0 ? head : indent) + rows[i];
}

void TraceLog::note(const QString& text) {
    if (m_recording)
        m_lines << timestamp() + QLatin1Char(' ') + text;
}

QString TraceLog::withoutConfigurations(const QString& text) {
    return Redaction().run(text);
}

bool TraceLog::append() {
    m_recording = false;
    if (m_lines.isEmpty())
        return true;
    QDir().mkpath(QFileInfo(m_fileName).path());
    QFile file(m_fileName);
    // The trace holds configurations: a new file is made private, an older one becomes so.
    constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text, OwnerOnly))
        return false;
    file.setPermissions(OwnerOnly);
    const QByteArray out = (m_lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (file.write(out) != out.size() || !file.flush())
        return false; // the lines stay for the next attempt
    m_lines.clear();
    return true;
}

} // namespace talvaro
