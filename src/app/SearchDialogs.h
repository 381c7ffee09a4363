#pragma once

#include "ResultDialog.h"

class QComboBox;
class QLabel;
class QRadioButton;

namespace talvaro {

// Offered when no port answered: work offline ("Offline", Ok) or search again
// ("Suchen", Retry, also the Escape key). The close box counts as neither: Cancel.
class TKeineAnlageDlg : public ResultDialog {
    Q_OBJECT
public:
    explicit TKeineAnlageDlg(QWidget* parent = nullptr);

    // Shown below the three lines; empty hides them.
    void setAccessHints(const QStringList& hints);
    QString accessHintText() const;

private:
    QLabel* m_hints;
};

// Shown while the ports are probed; the search disables its buttons and closes it.
// Meanwhile neither Escape nor the close box ends it: the search would run on unseen.
class TSuchenDlg : public ResultDialog {
    Q_OBJECT
public:
    explicit TSuchenDlg(QWidget* parent = nullptr);

    void setPortLabel(const QString& text);
    QString portLabel() const;
    void setButtonsEnabled(bool enabled);

protected:
    bool mayClose() const override;

private:
    QLabel* m_portLabel;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

// Choice of the six-extension model (or the Mirello 14 pair) when working offline.
class TSelectDeviceDlg : public ResultDialog {
    Q_OBJECT
public:
    explicit TSelectDeviceDlg(QWidget* parent = nullptr);

    // Preselects the radio button for `current`, runs modally, answers the chosen type.
    std::optional<DeviceType> choose(DeviceType current);

    // Row 0 "Mirello 16", 1 "Quenta 26", 2 "Quenta 26Sol".
    static int rowFor(DeviceType current);
    static DeviceType typeForRow(int row);
    int selectedRow() const;
    void selectRow(int row);

private:
    QRadioButton* m_rows[3];
};

// Lets the user pick the port for a firmware update.
class TWaehleComPortDlg : public ResultDialog {
    Q_OBJECT
public:
    explicit TWaehleComPortDlg(QWidget* parent = nullptr);

    PortChoice choose(const QStringList& entries, quint16 currentPort);
    QComboBox* ports() const { return m_ports; }

    // "COM12" -> 12; anything that is no number after the first three characters -> 0.
    static quint16 portOfEntry(const QString& entry);

private:
    void okClicked();

    QComboBox* m_ports;
    quint16 m_port = 0;
};

} // namespace talvaro
