#include "session/TerminalDialogs.h"

#include <QThread>

namespace talvaro {
namespace {

// A message's lines on one line of the terminal; "\r\n" inside a text breaks it.
QString joined(const QString& caption, const QStringList& lines) {
    QStringList parts;
    for (const QString& line : lines)
        if (!line.isEmpty())
            parts << line;
    const QString body = parts.join(QLatin1Char(' '));
    return caption.isEmpty() ? body : caption + QStringLiteral(": ") + body;
}

QString terminalText(const QString& text) {
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

TerminalDialogs::TerminalDialogs(QTextStream& err) : m_err(err) {}

void TerminalDialogs::say(const QString& text) {
    m_err << text << Qt::endl;
}

DialogResult TerminalDialogs::showMessage(MessageDialog which, const QString& caption,
                                          const QStringList& lines) {
    say(joined(caption, lines));
    switch (which) {
    case MessageDialog::Error:
    case MessageDialog::Ergebnis:
        break;
    case MessageDialog::ProgErgebnis:
        // The dialog holds its OK button until the device has restarted.
        QThread::msleep(static_cast<unsigned long>(m_restartDelayMs));
        say(QStringLiteral("Die Anlage wurde neu gestartet."));
        break;
    case MessageDialog::Hinweis:
        // Unsaved changes do not exist here: nothing is lost by going on.
        return DialogResult::No;
    }
    return DialogResult::Ok;
}

void TerminalDialogs::showMessageBox(MessageIcon, const QString& text) {
    say(terminalText(text));
}

DialogResult TerminalDialogs::answer(const QString& question, bool yes, const QString& yesLine,
                                     const QString& noLine) {
    say(terminalText(question));
    say(yes ? yesLine : noLine);
    return yes ? DialogResult::Yes : DialogResult::No;
}

DialogResult TerminalDialogs::askWarning(const QString& caption, const QString& text) {
    return answer(caption + QStringLiteral(": ") + text, m_assumeYes, QStringLiteral("Ja (--yes)"),
                  QStringLiteral("Nein: ohne --yes wird nichts bestätigt."));
}

DialogResult TerminalDialogs::askWarningDefaultNo(const QString& caption, const QString& text) {
    return answer(caption + QStringLiteral(": ") + text, m_withoutBackup,
                  QStringLiteral("Ja (--no-backup)"),
                  QStringLiteral("Nein: ohne --no-backup wird nichts ohne Sicherung geschrieben."));
}

DialogResult TerminalDialogs::askNoDeviceFound(const QStringList& accessHints) {
    say(QStringLiteral("Keine Telefonanlage gefunden: Es wurde keine Telefonanlage gefunden."));
    for (const QString& hint : accessHints)
        say(hint);
    return DialogResult::Ok; // "Offline"
}

std::optional<DeviceType> TerminalDialogs::selectDeviceType(DeviceType) {
    return std::nullopt;
}

PortChoice TerminalDialogs::choosePort(const QStringList& entries, quint16 currentPort) {
    if (m_portChoice != 0 && entries.contains(QStringLiteral("COM%1").arg(m_portChoice)))
        return {DialogResult::Ok, m_portChoice};
    return {DialogResult::Cancel, currentPort};
}

void TerminalDialogs::setSearchPortLabel(const QString& text) {
    if (!text.isEmpty())
        say(text);
}

void TerminalDialogs::setTransferLines(const QStringList& lines) {
    const QString text = joined(m_transferCaption, lines);
    if (!lines.isEmpty())
        say(text);
}

void TerminalDialogs::closeTransfer() {
    m_transferShowing = false;
    if (m_transferClosed)
        m_transferClosed();
}

} // namespace talvaro
