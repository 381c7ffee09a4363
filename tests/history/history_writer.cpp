// A second program writing the same history: "add" keeps COUNT entries of DEVICE with
// the image FILL, "churn" adds and at once deletes COUNT of them. Status 0 when every
// change was written.
#include "history/HistoryStore.h"

#include <QCoreApplication>

using namespace talvaro;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6)
        return 2;
    HistoryStore store(args[1]);
    const bool churn = args[2] == QLatin1String("churn");
    const int count = args[3].toInt();
    const HistoryEvent event{ActionRead, 5, args[4], QStringLiteral("1.07"),
                             QStringLiteral("COM1")};
    const QByteArray image(familyProfile(5).imageLength, args[5].at(0).toLatin1());
    for (int i = 0; i < count; ++i) {
        const std::optional<HistoryEntry> entry = store.add(event, image);
        if (!entry || (churn && !store.remove(entry->id)))
            return 1;
    }
    return 0;
}
