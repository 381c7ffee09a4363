#pragma once

#include "DeviceTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace talvaro {

enum class DialogResult { Ok, Cancel, Yes, No, Retry };

// The program's own message windows; each shows a caption and lines of text.
enum class MessageDialog { Error, Hinweis, Ergebnis, ProgErgebnis };

enum class MessageIcon { Information, Warning, Critical };

struct FileDialogRequest {
    QString folder;
    QString proposedName;
    QString filter; // "Description|*.ext|Description|*.*"
    QString defaultExt;
};

// The port chosen in the port dialog: Ok carries a port, Cancel leaves it as it was.
struct PortChoice {
    DialogResult result = DialogResult::Cancel;
    quint16 port = 0;
};

// One row of the dialog "Konfigurationsverlauf".
struct HistoryRow {
    QString id;
    QString time; // local time
    QString action;
    DeviceType type = DefaultDeviceType;
    QString model; // the type's model name
    QString firmware;
    QString port;
    QString damage; // set for a damaged entry, which can only be annotated and deleted
    QString device; // the device's own name as it answered
    QString note;
};

// What the user did in "Konfigurationsverlauf" with the selected entry.
enum class HistoryCommand { Close, Load, Compare, SaveAs, Delete, Note };
struct HistoryChoice {
    HistoryCommand command = HistoryCommand::Close;
    QString id;
};

// One line that differs in the comparison window. A null text stands for a line that
// only the other side has.
struct ComparedLine {
    QString section;
    QString before; // "Alt"
    QString after;  // "Neu"
};

// Every dialog of the program is reached through this interface, so that the window
// shows real dialogs while tests and the command line answer them without a person.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // ErrorDialog, HinweisBox, ErgebnisDialog or ProgErgebnisDialog, shown modally.
    // The lines are gone again once it has closed.
    virtual DialogResult showMessage(MessageDialog which, const QString& caption,
                                     const QStringList& lines) = 0;
    // A plain platform message box with one OK button.
    virtual void showMessageBox(MessageIcon icon, const QString& text) = 0;
    // Warning box with "&Ja" and "&Nein"; answers Yes or No.
    virtual DialogResult askWarning(const QString& caption, const QString& text) = 0;
    // The same box with "&Nein" as the default button, for questions where "&Ja" risks
    // losing something.
    virtual DialogResult askWarningDefaultNo(const QString& caption, const QString& text) {
        return askWarning(caption, text);
    }

    // KeineAnlageDlg: Ok for "Offline", Retry for "Suchen". The hints name what keeps
    // the device from being found, one cause and its cure a line.
    virtual DialogResult askNoDeviceFound(const QStringList& accessHints) = 0;
    // SelectDeviceDlg: the chosen type, or nothing when cancelled.
    virtual std::optional<DeviceType> selectDeviceType(DeviceType current) = 0;
    // WaehleComPortDlg with entries "COM<n>", the first preselected.
    virtual PortChoice choosePort(const QStringList& entries, quint16 currentPort) = 0;
    virtual void showAbout() = 0;
    // FirmwareDlg, shown modally; front ends without a firmware dialog show nothing.
    virtual void execFirmware() {}

    // SuchenDlg: shown modally while the search runs; closeSearch ends it with Cancel.
    virtual void setSearchPortLabel(const QString& text) = 0;
    virtual bool isSearchShowing() const = 0;
    virtual void execSearch() = 0;
    virtual void closeSearch() = 0;

    // UpDownLoad: shown without waiting; every close runs the closing handler, also
    // when the window was not showing.
    virtual void setTransferCaption(const QString& caption) = 0;
    // Replaces the lines of UpDownLoad.
    virtual void setTransferLines(const QStringList& lines) { Q_UNUSED(lines); }
    virtual void showTransfer() = 0;
    virtual void closeTransfer() = 0;
    virtual void setTransferClosedHandler(std::function<void()> handler) = 0;

    // "Konfigurationsverlauf": the entries newest first, filterable to `current`.
    virtual HistoryChoice execHistory(const QList<HistoryRow>& rows, DeviceType current) {
        Q_UNUSED(rows);
        Q_UNUSED(current);
        return {};
    }
    // The comparison window; no lines: "Die Konfigurationen stimmen überein."
    virtual void showComparison(const QString& caption, const QList<ComparedLine>& lines) {
        Q_UNUSED(caption);
        Q_UNUSED(lines);
    }

    // File dialogs: the chosen path, or an empty text when cancelled.
    virtual QString getOpenFileName(const FileDialogRequest& request) = 0;
    virtual QString getSaveFileName(const FileDialogRequest& request) = 0;

    // A line of text to enter, starting from `text`: the text, or nothing when cancelled.
    virtual std::optional<QString> askText(const QString& caption, const QString& label,
                                           const QString& text) {
        Q_UNUSED(caption);
        Q_UNUSED(label);
        Q_UNUSED(text);
        return std::nullopt;
    }

    // "Keine Telefonanlage gefunden" is waiting for the user; ending it as if "Suchen"
    // had been chosen, when a serial port has appeared meanwhile.
    virtual bool isNoDeviceFoundShowing() const { return false; }
    virtual void searchAgainFromNoDeviceFound() {}
    // Some dialog waits for the user, so nothing may start by itself now.
    virtual bool isWaitingForUser() const { return false; }
};

} // namespace talvaro
