#include "ModelJson.h"

#include "model/ConfigModel.h"

#include <QJsonValue>

#include <array>

namespace talvaro::cli {
namespace {

enum class Field { Checked, Value, Text, None };

struct KindPrefix {
    const char* prefix;
    Field field;
};

// Controls are named by kind; number fields are recognised by their range instead.
constexpr std::array<KindPrefix, 4> Kinds{{
    {"RB", Field::Checked},
    {"CB", Field::Checked},
    {"LMDEdit", Field::Text},
    {"Button", Field::None}, // buttons carry no state of their own
}};

Field fieldOf(const ConfigModel& model, const QString& name) {
    if (model.numberSpec(name))
        return Field::Value;
    for (const KindPrefix& kind : Kinds)
        if (name.startsWith(QLatin1String(kind.prefix)))
            return kind.field;
    return Field::Checked;
}

} // namespace

QJsonObject modelJson(const ConfigModel& model, unsigned deviceType) {
    QJsonObject controls;
    for (const QString& name : model.controlNames()) {
        const ControlState& state = model.state(name);
        QJsonObject control{{QStringLiteral("enabled"), state.enabled},
                            {QStringLiteral("visible"), state.visible}};
        switch (fieldOf(model, name)) {
        case Field::Checked:
            control.insert(QStringLiteral("checked"), state.checked);
            break;
        case Field::Value:
            control.insert(QStringLiteral("value"), state.value);
            break;
        case Field::Text:
            control.insert(QStringLiteral("text"), state.text);
            break;
        case Field::None:
            break;
        }
        controls.insert(name, control);
    }
    return {{QStringLiteral("deviceType"), static_cast<int>(deviceType)},
            {QStringLiteral("controls"), controls}};
}

} // namespace talvaro::cli
