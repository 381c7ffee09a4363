#include "ConfigModel.h"

namespace talvaro {

void ConfigModel::applyFactoryDefaults() {}

void ConfigModel::enableAllSettings() {}

void ConfigModel::adaptToDeviceType() {}

} // namespace talvaro
