// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's status line: a text too long for it is shortened in its
// middle with the whole of it as tooltip, and the last messages stay
// readable in a list opened from the line.
#pragma once

#include "shell/statusline.h"

#include <QDialog>
#include <QStatusBar>

class QToolButton;
class QTextEdit;

// The list of the last messages with their times, newest first, each whole
// (a long path wraps) and ready to be copied.
class TStatusHistory : public QDialog {
    Q_OBJECT
public:
    explicit TStatusHistory(QWidget *parent);
    void show(const statusline::History &history);

    QTextEdit *List = nullptr;
};

class TStatusLine : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusLine(QWidget *parent);

    // Shows text (for timeout ms, or until the next, when 0) and keeps it.
    void note(const QString &text, int timeout = 0);
    const statusline::History &history() const { return m_history; }
    // The text as the line shows it now.
    QString shownText() const;
    void showHistory();

    QToolButton *HistoryButton = nullptr;
    TStatusHistory *HistoryWindow = nullptr; // made when first opened

protected:
    // The interface's language changed: the button's own texts follow.
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void retranslate();
    QRect messageRect() const;
    void updateToolTip();

    statusline::History m_history;
};
