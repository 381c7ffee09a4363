#pragma once

#include "report/ReportInput.h"

#include <QHash>
#include <QStringList>

// Editor controls for the report tests: every control unticked and empty unless set.
struct ReportEditor {
    QHash<QString, talvaro::ReportControl> controls;

    ReportEditor& tick(const QStringList& names) {
        for (const QString& n : names)
            controls[n].checked = true;
        return *this;
    }
    ReportEditor& show(const QString& name, const QString& text) {
        controls[name].text = text;
        return *this;
    }
    talvaro::ReportInput input(talvaro::DeviceType type) const {
        return talvaro::reportInputFor(
            type, [c = controls](const QString& name) { return c.value(name); });
    }
};
