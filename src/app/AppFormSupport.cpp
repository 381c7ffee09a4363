// The main window's help for support: the serial trace on request and the report file.
#include "AppForm.h"

#include "history/HistoryStore.h"
#include "link/LinkSession.h"
#include "link/SupportReport.h"

#include <QAction>

namespace talvaro {
namespace {

constexpr int SupportHistoryEntries = 10;

} // namespace

void TAppForm::setComLogging(bool on) {
    link().ComPort1().setComLogging(on);
    const QSignalBlocker quiet(ComLogging1);
    ComLogging1->setChecked(on);
}

void TAppForm::saveSupportReport() {
    FileDialogRequest request;
    request.folder = document().workDir();
    request.proposedName = QStringLiteral("Talvaro-Fehlerbericht.txt");
    request.filter = QStringLiteral("Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*");
    request.defaultExt = QStringLiteral("txt");
    const QString path = m_dialogs.getSaveFileName(request);
    if (path.isEmpty())
        return;
    // What the trace holds so far goes in too.
    SerialLink& port = link().ComPort1();
    if (port.trace().isRecording()) {
        port.loggingAppend();
        port.loggingOn();
    }
    SupportFacts facts;
    facts.program = QStringLiteral("talvaro");
    facts.deviceText = link().record().deviceText;
    facts.devicePort = portInUse();
    facts.traceOn = comLogging();
    facts.traceFile = port.trace().fileName();
    facts.historyTimes = history().newestTimes(SupportHistoryEntries);
    QString error;
    if (!talvaro::saveSupportReport(path, facts, link().portAssignment().current().paths(), error))
        m_dialogs.showMessageBox(
            MessageIcon::Critical,
            QStringLiteral("Der Fehlerbericht konnte nicht gespeichert werden: %1").arg(error));
}

} // namespace talvaro
