// The answers that carry data for a feature: parameter and program listings,
// language, firmware version, status, outputs and trace. The dispatcher routes
// each kind here. Until a feature takes in the content of its answer, its
// handler lets the answer go once it is complete, so that the queue never
// stands still on it; each feature replaces its handler with the real one in
// its own folder.
#include "shell/tform1.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

void TForm1::takeAnswerWithoutEvaluation()
{
    if (!ReceiveBuffer.contains("ok\r"))
        return; // not complete yet
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}

void TForm1::Programmliste_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Version_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Status_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Ausgang_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Trace_Antwort() { takeAnswerWithoutEvaluation(); }

void TForm1::Parameterliste_Antwort()
{
    // Every piece of a listing shows that the drive is still sending.
    Timer11->stop();
    Timer11->start();
    if (!ReceiveBuffer.contains("ok\r"))
        return;
    const uint8_t kind = Queue.head()->Kind;
    ReceiveBuffer.clear();
    Liste_aktualisieren();
    if (kind != CommandKind::ParameterList && kind != CommandKind::ListBlockLast)
        return;
    // The whole list is in: the drive is connected and the window opens.
    Label3->hide();
    ProgressBar1->setValue(0);
    ProgressBar1->hide();
    Label17->hide();
    Timer11->stop();
    Position->show();
    Label5->show();
    DriveConnected = 1;
    queueCommand("ver", CommandKind::Version);
    Timer3->start();
    setEnabled(true);
}

void TForm1::queueListingRequest(const QByteArray &address)
{
    if (SingleDriveListing) {
        queueCommandTo(address, "listp", CommandKind::ParameterList);
        return;
    }
    queueCommandTo(address, "listp1.20", CommandKind::ListBlockFirst);
    for (int i = 1; i <= 9; ++i)
        queueCommandTo(address, "listp" + QByteArray::number(20 * i + 1) + ".20",
                       i < 9 ? CommandKind::ListBlockMiddle : CommandKind::ListBlockLast);
}

void TForm1::neulesen1Click()
{
    Sprachauswahl(Sprache, true);
    BasicViewSelected = BasicViewSelected == 1 ? 0 : 1;
    ZYNT_Parameter_Neu_Lesen();
}

void TForm1::ZYNT_Parameter_Neu_Lesen()
{
    // The listing's parsing into the grid comes with the parameter table;
    // the request, the lock and the watchdog are what the drive and the user see.
    AllViewRowsIndexed = 1;
    if (DriveConnected != 1)
        return;
    Timer3->stop();
    Timer9->stop();
    setEnabled(false);
    LinkState = 0;
    queueCommand("TROFF", CommandKind::Plain);
    if (TraceMode)
        queueCommand("s", CommandKind::Plain);
    TraceMode = false;
    queueCommand("p1028=" + P1028Value, CommandKind::Plain);
    queueListingRequest(DriveAddress);
    Timer2->stop();
    Timer11->start();
}

void TForm1::ZYNT_Programm_Speichern()
{
    // The program write is started from the overwrite question; it belongs
    // to the program transfer, which this build does not have yet.
}
