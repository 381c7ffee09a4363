#include "HelpPanel.h"

#include "HelpHints.h"
#include "HelpTexts.h"

#include <QTextEdit>

namespace talvaro {

HelpPanel::HelpPanel(QTextEdit& infoText, DeviceTypeSource deviceType)
    : m_infoText(infoText), m_deviceType(std::move(deviceType)) {}

void HelpPanel::onHint(const QString& hint) {
    if (const std::optional<int> topic = topicOfHint(hint))
        showHelpTopic(*topic);
}

void HelpPanel::showHelpTopic(int topic) {
    m_infoText.clear();
    const QString html = helpTopicHtml(topic, m_deviceType());
    if (!html.isEmpty())
        m_infoText.setHtml(html);
}

} // namespace talvaro
