#include "SearchDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <limits>

namespace talvaro {
namespace {

QHBoxLayout* centredRow(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* w : widgets)
        row->addWidget(w);
    row->addStretch();
    return row;
}

} // namespace

TKeineAnlageDlg::TKeineAnlageDlg(QWidget* parent)
    : ResultDialog(QStringLiteral("Keine Telefonanlage gefunden"), parent) {
    setObjectName(QStringLiteral("KeineAnlageDlg"));
    auto* text = new QLabel(QStringLiteral("Es wurde keine Telefonanlage gefunden.\n"
                                           "Wollen Sie offline weiterarbeiten, oder erneut \n"
                                           "nach einer Telefonanlage suchen?"),
                            this);
    QPushButton* offline = addResultButton(QStringLiteral("Offline"), DialogResult::Ok);
    setDefaultButton(offline);
    QPushButton* search = addResultButton(QStringLiteral("Suchen"), DialogResult::Retry);
    setEscapeResult(DialogResult::Retry);
    m_hints = new QLabel(this);
    m_hints->setObjectName(QStringLiteral("lblZugriff"));
    m_hints->setWordWrap(true);
    m_hints->setTextInteractionFlags(Qt::TextSelectableByMouse); // a udev rule to copy
    m_hints->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(text);
    layout->addWidget(m_hints);
    layout->addLayout(centredRow({offline, search}));
}

void TKeineAnlageDlg::setAccessHints(const QStringList& hints) {
    m_hints->setText(hints.join(QLatin1Char('\n')));
    m_hints->setVisible(!hints.isEmpty());
}

QString TKeineAnlageDlg::accessHintText() const {
    return m_hints->text();
}

TSuchenDlg::TSuchenDlg(QWidget* parent) : ResultDialog(QStringLiteral("Suchen"), parent) {
    setObjectName(QStringLiteral("SuchenDlg"));
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(16);
    auto* layout = new QVBoxLayout(this);
    for (const QString& line : {QStringLiteral("Suche nach einer  Telefonanlage."),
                                QStringLiteral("     "), QStringLiteral("Bitte warten...")}) {
        auto* label = new QLabel(line, this);
        label->setFont(bold);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    m_portLabel = new QLabel(this);
    m_portLabel->setObjectName(QStringLiteral("lblComPortNumber"));
    m_portLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_portLabel);
    m_ok = addResultButton(QStringLiteral("OK"), DialogResult::Ok);
    setDefaultButton(m_ok);
    m_cancel = addResultButton(QStringLiteral("Abbrechen"), DialogResult::Cancel);
    layout->addLayout(centredRow({m_ok, m_cancel}));
    setFixedSize(300, 180);
}

void TSuchenDlg::setPortLabel(const QString& text) {
    m_portLabel->setText(text);
}

QString TSuchenDlg::portLabel() const {
    return m_portLabel->text();
}

void TSuchenDlg::setButtonsEnabled(bool enabled) {
    m_ok->setEnabled(enabled);
    m_cancel->setEnabled(enabled);
}

bool TSuchenDlg::mayClose() const {
    return m_cancel->isEnabled();
}

TSelectDeviceDlg::TSelectDeviceDlg(QWidget* parent)
    : ResultDialog(QStringLiteral("Gerätetyp wählen"), parent) {
    setObjectName(QStringLiteral("SelectDeviceDlg"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Bitte wählen Sie einen Gerätetyp aus"), this));
    const QString names[3] = {QStringLiteral("Mirello 16"), QStringLiteral("Quenta 26"),
                              QStringLiteral("Quenta 26Sol")};
    for (int row = 0; row < 3; ++row) {
        m_rows[row] = new QRadioButton(names[row], this);
        layout->addWidget(m_rows[row]);
    }
    QPushButton* ok = addResultButton(QStringLiteral("OK"), DialogResult::Ok);
    setDefaultButton(ok);
    layout->addLayout(
        centredRow({ok, addResultButton(QStringLiteral("Abbrechen"), DialogResult::Cancel)}));
    setFixedSize(sizeHint());
}

int TSelectDeviceDlg::rowFor(DeviceType current) {
    switch (current) {
    case 5:
        return 0;
    case 6:
        return 1;
    default:
        return 2;
    }
}

DeviceType TSelectDeviceDlg::typeForRow(int row) {
    switch (row) {
    case 0:
        return 5;
    case 2:
        return 7;
    default:
        return 6;
    }
}

int TSelectDeviceDlg::selectedRow() const {
    for (int row = 0; row < 3; ++row)
        if (m_rows[row]->isChecked())
            return row;
    return -1;
}

void TSelectDeviceDlg::selectRow(int row) {
    m_rows[row]->setChecked(true);
}

std::optional<DeviceType> TSelectDeviceDlg::choose(DeviceType current) {
    selectRow(rowFor(current));
    setFirstFocus(m_rows[rowFor(current)]); // the arrow keys choose, Return confirms
    if (run() != DialogResult::Ok)
        return std::nullopt;
    return typeForRow(selectedRow());
}

TWaehleComPortDlg::TWaehleComPortDlg(QWidget* parent)
    : ResultDialog(QStringLiteral("Dialog"), parent) {
    setObjectName(QStringLiteral("WaehleComPortDlg"));
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("COM-Schnittstelle wählen:"), this);
    layout->addWidget(caption);
    m_ports = new QComboBox(this);
    m_ports->setObjectName(QStringLiteral("CBSchnittstellen"));
    m_ports->setEditable(true);
    m_ports->setInsertPolicy(QComboBox::NoInsert);
    // Named as the label above says, without its colon; the typing field inside as well.
    m_ports->setAccessibleName(caption->text().chopped(1));
    m_ports->lineEdit()->setAccessibleName(m_ports->accessibleName());
    layout->addWidget(m_ports);
    setFirstFocus(m_ports);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    setDefaultButton(ok);
    connect(ok, &QPushButton::clicked, this, &TWaehleComPortDlg::okClicked);
    layout->addLayout(
        centredRow({ok, addResultButton(QStringLiteral("Abbrechen"), DialogResult::Cancel)}));
    setFixedSize(sizeHint());
}

quint16 TWaehleComPortDlg::portOfEntry(const QString& entry) {
    bool ok = false;
    const uint number = entry.mid(3).toUInt(&ok, 10);
    if (!ok || number > std::numeric_limits<quint16>::max())
        return 0;
    return static_cast<quint16>(number);
}

void TWaehleComPortDlg::okClicked() {
    const int index = m_ports->currentIndex();
    const bool entrySelected = index >= 0 && m_ports->currentText() == m_ports->itemText(index);
    if (!entrySelected) {
        finish(DialogResult::Ok); // typed text: the port stays as it was
        return;
    }
    const quint16 port = portOfEntry(m_ports->itemText(index));
    if (port == 0) {
        finish(DialogResult::Cancel);
        return;
    }
    m_port = port;
    finish(DialogResult::Ok);
}

PortChoice TWaehleComPortDlg::choose(const QStringList& entries, quint16 currentPort) {
    m_ports->clear();
    m_ports->addItems(entries);
    m_ports->setCurrentIndex(entries.isEmpty() ? -1 : 0);
    m_port = currentPort;
    const DialogResult result = run();
    return {result, result == DialogResult::Ok ? m_port : currentPort};
}

} // namespace talvaro
