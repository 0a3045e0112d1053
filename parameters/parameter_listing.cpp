// The parameter listing as the drive sends it, and the reading of the list.
// The parsing into the grid comes with the parameter table; until then the
// request, the window lock and the watchdog are what the drive and the user
// see, and a complete listing lets the link move on.
#include "shell/tform1.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

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
    if (Parameters.SingleDriveListing) {
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
    Parameters.BasicViewSelected = Parameters.BasicViewSelected == 1 ? 0 : 1;
    ZYNT_Parameter_Neu_Lesen();
}

void TForm1::ZYNT_Parameter_Neu_Lesen()
{
    // The listing's parsing into the grid comes with the parameter table;
    // the request, the lock and the watchdog are what the drive and the user see.
    Parameters.AllViewRowsIndexed = 1;
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
