#include "EditorPages.h"

#include "EditorWidgets.h"
#include "ModelPictures.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <array>

namespace talvaro {
namespace {

constexpr int RowStep = 24;
constexpr int ColumnWidth = 24;
constexpr int KindTop = 60;
constexpr int PermissionTop = 196;
constexpr int ContactBlockWidth = 144;

// Kind rows in the layout's order from the top.
struct KindRow {
    const char* radioPrefix;
    const char* label;
};
constexpr std::array<KindRow, 5> KindRows{{{"RBNotruf", "lblTypNotruf"},
                                           {"RBTelefon", "lblTypTel"},
                                           {"RBAnrufbeantworter", "lblTypAB"},
                                           {"RBTfe", "lblTypTFE"},
                                           {"RBFax", "lblTypFax"}}};

struct PermissionRow {
    const char* prefix;
    const char* label;
    const char* caption;
    bool checkBox;
};
constexpr std::array<PermissionRow, 4> PermissionRows{
    {{"RBvab", "lblVollamt", "amtsberechtigt", false},
     {"RBhab", "lblHalbamt", "halbamtsberechtigt", false},
     {"RBnab", "lblNichtamt", "nichtamtsberechtigt", false},
     {"CBtb", "lblTuer", "türberechtigt", true}}};

constexpr std::array<int, 6> SixColumns{152, 184, 216, 248, 280, 312};
constexpr std::array<int, 6> FourColumns{216, 248, 280, 312, 320, 328};

QString numbered(const char* prefix, int n) {
    return QString::fromLatin1(prefix) + QString::number(n);
}
QString extensionName(const char* prefix, int extension) {
    return numbered(prefix, 20 + extension);
}

QLabel* heading(QWidget* page, const QString& text, const QString& name = {}) {
    auto* label = new QLabel(text, page);
    label->setObjectName(name);
    QFont bold = label->font();
    bold.setBold(true);
    bold.setPixelSize(15);
    label->setFont(bold);
    label->setGeometry(8, 6, 352, 24);
    return label;
}

QFrame* settingPanel(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(geometry);
    return panel;
}

QLabel* label(QWidget* parent, const QString& text, const QRect& geometry, bool bold = false) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    if (bold) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    return l;
}

} // namespace

EditorPages::EditorPages(const QHash<QString, QWidget*>& pages) : m_pages(pages) {
    buildImage(pages.value(QStringLiteral("PanelImage")));
    buildLine(pages.value(QStringLiteral("PanelLtg")));
    buildKinds(pages.value(QStringLiteral("PanelTln")));
    buildRing(pages.value(QStringLiteral("PanelRuf")));
    buildNachwahl(pages.value(QStringLiteral("PanelNachwahl")));
    buildErweitert(pages.value(QStringLiteral("PanelExternErweitert")));
    buildContacts(pages.value(QStringLiteral("PanelKontakte")));
    for (auto it = pages.begin(); it != pages.end(); ++it)
        m_named.insert(it.key(), it.value());
    for (QWidget* page : pages)
        for (QWidget* child : page->findChildren<QWidget*>())
            if (!child->objectName().isEmpty())
                m_named.insert(child->objectName(), child);
}

QWidget* EditorPages::widget(const QString& name) const {
    return m_named.value(name);
}

int EditorPages::columnLeft(DeviceType type, int extension) {
    return (isSixExtension(type) ? SixColumns : FourColumns)[extension - 1];
}

void EditorPages::buildImage(QWidget* page) {
    m_picture = new QLabel(page);
    m_picture->setObjectName(QStringLiteral("Image1"));
}

// Two-choice settings of the external line, one panel each.
void EditorPages::buildLine(QWidget* page) {
    heading(page, QStringLiteral("Externanschluss"));
    struct Choice {
        const char* panel;
        const char* caption;
        const char* yes;
        const char* yesText;
        const char* no;
        const char* noText;
    };
    const Choice choices[] = {
        {"PanelAmtsholung", "Amtsholung", "RBAmtsholungJa", "automatisch", "RBAmtsholungNein",
         "durch Vorwahl der Kennziffer 0"},
        {"PanelHeranholen", "Externanrufe heranholen", "RBHeranholenJa", "ja", "RBHeranholenNein",
         "nein"},
        {"PanelAnklopfschutz", "Anklopfschutz", "RBAnklopfschutzJa", "ja", "RBAnklopfschutzNein",
         "nein"},
        {"PanelWartemusik", "Wartemusik", "RBWartemusikJa", "ein", "RBWartemusikNein", "aus"},
    };
    int top = 36;
    for (const Choice& c : choices) {
        QFrame* panel = settingPanel(page, QString::fromLatin1(c.panel), QRect(8, top, 352, 80));
        label(panel, QString::fromUtf8(c.caption), QRect(8, 4, 336, 20), true);
        auto* yes = new QRadioButton(QString::fromUtf8(c.yesText), panel);
        yes->setObjectName(QString::fromLatin1(c.yes));
        yes->setGeometry(16, 28, 320, 20);
        auto* no = new QRadioButton(QString::fromUtf8(c.noText), panel);
        no->setObjectName(QString::fromLatin1(c.no));
        no->setGeometry(16, 52, 320, 20);
        top += 86;
    }
}

void EditorPages::buildKinds(QWidget* page) {
    heading(page, QStringLiteral("Gerätetyp und Berechtigungen"));
    auto* word = label(page, QStringLiteral("Anschluss"), QRect(8, 34, 140, 20), true);
    word->setObjectName(QStringLiteral("lblTlnAnschluss"));
    std::array<QLabel*, KindRows.size()> kindLabels{};
    for (size_t r = 0; r < KindRows.size(); ++r) {
        kindLabels[r] = new QLabel(page);
        kindLabels[r]->setObjectName(QString::fromLatin1(KindRows[r].label));
        kindLabels[r]->setGeometry(8, KindTop + int(r) * RowStep, 200, 20);
    }
    std::array<QLabel*, PermissionRows.size()> permissionLabels{};
    for (size_t r = 0; r < PermissionRows.size(); ++r) {
        permissionLabels[r] = new QLabel(QString::fromUtf8(PermissionRows[r].caption), page);
        permissionLabels[r]->setObjectName(QString::fromLatin1(PermissionRows[r].label));
        permissionLabels[r]->setGeometry(8, PermissionTop + int(r) * RowStep, 200, 20);
    }
    std::array<const QLabel*, 6> numberLabels{};
    for (int n = 1; n <= 6; ++n) {
        auto* number = label(page, QString::number(n), QRect(0, 34, ColumnWidth, 20), true);
        number->setObjectName(numbered("lblTlnNr", n));
        number->setAlignment(Qt::AlignCenter);
        numberLabels[n - 1] = number;

        QFrame* kinds = settingPanel(page, numbered("PanelTyp", n),
                                     QRect(0, KindTop, ColumnWidth, RowStep * 5));
        kinds->setFrameShape(QFrame::NoFrame);
        for (size_t r = 0; r < KindRows.size(); ++r) {
            auto* radio = new QRadioButton(kinds);
            radio->setObjectName(extensionName(KindRows[r].radioPrefix, n));
            radio->setGeometry(4, int(r) * RowStep, 20, 20);
            m_permissionCells.append({radio, kindLabels[r], word, number});
        }
    }
    // Created after all kinds: Tab finishes the kinds table above before it enters the
    // permissions below, instead of running down both for every extension.
    for (int n = 1; n <= 6; ++n) {
        const QLabel* number = numberLabels[n - 1];
        QFrame* permissions = settingPanel(page, numbered("PanelBerecht", n),
                                           QRect(0, PermissionTop, ColumnWidth, RowStep * 4));
        permissions->setFrameShape(QFrame::NoFrame);
        for (size_t r = 0; r < PermissionRows.size(); ++r) {
            QAbstractButton* button =
                PermissionRows[r].checkBox
                    ? static_cast<QAbstractButton*>(new QCheckBox(permissions))
                    : new QRadioButton(permissions);
            button->setObjectName(extensionName(PermissionRows[r].prefix, n));
            button->setGeometry(4, int(r) * RowStep, 20, 20);
            m_permissionCells.append({button, permissionLabels[r], word, number});
        }
    }
}

void EditorPages::buildRing(QWidget* page) {
    heading(page, QStringLiteral("Rufsignalisierung festlegen"));
    auto* word = label(page, QStringLiteral("Anschluss"), QRect(8, 34, 140, 20), true);
    word->setObjectName(QStringLiteral("lblRufAnschluss"));
    const char* rows[] = {"Externanruf", "Klingeltaster 1", "Klingeltaster 2", "Klingeltaster 3",
                          "Klingeltaster 4"};
    QLabel* rowLabels[5];
    for (int r = 0; r < 5; ++r)
        rowLabels[r] =
            label(page, QString::fromUtf8(rows[r]), QRect(8, KindTop + r * RowStep, 140, 20));
    for (int n = 1; n <= 6; ++n) {
        auto* number =
            label(page, QString::number(n), QRect(SixColumns[n - 1], 34, ColumnWidth, 20), true);
        number->setObjectName(numbered("lblRufNr", n));
        number->setAlignment(Qt::AlignCenter);
        QFrame* column = settingPanel(page, numbered("PanelRuf", n),
                                      QRect(SixColumns[n - 1], KindTop, ColumnWidth, RowStep * 5));
        column->setFrameShape(QFrame::NoFrame);
        auto* external = new QCheckBox(column);
        external->setObjectName(extensionName("CBarb", n));
        external->setGeometry(4, 0, 20, 20);
        m_ringCells.append({external, rowLabels[0], word, number});
        for (int key = 1; key <= 4; ++key) {
            auto* box = new QCheckBox(column);
            box->setObjectName(extensionName(qPrintable(numbered("CBTaste", key) + "Ruf"), n));
            box->setGeometry(4, key * RowStep, 20, 20);
            m_ringCells.append({box, rowLabels[key], word, number});
        }
    }
    auto* on = new QPushButton(QStringLiteral("Türrufe an allen Nebenstellen signalisieren"), page);
    on->setObjectName(QStringLiteral("ButtonTlnEin"));
    on->setGeometry(8, 200, 352, 28);
    auto* off =
        new QPushButton(QStringLiteral("Türrufe an keiner Nebenstelle signalisieren"), page);
    off->setObjectName(QStringLiteral("ButtonTlnAus"));
    off->setGeometry(8, 236, 352, 28);
}

void EditorPages::buildNachwahl(QWidget* page) {
    heading(page, QStringLiteral("Nachwahl und Faxweiche"));
    QFrame* onOff =
        settingPanel(page, QStringLiteral("PanelNachwahlEinAus"), QRect(8, 36, 352, 80));
    label(onOff, QStringLiteral("Nachwahl und Faxweiche"), QRect(8, 4, 336, 20), true);
    auto* on = new QRadioButton(QStringLiteral("ein"), onOff);
    on->setObjectName(QStringLiteral("RBNachwahlJa"));
    on->setGeometry(16, 28, 200, 20);
    auto* off = new QRadioButton(QStringLiteral("aus"), onOff);
    off->setObjectName(QStringLiteral("RBNachwahlNein"));
    off->setGeometry(16, 52, 200, 20);

    const struct {
        const char* panel;
        const char* caption;
        const char* field;
        int top;
    } numbers[] = {
        {"PanelAnzahlRufe", "Anzahl der Rufe ", "LMDSpinEditAnzahlRufe", 122},
        {"PanelTimeout1", "Wartezeit für Nachwahl und Faxweiche", "LMDSpinEditTimeout1", 170}};
    for (const auto& n : numbers) {
        QFrame* panel = settingPanel(page, QString::fromLatin1(n.panel), QRect(8, n.top, 352, 42));
        label(panel, QString::fromUtf8(n.caption), QRect(8, 11, 250, 20));
        auto* spin = new SpinEdit(panel);
        spin->setObjectName(QString::fromLatin1(n.field));
        spin->setGeometry(264, 9, 76, 24);
    }
}

void EditorPages::buildErweitert(QWidget* page) {
    heading(page, QStringLiteral("Erweitert"));
    QFrame* panel = settingPanel(page, QStringLiteral("PanelHookflash"), QRect(8, 36, 352, 80));
    label(panel, QStringLiteral("Hookflash"), QRect(8, 4, 336, 20), true);
    auto* inquiry = new QRadioButton(QStringLiteral("für Rückfrage verwenden"), panel);
    inquiry->setObjectName(QStringLiteral("RBHookflashRueckfrage"));
    inquiry->setGeometry(16, 28, 320, 20);
    auto* exchange = new QRadioButton(QStringLiteral("an Vermittlungsstelle weiterleiten"), panel);
    exchange->setObjectName(QStringLiteral("RBHookflashAmt"));
    exchange->setGeometry(16, 52, 320, 20);
}

void EditorPages::buildContacts(QWidget* page) {
    heading(page, QStringLiteral("Schaltkontakte"), QStringLiteral("lblKontakteHead"));
    for (int k = 1; k <= 2; ++k) {
        const QString n = QString::number(k);
        auto* block = new QWidget(page);
        block->setObjectName(QStringLiteral("PanelKontakt") + n);
        block->setGeometry(k == 1 ? 40 : 40 + ContactBlockWidth + 4, 34, ContactBlockWidth, 204);

        QFrame* head = settingPanel(block, QStringLiteral("PanelK%1Head").arg(k),
                                    QRect(0, 0, ContactBlockWidth, 24));
        label(head, QStringLiteral("Schaltkontakt ") + n, QRect(6, 2, 130, 20), true);

        QFrame* control = settingPanel(block, QStringLiteral("PanelK%1").arg(k),
                                       QRect(0, 26, ContactBlockWidth, 144));
        label(control, QStringLiteral("steuern durch"), QRect(6, 2, 130, 18));
        auto radio = [&](const char* suffix, const char* text, int top) {
            auto* rb = new QRadioButton(QString::fromUtf8(text), control);
            rb->setObjectName(QStringLiteral("RBKontakt") + n + QString::fromLatin1(suffix));
            rb->setGeometry(6, top, 132, 20);
        };
        radio("Intern", "Interntelefon", 20);
        radio("Klingel", "Klingeltaster", 40);
        for (int t = 1; t <= 4; ++t) {
            auto* box = new QCheckBox(QStringLiteral("Taster ") + QString::number(t), control);
            box->setObjectName(QStringLiteral("CBKontakt%1Klingel%2").arg(k).arg(t));
            box->setGeometry(t % 2 ? 6 : 74, t <= 2 ? 60 : 80, 68, 20);
        }
        radio("Extern", "Externruf", 100);
        radio("Fern", "Fernsteuerung", 120);

        QFrame* time = settingPanel(block, QStringLiteral("PanelK%1Schaltzeit").arg(k),
                                    QRect(0, 172, ContactBlockWidth, 32));
        label(time, QStringLiteral("Schaltzeit"), QRect(6, 6, 60, 20));
        auto* spin = new SpinEdit(time);
        spin->setObjectName(QStringLiteral("LMDExtSpinEditK%1Time").arg(k));
        spin->setGeometry(64, 4, 74, 24);
    }

    QFrame* remote =
        settingPanel(page, QStringLiteral("PanelFernsteuerung"), QRect(8, 246, 352, 120));
    const struct {
        const char* caption;
        const char* field;
        int top;
    } rows[] = {{"PIN für Fernsteuerung", "LMDEditFernsteuerungPin", 8},
                {"Wartezeit für PIN", "LMDExtSpinEditTimeout2", 44},
                {"Wartezeit für Schaltbefehle", "LMDExtSpinEditTimeout3", 80}};
    for (const auto& row : rows) {
        label(remote, QString::fromUtf8(row.caption), QRect(8, row.top + 2, 220, 20));
        QWidget* field = nullptr;
        if (row.top == 8) {
            m_pin = new PinEdit(remote);
            field = m_pin;
        } else {
            field = new SpinEdit(remote);
        }
        field->setObjectName(QString::fromLatin1(row.field));
        field->setGeometry(240, row.top, 80, 24);
    }
}

void EditorPages::recordLayout() {
    m_memory = {};
    for (int n = 1; n <= 6; ++n) {
        m_memory.kindPanelHeights << widget(numbered("PanelTyp", n))->height();
        m_memory.permissionTops << widget(numbered("PanelBerecht", n))->y();
    }
    for (const KindRow& row : KindRows) {
        m_memory.kindButtonTops << widget(extensionName(row.radioPrefix, 1))->y();
        m_memory.kindLabelTops << widget(QString::fromLatin1(row.label))->y();
    }
    for (const PermissionRow& row : PermissionRows)
        m_memory.permissionLabelTops << widget(QString::fromLatin1(row.label))->y();
}

void EditorPages::layoutKindPage(DeviceType type) {
    const DeviceTypeProfile& p = deviceProfile(type);
    const bool shown[5] = {p.hasEmergency, true, true, true, p.hasFax};
    const int hidden = (p.hasEmergency ? 0 : 1) + (p.hasFax ? 0 : 1);
    const int shift = hidden * RowStep;

    // Visible rows take the design places from the top, in order.
    int place = 0;
    for (size_t r = 0; r < KindRows.size(); ++r) {
        QWidget* rowLabel = widget(QString::fromLatin1(KindRows[r].label));
        rowLabel->setVisible(shown[r]);
        if (!shown[r])
            continue;
        rowLabel->move(rowLabel->x(), m_memory.kindLabelTops[place]);
        for (int n = 1; n <= 6; ++n) {
            QWidget* radio = widget(extensionName(KindRows[r].radioPrefix, n));
            radio->move(radio->x(), m_memory.kindButtonTops[place]);
        }
        ++place;
    }
    const int extensions = familyProfile(type).extensions;
    for (int n = 1; n <= 6; ++n) {
        const int left = columnLeft(type, n);
        QWidget* kinds = widget(numbered("PanelTyp", n));
        kinds->setGeometry(left, kinds->y(), kinds->width(),
                           m_memory.kindPanelHeights[n - 1] - shift);
        QWidget* permissions = widget(numbered("PanelBerecht", n));
        permissions->move(left, m_memory.permissionTops[n - 1] - shift);
        QWidget* number = widget(numbered("lblTlnNr", n));
        number->move(left, number->y());
        for (QWidget* w : {kinds, permissions, number, widget(numbered("PanelRuf", n)),
                           widget(numbered("lblRufNr", n))})
            w->setVisible(n <= extensions);
    }
    for (size_t r = 0; r < PermissionRows.size(); ++r) {
        QWidget* l = widget(QString::fromLatin1(PermissionRows[r].label));
        l->move(l->x(), m_memory.permissionLabelTops[r] - shift);
    }
}

void EditorPages::applyDeviceType(DeviceType type) {
    const DeviceTypeProfile& p = deviceProfile(type);

    const QPixmap picture = modelPicture(p.pictureIndex);
    QWidget* page = m_picture->parentWidget();
    m_picture->setPixmap(picture);
    m_picture->setGeometry((page->width() - picture.width()) / 2,
                           (page->height() - picture.height()) / 2, picture.width(),
                           picture.height());

    static_cast<QLabel*>(widget(QStringLiteral("lblTypTel")))->setText(p.kindRowTelefon);
    static_cast<QLabel*>(widget(QStringLiteral("lblTypAB")))->setText(p.kindRowAnrufbeantworter);
    static_cast<QLabel*>(widget(QStringLiteral("lblTypTFE")))->setText(p.kindRowTfe);
    static_cast<QLabel*>(widget(QStringLiteral("lblTypFax")))->setText(p.kindRowFax);
    static_cast<QLabel*>(widget(QStringLiteral("lblTypNotruf")))->setText(p.kindRowNotruf);

    layoutKindPage(type);

    const QString word =
        p.extensionWordNebenstelle ? QStringLiteral("Nebenstelle") : QStringLiteral("Anschluss");
    static_cast<QLabel*>(widget(QStringLiteral("lblTlnAnschluss")))->setText(word);
    static_cast<QLabel*>(widget(QStringLiteral("lblRufAnschluss")))->setText(word);
    if (!p.contactHeading.isEmpty())
        static_cast<QLabel*>(widget(QStringLiteral("lblKontakteHead")))->setText(p.contactHeading);

    const bool twoContacts = !isSixExtension(type);
    QWidget* first = widget(QStringLiteral("PanelKontakt1"));
    first->move(twoContacts ? 40 : 112, first->y());
    widget(QStringLiteral("PanelKontakt2"))->setVisible(twoContacts);
}

} // namespace talvaro
