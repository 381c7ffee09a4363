#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>

namespace talvaro {

class ConfigModel;
class EditorPages;

// Mirrors the configuration model in the page widgets and hands the user's clicks and
// steps to the model. The model alone runs rules; the widgets only show its state, so a
// rule never runs twice for one change.
class ModelBinder : public QObject {
    Q_OBJECT
public:
    ModelBinder(ConfigModel& model, const EditorPages& pages, QObject* parent = nullptr);

    void syncAll();

private:
    void connectControl(const QString& name, QWidget* widget);
    void sync(const QString& name);
    void updateTabStop(const QString& group);

    ConfigModel& m_model;
    const EditorPages& m_pages;
    QHash<QString, QStringList> m_radioGroups; // group -> its radios
};

} // namespace talvaro
