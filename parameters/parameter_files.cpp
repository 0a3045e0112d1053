// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter files (*.par): saving the list shown and loading a file into the
// grid, from where the write-back sends it to the drive.
#include "shell/tform1.h"

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
    ffnen1Click(); // the grid holds the whole list
    const QString fileName = askFileName(parameterDialog(true, text(75)));
    if (!fileName.isEmpty()) {
        // Written aside and renamed: a failure leaves the old file as it was.
        const QString error =
            datafiles::saveFile(fileName, params::formatParameterFile(Parameters.Grid, Parameters.ParameterRowCount));
        if (!error.isEmpty()) {
            errorBox(toCp1252(error));
        } else {
            // The heading goes on naming the drive the grid shows.
            statusNote(QStringLiteral("Parameter gespeichert in %1").arg(fileName),
                       QStringLiteral("Parameters saved to %1").arg(fileName));
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

    StringGrid1->hide();
    for (QWidget *w : std::initializer_list<QWidget *> {StringGrid2, Button5, Button3, Button8, Label7})
        w->show();
    for (QWidget *w : std::initializer_list<QWidget *> {Button6, Button7, Button16, Liste_Speichern, Button4,
                                                        Button1, Button2, Button12, Button14, Label9, Label10,
                                                        Label11})
        w->hide();
    showParameterFileName(fileName);

    // Only the grid changes: the drive, the record table and the row count
    // of the list stay as they are until the user writes the values back.
    const int clearTo = std::min(Parameters.ParameterRowCount, params::kRecords);
    for (int row = 1; row <= clearTo; ++row)
        Parameters.Grid[size_t(row)] = {};
    for (qsizetype i = 0; i < loaded->rows.size(); ++i)
        Parameters.Grid[size_t(i + 1)] = loaded->rows[i];
    Parameters.GridRowCount = loaded->gridRowCount;
    // The rows whose value is not what the drive was last read to hold are
    // marked; without such a list, every row is.
    ChangedParameters.clear();
    const bool known = Core->Snapshot.listAddress == Core->DriveAddress && Core->Snapshot.listRows > 0;
    const QList<params::Difference> differing =
        params::differences(Core->Snapshot.list, known ? Core->Snapshot.listRows : 0, loaded->rows);
    for (qsizetype i = 0; i < loaded->rows.size(); ++i) {
        const params::GridRow &row = loaded->rows[i];
        const bool listed = std::any_of(differing.begin(), differing.end(), [&row](const params::Difference &d) {
            return d.designation == row[params::ColDesignation];
        });
        if (!row[params::ColDesignation].isEmpty() && (listed || !known))
            ChangedParameters.insert(row[params::ColDesignation]);
    }
    showParameterGrid();
    statusNote(QStringLiteral("Parameterdatei geladen: %1").arg(fileName),
               QStringLiteral("Parameter file loaded: %1").arg(fileName));
}
