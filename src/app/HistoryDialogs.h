#pragma once

#include "model/Dialogs.h"

class QWidget;

// The history's dialogs as widgets: "Konfigurationsverlauf" and the comparison window.
namespace talvaro {

HistoryChoice execHistoryDialog(QWidget* parent, const QList<HistoryRow>& rows, DeviceType current);
void execComparisonDialog(QWidget* parent, const QString& caption,
                          const QList<ComparedLine>& lines);

} // namespace talvaro
