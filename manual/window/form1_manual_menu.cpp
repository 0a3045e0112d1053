// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of manual operation: the menu command that opens
// the manual window, and what each status answer of the core's poll shows
// in both windows.
#include "shell/window/tform1.h"

#include "manual/statusrules.h"
#include "manual/window/tform2.h"
#include "shell/cp1252.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

void TForm1::Manuell1Click()
{
    HelpContext = 1;
    Form2->setEnabled(true);
    // Hidden and shown again when it is open already, so that it is activated
    // afresh and refreshes its fields.
    if (Form2->isVisible())
        Form2->hide();
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}

void TForm1::showPosition(const QString &value)
{
    Label5->setText(value);
    placePositionDisplay();
    Form2->showPosition(value);
}

void TForm1::showStatus(const status::Update &update)
{
    const auto shown = [this](const status::Shown &s) {
        return fromCp1252(status::resolve(s, [this](int number) { return text(number); }));
    };
    switch (update.display) {
    case status::Display::None:
        break;
    case status::Display::Position:
        showPosition(fromCp1252(update.value));
        break;
    case status::Display::Analogue:
        Form2->Label30->setText(fromCp1252(update.value));
        break;
    case status::Display::InPosition:
        if (update.inPosition) {
            Timer4->stop();
            for (QLabel *image : {Image4, Image5, Image6})
                image->hide();
        } else if (!Timer4->isActive()) {
            // A running animation keeps its period: answers that come more
            // often than its interval must not hold its tick off.
            Timer4->start();
        }
        Form2->Label1->setText(shown(update.shown));
        break;
    case status::Display::Error:
        Form2->Label2->setText(shown(update.shown));
        break;
    case status::Display::Warning:
        Form2->Label3->setText(shown(update.shown));
        break;
    case status::Display::Inputs:
        for (size_t n = 1; n <= 8; ++n)
            Form2->I[n]->setText(QString::fromLatin1(update.inputs[n - 1]));
        break;
    case status::Display::Output1:
    case status::Display::Output2:
    case status::Display::Output3:
    case status::Display::Output4:
        Form2->Out[size_t(update.output)]->setText(QString::fromLatin1(update.outputCaption));
        break;
    case status::Display::DriveState:
        Form2->showDriveState(update.driveOn);
        if (update.driveOn) {
            Image3->show();
            Image2->hide();
        } else {
            Image2->show();
            for (QLabel *image : {Image3, Image4, Image5, Image6})
                image->hide();
        }
        break;
    }
}

void TForm1::Timer4Timer()
{
    const status::AnimationTick tick = status::animationTick(AnimationStep);
    QLabel *const images[] = {Image2, Image3, Image4, Image5, Image6};
    images[tick.hide - 2]->hide();
    images[tick.show - 2]->show();
    AnimationStep = tick.step;
}

void TForm1::connectManualControls()
{
    connect(Timer4, &QTimer::timeout, this, &TForm1::Timer4Timer);
    connect(Core, &DriveCore::statusAnswered, this, &TForm1::showStatus);
    connectPlotAndRecording();
}

bool TForm1::mayCloseWithStopOutstanding()
{
    if (!Core->stopOutstanding())
        return true;
    return askBeforeClosing(tr("Ein Stop hat die ZYNT noch nicht erreicht: nach dem Schließen wird er nicht mehr "
                               "gesendet, und die Achse kann weiterlaufen."));
}
