#include "AppForm.h"
#include "AppIcon.h"
#include "DemoMode.h"
#include "WidgetDialogs.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Talvaro"));
    QApplication::setOrganizationName(QStringLiteral("Brovenik"));
    QApplication::setWindowIcon(talvaro::appIcon());

    // Before the window exists: its first showing searches the ports.
    talvaro::DemoMode demo;
    if (!demo.startIfRequested(QCoreApplication::arguments()))
        return 2;

    talvaro::WidgetDialogs dialogs;
    talvaro::TAppForm AppForm(dialogs);
    dialogs.createDialogs(&AppForm);
    dialogs.attachFirmwareUpdate(AppForm.firmwareUpdate());
    AppForm.show();
    return app.exec();
}
