// Program files (*.prg): saving the grid's lines and loading a file into it.
#include "shell/tform1.h"

#include "program/programfile.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSaveFile>
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
    QSaveFile file(name);
    const QByteArray bytes = program::formatProgramFile(Program);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        errorBox(toCp1252(datafiles::fileError(name, file.errorString())));
        return;
    }
    Label11->setText(program::fileNameCaption(name));
}

void TForm1::N1Click()
{
    HelpContext = 1;
    finishProgramEditing();
    const QString name = askFileName(programFileDialog(false));
    if (name.isEmpty())
        return;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        errorBox(toCp1252(datafiles::fileError(name, file.errorString())));
        return; // the grid stays as it was
    }
    const datafiles::ReadResult read = datafiles::readFile(file);
    if (!read.error.isEmpty()) {
        // The rows read so far stay; they are no longer the drive's program.
        Program = program::parseProgramFile(completeLines(read.bytes));
        showProgram();
        ConfirmOverwrite = true;
        errorBox(toCp1252(datafiles::fileError(name, read.error)));
        return;
    }
    Program = program::parseProgramFile(read.bytes);
    showProgram();

    showProgramEditor();
    Label11->show();
    leaveTraceMode();
    Label11->setText(program::fileNameCaption(name));
    ConfirmOverwrite = true;
}
