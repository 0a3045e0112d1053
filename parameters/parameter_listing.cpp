// Reading the drive's parameter list: the request, and the listing handler
// that the dispatcher calls for every piece of the answer.
#include "shell/tform1.h"

#include "parameters/descriptions.h"
#include "parameters/listing.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

// The description files of the two languages, looked up in the start directory.
const char *const kDescriptionFiles[] = {"Par-dt.ini", "Par-engl.ini"};

} // namespace

void TForm1::showListingProgress(int percent)
{
    Label17->setText(QString::number(percent) + QLatin1Char('%'));
    ProgressBar1->setValue(std::clamp(percent, ProgressBar1->minimum(), ProgressBar1->maximum()));
}

void TForm1::Parameterliste_Antwort()
{
    const int kind = Queue.head()->Kind;
    if (kind == params::ListingSingle)
        showListingProgress(params::loadProgress(ReceiveBuffer.size()));
    // Every piece shows that the drive is still sending.
    Timer11->stop();
    Timer11->start();
    if (!params::listingAnswerComplete(ReceiveBuffer))
        return;

    // The whole answer is parsed from a copy: the buffer is for the next one.
    const QByteArray answer = ReceiveBuffer;
    ReceiveBuffer.clear();
    params::parseListingAnswer(Parameters, kind, Sprache, answer);
    Timer11->stop();
    Liste_aktualisieren();
    Timer11->start();
    showListingProgress(params::blockProgress(Parameters.ListingLineCount));
    showParameterGrid();
    if (params::isFinalListing(kind))
        completeListing();
}

void TForm1::completeListing()
{
    Label3->hide();
    ProgressBar1->setValue(100);
    Label17->setText(QStringLiteral("100%"));
    Timer2->start();
    Timer11->stop();
    Position->show();
    Label5->show();

    DriveConnected = 1;
    queueCommand("ver", CommandKind::Version);
    Timer3->start();
    setEnabled(true);
    Label7->setText(QStringLiteral("ZYNT-EEProm Parameter - address ") + QString::fromLatin1(DriveAddress));

    params::completeListing(Parameters);
    if (Parameters.BasicViewSelected == 1)
        showBasicView();
    else
        Alle_Parameter_Anzeigen();
    // Timer2's next tick ends the progress display and switches the view
    // once more (BitBtn2Click), which ends a re-read in the view it began in.
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
    Parameters.AllViewRowsIndexed = 1;
    if (DriveConnected != 1)
        return;
    params::startListing(Parameters);
    showParameterGrid();
    Timer3->stop();
    Timer9->stop();
    setEnabled(false);
    LinkState = 0;

    hideProgramControls();
    Button8->hide();
    Label11->hide();
    Label7->show();
    StringGrid2->show();

    queueCommand("TROFF", CommandKind::Plain);
    if (TraceMode)
        queueCommand("s", CommandKind::Plain);
    TraceMode = false;
    queueCommand("p1028=" + P1028Value, CommandKind::Plain);
    queueListingRequest(DriveAddress);

    Parameters.ListingRow = 1;
    Parameters.ListingLineCount = 1;
    Label17->setText(QStringLiteral("0%"));
    Label17->show();
    Button5->show();
    Button3->show();
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    Timer2->stop();
    Timer11->start();
    for (QWidget *w : std::initializer_list<QWidget *> {Button12, Button14, Label9, Label10})
        w->hide();
    Label7->setText(QStringLiteral("ZYNT-EEProm Parameter - address ") + QString::fromLatin1(DriveAddress));
}

void TForm1::LoadParameterDescriptions()
{
    // A missing file leaves its language without descriptions; one that
    // cannot be read is reported, and what was read of it is used.
    std::optional<QByteArray> files[2];
    for (int i = 0; i < 2; ++i) {
        const QString path = datafiles::locate(StartDirectory, QString::fromLatin1(kDescriptionFiles[i]));
        if (path.isEmpty())
            continue;
        const datafiles::ReadResult read = datafiles::readFile(path);
        files[i] = read.bytes;
        if (!read.error.isEmpty())
            errorBox(toCp1252(read.error));
    }
    params::LoadParameterDescriptions(Parameters, files[0], files[1]);
}

void TForm1::RelabelDescriptions(int language)
{
    params::RelabelDescriptions(Parameters, language);
    showParameterGrid();
}
