#include "manual/tform2.h"
#include "program/tokbottomdlg.h"

#include "shell/tform1.h"

#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

TOKBottomDlg::TOKBottomDlg(TForm1 *form1)
    : QDialog(nullptr) // a window of its own: it must stay usable while the main window is locked
    , m_form1(form1)
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
        m_form1->Sprachauswahl_unit3();
    return QDialog::event(event);
}

void TOKBottomDlg::setLabelColour(const QColor &colour)
{
    TForm1::setBackground(Label1, colour);
}

void TOKBottomDlg::OKBtnClick()
{
    if (!m_form1->DialogMessage) {
        m_form1->setEnabled(true);
        hide();
        m_form1->ZYNT_Programm_Speichern();
        return;
    }
    // The user has read the drive's error: the failing command is let go.
    m_form1->setEnabled(true);
    if (m_form1->Form2)
        m_form1->Form2->setEnabled(true);
    m_form1->DialogMessage = false;
    m_form1->ReceiveBuffer.clear();
    hide();
    Image1->hide();
    resize(width(), 103);
    // The refused last assignment of a write-back ends the batch all the
    // same; otherwise the window would wait for an answer that never comes.
    const bool lastOfWriteBack = m_form1->WriteBackRunning && m_form1->Queue.head() &&
                                 m_form1->Queue.head()->Kind == CommandKind::WriteBackLast;
    if (m_form1->Queue.head())
        m_form1->Liste_aktualisieren();
    if (lastOfWriteBack)
        m_form1->endWriteBack();
    // The refused command may have been the status query whose answer would
    // have started the next poll cycle, and the error stopped the link
    // watchdog: without this the link would go unwatched for good. A
    // transfer under way starts the poll itself when it ends.
    TForm1 &f = *m_form1;
    if (!f.Timer3->isActive() && !f.ProgramWrite && !f.ProgramListing && !f.WriteBackRunning && !f.TerminalTyping &&
        !f.PollingStopped && !f.MasterMode)
        f.Timer3->start();
    OKBtn->move(79, OKBtn->y());
    setLabelColour(Qt::yellow);
}

void TOKBottomDlg::CancelBtnClick()
{
    m_form1->setEnabled(true);
    hide();
    m_form1->DialogMessage = false;
    m_form1->Timer3->start();
}

void TOKBottomDlg::reject()
{
    if (!m_form1->DialogMessage)
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
