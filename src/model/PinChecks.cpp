#include "ConfigModel.h"

namespace talvaro {

void ConfigModel::leavePinField() {}

bool ConfigModel::checkPinOnLeave(bool) {
    return true;
}

bool ConfigModel::checkPinBeforeUse() {
    return true;
}

} // namespace talvaro
