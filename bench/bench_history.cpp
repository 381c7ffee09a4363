// bench_history: a history of 10,000 entries. It is written as an earlier version kept
// it (a "Verlauf" folder of .tkx and JSON files) and taken over into the SQLite file;
// then "talvaro-cli history --json" runs as a process, and the dialog
// "Konfigurationsverlauf" is read, filled and painted in this process, as often as asked.
#include "BenchStats.h"
#include "app/HistoryDialogs.h"
#include "app/HistoryTable.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <vector>

using namespace talvaro;

namespace {

constexpr int Entries = 10000;
constexpr int Devices = 40;

QString ms(double value) {
    return QString::number(value, 'f', 1);
}

// The old folder: entries of 40 devices of two models, each image new but one in four,
// which repeats the one before it (a read after programming).
bool writeLegacyFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        return false;
    const QDateTime start(QDate(2020, 1, 1), QTime(8, 0), Qt::UTC);
    QByteArray image;
    for (int i = 0; i < Entries; ++i) {
        const DeviceType type = i % 2 ? 5 : 6;
        const QString name = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
        if (i % 4 != 3) {
            image = QByteArray(familyProfile(type).imageLength, '\0');
            for (int b = 0; b < image.size(); ++b)
                image[b] = static_cast<char>((i * 31 + b * 7) & 0xff);
        }
        const QJsonObject meta{
            {QStringLiteral("time"), start.addSecs(i * 600).toString(Qt::ISODateWithMs)},
            {QStringLiteral("action"),
             i % 3 ? QStringLiteral("Ausgelesen") : QStringLiteral("Programmiert")},
            {QStringLiteral("type"), static_cast<int>(type)},
            {QStringLiteral("device"),
             QStringLiteral("TK %1 Nr. %2").arg(deviceProfile(type).identity).arg(i % Devices)},
            {QStringLiteral("firmware"), QStringLiteral("2.04")},
            {QStringLiteral("port"), QStringLiteral("COM1")},
            {QStringLiteral("image"), name + QStringLiteral(".tkx")},
        };
        QFile tkx(folder + QLatin1Char('/') + name + QStringLiteral(".tkx"));
        QFile json(folder + QLatin1Char('/') + name + QStringLiteral(".json"));
        if (!tkx.open(QIODevice::WriteOnly) || tkx.write(image) != image.size() ||
            !json.open(QIODevice::WriteOnly) || json.write(QJsonDocument(meta).toJson()) < 0)
            return false;
    }
    return true;
}

// From reading the history to the painted dialog, as "Verlauf..." does it.
double openDialog(const HistoryStore& store) {
    QElapsedTimer timer;
    timer.start();
    QList<HistoryRow> rows;
    const QList<HistoryEntry> entries = store.entries();
    rows.reserve(entries.size());
    for (const HistoryEntry& entry : entries)
        rows << historyRowOf(entry);
    HistoryDialog dialog(nullptr, rows, 5, {});
    dialog.show();
    dialog.repaint();
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

// One run of talvaro-cli with the history of `dataHome`; the milliseconds, or -1.
double runCli(const QString& cli, const QString& dataHome, const QStringList& args,
              qint64* outputBytes = nullptr) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(cli, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return -1;
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    if (outputBytes)
        *outputBytes = process.readAllStandardOutput().size();
    return elapsed;
}

void print(QTextStream& out, const QString& what, const std::vector<double>& samples) {
    out << "  " << what << ": median " << ms(bench::median(samples)) << " ms, p90 "
        << ms(bench::percentile90(samples)) << " ms\n";
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Runs of each measurement."),
                      QStringLiteral("N"), QStringLiteral("10")});
    parser.addOption({QStringLiteral("cli"), QStringLiteral("The talvaro-cli to run."),
                      QStringLiteral("PATH"), QStringLiteral(TALVARO_CLI_PATH)});
    parser.process(app);
    const int runs = std::max(1, parser.value(QStringLiteral("runs")).toInt());
    const QString cli = parser.value(QStringLiteral("cli"));
    QTextStream out(stdout);

    QTemporaryDir dataHome;
    const QString folder = dataHome.filePath(QStringLiteral("Brovenik/Talvaro"));
    if (!dataHome.isValid() || !writeLegacyFolder(folder + QStringLiteral("/Verlauf"))) {
        out << "cannot write the old history folder" << Qt::endl;
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    HistoryStore store(folder + QStringLiteral("/Verlauf.sqlite"));
    const qsizetype imported = store.entries().size();
    const double importMs = double(timer.nsecsElapsed()) / 1e6;
    out << "history of " << imported << " entries (" << Entries << " written)\n"
        << "  taking over the old folder: " << ms(importMs) << " ms, "
        << (QFileInfo(store.databasePath()).size() +
            QFileInfo(store.databasePath() + QStringLiteral("-wal")).size()) /
               1024
        << " KiB with its write-ahead log\n";

    std::vector<double> read, list, start, dialog, add;
    qint64 jsonBytes = 0;
    for (int i = 0; i < runs; ++i) {
        timer.restart();
        store.entries();
        read.push_back(double(timer.nsecsElapsed()) / 1e6);
        list.push_back(runCli(cli, dataHome.path(), {"history", "--json"}, &jsonBytes));
        start.push_back(runCli(cli, dataHome.path(), {"--version"}));
        dialog.push_back(openDialog(store));
        timer.restart();
        store.add({QStringLiteral("Ausgelesen"), 5, QStringLiteral("TK Mirello 16"),
                   QStringLiteral("2.04"), QStringLiteral("COM1")},
                  QByteArray(familyProfile(5).imageLength, static_cast<char>(i)));
        add.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    print(out, "reading every entry (HistoryStore::entries)", read);
    print(out, QStringLiteral("talvaro-cli history --json (%1 KiB out)").arg(jsonBytes / 1024),
          list);
    print(out, "talvaro-cli --version (the process alone)", start);
    print(out, "\"Verlauf...\": read, fill and paint the dialog", dialog);
    print(out, "adding an entry (one transaction, synced to disk)", add);
    return 0;
}
