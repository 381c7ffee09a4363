#include "AppStart.h"
#include "StartOptions.h"
#include "sim/DemoMode.h"
#include "startup/ProgramStart.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[]) {
    talvaro::StartOptions options;
    QTranslator qtTexts;
    {
        // --help, --version and a wrong option are answered before the window's
        // application exists: no display is needed and no port is touched.
        QCoreApplication early(argc, argv);
        talvaro::installQtTranslations(qtTexts);
        if (const std::optional<int> status = options.parse(QCoreApplication::arguments()))
            return *status;
    }
    QApplication app(argc, argv);
    talvaro::installQtTranslations(qtTexts);
    talvaro::identifyApplication();

    // Before the window exists: its first showing searches the ports.
    talvaro::DemoMode demo;
    if (!demo.startIfRequested(options.demoArguments()))
        return 2;
    // TALVARO_PORTS is read here, once; the demo brings its own port and history.
    talvaro::SessionSetup setup;
    if (demo.isRunning()) {
        setup.ports = demo.ports();
        setup.historyRoot = demo.historyFolder();
    }

    talvaro::AppStart start(options, std::move(setup));
    if (options.trace())
        start.form().setComLogging(true);
    start.form().show();
    return app.exec();
}
