#pragma once

#include "model/DeviceTypes.h"

#include <QString>

#include <functional>

class QTextEdit;

// Fills the help box `InfoText` with the topic the user points at.
namespace talvaro {

class HelpPanel {
public:
    using DeviceTypeSource = std::function<DeviceType()>;

    HelpPanel(QTextEdit& infoText, DeviceTypeSource deviceType);

    // The application's hint changed: an empty long hint keeps the panel as it is,
    // anything else shows that topic (a non-number empties the panel).
    void onHint(const QString& hint);

    // Replaces the panel's content by `topic`; outside 0..38 the panel stays empty.
    void showHelpTopic(int topic);

private:
    QTextEdit& m_infoText;
    DeviceTypeSource m_deviceType;
};

} // namespace talvaro
