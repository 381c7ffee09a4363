#include "sim/DemoMode.h"

#include "sim/LoaderHandler.h"
#include "sim/PtyDevice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace talvaro {
namespace {

bool offeredInDemo(DeviceType type) {
    return isSixExtension(type);
}

} // namespace

DemoMode::DemoMode() = default;

DemoMode::~DemoMode() {
    if (m_device)
        m_device->stop();
}

DemoMode::Request DemoMode::parse(const QStringList& arguments) {
    const qsizetype demo = arguments.indexOf(QStringLiteral("--demo"));
    if (demo < 0)
        return Request::None;
    const qsizetype type = arguments.indexOf(QStringLiteral("--type"));
    if (type < 0)
        return Request::Demo;
    bool ok = false;
    m_type = arguments.value(type + 1).toUInt(&ok);
    if (!ok || !offeredInDemo(m_type)) {
        m_error = QStringLiteral("--type: die Demo gibt es für die Gerätetypen 5, 6 und 7.");
        return Request::Invalid;
    }
    return Request::Demo;
}

bool DemoMode::startIfRequested(const QStringList& arguments) {
    QTextStream err(stderr);
    const Request request = parse(arguments);
    if (request == Request::None)
        return true;
    if (request == Request::Invalid || !start()) {
        err << "talvaro --demo: " << m_error << Qt::endl;
        return false;
    }
    err << "Demo: simulierte " << deviceProfile(m_type).identity << " an COM1 (" << portPath()
        << ")" << Qt::endl;
    const QString firmware = firmwareFile();
    if (!firmware.isEmpty())
        err << "Demo-Firmware: " << firmware << Qt::endl;
    return true;
}

bool DemoMode::start() {
    m_history = std::make_unique<QTemporaryDir>();
    if (!m_history->isValid()) {
        m_error = m_history->errorString();
        return false;
    }
    m_device = std::make_unique<sim::PtyDevice>(m_type);
    if (!m_device->open()) {
        m_error = m_device->errorText();
        m_device.reset();
        return false;
    }
    m_device->withDevice([](sim::SimDevice& device) { sim::installFirmwareLoader(device); });
    m_device->start();
    return true;
}

QString DemoMode::portPath() const {
    return m_device ? m_device->slavePath() : QString();
}

PortAssignment DemoMode::ports() const {
    return PortAssignment(PortMap({portPath()}));
}

QString DemoMode::firmwareFile() const {
    const QString name = QStringLiteral("demo-typ%1.efw").arg(m_type);
    // Installed: <prefix>/bin beside <prefix>/share/talvaro. Build tree: the program (or
    // a test) two folders below the build folder, the files in its packaging/demo.
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const QString& folder : {bin.filePath(QStringLiteral("../share/talvaro")),
                                  bin.filePath(QStringLiteral("../../packaging/demo"))}) {
        const QFileInfo file(QDir(folder).filePath(name));
        if (file.exists())
            return file.canonicalFilePath();
    }
    return {};
}

} // namespace talvaro
