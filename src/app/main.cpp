#include "AppStart.h"
#include "sim/DemoMode.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    talvaro::identifyApplication();

    // Before the window exists: its first showing searches the ports.
    talvaro::DemoMode demo;
    if (!demo.startIfRequested(QCoreApplication::arguments()))
        return 2;

    talvaro::AppStart start;
    if (QCoreApplication::arguments().contains(QStringLiteral("--trace")))
        start.form().setComLogging(true);
    start.form().show();
    return app.exec();
}
