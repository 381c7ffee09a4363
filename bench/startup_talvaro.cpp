// The program's start as in its main(), up to the first shown main window. The port
// search that the first showing starts is left out: it belongs to the device, not to
// the start-up.
#include "StartupProbe.h"
#include "app/AppForm.h"
#include "app/AppIcon.h"
#include "app/WidgetDialogs.h"

int main(int argc, char* argv[]) {
    talvaro::bench::ProbeApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Talvaro"));
    QApplication::setOrganizationName(QStringLiteral("Brovenik"));
    QApplication::setWindowIcon(talvaro::appIcon());

    talvaro::WidgetDialogs dialogs;
    talvaro::TAppForm AppForm(dialogs, talvaro::TAppForm::FirstShowSearch::Off);
    dialogs.createDialogs(&AppForm);
    dialogs.attachFirmwareUpdate(AppForm.firmwareUpdate());
    AppForm.show();
    return app.exec();
}
