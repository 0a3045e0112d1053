// SPDX-License-Identifier: GPL-3.0-or-later
// Writing parameters to the drive, the window's side: the comparison first,
// the backup of what will be overwritten, exactly the ticked rows in the
// write-back's batch, the check of what the drive then lists, and the
// permanent save.
#include "shell/window/tform1.h"

#include "parameters/parameterfile.h"
#include "parameters/views.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>
#include <utility>

void TForm1::Button8Click()
{
    // What is compared is the loaded file, whichever view shows it, in the
    // interface's language; without one, what the grid shows.
    WriteBackFile.clear();
    if (ShownFile) {
        WriteBackFile = params::relabelledFileRows(Parameters, Sprache, ShownFile->rows);
    } else {
        const int rows = std::min(Parameters.GridRowCount - 1, params::kRecords);
        for (int r = 1; r <= rows; ++r)
            WriteBackFile << Parameters.Grid[size_t(r)];
    }
    if (const std::optional<line::Refusal> refusal = Core->Owner.refusal(line::Activity::WriteBack)) {
        errorBox(toCp1252(line::refusalText(*refusal, Core->Owner.activity(), line::Request::WriteBack)));
        return;
    }
    if (!Serial1->Active()) {
        errorBox(toCp1252(
            tr("Die Schnittstelle ist nicht geöffnet: es wurden keine Parameter in die ZYNT übertragen.")));
        return;
    }
    if (Core->DriveConnected != 1) {
        errorBox(toCp1252(tr("Keine ZYNT verbunden: es wurden keine Parameter übertragen.")));
        return;
    }
    // Read afresh for every comparison: the drive changes its own values
    // when its program runs, from its panel or from another tool, and none
    // of that is sent by this program.
    WriteBackAsked = readDriveListToCompare(false); // driveListRead goes on
}

bool TForm1::readDriveListToCompare(bool quiet)
{
    if (Core->DriveConnected != 1 || !Serial1->Active())
        return false;
    // Quiet: a read the user did not ask for says nothing when the line is
    // not free; the core's refusal would be a box.
    if (quiet && (Core->Owner.refusal(line::Activity::Listing) || Core->Owner.paused(line::Pause::CutWrite)))
        return false;
    statusNote(tr("Die Parameter der ZYNT werden zum Vergleich gelesen …"));
    return Core->readDriveList();
}

void TForm1::driveListReadToCompare(bool listRead)
{
    // Any fresh list marks the loaded file anew, the comparison's too.
    const bool marks = std::exchange(MarksAsked, false);
    if (marks || (WriteBackAsked && listRead))
        markDifferingRows(listRead);
    if (marks && ShownFile && listRead) {
        statusNote(tr("Parameterdatei geladen: %1").arg(ShownFile->name));
    } else if (marks && ShownFile) {
        statusNote(tr("Die Parameterliste der ZYNT konnte nicht gelesen werden: alle Zeilen der Datei sind markiert."));
    }
    compareBeforeWriteBack(listRead);
}

void TForm1::markDifferingRows(bool listRead)
{
    if (!ShownFile)
        return; // the drive's own list keeps the editor's marks
    ChangedParameters.clear();
    const QList<params::Difference> differing =
        listRead ? params::differences(Core->Snapshot.list, Core->Snapshot.listRows, ShownFile->rows)
                 : QList<params::Difference> {};
    for (const params::GridRow &row : ShownFile->rows) {
        const QByteArray &designation = row[params::ColDesignation];
        const bool listed = std::any_of(differing.begin(), differing.end(), [&designation](const params::Difference &d) {
            return d.designation == designation;
        });
        if (!designation.isEmpty() && (listed || !listRead))
            ChangedParameters.insert(designation);
    }
    showParameterGrid();
}

void TForm1::compareBeforeWriteBack(bool listRead)
{
    if (!WriteBackAsked)
        return; // a read of the drive's list that the window did not ask for
    WriteBackAsked = false;
    if (!listRead) {
        errorBox(toCp1252(tr("Die Parameterliste der ZYNT konnte nicht gelesen werden: es wurde nichts geschrieben.")));
        return;
    }
    CompareDialog->setRows(params::compareRows(WriteBackFile, Core->Snapshot.list, Core->Snapshot.listRows));
    // The user decides what the line does next.
    Core->Owner.pause(line::Pause::Question);
    CompareDialog->show();
    CompareDialog->raise();
}

void TForm1::writeTicked()
{
    Core->Owner.resume(line::Pause::Question);
    const QList<QByteArray> assignments = CompareDialog->tickedAssignments();
    if (assignments.isEmpty()) {
        statusNote(tr("Nichts angehakt: es wurde nichts geschrieben."));
        return;
    }
    // What the write will overwrite is saved first; without it nothing is written.
    WriteBackBackupFile = saveBackup(QStringLiteral(".par"), params::formatCompleteParameterFile(
                                                                 Core->Snapshot.list, Core->Snapshot.listRows));
    if (WriteBackBackupFile.isEmpty())
        return;
    statusNote(tr("Die Parameter der ZYNT wurden gesichert: %1").arg(WriteBackBackupFile));
    VerifySent = assignments;
    if (!Core->writeParameters(assignments, WriteBackBackupFile))
        VerifySent.clear();
}

void TForm1::Button3Click()
{
    Core->permanentSave(); // permanentSaveConfirmed says when the drive took it
}
