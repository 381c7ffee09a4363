#pragma once

#include "Dialogs.h"
#include "Document.h"
#include "ImageBuffers.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace talvaro {

struct ControlState {     // one named control of the editor
    bool checked = false; // radio buttons / check boxes
    bool enabled = true;
    bool visible = true;
    double value = 0; // number fields (spin edits)
    QString text;     // the PIN field

    friend bool operator==(const ControlState&, const ControlState&) = default;
};

struct NumberFieldSpec {
    double minimum, maximum, step;
    int decimals;
    QString suffix;
};

// What rules need of the window (contact page visible / show it / focus the PIN field).
class EditorView {
public:
    virtual ~EditorView() = default;
    virtual bool isContactPageVisible() const = 0;
    virtual void showContactPage() = 0;
    virtual void focusPinField() = 0;
};

enum class ExtensionKind { Telefon = 0, Anrufbeantworter = 1, Tfe = 2, Fax = 3, Notruf = 4 };

// The editor's settings without widgets: every control by name, the rules between them,
// the codec to and from the configuration image and the factory defaults.
class ConfigModel : public QObject {
    Q_OBJECT
public:
    ConfigModel(Document& document, Dialogs& dialogs, QObject* parent = nullptr);

    void setView(EditorView* view); // may be null (command line, tests)

    QStringList controlNames() const; // every control this model knows
    bool has(const QString& name) const;
    const ControlState& state(const QString& name) const;
    std::optional<NumberFieldSpec> numberSpec(const QString& name) const;
    QString radioGroup(const QString& name) const; // radios of one group deselect each other

    // Changes from the user or from code. A change that really changes the state runs
    // that control's rule exactly once; one that leaves it as it was runs nothing.
    // A radio runs its rule when it becomes selected; clearing one runs nothing.
    void setChecked(const QString& name, bool checked);     // radio: true selects it in its group
    void setValue(const QString& name, double value);       // clamped/rounded per NumberFieldSpec
    void setText(const QString& name, const QString& text); // PIN: digits only, max 4
    // Buttons without state: "ButtonTlnEin", "ButtonTlnAus".
    void clickButton(const QString& name);

    // Codec, defaults, adaptation:
    void encodeImage(ImageBuffers& images); // editor -> working image of the family + checksum
    void decodeImage(const ImageBuffers& images); // working image -> editor (through the rules)
    void applyFactoryDefaults();
    void enableAllSettings();
    void refreshUniqueKinds();
    // State side of a device-type change: defaults, kind radios, extensions 25/26, contact 2.
    // The caller stores the type in the document first and runs updateTitle afterwards.
    void adaptToDeviceType();

    // PIN checks (messages through Dialogs). They apply to types with a contact page only.
    void leavePinField(); // the PIN field lost the focus
    bool checkPinOnLeave(bool withMessages);
    bool checkPinBeforeUse();
    bool isPinPending() const { return m_pinPending; }

    // Convenience reads for programming and the report.
    int extensionCount() const;                // 4 or 6, by the current family
    ExtensionKind kindOf(int extension) const; // extension 1..6
    bool anyExtensionRingsExternally() const;  // some CBarb2x of the family is checked

signals:
    void controlChanged(const QString& name); // checked/enabled/visible/value/text changed
    void markedModified();                    // a rule ended with markModified

private:
    using Rule = void (ConfigModel::*)(int);
    enum class ControlType { Radio, Check, Number, Text, Button };
    struct Control {
        ControlType type = ControlType::Check;
        QString group; // radios only
        ControlState state;
        ControlState design; // as the form starts; the defaults start from it
        std::optional<NumberFieldSpec> limits;
        Rule rule = nullptr; // runs after a real change (radios: when selected)
        int ruleArgument = 0;
    };

    void buildControls();
    void addControl(const QString& name, Control control);
    void changed(const QString& name);
    Control* find(const QString& name);
    const Control* find(const QString& name) const;
    void runRule(const Control& control);
    void markModified();
    void restoreDesignState();
    QList<ControlState> states() const;

    void setEnabled(const QString& name, bool enabled);
    void setVisible(const QString& name, bool visible);
    bool isChecked(const QString& name) const;
    double valueOf(const QString& name) const;

    // Rules (argument: extension 1..6 or contact 1..2, unused elsewhere).
    void markOnly(int);
    void kindRule(int extension);
    void fullLineRule(int extension); // Vollamt and Halbamt
    void noLineRule(int extension);   // Nichtamt
    void doorRule(int extension);
    void contactRule(int contact);
    void setDoorRing(int extension, bool on);

    bool remoteControlWithoutPin() const;
    QString remoteControlMessage() const;
    bool contactPageVisible() const;
    void showPinField(bool showPage); // without the page: focus only when it is visible
    void doorCallButton(int on);      // ButtonTlnEin (1), ButtonTlnAus (0)

    Document& m_document;
    Dialogs& m_dialogs;
    EditorView* m_view = nullptr;
    QHash<QString, Control> m_controls;
    QStringList m_order;
    bool m_pinPending = false;
    bool m_holdMarks = false; // the defaults mark once, for what they changed in the end
};

// Control name of extension 1..6: extensionControl("RBTelefon", 1) == "RBTelefon21".
QString extensionControl(const char* prefix, int extension);

} // namespace talvaro
