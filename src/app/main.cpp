#include "AppForm.h"
#include "AppIcon.h"
#include "WidgetDialogs.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Talvaro"));
    QApplication::setOrganizationName(QStringLiteral("Brovenik"));
    QApplication::setWindowIcon(talvaro::appIcon());

    talvaro::WidgetDialogs dialogs;
    talvaro::TAppForm AppForm(dialogs);
    dialogs.createDialogs(&AppForm);
    dialogs.attachFirmwareUpdate(AppForm.firmwareUpdate());
    AppForm.show();
    return app.exec();
}
