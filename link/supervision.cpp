// Supervision timers of the link.
#include "shell/tform1.h"

#include "manual/statusrules.h"
#include "manual/tform2.h"
#include "program/tokbottomdlg.h"
#include "shell/cp1252.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

void TForm1::Timer2Timer()
{
    if (!ProgressBar1->isHidden()) {
        // A listing has just completed: its progress display ends, and the
        // parameter page comes up in the other view.
        ProgressBar1->hide();
        ProgressBar1->setValue(0);
        Label17->hide();
        BitBtn2Click();
        return;
    }
    // The first waiting notice that is shown blinks.
    const QColor aqua(Qt::cyan);
    struct Blink {
        QLabel *label;
        QColor other;
    };
    const Blink blinks[] = {{Label3, Qt::blue}, {Label4, Qt::blue}, {Label19, palette().color(QPalette::Button)}};
    for (const Blink &b : blinks) {
        if (b.label->isHidden())
            continue;
        const QColor now = b.label->palette().color(QPalette::Window);
        if (now == aqua)
            setBackground(b.label, b.other);
        else if (now == b.other)
            setBackground(b.label, aqua);
        return;
    }
}

void TForm1::Timer5Timer()
{
    Timer5->stop();
}

void TForm1::Timer13Timer()
{
    // Shown a moment after the error line was complete, from the main loop
    // rather than from inside the receive handler.
    Timer13->stop();
    DialogMessage = true;
    OKBottomDlg->Label1->setText(fromCp1252(ReceiveBuffer));
    OKBottomDlg->setWindowTitle(fromCp1252(text(191)));
    OKBottomDlg->show();
    if (Label4->isVisible())
        OKBottomDlg->resize(OKBottomDlg->width(), 203);
    OKBottomDlg->CancelBtn->hide();
    OKBottomDlg->OKBtn->move(129, OKBottomDlg->OKBtn->y());
    OKBottomDlg->setLabelColour(OKBottomDlg->palette().color(QPalette::Button));
    OKBottomDlg->Image1->show();
    setEnabled(false);
    if (Form2)
        Form2->setEnabled(false);
}

void TForm1::Timer8Timer()
{
    // The newly chosen address did not answer: back to the previous one.
    Timer8->stop();
    ReceiveBuffer.clear();
    DriveConnected = 0;
    Timer3->stop();
    Label6->setText(QString());
    Timer10Timer();
}

void TForm1::setLinkWatchdog(int requestedMs)
{
    Timer9->setInterval(status::linkWatchdogMs(requestedMs, baudRateValue(Serial1->Baudrate()), Timer3->interval()));
}

void TForm1::Timer9Timer()
{
    // A status poll cycle did not complete in time: the link is lost. The
    // previous address is probed every second until it answers again.
    setBackground(Label2, Qt::red);
    Label2->setText(fromCp1252(text(74)));
    Image2->hide();
    Label6->setText(QString());
    FoundAddresses[0] = 0;
    PreviousAddress = DriveAddress;
    DriveAddress.clear();
    Timer9->stop();
    Timer10->start();
    for (QWidget *w : std::initializer_list<QWidget *> {Label4, Label3, ProgressBar1, Label8})
        w->hide();
    clearQueue();
    WriteBackRunning = false; // what was left of it is gone with the queue
    TransferWatchdog->stop();
}

void TForm1::TransferWatchdogTimer()
{
    if (!Queue.head())
        return;
    if (ProgramWrite) {
        Timer7Timer(); // ended as a program line without "pgm" ends it
        return;
    }
    if (!WriteBackRunning)
        return;
    // A parameter of the write-back got no answer: the rest is dropped, the
    // window opens again, and the user is told.
    clearQueue();
    ReceiveBuffer.clear();
    WriteBackRunning = false;
    endTransferDisplay();
    errorBox(message("Fehler beim Übertragen der Parameter in die ZYNT: die ZYNT antwortet nicht.",
                     "Error writing the parameters to the ZYNT: the ZYNT does not answer."));
}

void TForm1::Timer10Timer()
{
    // A pulled adapter leaves the port hung up (or, while it is away, not
    // open at all): it is opened anew before each probe, so the link comes
    // back by itself once the adapter is plugged in again.
    if (Serial1->HungUp() || !Serial1->Active()) {
        // Closed before COMn is looked up again: while the hung-up device is
        // held open, the kernel names the adapter anew (ttyUSB0 comes back
        // as ttyUSB1). Its stable by-id name stays the same.
        Serial1->setActive(false);
        serialports::reresolvePort(Serial1->COMPort());
        openPort();
    }
    clearQueue();
    ReceiveBuffer.clear();
    Senden_Zeichensatz('#' + PreviousAddress + '\r');
    Queue.lastQueued()->Kind = CommandKind::ReProbe;
}

void TForm1::Timer11Timer()
{
    // The parameter listing did not come in time.
    Timer11->stop();
    Timer2->stop();
    Label3->hide();
    ProgressBar1->hide();
    if (!FirstListingTimeout)
        errorBox(text(146));
    Label17->hide();
    setEnabled(true);
    Timer3->start();
    if (FirstListingTimeout) {
        // Once per run the whole start-up is tried again without a word.
        FirstListingTimeout = false;
        FormCreate();
    } else {
        Button11->show();
    }
}

void TForm1::Timer12Timer()
{
    // Three seconds after the connection start: splash off, parameters in.
    Timer6Timer();
    setBackground(Label2, windowColour());
    Label6->setText(QString::fromLatin1(DriveAddress));
    Timer12->stop();
    Timer3->start();
    neulesen1Click();
}
