// The answers that carry data for a feature: parameter and program listings,
// language, firmware version, status, outputs and trace. The dispatcher routes
// each kind here. Until a feature takes in the content of its answer, its
// handler lets the answer go once it is complete, so that the queue never
// stands still on it; each feature replaces its handler with the real one in
// its own folder.
#include "shell/tform1.h"

#include <QTimer>

void TForm1::takeAnswerWithoutEvaluation()
{
    if (!ReceiveBuffer.contains("ok\r"))
        return; // not complete yet
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}

void TForm1::Parameterliste_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Programmliste_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Sprache_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Version_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Status_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Ausgang_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Trace_Antwort() { takeAnswerWithoutEvaluation(); }

void TForm1::neulesen1Click()
{
    ZYNT_Parameter_Neu_Lesen();
}

void TForm1::ZYNT_Parameter_Neu_Lesen()
{
    // The listing's parsing and the window lock around it come with the
    // parameter table; the request itself is what the drive sees.
    if (DriveConnected != 1)
        return;
    LinkState = 0;
    queueCommand("TROFF", CommandKind::Plain);
    queueCommand("p1028=8", CommandKind::Plain);
    if (SingleDriveListing) {
        queueCommand("listp", CommandKind::ParameterList);
        return;
    }
    queueCommand("listp1.20", CommandKind::ListBlockFirst);
    for (int i = 1; i <= 9; ++i)
        queueCommand("listp" + QByteArray::number(20 * i + 1) + ".20", i < 9 ? CommandKind::ListBlockMiddle : CommandKind::ListBlockLast);
}

void TForm1::ZYNT_Programm_Speichern()
{
    // The program write is started from the overwrite question; it belongs
    // to the program transfer, which this build does not have yet.
}
