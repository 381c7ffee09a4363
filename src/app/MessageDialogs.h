#pragma once

#include "ResultDialog.h"

#include <QTimer>

#include <functional>

class QPlainTextEdit;
class QHBoxLayout;

namespace talvaro {

// The common frame of the message windows: a read-only text "Message" that the caller
// fills line by line, an optional picture on its left, and a row of buttons.
class TMessageDialog : public ResultDialog {
    Q_OBJECT
public:
    enum class Picture { None, Error, Question };

    TMessageDialog(const QString& caption, Picture picture, QSize clientSize,
                   QWidget* parent = nullptr);

    void addLine(const QString& line);
    void clearMessage();
    QStringList lines() const;
    QPlainTextEdit* message() const { return m_message; }

protected:
    void showEvent(QShowEvent* event) override;
    QHBoxLayout* buttonRow() const { return m_buttons; }
    // The one "OK" button of the plain message windows, default and centred; Escape
    // answers as it does.
    QPushButton* addOkButton();

private:
    QPlainTextEdit* m_message;
    QHBoxLayout* m_buttons;
};

class TErrorDialog : public TMessageDialog {
    Q_OBJECT
public:
    explicit TErrorDialog(QWidget* parent = nullptr);
};

class THinweisBox : public TMessageDialog {
    Q_OBJECT
public:
    explicit THinweisBox(QWidget* parent = nullptr);
};

class TErgebnisDialog : public TMessageDialog {
    Q_OBJECT
public:
    explicit TErgebnisDialog(QWidget* parent = nullptr);
};

// Shown after programming: the device restarts meanwhile, so "OK" waits 2700 ms and
// the dialog cannot be closed before. Tests shorten the wait.
class TProgErgebnisDialog : public TMessageDialog {
    Q_OBJECT
public:
    static constexpr int RestartDelayMs = 2700;

    explicit TProgErgebnisDialog(QWidget* parent = nullptr, int restartDelayMs = RestartDelayMs);

    QPushButton* okButton() const { return m_ok; }
    bool isWaiting() const { return m_timer.isActive(); }

protected:
    void showEvent(QShowEvent* event) override;
    bool mayClose() const override { return !isWaiting(); }

private:
    void restartDone();

    QPushButton* m_ok;
    QTimer m_timer;
};

// Progress window of a read or programming exchange. While it shows, the main window
// is disabled; closing it for any reason hands control back through the closing handler.
class TUpDownLoad : public TMessageDialog {
    Q_OBJECT
public:
    explicit TUpDownLoad(QWidget* parent = nullptr);

    void setMainWindow(QWidget* mainWindow) { m_mainWindow = mainWindow; }
    void setClosedHandler(std::function<void()> handler) { m_closed = std::move(handler); }
    // Closes the window, or runs the closing steps alone when it is not showing.
    void closeTransfer();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void closed();

    QWidget* m_mainWindow = nullptr;
    std::function<void()> m_closed;
};

} // namespace talvaro
