// SPDX-License-Identifier: GPL-3.0-or-later
#include "program/window/tokbottomdlg.h"

#include "link/drivecore.h"
#include "shell/cp1252.h"
#include "shell/window/formshell.h"

#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

TOKBottomDlg::TOKBottomDlg(FormShell &shell)
    : QDialog(nullptr) // a window of its own: it must stay usable while the main window is locked
    , m_shell(shell)
{
    setWindowTitle(QStringLiteral("Speichern Programm in ZYNT"));
    resize(330, 103);
    Label1 = new QLabel(QStringLiteral("Überschreiben vorhandenes Programm ?"), this);
    Label1->setGeometry(8, 8, 314, 50);
    Label1->setWordWrap(true);
    Label1->setAutoFillBackground(true);
    setLabelColour(Qt::yellow);
    Image1 = new QLabel(this);
    Image1->setGeometry(8, 60, 32, 32);
    Image1->hide();
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setGeometry(79, 68, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setGeometry(165, 68, 75, 25);
    connect(OKBtn, &QPushButton::clicked, this, &TOKBottomDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TOKBottomDlg::CancelBtnClick);
}

bool TOKBottomDlg::event(QEvent *event)
{
    // The question follows the language each time the dialog comes up.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        m_shell.questionLanguage();
    return QDialog::event(event);
}

void TOKBottomDlg::setLabelColour(const QColor &colour)
{
    QPalette p = Label1->palette();
    p.setColor(QPalette::Window, colour);
    Label1->setPalette(p);
}

void TOKBottomDlg::showDriveError(const QString &message, bool tall)
{
    if (isVisible() && !m_driveError) {
        // The question was not answered: nothing is written, and the user
        // asks again once he has read the error.
        m_shell.driveCore().Owner.resume(line::Pause::Question);
        m_shell.statusNote(tr("Das Programm wurde nicht geschrieben: die ZYNT meldete einen Fehler, bevor die "
                              "Frage beantwortet war."));
    }
    m_driveError = true;
    Label1->setText(message);
    setWindowTitle(fromCp1252(m_shell.tableText(191)));
    show();
    if (tall)
        resize(width(), 203);
    CancelBtn->hide();
    OKBtn->move(129, OKBtn->y());
    setLabelColour(palette().color(QPalette::Button));
    Image1->show();
}

void TOKBottomDlg::OKBtnClick()
{
    if (!m_driveError) {
        endQuestion();
        m_shell.writeConfirmedProgram();
        return;
    }
    // The user has read the drive's error: the failing command is let go.
    m_driveError = false;
    m_shell.driveErrorRead();
    hide();
    Image1->hide();
    resize(width(), 103);
    OKBtn->move(79, OKBtn->y());
    setLabelColour(Qt::yellow);
    m_shell.driveCore().confirmDriveError();
}

void TOKBottomDlg::CancelBtnClick()
{
    endQuestion();
}

void TOKBottomDlg::endQuestion()
{
    hide();
    m_shell.driveCore().Owner.resume(line::Pause::Question);
}

void TOKBottomDlg::reject()
{
    if (!m_driveError)
        CancelBtnClick();
    else
        OKBtnClick();
}

void TOKBottomDlg::closeEvent(QCloseEvent *event)
{
    // Only the user's close counts; the program closes the dialog on its own
    // way out, and that must not write anything.
    if (event->spontaneous() && isVisible())
        OKBtnClick();
    event->accept();
}
