// The main window's side of the manual operation window: the menu command
// that opens it and the answer to its output query.
#include "shell/tform1.h"

#include "manual/manualcommands.h"
#include "manual/tform2.h"

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

void TForm1::Ausgang_Antwort()
{
    if (!manual::isOutputAnswerComplete(ReceiveBuffer))
        return;
    // The output takes the opposite of the state the drive reported.
    if (const std::optional<manual::OutputToggle> toggle = manual::outputToggle(ReceiveBuffer)) {
        queueCommand(toggle->command, CommandKind::Plain);
        Parameters.Records[1][Parameters.KeyParameterRows[toggle->key]].Value = toggle->recordValue;
    }
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}

void TForm1::connectManualControls()
{
    connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
    connect(Timer4, &QTimer::timeout, this, &TForm1::Timer4Timer);
}
