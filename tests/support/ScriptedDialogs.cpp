#include "ScriptedDialogs.h"

#include <QEventLoop>
#include <QPrinter>
#include <QTest>
#include <QTimer>

using namespace talvaro;

namespace {

QString nameOf(MessageDialog which) {
    switch (which) {
    case MessageDialog::Error:
        return QStringLiteral("ErrorDialog");
    case MessageDialog::Hinweis:
        return QStringLiteral("HinweisBox");
    case MessageDialog::Ergebnis:
        return QStringLiteral("ErgebnisDialog");
    case MessageDialog::ProgErgebnis:
        return QStringLiteral("ProgErgebnisDialog");
    }
    return {};
}

} // namespace

void ScriptedDialogs::expect(const QString& dialog, DialogResult result, const QString& text) {
    m_script.append({dialog, result, text, 0});
}

void ScriptedDialogs::expectDeviceType(DeviceType type) {
    m_script.append({QStringLiteral("SelectDeviceDlg"), DialogResult::Ok, {}, type});
}

void ScriptedDialogs::expectHistory(HistoryCommand command, const QString& id) {
    m_script.append({QStringLiteral("Konfigurationsverlauf"), DialogResult::Ok, id, 0, command});
}

HistoryChoice ScriptedDialogs::execHistory(const QList<HistoryRow>& rows, DeviceType current) {
    historyRows = rows;
    QStringList ids;
    for (const HistoryRow& row : rows)
        ids << row.id;
    const Answer a = next(QStringLiteral("Konfigurationsverlauf"), QString::number(current), ids);
    return {a.command, a.text};
}

void ScriptedDialogs::showComparison(const QString& caption, const QList<ComparedLine>& lines) {
    comparedLines = lines;
    QStringList texts;
    for (const ComparedLine& line : lines)
        texts << line.section + QStringLiteral(": ") + line.before + QStringLiteral(" -> ") +
                     line.after;
    next(QStringLiteral("Vergleich"), caption, texts);
}

ScriptedDialogs::Answer ScriptedDialogs::next(const QString& dialog, const QString& caption,
                                              const QStringList& lines) {
    shown.append({dialog, caption, lines});
    if (m_script.isEmpty() && m_anyAnswer)
        return {dialog, *m_anyAnswer, {}, 0};
    if (m_script.isEmpty() || m_script.constFirst().dialog != dialog) {
        const QString expected =
            m_script.isEmpty() ? QStringLiteral("none") : m_script.constFirst().dialog;
        QTest::qFail(qPrintable(QStringLiteral("unexpected dialog %1 (%2: %3), script expects %4")
                                    .arg(dialog, caption, lines.join(QLatin1Char('|')), expected)),
                     __FILE__, __LINE__);
        return {dialog, DialogResult::Cancel, {}, 0};
    }
    return m_script.takeFirst();
}

DialogResult ScriptedDialogs::showMessage(MessageDialog which, const QString& caption,
                                          const QStringList& lines) {
    return next(nameOf(which), caption, lines).result;
}

void ScriptedDialogs::showMessageBox(MessageIcon, const QString& text) {
    next(QStringLiteral("MessageBox"), {}, {text});
}

DialogResult ScriptedDialogs::askWarning(const QString& caption, const QString& text) {
    return next(QStringLiteral("Warning"), caption, {text}).result;
}

DialogResult ScriptedDialogs::askNoDeviceFound(const QStringList& accessHints) {
    const Answer answer = next(QStringLiteral("KeineAnlageDlg"),
                               QStringLiteral("Keine Telefonanlage gefunden"), accessHints);
    if (!answer.untilSearchedAgain)
        return answer.result;
    QEventLoop loop;
    m_noDeviceLoop = &loop;
    QTimer::singleShot(20000, &loop, [&loop] {
        QTest::qFail("\"Keine Telefonanlage gefunden\" was never ended", __FILE__, __LINE__);
        loop.exit(1);
    });
    const bool searched = loop.exec() == 0;
    m_noDeviceLoop = nullptr;
    return searched ? DialogResult::Retry : DialogResult::Ok;
}

void ScriptedDialogs::expectNoDeviceFoundUntilSearchedAgain() {
    Answer answer;
    answer.dialog = QStringLiteral("KeineAnlageDlg");
    answer.result = DialogResult::Retry;
    answer.untilSearchedAgain = true;
    m_script.append(answer);
}

void ScriptedDialogs::searchAgainFromNoDeviceFound() {
    if (m_noDeviceLoop)
        m_noDeviceLoop->exit(0);
}

std::optional<DeviceType> ScriptedDialogs::selectDeviceType(DeviceType current) {
    const Answer a = next(QStringLiteral("SelectDeviceDlg"), QStringLiteral("Gerätetyp wählen"),
                          {QString::number(current)});
    if (a.result != DialogResult::Ok)
        return std::nullopt;
    return a.type;
}

PortChoice ScriptedDialogs::choosePort(const QStringList& entries, quint16 currentPort) {
    const Answer a = next(QStringLiteral("WaehleComPortDlg"), QStringLiteral("Dialog"), entries);
    if (a.result != DialogResult::Ok)
        return {a.result, currentPort};
    return {DialogResult::Ok, static_cast<quint16>(a.text.mid(3).toUInt())};
}

void ScriptedDialogs::showAbout() {
    next(QStringLiteral("AboutBox"), QStringLiteral("Info"), {});
}

void ScriptedDialogs::execFirmware() {
    next(QStringLiteral("FirmwareDlg"), QStringLiteral("Firmware Update"), {});
}

void ScriptedDialogs::execSearch() {
    // Stands in for the modal search window: events run until the search closes it.
    searchShowing = true;
    next(QStringLiteral("SuchenDlg"), QStringLiteral("Suchen"), {});
    QEventLoop loop;
    while (searchShowing)
        loop.processEvents(QEventLoop::WaitForMoreEvents, 50);
}

void ScriptedDialogs::closeTransfer() {
    transferShowing = false;
    if (m_transferClosed)
        m_transferClosed();
}

QString ScriptedDialogs::getOpenFileName(const FileDialogRequest& request) {
    lastFileRequest = request;
    const Answer a = next(QStringLiteral("OpenDialog"), request.folder, {request.filter});
    return a.result == DialogResult::Ok ? a.text : QString();
}

QString ScriptedDialogs::getSaveFileName(const FileDialogRequest& request) {
    lastFileRequest = request;
    const Answer a = next(QStringLiteral("SaveDialog"), request.folder, {request.filter});
    return a.result == DialogResult::Ok ? a.text : QString();
}

bool ScriptedDialogs::execPrintDialog(QPrinter& printer) {
    const Answer a = next(QStringLiteral("PrintDialog"), {}, {});
    if (a.result != DialogResult::Ok)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(a.text);
    return true;
}

void ScriptedDialogs::execPrinterSetup(QPrinter&) {
    next(QStringLiteral("PrinterSetup"), {}, {});
}

std::optional<QString> ScriptedDialogs::askText(const QString& caption, const QString& label,
                                                const QString& text) {
    const Answer a = next(QStringLiteral("Texteingabe"), caption, {label, text});
    if (a.result != DialogResult::Ok)
        return std::nullopt;
    return a.text;
}
