// The yardstick for start-up: a plain Qt Widgets main window with one label.
#include "StartupProbe.h"

#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    talvaro::bench::ProbeApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Talvaro")));
    window.show();
    return app.exec();
}
