#include "ModelReport.h"

#include "model/ConfigModel.h"

#include <QLocale>

namespace talvaro {

QString displayedText(const ConfigModel& model, const QString& name) {
    const ControlState& state = model.state(name);
    const auto limits = model.numberSpec(name);
    if (!limits)
        return state.text;
    static const QLocale german(QLocale::German, QLocale::Germany);
    return german.toString(state.value, 'f', limits->decimals) + limits->suffix;
}

ReportInput reportInputFromModel(const ConfigModel& model, DeviceType type) {
    return reportInputFor(type, [&model](const QString& name) {
        return ReportControl{model.state(name).checked, displayedText(model, name)};
    });
}

} // namespace talvaro
