// SPDX-License-Identifier: GPL-3.0-or-later
// What the window says of a write that did not end as it should: the offer
// when a contact finds a cut write or a drive in program entry, the report
// of what the drive holds after the user's choice, the check after a
// program write, and the question before the window closes during one.
#include "shell/window/tform1.h"

#include "program/programfile.h"
#include "program/window/tokbottomdlg.h"
#include "shell/cp1252.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

QString addressOf(const journal::Record &record)
{
    return QString::fromLatin1(record.address);
}

} // namespace

void TForm1::connectCutWriteReports()
{
    connect(Core, &DriveCore::cutWriteFound, this, [this] {
        // Offered from the main loop: the contact that found it may be
        // inside the receive handler.
        QTimer::singleShot(0, this, &TForm1::offerCutWrite);
    });
    connect(Core, &DriveCore::programWriteChecked, this, &TForm1::showProgramWriteChecked);
    connect(Core, &DriveCore::cutWriteResolved, this, &TForm1::showCutWriteResolved);
}

void TForm1::offerCutWrite()
{
    if (!Core->PendingCut || CutOfferShown)
        return;
    const DriveCore::CutWrite cut = *Core->PendingCut;
    const journal::Record &record = cut.record;
    const bool program = cut.reason != DriveCore::CutReason::Recorded || record.kind == journal::Kind::Program;
    QString text;
    switch (cut.reason) {
    case DriveCore::CutReason::Recorded:
        text = Core->cutSummary(record, true);
        if (cut.holdsKnown)
            text += QLatin1Char(' ') + tr("Sie hält jetzt %1, weder das bisherige noch das neue Programm.")
                                          .arg(DriveCore::linesText(int(cut.holds.size())));
        break;
    case DriveCore::CutReason::InEntry:
        text = tr("ZYNT %1 ist in der Programmeingabe, und keine unterbrochene Übertragung ist verzeichnet. "
                  "Mit „So lassen“ wird, was sie bis jetzt erhalten hat, ihr Programm.")
                   .arg(addressOf(record));
        break;
    case DriveCore::CutReason::Refused: {
        QStringList rows;
        for (const int row : cut.refusedRows)
            rows << tr("%1 („%2“)").arg(row).arg(fromCp1252(Program[size_t(std::clamp(row, 1, program::kRows))]));
        text = tr("ZYNT %1 hat beim Übertragen des Programms Zeile %2 abgewiesen. Sie hält jetzt %3, "
                  "weder das bisherige noch das neue Programm.")
                   .arg(addressOf(record), rows.join(QStringLiteral(", ")), DriveCore::linesText(int(cut.holds.size())));
        if (!record.backup.isEmpty())
            text += QLatin1Char(' ') + tr("Sicherung: %1").arg(record.backup);
        break;
    }
    }
    if (!record.backup.isEmpty() && !cut.backupHolds)
        text += QLatin1Char(' ') + tr("Die Sicherung fehlt oder stimmt nicht mit ihrer Prüfsumme überein.");

    // No parent: the main window may be locked, and its lock would lock the question too.
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text);
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton *restore = nullptr, *again = nullptr, *keep = nullptr;
    if (cut.backupHolds) {
        restore = box.addButton(QMessageBox::Yes);
        restore->setText(tr("Sicherung zurückschreiben"));
    }
    if (cut.reason == DriveCore::CutReason::Recorded && program && !record.written.isEmpty()) {
        again = box.addButton(QMessageBox::Retry);
        again->setText(tr("Neues Programm erneut schreiben"));
    }
    if (cut.reason == DriveCore::CutReason::Refused) {
        keep = box.addButton(QMessageBox::Ok);
    } else {
        keep = box.addButton(QMessageBox::Ignore);
        keep->setText(tr("So lassen"));
    }
    box.setDefaultButton(restore ? restore : keep);
    CutOfferShown = true;
    box.exec();
    CutOfferShown = false;
    // Without a button of its own (closed by other means) it is left as it is.
    QAbstractButton *chosen = box.clickedButton();
    DriveCore::CutChoice choice = DriveCore::CutChoice::Keep;
    if (chosen && chosen == restore)
        choice = DriveCore::CutChoice::RestoreBackup;
    else if (chosen && chosen == again)
        choice = DriveCore::CutChoice::WriteAgain;
    if (Core->PendingCut)
        Core->resolveCutWrite(choice);
}

void TForm1::showCutWriteResolved(bool readBack, const QByteArrayList &holds)
{
    if (!Core->PendingCut)
        return;
    const DriveCore::CutWrite &cut = *Core->PendingCut;
    const QString address = addressOf(cut.record);
    QString text;
    if (!readBack) {
        text = tr("Was ZYNT %1 jetzt hält, konnte nicht gelesen werden. Die Wahl wird erneut angeboten, sobald "
                  "sie antwortet.")
                   .arg(address);
    } else if (cut.record.kind == journal::Kind::Parameters && cut.reason == DriveCore::CutReason::Recorded) {
        QStringList values;
        for (const QByteArray &value : holds)
            values << fromCp1252(value);
        text = tr("ZYNT %1 hält jetzt: %2.").arg(address, values.join(QStringLiteral(", ")));
    } else {
        std::optional<QByteArrayList> backup;
        if (const std::optional<QByteArray> bytes = journal::readBackup(cut.record))
            backup = program::listedLines(program::parseProgramFile(*bytes));
        const QByteArrayList written = program::sentLines(program::linesOf(cut.record.written));
        if (holds.isEmpty())
            text = tr("ZYNT %1 hält jetzt kein Programm.").arg(address);
        else if (backup && holds == *backup)
            text = tr("ZYNT %1 hält jetzt wieder das gesicherte Programm (%2).")
                       .arg(address, DriveCore::linesText(int(holds.size())));
        else if (!cut.record.written.isEmpty() && holds == written)
            text = tr("ZYNT %1 hält jetzt das neue Programm (%2).").arg(address, DriveCore::linesText(int(holds.size())));
        else
            text = tr("ZYNT %1 hält jetzt ein Programm von %2, das weder das gesicherte noch das neue ist.")
                       .arg(address, DriveCore::linesText(int(holds.size())));
    }
    // Kept as the offer showed it: the offer said it all.
    if (!cut.quiet) {
        QMessageBox box(readBack ? QMessageBox::Information : QMessageBox::Warning, QApplication::applicationName(),
                        text, QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    }
    // The parameter read the connection start held back follows now.
    if (ListingAfterCut && readBack) {
        ListingAfterCut = false;
        QTimer::singleShot(0, this, &TForm1::Timer12Timer);
    }
}

void TForm1::showProgramWriteChecked(DriveCore::WriteCheck result, const QByteArrayList &holds)
{
    switch (result) {
    case DriveCore::WriteCheck::Equal: {
        const QString text = tr("Programm in die ZYNT übertragen und zurückgelesen: %1, gleich. Sicherung: %2")
                                 .arg(DriveCore::linesText(int(holds.size())), ProgramBackupFile);
        statusNote(text);
        return;
    }
    case DriveCore::WriteCheck::KeptOld:
        return; // the end of the write said so
    case DriveCore::WriteCheck::Unread: {
        const QString text = tr("Das Programm konnte nach dem Übertragen nicht zurückgelesen werden; was die ZYNT "
                                "hält, wird beim nächsten Kontakt geprüft.");
        statusNote(text);
        return;
    }
    case DriveCore::WriteCheck::Differs:
        QTimer::singleShot(0, this, &TForm1::offerCutWrite);
        return;
    }
}

bool TForm1::mayCloseDuringWrite()
{
    if (!Core->Owner.holds(line::Activity::ProgramWrite))
        return true;
    if (!askBeforeClosing(tr("Eine Übertragung läuft: beim Schließen bleibt ein Teil des Programms in der ZYNT.")))
        return false;
    // The entry is ended where the line allows; the journal keeps the
    // record for the next start, which offers the way back.
    Core->abortProgramWrite();
    Core->drainOutput(1000);
    return true;
}
