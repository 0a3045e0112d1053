// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the program from the simulated drive and writing it back, through
// the menu, the buttons and the overwrite question, checked on the wire.
#include "programfixture.h"

#include "link/journal.h"

#include <QAction>
#include <QDir>
#include <QSignalSpy>
#include <QStatusBar>
#include <QWindow>

namespace {

const QList<QByteArray> kWriteStart = {"#1TROFF\r", "#1S\r", "#1new\r"};
const QList<QByteArray> kReadCommands = {"#1TROFF\r", "#1p1028=8\r", "#1list\r"};

// A write on the wire: the read of the drive's program for its backup (every
// time: another tool may have changed it), the write, and the read after it
// that checks what the drive took.
QList<QByteArray> writeOf(const QByteArrayList &lines)
{
    QList<QByteArray> wire = kReadCommands + kWriteStart;
    for (const QByteArray &line : lines)
        wire.append("#1" + line + "\r");
    wire.append("#1quit\r");
    return wire + kReadCommands;
}

QByteArrayList storedProgram(sim::SimLine &line)
{
    QByteArrayList lines;
    line.withDrive(1, [&lines](sim::Drive &d) { lines = d.program.lines(); });
    return lines;
}

} // namespace

class TestProgramTransfer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void writeOnTheWire_data();
    void writeOnTheWire();
    void writeWithoutDriveDoesNothing();
    void writeEndsTraceMode();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void errorLineNamesTheRow();
    void labelErrorEndsTheWrite();
    void refusedReadStartsThePollAgain();
    void lineNeverAnswered();
    void startNeverAnswered();

    void read_data();
    void read();
    void readWithTraceOn();
    void readWithoutDrive();
    void readNeverAnswered();
    void readAnsweredEndlessly();
    void reloadButtonReads();
    void truncationCancelledSendsNothing();
    void refusedLineFoundByIndex();
    void editsAreNotDiscardedUnasked();
    void backupBeforeEachWrite();
    void failedBackupReadWritesNothing();
    void editorChangedDuringBackupReadWritesNothing();
    void refusedProgramKeepsTheEdits();

private:
    ProgramFixture *fx = nullptr;
    TForm1 *f = nullptr;
};

void TestProgramTransfer::init()
{
    fx = new ProgramFixture;
    const QByteArray test = QTest::currentTestFunction();
    const QByteArray row = QTest::currentDataTag();
    auto prepare = [test, row](sim::SimLine &line) {
        if (test == "startNeverAnswered") {
            // The drive takes "S" but never says "ok" to it.
            line.addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
                return command == "S" ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
            });
        }
        if (test == "read") {
            QByteArrayList lines;
            if (row == "sample")
                return; // the drive's own short program
            if (row == "program lines with ok")
                lines = {"okay", "look", "W=1", "ok W=2", "Tok"};
            if (row == "305 lines")
                lines = ProgramFixture::numbered(305, "T");
            line.addDrive(1).program.setLines(lines);
            if (row == "program lines with ok")
                line.setChunking(1, 3, 7);
        }
    };
    QVERIFY2(fx->start(prepare), "could not start the window with the simulated drive");
    f = fx->f;
}

void TestProgramTransfer::cleanup()
{
    delete fx;
    fx = nullptr;
    f = nullptr;
}

void TestProgramTransfer::writeOnTheWire_data()
{
    QTest::addColumn<QByteArrayList>("grid");
    QTest::addColumn<QByteArrayList>("sentLines");
    QTest::addColumn<QByteArrayList>("gridAfter");
    QTest::addColumn<QStringList>("questions"); // asked first, answered OK

    QTest::newRow("row 1 empty") << QByteArrayList {} << QByteArrayList {""} << QByteArrayList {} << QStringList {};
    QTest::newRow("blank row in the middle")
        << QByteArrayList {"ref", "W=10", "", "e", "end"} << QByteArrayList {"ref", "W=10"}
        << QByteArrayList {"ref", "W=10", "", "e", "end"}
        << QStringList {"Zeile 3 ist leer: die Zeilen danach werden nicht übertragen"};
    QTest::newRow("row beginning with a blank")
        << QByteArrayList {"ref", " W=10", "e"} << QByteArrayList {"ref"} << QByteArrayList {"ref", " W=10", "e"}
        << QStringList {"Zeile 2 beginnt mit einem Leerzeichen: sie und die Zeilen danach werden nicht übertragen"};
    QTest::newRow("blank rows at the end only") << QByteArrayList {"ref", "e", "", " "}
                                                << QByteArrayList {"ref", "e"} << QByteArrayList {"ref", "e", "", " "}
                                                << QStringList {};
    QTest::newRow("own address stripped") << QByteArrayList {"#12G1000", "#T500", "e"}
                                          << QByteArrayList {"G1000", "T500", "e"}
                                          << QByteArrayList {"G1000", "T500", "e"} << QStringList {};
    const QByteArrayList full = ProgramFixture::numbered(300);
    QTest::newRow("299 lines, never row 300") << full << full.mid(0, 299) << full << QStringList {};
}

void TestProgramTransfer::writeOnTheWire()
{
    QFETCH(QByteArrayList, grid);
    QFETCH(QByteArrayList, sentLines);
    QFETCH(QByteArrayList, gridAfter);
    QFETCH(QStringList, questions);

    f->BitBtn1->click();
    fx->setLines(grid);
    QVERIFY(!f->ConfirmOverwrite);
    QSignalSpy writeStarted(f->Core, &DriveCore::programWriteStarted);
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    // The drive's program is read for the backup first.
    QVERIFY(f->Core->Owner.holds(line::Activity::ProgramRead));
    QVERIFY(!f->Core->Timer3->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(f->Label4->isVisible() || writeStarted.count() > 0, kWait);

    QTRY_VERIFY_WITH_TIMEOUT(f->Label4->isHidden() && f->Core->Owner.holds(line::Activity::None), kWait);
    QVERIFY(fx->idle());
    QCOMPARE(writeStarted.count(), 1);
    QCOMPARE(fx->sent(), writeOf(sentLines));
    QCOMPARE(fx->rows(1, int(gridAfter.size())), gridAfter);
    QVERIFY(fx->gridShowsModel());
    QVERIFY(f->isEnabled());
    QVERIFY(f->Core->Timer3->isActive());
    QVERIFY(!f->Core->Timer7->isActive());
    QCOMPARE(fx->messages(), questions);

    QByteArrayList stored;
    for (const QByteArray &line : sentLines) {
        if (!line.isEmpty())
            stored.append(line);
    }
    QCOMPARE(storedProgram(fx->line()), stored);
}

void TestProgramTransfer::writeWithoutDriveDoesNothing()
{
    f->BitBtn1->click();
    fx->setLines({"ref"});
    f->Core->DriveConnected = 0;
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QTest::qWait(300);
    QVERIFY(fx->sent().isEmpty());
    QVERIFY(f->Label4->isHidden());
    QVERIFY(f->OKBottomDlg->isHidden());
}

void TestProgramTransfer::writeEndsTraceMode()
{
    f->BitBtn1->click();
    fx->setLines({"ref"});
    f->Core->TraceMode = true;
    f->Button14->show();
    f->Label12->show();
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    // The read for the backup already ends the trace ("s").
    QVERIFY(!f->Core->TraceMode);
    QVERIFY(f->Button14->isHidden());
    QVERIFY(f->Label12->isHidden());
    QCOMPARE(f->Button12->text(), fx->shell.german(155));
    QTRY_VERIFY_WITH_TIMEOUT(f->Label4->isHidden() && f->Core->Owner.holds(line::Activity::None), kWait);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1TROFF\r", "#1s\r", "#1p1028=8\r", "#1list\r", "#1TROFF\r", "#1S\r",
                                             "#1new\r", "#1ref\r", "#1quit\r"})
                             + kReadCommands);
}

void TestProgramTransfer::overwriteQuestion_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("writes");
    QTest::newRow("OK") << "ok" << true;
    QTest::newRow("Cancel") << "cancel" << false;
    QTest::newRow("closed by the frame") << "frame" << true;
    QTest::newRow("Escape") << "escape" << false;
}

void TestProgramTransfer::overwriteQuestion()
{
    QFETCH(QString, answer);
    QFETCH(bool, writes);

    // "Neu": the program in the grid is not the drive's.
    f->Fileffnen1->trigger();
    QVERIFY(fx->typeLine(1, QStringLiteral("ref")));
    QVERIFY(fx->typeLine(2, QStringLiteral("e")));
    f->Core->Timer3->start();
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);

    TOKBottomDlg *dlg = f->OKBottomDlg;
    QVERIFY(dlg->isVisible());
    QVERIFY(!f->isEnabled());
    QVERIFY(!f->Core->Timer3->isActive());
    QCOMPARE(dlg->Label1->text(), fx->shell.german(68));
    QCOMPARE(dlg->windowTitle(), fx->shell.german(69));
    QVERIFY(dlg->CancelBtn->isVisible());
    QTest::qWait(200);
    QVERIFY(fx->sent().isEmpty()); // nothing before the answer

    if (answer == "ok")
        QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
    else if (answer == "cancel")
        QTest::mouseClick(dlg->CancelBtn, Qt::LeftButton);
    else if (answer == "frame")
    {
        // What the window system delivers when the frame's close button is used.
        QCloseEvent close;
        QCoreApplication::sendEvent(dlg->windowHandle(), &close);
    }
    else
        QTest::keyClick(dlg, Qt::Key_Escape);

    QVERIFY(dlg->isHidden());
    QVERIFY(f->isEnabled());
    if (writes) {
        QTRY_VERIFY_WITH_TIMEOUT(f->Label4->isHidden(), kWait);
        QVERIFY(fx->idle());
        QCOMPARE(fx->sent(), writeOf({"ref", "e"}));
        QVERIFY(!f->ConfirmOverwrite);
        QCOMPARE(storedProgram(fx->line()), (QByteArrayList {"ref", "e"}));
    } else {
        QTest::qWait(300);
        QVERIFY(fx->sent().isEmpty());
        QVERIFY(f->ConfirmOverwrite);
        QVERIFY(f->Core->Timer3->isActive()); // the status poll runs again
        QVERIFY(!f->Core->Owner.paused(line::Pause::DriveError));
    }
}

void TestProgramTransfer::errorLineNamesTheRow()
{
    f->BitBtn1->click();
    QByteArrayList lines = ProgramFixture::numbered(11);
    lines.append("bogus");
    lines.append("end");
    fx->setLines(lines);
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);

    TOKBottomDlg *dlg = f->OKBottomDlg;
    QTRY_VERIFY_WITH_TIMEOUT(dlg->isVisible(), kWait);
    QCOMPARE(dlg->Label1->text(), QStringLiteral("** Syntaxfehler\r\r\r") + fx->shell.german(73)
                                      + QStringLiteral("12\r\"bogus\""));
    QVERIFY(dlg->CancelBtn->isHidden());
    QVERIFY(!f->isEnabled());
    QVERIFY(!f->Core->Timer7->isActive()); // the line was answered, with an error
    QVERIFY(f->Label4->isVisible());  // the write goes on after the confirmation
    QCOMPARE(fx->sent().last(), QByteArray("#1bogus\r"));

    QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f->Label4->isHidden(), kWait);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), writeOf(lines));
    QVERIFY(f->isEnabled());
    lines.removeAll("bogus");
    QCOMPARE(storedProgram(fx->line()), lines);
}

void TestProgramTransfer::labelErrorEndsTheWrite()
{
    const QByteArrayList before = storedProgram(fx->line());
    f->BitBtn1->click();
    fx->setLines({"ref", "JMP nowhere"});
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);

    TOKBottomDlg *dlg = f->OKBottomDlg;
    QTRY_VERIFY_WITH_TIMEOUT(dlg->isVisible(), kWait);
    QCOMPARE(dlg->Label1->text(), QStringLiteral("** label nowhere fehlt"));
    QVERIFY(f->Label4->isHidden());
    QVERIFY(!f->Core->Owner.holds(line::Activity::ProgramWrite));
    QVERIFY(!f->Core->Timer7->isActive());
    QVERIFY(!f->Core->Timer3->isActive()); // the poll waits for the confirmation

    QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
    // The read after the confirmation finds the drive's own program: the
    // journal's record goes, and nothing is offered.
    QVERIFY(fx->idle());
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer3->isActive(), kWait);
    QCOMPARE(fx->sent(), writeOf({"ref", "JMP nowhere"}));
    QVERIFY(f->isEnabled());
    QCOMPARE(storedProgram(fx->line()), before); // the drive keeps its program
    QVERIFY(!f->Core->PendingCut);
    QVERIFY(!journal::find(f->Core->journalDevice(), "1"));
    QVERIFY(fx->messages().isEmpty());
}

void TestProgramTransfer::lineNeverAnswered()
{
    QCOMPARE(f->Core->Timer7->interval(), 4000);
    const QByteArrayList original = storedProgram(fx->line());
    fx->line().withDrive(1, [](sim::Drive &d) { d.program.setNeverAnswerLine(3); });
    f->BitBtn1->click();
    fx->setLines(ProgramFixture::numbered(6));
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);

    // The user writes the backup back when the drive answers again.
    fx->shell.answers = {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Ok};
    QTRY_VERIFY_WITH_TIMEOUT(fx->messages().size() >= 1, kWait);
    QVERIFY(clock.elapsed() >= 3500); // a coarse timer may fire up to 5 % early
    // What the drive took, that it holds a part, and the backup are said.
    const QString said = fx->messages().first();
    QVERIFY2(said.startsWith(QStringLiteral("Fehler beim Übertragen des Programm in die ZYNT")), qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("bei Zeile 3 von 6 unterbrochen")), qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("2 Zeilen bestätigt")), qPrintable(said));
    QVERIFY2(said.contains(fx->shell.backupFolder()), qPrintable(said));
    QList<QByteArray> expected = kReadCommands + kWriteStart;
    expected << "#1W=1\r" << "#1W=2\r" << "#1W=3\r" << "#1quit\r";
    // The drive did not answer: it is probed, and its answer brings the offer.
    QTRY_COMPARE_WITH_TIMEOUT(fx->messages().size(), 3, kWait);
    QVERIFY2(fx->messages()[1].startsWith(QStringLiteral("Die Übertragung des Programms an ZYNT 1 wurde bei Zeile 3 von 6")),
             qPrintable(fx->messages()[1]));
    QVERIFY2(fx->messages()[2].contains(QStringLiteral("wieder das gesicherte Programm")), qPrintable(fx->messages()[2]));
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent().mid(0, expected.size()), expected);
    // Nothing but the probe went out before the choice: the drive's entry was
    // ended by the choice, then the backup written and read back.
    QCOMPARE(fx->sent().value(expected.size()), QByteArray("#1\r"));
    QCOMPARE(fx->sent().value(expected.size() + 1), QByteArray("#1quit\r"));
    QCOMPARE(storedProgram(fx->line()), original);
    QVERIFY(!journal::find(f->Core->journalDevice(), "1"));
    QVERIFY(f->isEnabled());
    QVERIFY(f->Label4->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer3->isActive(), kWait);

    // The link is usable.
    QTest::mouseClick(f->Button2, Qt::LeftButton);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent().last(), QByteArray("#1s\r"));
}

void TestProgramTransfer::startNeverAnswered()
{
    f->BitBtn1->click();
    fx->setLines(ProgramFixture::numbered(4));
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);

    QTRY_COMPARE_WITH_TIMEOUT(fx->messages().size(), 1, kWait);
    QCOMPARE(fx->messages().first(), QStringLiteral("Fehler beim Übertragen des Programm in die ZYNT"));
    const QList<QByteArray> cut = kReadCommands + QList<QByteArray> {"#1TROFF\r", "#1S\r", "#1quit\r"};
    QTRY_COMPARE_WITH_TIMEOUT(fx->sent(), cut, kWait);
    QVERIFY(f->isEnabled());
    QVERIFY(f->Label4->isHidden());
    QVERIFY(!f->Core->Owner.holds(line::Activity::ProgramWrite));
    QVERIFY(!f->Core->Queue.head());
    QVERIFY(f->Core->Timer3->isActive());
    QVERIFY(!f->Core->TransferWatchdog->isActive());
    // "new" never went out: the drive's program is untouched, nothing to offer.
    QVERIFY(!journal::find(f->Core->journalDevice(), "1"));
    QVERIFY(!f->Core->PendingCut);

    // Nothing of the program follows, and the link is usable.
    QTest::qWait(300);
    QCOMPARE(fx->sent(), cut);
    QTest::mouseClick(f->Button2, Qt::LeftButton);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent().last(), QByteArray("#1s\r"));
}

void TestProgramTransfer::read_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QString>("message");
    QTest::newRow("sample") << QByteArrayList {"ref", "V=500", "A=100", ":loop", "W=1000", "e",
                                               "T500",  "W=-1000", "e", "T500", "JMP loop"}
                            << QString();
    QTest::newRow("empty program") << QByteArrayList {} << QString();
    // Arriving in pieces of one to three bytes, so that at some moment the
    // buffer ends in each "ok" of a line.
    QTest::newRow("program lines with ok") << QByteArrayList {"okay", "look", "W=1", "ok W=2", "Tok"}
                                           << QString();
    QTest::newRow("305 lines") << ProgramFixture::numbered(300, "T") << QStringLiteral("301 - 305");
}

void TestProgramTransfer::read()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(QString, message);

    fx->setLines(ProgramFixture::numbered(300, "old"));
    f->ConfirmOverwrite = true;
    f->Core->Timer3->start();
    f->ZYNTffnen1->trigger();
    QVERIFY(f->Core->Owner.holds(line::Activity::ProgramRead));
    QVERIFY(f->Label3->isVisible());
    QVERIFY(f->Label11->isHidden());
    QVERIFY(!f->Core->Timer3->isActive());
    QVERIFY(f->StringGrid1->isVisible());
    QVERIFY(f->Button12->isVisible());

    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Owner.holds(line::Activity::ProgramRead), kWait);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), kReadCommands);
    QCOMPARE(fx->rows(1, int(lines.size())), lines);
    for (int row = int(lines.size()) + 1; row <= program::kRows; ++row)
        QVERIFY2(f->Program[size_t(row)].isEmpty(), qPrintable(QString::number(row)));
    QVERIFY(fx->gridShowsModel());
    QVERIFY(f->Label3->isHidden());
    QVERIFY(f->Label11->isVisible());
    QCOMPARE(f->Label11->text(), QStringLiteral("ZYNT-EEProm Programm - address 1"));
    QVERIFY(f->Core->Timer3->isActive());
    QVERIFY(!f->Core->ProgramListingTimer->isActive());
    QVERIFY(f->ConfirmOverwrite); // a read leaves it alone
    QVERIFY(f->Core->ReceiveBuffer.isEmpty());

    if (message.isEmpty()) {
        QTest::qWait(100);
        QVERIFY(fx->messages().isEmpty());
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(fx->messages().size(), 1, kWait);
        QVERIFY2(fx->messages().first().endsWith(message), qPrintable(fx->messages().first()));
    }

    if (QTest::currentDataTag() == QByteArray("sample")) {
        // The editor as the user sees it after the read.
        fx->selectRow(5);
        QTest::qWait(50);
        const QImage shot = f->grab().toImage();
        const QString path = qEnvironmentVariable("ZYNT_BINARY_DIR") + "/tests/program-editor.png";
        QVERIFY2(shot.save(path), qPrintable(path));
    }
}

void TestProgramTransfer::readWithTraceOn()
{
    f->Core->TraceMode = true;
    f->Button14->show();
    f->ZYNTffnen1->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Owner.holds(line::Activity::ProgramRead), kWait);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1TROFF\r", "#1s\r", "#1p1028=8\r", "#1list\r"}));
    QVERIFY(!f->Core->TraceMode);
    QVERIFY(f->Button14->isHidden());
    QCOMPARE(f->Button12->text(), fx->shell.german(155));
    QCOMPARE(f->Button12->toolTip(), fx->shell.german(153));
}

void TestProgramTransfer::readWithoutDrive()
{
    fx->setLines({"keep"});
    f->Core->DriveConnected = 0;
    f->ZYNTffnen1->trigger();
    QTest::qWait(300);
    QVERIFY(fx->sent().isEmpty());
    QCOMPARE(f->Label11->text(), QStringLiteral("ZYNT-EEProm Programm - address 1"));
    QCOMPARE(f->Program[1], QByteArray("keep"));
    QVERIFY(!f->Core->Owner.holds(line::Activity::ProgramRead));
}

void TestProgramTransfer::readNeverAnswered()
{
    fx->line().setSilent(true);
    f->ZYNTffnen1->trigger();
    QVERIFY(f->Label3->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(fx->messages().size(), 1, 20000);
    QCOMPARE(fx->messages().first(), QStringLiteral("Fehler beim Lesen des Programms aus der ZYNT"));
    QVERIFY(!f->Core->Owner.holds(line::Activity::ProgramRead));
    QVERIFY(f->Label3->isHidden());
    QVERIFY(f->Label11->isVisible());
    QVERIFY(!f->Core->Queue.head());
    QVERIFY(f->Core->Timer3->isActive());
    QVERIFY(f->isEnabled());

    // The drive is back: the window reads as if nothing had happened.
    fx->line().setSilent(false);
    fx->line().clearReceived();
    f->ZYNTffnen1->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Owner.holds(line::Activity::ProgramRead), kWait);
    QCOMPARE(fx->sent(), kReadCommands);
    QCOMPARE(fx->cell(1), QByteArray("ref"));
}

void TestProgramTransfer::readAnsweredEndlessly()
{
    // The drive talks without end and never says "ok": the read does not
    // wait for ever either.
    fx->line().setSilent(true);
    f->ZYNTffnen1->trigger();
    QTimer noise;
    QObject::connect(&noise, &QTimer::timeout, [this] { fx->line().sendRaw(QByteArray(2047, 'x') + '\r'); });
    noise.start(50);
    QTRY_COMPARE_WITH_TIMEOUT(fx->messages().size(), 1, 20000);
    noise.stop();
    QCOMPARE(fx->messages().first(), QStringLiteral("Fehler beim Lesen des Programms aus der ZYNT"));
    QVERIFY(!f->Core->Owner.holds(line::Activity::ProgramRead));
    QVERIFY(!f->Core->Queue.head());
    QVERIFY(f->Label3->isHidden());
    QVERIFY(program::isEmptyProgram(f->Program)); // nothing of the noise is taken
}

void TestProgramTransfer::reloadButtonReads()
{
    f->BitBtn1->click();
    QTest::mouseClick(f->BitBtn3, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Owner.holds(line::Activity::ProgramRead), kWait);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), kReadCommands);
    QCOMPARE(fx->cell(11), QByteArray("JMP loop"));
}

void TestProgramTransfer::refusedReadStartsThePollAgain()
{
    // The drive answers "list" with an error; once the user has confirmed
    // it, the read ends with its watchdog and the status poll it stopped
    // starts again.
    fx->line().addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
        if (command == "list")
            return QByteArray("\n** Speicher gesperrt\r");
        return std::nullopt;
    });
    f->ZYNTffnen1->trigger();
    QVERIFY(f->Core->Owner.holds(line::Activity::ProgramRead));
    QVERIFY(!f->Core->Timer3->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(f->OKBottomDlg->isVisible(), kWait);
    QTest::mouseClick(f->OKBottomDlg->OKBtn, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Owner.holds(line::Activity::ProgramRead), kWait);
    QVERIFY(f->Core->Timer3->isActive());
    QVERIFY(f->isEnabled());
}

void TestProgramTransfer::truncationCancelledSendsNothing()
{
    const QByteArrayList before = storedProgram(fx->line());
    f->BitBtn1->click();
    QByteArrayList lines = ProgramFixture::numbered(11);
    lines[4] = QByteArray();
    fx->setLines(lines);
    fx->shell.answers = {QMessageBox::Cancel};
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);

    QCOMPARE(fx->messages(), QStringList {QStringLiteral("Zeile 5 ist leer: die Zeilen danach werden nicht übertragen")});
    QCOMPARE(f->StringGrid1->currentRow(), 5); // the user sees which line
    QVERIFY(!f->Core->Owner.holds(line::Activity::ProgramWrite));
    QVERIFY(!f->Core->Owner.paused(line::Pause::Question));
    QVERIFY(f->Label4->isHidden());
    QTest::qWait(300);
    QVERIFY(fx->sent().isEmpty());
    QCOMPARE(storedProgram(fx->line()), before);
    QCOMPARE(fx->rows(1, 11), lines); // and the grid keeps every line
}

void TestProgramTransfer::refusedLineFoundByIndex()
{
    // Lines 3 and 7 say the same; the drive refuses the fifth and the seventh.
    fx->line().withDrive(1, [](sim::Drive &d) {
        d.program.refuseLine(5);
        d.program.refuseLine(7);
    });
    f->BitBtn1->click();
    QByteArrayList lines = ProgramFixture::numbered(10);
    lines[2] = lines[6] = "W=77";
    fx->setLines(lines);
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);

    TOKBottomDlg *dlg = f->OKBottomDlg;
    QTRY_VERIFY_WITH_TIMEOUT(dlg->isVisible(), kWait);
    QVERIFY2(dlg->Label1->text().endsWith(QStringLiteral("5\r\"W=5\"")), qPrintable(dlg->Label1->text()));
    QCOMPARE(f->StringGrid1->currentRow(), 5);
    QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(dlg->isVisible(), kWait);
    QVERIFY2(dlg->Label1->text().endsWith(QStringLiteral("7\r\"W=77\"")), qPrintable(dlg->Label1->text()));
    QCOMPARE(f->StringGrid1->currentRow(), 7);
    const QColor refused(0xFF, 0xB0, 0xB0);
    QCOMPARE(f->StringGrid1->item(7, 1)->background().color(), refused);
    QCOMPARE(f->StringGrid1->item(3, 1)->background().style(), Qt::NoBrush);
    QCOMPARE(f->StringGrid1->item(5, 1)->background().style(), Qt::NoBrush); // the last refusal is marked

    QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f->Label4->isHidden(), kWait);
    QVERIFY(fx->idle());
    // The mark stays once the write is over, until the next write or read.
    QCOMPARE(f->StringGrid1->item(7, 1)->background().color(), refused);
    QVERIFY2(f->statusBar()->currentMessage().startsWith(
                 QStringLiteral("Programm übertragen; die ZYNT hat Zeile 7 abgewiesen. Sicherung: ")),
             qPrintable(f->statusBar()->currentMessage()));
    // What the drive holds now, read back, with the way back beside OK (the
    // fixture answered OK: it keeps it).
    QCOMPARE(fx->messages().size(), 1);
    QVERIFY2(fx->messages()[0].contains(QStringLiteral("Zeile 5 („W=5“), 7 („W=77“) abgewiesen")),
             qPrintable(fx->messages()[0]));
    QVERIFY2(fx->messages()[0].contains(QStringLiteral("hält jetzt 8 Zeilen")), qPrintable(fx->messages()[0]));
    QVERIFY(!journal::find(f->Core->journalDevice(), "1"));
    QTest::qWait(50);
    const QImage shot = f->grab().toImage();
    const QString path = qEnvironmentVariable("ZYNT_BINARY_DIR") + "/tests/program-refused-line.png";
    QVERIFY2(shot.save(path), qPrintable(path));

    f->ZYNTffnen1->trigger();
    QVERIFY(f->Core->Owner.holds(line::Activity::ProgramRead));
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Owner.holds(line::Activity::ProgramRead), kWait);
    QCOMPARE(f->StringGrid1->item(7, 1)->background().style(), Qt::NoBrush);
}

void TestProgramTransfer::editsAreNotDiscardedUnasked()
{
    const QString question = QStringLiteral("Die Änderungen am Programm im Editor verwerfen?");
    f->BitBtn1->click();
    QVERIFY(fx->typeLine(1, QStringLiteral("W=5")));

    // Reading from the drive, "Neu" and loading a file each ask; "No" keeps the lines.
    QDir().mkpath(fx->shell.dir.filePath(QStringLiteral("files")));
    const QString file = fx->shell.dir.filePath(QStringLiteral("files/two.prg"));
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("ref\r\ne\r\n");
    }
    fx->nextFileName = file;
    fx->shell.answers = {QMessageBox::No, QMessageBox::No, QMessageBox::No};
    f->ZYNTffnen1->trigger();
    f->Fileffnen1->trigger();
    f->N1->trigger();
    QCOMPARE(fx->messages(), (QStringList {question, question, question}));
    QCOMPARE(fx->cell(1), QByteArray("W=5"));
    QTest::qWait(200);
    QVERIFY(fx->sent().isEmpty());
    QVERIFY(fx->fileDialogs.isEmpty()); // not even the dialog came up

    fx->shell.answers = {QMessageBox::Yes};
    f->N1->trigger();
    QCOMPARE(fx->messages().size(), 4);
    QCOMPARE(fx->rows(1, 2), (QByteArrayList {"ref", "e"}));

    // What came from the file is no edit: the read asks nothing.
    f->ZYNTffnen1->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Owner.holds(line::Activity::ProgramRead), kWait);
    QCOMPARE(fx->messages().size(), 4);
    QCOMPARE(fx->cell(11), QByteArray("JMP loop"));
}

void TestProgramTransfer::backupBeforeEachWrite()
{
    const QByteArrayList original = storedProgram(fx->line());
    const QDir backups(fx->shell.backupFolder());

    // Each write reads the drive's program for its backup first.
    f->BitBtn1->click();
    fx->setLines({"ref", "W=1", "e"});
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f->Label4->isHidden(), kWait);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), writeOf({"ref", "W=1", "e"}));
    const QStringList first = backups.entryList({QStringLiteral("*.prg")}, QDir::Files);
    QCOMPARE(first.size(), 1);
    QVERIFY2(f->statusBar()->currentMessage().contains(first[0]), qPrintable(f->statusBar()->currentMessage()));

    // The read that checked the first write is not taken for the second
    // one's backup: another tool changed the program since, and the drive's
    // program is read again.
    fx->line().withDrive(1, [](sim::Drive &d) { d.program.setLines({"ref", "W=7", "e"}); });
    fx->line().clearReceived();
    fx->setLines({"ref", "W=2", "e"});
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Owner.holds(line::Activity::None) && f->Label4->isHidden(), kWait);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), writeOf({"ref", "W=2", "e"}));
    QStringList second = backups.entryList({QStringLiteral("*.prg")}, QDir::Files);
    second.removeOne(first[0]);
    QCOMPARE(second.size(), 1);

    // Each backup loads back as the program the drive held before.
    fx->nextFileName = backups.filePath(first[0]);
    f->N1->trigger();
    QCOMPARE(fx->rows(1, int(original.size())), original);
    fx->nextFileName = backups.filePath(second[0]);
    f->N1->trigger();
    QCOMPARE(fx->rows(1, 4), (QByteArrayList {"ref", "W=7", "e", ""}));
}

void TestProgramTransfer::failedBackupReadWritesNothing()
{
    const QByteArrayList before = storedProgram(fx->line());
    fx->line().addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
        return command == "list" ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    });
    f->BitBtn1->click();
    fx->setLines({"ref", "e"});
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(fx->messages().size(), 1, 4 * kWait);
    QVERIFY2(fx->messages()[0].contains(QStringLiteral("es wurde nichts geschrieben")), qPrintable(fx->messages()[0]));
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), kReadCommands);
    QCOMPARE(storedProgram(fx->line()), before);
    QCOMPARE(fx->rows(1, 2), (QByteArrayList {"ref", "e"}));
    QVERIFY(QDir(fx->shell.backupFolder()).entryList({QStringLiteral("*.prg")}, QDir::Files).isEmpty());
}

void TestProgramTransfer::editorChangedDuringBackupReadWritesNothing()
{
    const QByteArrayList before = storedProgram(fx->line());
    f->BitBtn1->click();
    fx->setLines({"ref", "W=1", "e"});
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QVERIFY(f->Core->Owner.holds(line::Activity::ProgramRead));
    f->Fileffnen1->trigger(); // "Neu" while the backup is read
    QVERIFY(fx->idle());
    QTRY_COMPARE_WITH_TIMEOUT(fx->messages().size(), 1, kWait);
    QVERIFY2(fx->messages()[0].contains(QStringLiteral("während der Sicherung geändert")), qPrintable(fx->messages()[0]));
    QTest::qWait(200);
    QCOMPARE(fx->sent(), kReadCommands);
    QCOMPARE(storedProgram(fx->line()), before);
}

void TestProgramTransfer::refusedProgramKeepsTheEdits()
{
    // The drive refuses a program whose jump leads nowhere and keeps its own:
    // the lines typed are still the user's, and a read asks before replacing them.
    const QByteArrayList before = storedProgram(fx->line());
    f->BitBtn1->click();
    fx->setLines({});
    QVERIFY(fx->typeLine(1, QStringLiteral("ref")));
    QVERIFY(fx->typeLine(2, QStringLiteral("JMP nowhere")));
    f->ConfirmOverwrite = false;
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f->OKBottomDlg->isVisible(), kWait);
    QTest::mouseClick(f->OKBottomDlg->OKBtn, Qt::LeftButton);
    QVERIFY(fx->idle());
    QCOMPARE(storedProgram(fx->line()), before);
    QCOMPARE(f->statusBar()->currentMessage(), QStringLiteral("Die ZYNT hat das Programm abgelehnt und behält ihr bisheriges"));
    fx->shell.answers = {QMessageBox::No};
    f->ZYNTffnen1->trigger();
    QCOMPARE(fx->messages(), QStringList {QStringLiteral("Die Änderungen am Programm im Editor verwerfen?")});
    QCOMPARE(fx->rows(1, 2), (QByteArrayList {"ref", "JMP nowhere"}));
}

QTEST_MAIN(TestProgramTransfer)
#include "test_programtransfer.moc"
