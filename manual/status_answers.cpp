// The answers of the status poll and of the output query. Until their
// displays are built, a complete answer lets the link move on.
#include "shell/tform1.h"

#include "manual/manualcommands.h"
#include "manual/statusrules.h"

void TForm1::Status_Antwort()
{
    if (!status::isComplete(ReceiveBuffer))
        return;
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}

void TForm1::Ausgang_Antwort()
{
    if (!manual::isOutputAnswerComplete(ReceiveBuffer))
        return;
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}
