// The program's start as in its main() (Qt's German texts, the application's names, the
// window), up to the first shown main window. The port search that the first showing
// starts is left out: it belongs to the device, not to the start-up.
#include "StartupProbe.h"
#include "app/AppStart.h"
#include "startup/ProgramStart.h"

#include <QTranslator>

int main(int argc, char* argv[]) {
    talvaro::bench::ProbeApplication app(argc, argv);
    QTranslator qtTexts;
    talvaro::installQtTranslations(qtTexts);
    talvaro::identifyApplication();
    talvaro::AppStart start(talvaro::TAppForm::FirstShowSearch::Off);
    start.form().show();
    return app.exec();
}
