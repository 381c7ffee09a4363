#include "TraceLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>

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
    if (!m_recording || bytes.isEmpty())
        return;
    const QString head = timestamp() + QLatin1Char(' ') + labelOf(direction) + QLatin1Char(' ');
    const QString indent(head.size(), QLatin1Char(' '));
    const QStringList rows = hexDump(bytes);
    for (qsizetype i = 0; i < rows.size(); ++i)
        m_lines << (i == 0 ? head : indent) + rows[i];
}

void TraceLog::note(const QString& text) {
    if (m_recording)
        m_lines << timestamp() + QLatin1Char(' ') + text;
}

bool TraceLog::append() {
    m_recording = false;
    if (m_lines.isEmpty())
        return true;
    QDir().mkpath(QFileInfo(m_fileName).path());
    QFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    const QByteArray out = (m_lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (file.write(out) != out.size() || !file.flush())
        return false; // the lines stay for the next attempt
    m_lines.clear();
    return true;
}

} // namespace talvaro
