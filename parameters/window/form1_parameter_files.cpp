// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter files (*.par): saving the list shown and loading a file into the
// grid, from where the write-back sends it to the drive.
#include "shell/window/tform1.h"

#include "parameters/compare.h"
#include "parameters/parameterfile.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace {

FileDialogRequest parameterDialog(bool save, const QByteArray &allFiles)
{
    return {save, save ? QStringLiteral("Save") : QStringLiteral("Open"), QStringLiteral("par"),
            QStringLiteral("*.par"),
            QStringLiteral("ZYNT Parameter Files (*.par)|*.par|") + fromCp1252(allFiles) +
                QStringLiteral(" (*.*)|*.*")};
}

} // namespace

void TForm1::showParameterFileName(const QString &fileName)
{
    Label7->setText(params::shortenedFileName(fileName));
    Label7->show();
}

void TForm1::ParameterSpeichern1Click()
{
    ffnen1Click(); // the grid holds the whole list, or the whole file shown
    const int rowCount = ShownFile ? Parameters.GridRowCount : Parameters.ParameterRowCount;
    const QString fileName = askFileName(parameterDialog(true, text(75)));
    if (!fileName.isEmpty()) {
        // Written aside and renamed: a failure leaves the old file as it was.
        const QString error = datafiles::saveFile(fileName, params::formatParameterFile(Parameters.Grid, rowCount));
        if (!error.isEmpty()) {
            errorBox(toCp1252(error));
        } else {
            // The heading goes on naming the drive the grid shows, or names
            // the file the grid's file now is.
            if (ShownFile) {
                ShownFile->name = fileName;
                showParameterFileName(fileName);
            }
            statusNote(tr("Parameter gespeichert in %1").arg(fileName));
        }
    }
    if (Parameters.AllViewRowsIndexed == 0)
        ffnen1Click();
}

void TForm1::Parameterffnen1Click()
{
    const QString fileName = askFileName(parameterDialog(false, text(75)));
    if (fileName.isEmpty())
        return;
    const datafiles::ReadResult read =
        datafiles::readUserFile(fileName, datafiles::kMaxUserFileBytes, datafiles::kMaxUserLineLength);
    if (!read.error.isEmpty()) {
        errorBox(toCp1252(read.error));
        return;
    }
    const std::optional<params::LoadedParameterFile> loaded = params::parseParameterFile(read.bytes);
    if (!loaded) {
        errorBox(text(77));
        return;
    }

    // Only the grid changes: the drive, the record table and the row count
    // of the list stay as they are until the user writes the values back.
    // The page shows all the file's rows; the view toggle goes to its basic view.
    ShownFile = ShownParameterFile {fileName, loaded->rows};
    ChangedParameters.clear();
    ffnen1Click();
    statusNote(tr("Parameterdatei geladen: %1").arg(fileName));
    // The rows that differ from the drive are marked: from its list read
    // now, as what it was read to hold before may have changed by its own
    // program, its panel or another tool.
    MarksAsked = readDriveListToCompare(true);
    if (!MarksAsked)
        markDifferingRows(false);
}

void TForm1::keepEditInShownFile(const QByteArray &designation, const QByteArray &value)
{
    if (!ShownFile || designation.isEmpty())
        return;
    for (params::GridRow &row : ShownFile->rows) {
        if (row[params::ColDesignation] == designation) {
            row[params::ColValue] = value;
            return;
        }
    }
}
