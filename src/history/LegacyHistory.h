#pragma once

#include "HistoryStore.h"

namespace talvaro {

// An entry of the history as earlier versions kept it: a folder "Verlauf" with one
// .tkx file and one JSON file of metadata per entry.
struct LegacyEntry {
    QDateTime time;
    HistoryEvent event;
    QByteArray image;
};

// The readable entries of such a folder, oldest first (their names begin with the time
// they were written). Entries whose metadata cannot be read or whose image is gone are
// left out; the folder itself stays as it is.
QList<LegacyEntry> readLegacyHistory(const QString& folder);

} // namespace talvaro
