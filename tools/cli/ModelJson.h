#pragma once

#include <QJsonObject>

// Every control of the configuration model as JSON, named as in the window.
namespace talvaro {
class ConfigModel;
}

namespace talvaro::cli {

// {"deviceType": N, "controls": {NAME: {"checked"|"value"|"text": ..., "enabled": ...,
// "visible": ...}}}
QJsonObject modelJson(const ConfigModel& model, unsigned deviceType);

} // namespace talvaro::cli
