#include "ReportInput.h"

namespace talvaro {

ReportInput reportInputFor(DeviceType type, ReportLookup control) {
    const DeviceTypeProfile& p = deviceProfile(type);
    return {
        type,
        p.label,
        {p.kindRowTelefon, p.kindRowAnrufbeantworter, p.kindRowTfe, p.kindRowFax, p.kindRowNotruf},
        std::move(control)};
}

} // namespace talvaro
