// SPDX-License-Identifier: GPL-3.0-or-later
// Program files (*.prg): saving the grid's lines and loading a file into it.
#include "shell/window/tform1.h"

#include "program/programfile.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTableWidget>

namespace {

// What a read that broke off still gives: the lines that were complete.
QByteArray completeLines(const QByteArray &bytes)
{
    const qsizetype end = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
    return bytes.left(end + 1);
}

} // namespace

FileDialogRequest TForm1::programFileDialog(bool saving) const
{
    return {saving, saving ? QStringLiteral("Save") : QStringLiteral("Open"), QStringLiteral("prg"),
            QStringLiteral("*.prg"),
            QStringLiteral("ZYNT Programm Files (*.prg)|*.prg|") + fromCp1252(text(75)) + QStringLiteral(" (*.*)|*.*")};
}

void TForm1::FileSpeichern1Click()
{
    finishProgramEditing();
    const QString name = askFileName(programFileDialog(true));
    if (name.isEmpty())
        return;
    // Written aside and put in place whole: a failed save leaves the old file.
    if (const QString error = datafiles::saveFile(name, program::formatProgramFile(Program)); !error.isEmpty()) {
        errorBox(toCp1252(error));
        return;
    }
    ProgramEdited = false; // the edits are in the file
    Label11->setText(program::fileNameCaption(name));
    statusNote(tr("Programm gespeichert in %1").arg(name));
}

void TForm1::N1Click()
{
    HelpContext = 1;
    finishProgramEditing();
    if (!mayDiscardProgramEdits())
        return;
    const QString name = askFileName(programFileDialog(false));
    if (name.isEmpty())
        return;
    // Not a FIFO, a device, a file larger than any program or one with
    // lines no cell holds: the grid stays as it was.
    const datafiles::ReadResult read =
        datafiles::readUserFile(name, datafiles::kMaxUserFileBytes, datafiles::kMaxUserLineLength);
    if (!read.error.isEmpty() && read.bytes.isEmpty()) {
        errorBox(toCp1252(read.error));
        return;
    }
    ProgramEdited = false;
    markProgramRow(RefusedRow, 0, QColor());
    if (!read.error.isEmpty()) {
        // The rows read so far stay; they are no longer the drive's program.
        Program = program::parseProgramFile(completeLines(read.bytes));
        showProgram();
        ConfirmOverwrite = true;
        errorBox(toCp1252(read.error));
        return;
    }
    Program = program::parseProgramFile(read.bytes);
    showProgram();

    showProgramEditor();
    Label11->show();
    leaveTraceMode();
    Label11->setText(program::fileNameCaption(name));
    ConfirmOverwrite = true;
    statusNote(tr("Programmdatei geladen: %1").arg(name));
}
