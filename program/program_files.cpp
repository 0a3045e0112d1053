// Program files (*.prg): saving the grid's lines and loading a file into it.
#include "shell/tform1.h"

#include "program/programfile.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
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

QString TForm1::runProgramFileDialog(bool saving)
{
    QFileDialog dialog(this, saving ? QStringLiteral("Save") : QStringLiteral("Open"), QDir::currentPath());
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("prg"));
    // A save dialog asks before it overwrites a file.
    dialog.setNameFilters({QStringLiteral("ZYNT Programm Files (*.prg)"), fromCp1252(text(75)) + QStringLiteral(" (*.*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void TForm1::FileSpeichern1Click()
{
    finishProgramEditing();
    const QString name = askProgramFileName ? askProgramFileName(true) : runProgramFileDialog(true);
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
    const QString name = askProgramFileName ? askProgramFileName(false) : runProgramFileDialog(false);
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
