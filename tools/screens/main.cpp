// Writes a picture of every page of the main window for the given device types, for
// the documentation: talvaro-screens OUTDIR TYPE...
#include "app/AppForm.h"
#include "app/WidgetDialogs.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QTreeWidget>

#include <cstdio>

using namespace talvaro;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: talvaro-screens OUTDIR TYPE...\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    WidgetDialogs dialogs;
    TAppForm form(dialogs, dialogs, TAppForm::FirstShowSearch::Off);
    dialogs.setMainWindow(&form);
    // Away from the pointer: resting on a control, its hint would replace the page's help.
    form.move(QCursor::pos() + QPoint(1, 1));
    form.show();
    for (int i = 2; i < argc; ++i) {
        const DeviceType type = QString::fromLocal8Bit(argv[i]).toUInt();
        form.setDeviceType(type);
        QTreeWidgetItemIterator it(form.tree());
        for (int index = 0; *it; ++it, ++index) {
            form.tree()->setCurrentItem(*it);
            QApplication::processEvents();
            const QString name = QStringLiteral("%1/type%2-%3-%4.png")
                                     .arg(out)
                                     .arg(type)
                                     .arg(index)
                                     .arg((*it)->text(0).replace('/', '-'));
            if (!form.grab().save(name)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
                return 1;
            }
        }
    }
    return 0;
}
