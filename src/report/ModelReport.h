#pragma once

#include "ReportInput.h"

namespace talvaro {

class ConfigModel;

// A number field as the editor shows it: German decimals and the field's suffix ("0,5 s").
QString displayedText(const ConfigModel& model, const QString& name);

// The report's view of the configuration model, for the window and the command line alike.
ReportInput reportInputFromModel(const ConfigModel& model, DeviceType type);

} // namespace talvaro
