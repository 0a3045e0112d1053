// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the drive's parameter list: the request, and the listing handler
// that the dispatcher calls for every piece of the answer.
#include "shell/window/tform1.h"

#include "parameters/descriptions.h"
#include "parameters/listing.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <utility>

namespace {

// The description files of the two languages, looked up in the start directory.
const char *const kDescriptionFiles[] = {"Par-dt.ini", "Par-engl.ini"};

} // namespace

void TForm1::showListingProgress(int percent)
{
    Label17->setText(QString::number(percent) + QLatin1Char('%'));
    ProgressBar1->setValue(std::clamp(percent, ProgressBar1->minimum(), ProgressBar1->maximum()));
}

void TForm1::showListingStart()
{
    showParameterGrid();
    hideProgramControls();
    Button8->hide();
    Label11->hide();
    Label7->show();
    StringGrid2->show();
    Label17->setText(QStringLiteral("0%"));
    Label17->show();
    Button5->show();
    Button3->show();
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    Timer2->stop();
    for (QWidget *w : std::initializer_list<QWidget *> {Button12, Button14, Label9, Label10})
        w->hide();
    Label7->setText(QStringLiteral("ZYNT-EEProm Parameter - address ") + QString::fromLatin1(Core->DriveAddress));
}

void TForm1::showListingEnd()
{
    ViewInverted = false;
    // The grid shows the drive now, no longer a loaded file: nothing in it
    // is changed any more.
    ShownFile.reset();
    ChangedParameters.clear();
    Label3->hide();
    ProgressBar1->setValue(100);
    Label17->setText(QStringLiteral("100%"));
    Timer2->start();
    Position->show();
    Label5->show();
    Label7->setText(QStringLiteral("ZYNT-EEProm Parameter - address ") + QString::fromLatin1(Core->DriveAddress));
    if (Parameters.BasicViewSelected == 1)
        showBasicView();
    else
        Alle_Parameter_Anzeigen();
    // Timer2's next tick ends the progress display and switches the view
    // once more (BitBtn2Click), which ends a re-read in the view it began in.

    // The read after a write-back: what the drive lists against what was sent.
    if (!VerifySent.isEmpty()) {
        const QList<params::Difference> differing =
            params::verify(VerifySent, Core->Snapshot.list, Core->Snapshot.listRows); // the listing, not the view
        VerifyReport->show(int(VerifySent.size()), differing);
        statusNote(tr("%1 Parameter geschrieben, %2 bestätigt. Sicherung: %3")
                       .arg(VerifySent.size())
                       .arg(VerifySent.size() - differing.size())
                       .arg(WriteBackBackupFile));
        VerifySent.clear();
    }
}

void TForm1::showListingFailed(bool boxed)
{
    Timer2->stop();
    Label3->hide();
    ProgressBar1->hide();
    Label17->hide();
    if (!VerifySent.isEmpty()) {
        // Written, but not read back: the user must not take it as checked.
        statusNote(tr("%1 Parameter geschrieben, nicht geprüft: die Liste kam nicht. Sicherung: %2")
                       .arg(VerifySent.size())
                       .arg(WriteBackBackupFile));
        VerifySent.clear();
    }
    // The core gave the model back: the grid shows what it showed, in the
    // view the user had chosen.
    if (std::exchange(ViewInverted, false))
        Parameters.BasicViewSelected = ViewBeforeRead;
    if (ShownFile)
        showFileView(Parameters.BasicViewSelected == 1); // with its name and Button8
    else
        showParameterGrid();
    if (boxed)
        Button11->show();
    showReadFailed(ReadAgain::Listing,
                   tr("Die Parameterliste wurde nicht gelesen: das Raster zeigt, was es vorher zeigte."),
                   boxed ? text(146) : QByteArray());
}

void TForm1::neulesen1Click()
{
    Sprachauswahl(Sprache, true);
    // The read ends in the view it began in (see showListingEnd); one that
    // does not begin or does not end leaves the choice as it was.
    ViewBeforeRead = Parameters.BasicViewSelected;
    Parameters.BasicViewSelected = Parameters.BasicViewSelected == 1 ? 0 : 1;
    ViewInverted = Core->ZYNT_Parameter_Neu_Lesen();
    if (!ViewInverted)
        Parameters.BasicViewSelected = ViewBeforeRead;
}

void TForm1::ZYNT_Parameter_Neu_Lesen()
{
    // The core reads; listingStarted shows it.
    Core->ZYNT_Parameter_Neu_Lesen();
}

void TForm1::LoadParameterDescriptions()
{
    // A missing file leaves its language without descriptions; one that
    // cannot be read is reported, and what was read of it is used.
    std::optional<QByteArray> files[2];
    for (int i = 0; i < 2; ++i) {
        const QString path = datafiles::locate(StartDirectory, QString::fromLatin1(kDescriptionFiles[i]));
        if (path.isEmpty()) {
            missingShippedFile(StartDirectory, QString::fromLatin1(kDescriptionFiles[i]));
            continue;
        }
        const datafiles::ReadResult read = datafiles::readFile(path);
        files[i] = read.bytes;
        if (!read.error.isEmpty())
            errorBox(toCp1252(read.error));
    }
    params::LoadParameterDescriptions(Parameters, files[0], files[1]);
}

void TForm1::RelabelDescriptions(int language)
{
    // A loaded file's rows are not the list's: they are relabelled by designation.
    if (ShownFile) {
        showFileView(Parameters.BasicViewSelected == 1);
        return;
    }
    params::RelabelDescriptions(Parameters, language);
    showParameterGrid();
}
