// The status poll: a cycle of queries whenever the link is free for it, and
// what each answer shows in the main window and the manual window.
#include "shell/tform1.h"

#include "manual/statusrules.h"
#include "manual/tform2.h"
#include "shell/cp1252.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

// More than this many commands waiting: the poll leaves the line to them.
constexpr int kMaxWaiting = 10;

// Switches a timer on; one that runs already keeps its period, so that a
// poll answer arriving more often than the timer's interval does not hold
// its tick off for good.
void enable(QTimer *timer)
{
    if (!timer->isActive())
        timer->start();
}

} // namespace

void TForm1::Timer3Timer()
{
    // Only on a quiet, connected, unlocked link with room in the queue;
    // otherwise the next tick tries again.
    if (Serial1->OutQueueCount() != 0 || DriveConnected == 0 || !isEnabled()
        || Queue.waitingCount() >= kMaxWaiting)
        return;
    Timer3->stop();
    Timer9->stop();
    // A fresh watchdog period, unless the poll is paused for a program read,
    // the terminal or by the user.
    if (!ProgramListing && !TerminalTyping && !PollingStopped)
        Timer9->start();
    for (const QByteArray &query : status::cycleQueries(DriveAddress, FirmwareNumber)) {
        Senden_Zeichensatz(query);
        Queue.lastQueued()->Kind = CommandKind::Status;
    }
}

void TForm1::Status_Antwort()
{
    const std::optional<status::Update> update = status::readAnswer(ReceiveBuffer);
    if (!update)
        return; // the answer line is not complete yet

    const auto shown = [this](const status::Shown &s) {
        return fromCp1252(status::resolve(s, [this](int number) { return text(number); }));
    };
    switch (update->display) {
    case status::Display::None:
        break;
    case status::Display::Position:
        Label5->setText(fromCp1252(update->value));
        Form2->Label5->setText(fromCp1252(update->value));
        break;
    case status::Display::Analogue:
        Form2->Label30->setText(fromCp1252(update->value));
        break;
    case status::Display::InPosition:
        if (update->inPosition) {
            Timer4->stop();
            for (QLabel *image : {Image4, Image5, Image6})
                image->hide();
        } else {
            enable(Timer4);
        }
        Form2->Label1->setText(shown(update->shown));
        break;
    case status::Display::Error:
        Form2->Label2->setText(shown(update->shown));
        break;
    case status::Display::Warning:
        Form2->Label3->setText(shown(update->shown));
        break;
    case status::Display::Inputs:
        for (size_t n = 1; n <= 8; ++n)
            Form2->I[n]->setText(QString::fromLatin1(update->inputs[n - 1]));
        // The last answer of a cycle: the next one follows after an interval,
        // unless the terminal or the user paused the poll.
        if (!TerminalTyping && !PollingStopped)
            enable(Timer3);
        else
            MemoRxD->clear();
        break;
    case status::Display::Output1:
    case status::Display::Output2:
    case status::Display::Output3:
    case status::Display::Output4:
        Form2->Out[size_t(update->output)]->setText(QString::fromLatin1(update->outputCaption));
        break;
    case status::Display::DriveState:
        if (update->driveOn) {
            Image3->show();
            Image2->hide();
        } else {
            Image2->show();
            for (QLabel *image : {Image3, Image4, Image5, Image6})
                image->hide();
        }
        break;
    }
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}

void TForm1::Timer4Timer()
{
    const status::AnimationTick tick = status::animationTick(AnimationStep);
    QLabel *const images[] = {Image2, Image3, Image4, Image5, Image6};
    images[tick.hide - 2]->hide();
    images[tick.show - 2]->show();
    AnimationStep = tick.step;
}
