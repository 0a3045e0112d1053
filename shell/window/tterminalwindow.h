// SPDX-License-Identifier: GPL-3.0-or-later
// The terminal in a window of its own that can be enlarged. It holds the
// main window's terminal controls (MemoTxD, MemoRxD, Button13, Button18) and
// adds a line mode with a history, a hex view of both ways, timestamps, a switch that
// hides the status poll's traffic and saving the log. With none of the
// view's switches on, the output memo shows what came in as it always did.
#pragma once

#include "shell/terminallog.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TTerminalWindow : public QWidget {
    Q_OBJECT
public:
    explicit TTerminalWindow(QWidget *parent);

    QPlainTextEdit *MemoTxD = nullptr;   // key-by-key typing
    QLineEdit *LineInput = nullptr;      // line mode's input
    QPlainTextEdit *MemoRxD = nullptr;   // what came in
    QPushButton *Button13 = nullptr;     // "Terminal schließen"
    QPushButton *Button18 = nullptr;     // "RS232 Stop" / "RS232 Start"
    QCheckBox *LineMode = nullptr, *HexView = nullptr, *Timestamps = nullptr, *HidePoll = nullptr;
    QPushButton *SaveLog = nullptr;

    // Shows or hides the terminal's controls (the input of the mode chosen)
    // and with them the window.
    void setOpen(bool open);
    bool lineMode() const;
    terminal::View view() const;

    // A piece that came in while the terminal is open: logged; shown here
    // unless the view is plain (then the main window's rules show it).
    void received(const QByteArray &chunk, bool poll);
    // What the program wrote to the drive while the terminal is open:
    // logged, and shown in the hex view.
    void sent(const QByteArray &bytes, bool poll);
    // A word of the program's own, on a line of its own among what came in.
    void note(const QString &text);
    const terminal::Log &log() const { return m_log; }
    terminal::History &history() { return m_history; }

    void setLanguage(int language);

    // Sends a line (without its carriage return) as one command.
    std::function<void(const QByteArray &)> SendLine;
    // Asks where to save the log; empty when cancelled.
    std::function<QString()> AskLogFile;
    std::function<void(const QString &path, const QString &error)> Report;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showMode();
    void rerender();
    void appendNew();
    void saveLog();

    terminal::Log m_log;
    terminal::History m_history;
    quint64 m_rendered = 0;      // complete lines shown so far (counted with the dropped ones)
    int m_partialLength = -1;    // characters of the incomplete last line shown, -1 none
};
