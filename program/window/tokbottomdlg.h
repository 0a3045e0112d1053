// SPDX-License-Identifier: GPL-3.0-or-later
// The small confirmation dialog below the main window: it asks before a
// program in the drive is overwritten, and it shows the drive's error lines.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class FormShell;

class TOKBottomDlg : public QDialog {
    Q_OBJECT
public:
    explicit TOKBottomDlg(FormShell &shell);

    QLabel *Label1 = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;
    QLabel *Image1 = nullptr;

    void OKBtnClick();
    void CancelBtnClick();
    void setLabelColour(const QColor &colour);
    // Escape: Cancel while the question is asked, OK on a drive's message.
    void reject() override;

    // A drive's error line takes the dialog; tall while a program is being
    // written. A question it replaces ends as Cancel would end it: the
    // error's OK must not leave the question's pause behind, nor answer it.
    void showDriveError(const QString &message, bool tall);
    // The dialog shows a drive's error line (not the overwrite question).
    bool showsDriveError() const { return m_driveError; }

protected:
    bool event(QEvent *event) override;
    // Closing the dialog by its frame does what OK does.
    void closeEvent(QCloseEvent *event) override;

private:
    // The question's end: the dialog goes, the poll may go on.
    void endQuestion();

    FormShell &m_shell;
    bool m_driveError = false;
};
