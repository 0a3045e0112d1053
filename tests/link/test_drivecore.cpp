// SPDX-License-Identifier: GPL-3.0-or-later
// The drive core without a window, as the command line uses it: a
// QCoreApplication, the simulated drive on a pseudo-terminal, and one
// session of the things a technician does one after another (connect, read
// the list, write and read the program, write back, a drive error, a lost
// link), checked on the wire and in what the core reports.
#include "link/drivecore.h"
#include "link/journal.h"
#include "parameters/descriptions.h"
#include "sim/simdrive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kWait = 20000;

QByteArrayList storedProgram(sim::SimLine &line)
{
    QByteArrayList lines;
    line.withDrive(1, [&lines](sim::Drive &d) { lines = d.program.lines(); });
    return lines;
}

QByteArrayList programOf(const DriveCore &core, int rows)
{
    QByteArrayList lines;
    for (int row = 1; row <= rows; ++row)
        lines.append(core.Program[size_t(row)]);
    return lines;
}

} // namespace

class TestDriveCore : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sessionOfATechnician();
    void refusedWhileBusyAndLost();
    void stopKeptUntilTheDriveAnswers();
    void nothingGoesOutWithoutAnAddress();

private:
    bool waitIdle();
    QList<QByteArray> sentSince(qsizetype from) const;

    QTemporaryDir *dir = nullptr;
    sim::SimLine *line = nullptr;
    DriveCore *core = nullptr;
    QStringList messages;
};

void TestDriveCore::init()
{
    dir = new QTemporaryDir;
    line = new sim::SimLine;
    QVERIFY(dir->isValid());
    QVERIFY(!line->openPty().isEmpty());
    const QString link = dir->filePath(QStringLiteral("COM1"));
    QVERIFY(line->makeLink(link));
    qputenv("ZYNT_COM1", link.toLocal8Bit());
    // Each case's journal of its own: pseudo-terminals are named anew.
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir->filePath(QStringLiteral("state"))));
    serialports::reinitialisePortTable();
    line->setBaud(38400);
    line->addDrive(1);
    QVERIFY(line->start());

    core = new DriveCore;
    messages.clear();
    connect(core, &DriveCore::errorMessage, this,
            [this](const QByteArray &text) { messages << QString::fromLatin1(text); });
    // Connected as the settings file for drive 1 at 38400 baud connects.
    core->resetLink();
    core->prepareConnection();
    settings::State state;
    state.addresses[0] = 1;
    state.addresses[1] = 1;
    state.timer3 = 100;
    state.timer8 = 1000;
    state.timer9 = 2000;
    state.timer11 = 2000;
    state.driveAddress = "1";
    core->applySettings(state);
    core->openPort();
    QVERIFY(core->Serial1->Active());
    // The descriptions the window loads; a write-back writes described rows.
    QFile german(qEnvironmentVariable("ZYNT_SOURCE_DIR") + QStringLiteral("/data/Par-dt.ini"));
    QVERIFY(german.open(QIODevice::ReadOnly));
    params::LoadParameterDescriptions(core->Parameters, german.readAll(), std::nullopt);
}

void TestDriveCore::cleanup()
{
    delete core; // the port closes before the line goes
    delete line;
    delete dir;
}

bool TestDriveCore::waitIdle()
{
    QElapsedTimer clock;
    clock.start();
    while (core->Queue.head() || !line->outputIdle()) {
        if (clock.elapsed() > kWait)
            return false;
        QTest::qWait(5);
    }
    return true;
}

QList<QByteArray> TestDriveCore::sentSince(qsizetype from) const
{
    QList<QByteArray> kept;
    for (const QByteArray &command : line->receivedCommands().mid(from)) {
        if (!command.endsWith("?\r"))
            kept.append(command);
    }
    return kept;
}

void TestDriveCore::sessionOfATechnician()
{
    // Connect: the sequence every connection sends.
    core->connectConfigured();
    QVERIFY(waitIdle());
    QCOMPARE(line->receivedCommands(),
             (QList<QByteArray> {"#1\r", "#1quit\r", "#1P265?\r", "#1ver\r", "#1P1028=8\r", "#1p1035=0\r",
                                 "#1p1716=58120394\r"}));
    QCOMPARE(core->FirmwareNumber, 120400);

    // The parameter list, then the poll.
    QSignalSpy listed(core, &DriveCore::listingCompleted);
    QSignalSpy status(core, &DriveCore::statusAnswered);
    QVERIFY(core->ZYNT_Parameter_Neu_Lesen());
    QVERIFY(core->Owner.holds(line::Activity::Listing));
    QVERIFY(listed.wait(kWait));
    QVERIFY(core->Parameters.ParameterRowCount > 100);
    QVERIFY(core->Owner.holds(line::Activity::None));
    QVERIFY(core->Timer3->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(status.size() >= 22, kWait); // two whole cycles

    // Write a program, then read it back: the read is not cut by anything
    // the write left behind.
    const QByteArrayList program = {":loop", "ref", "V=500", "W=1000", "e", "JMP loop"};
    program::clearLines(core->Program);
    for (int i = 0; i < program.size(); ++i)
        core->Program[size_t(i + 1)] = program[i];
    QSignalSpy written(core, &DriveCore::programWriteChecked);
    QVERIFY(core->ZYNT_Programm_Speichern());
    QVERIFY(journal::find(core->journalDevice(), "1").has_value()); // before the first line
    QVERIFY(written.wait(kWait));
    QCOMPARE(storedProgram(*line), program);
    // Read back equal: the journal's record is gone.
    QCOMPARE(written.first().first().value<DriveCore::WriteCheck>(), DriveCore::WriteCheck::Equal);
    QVERIFY(!journal::find(core->journalDevice(), "1").has_value());
    QVERIFY(!core->TransferWatchdog->isActive());
    program::clearLines(core->Program);
    QSignalSpy read(core, &DriveCore::programReadEnded);
    QVERIFY(core->ZYNTffnen1Click());
    QVERIFY(read.wait(kWait));
    QCOMPARE(read.first().first().toBool(), true);
    QCOMPARE(programOf(*core, int(program.size())), program);
    QVERIFY(messages.isEmpty());

    // Write the list back: exactly the batch, and the list is read anew.
    QVERIFY(waitIdle());
    qsizetype from = line->receivedCommands().size();
    QSignalSpy wroteBack(core, &DriveCore::writeBackEnded);
    QVERIFY(core->writeBack());
    QVERIFY(wroteBack.wait(kWait));
    const QList<QByteArray> batch = sentSince(from);
    QCOMPARE(batch.first(), QByteArray("#1TROFF\r"));
    QVERIFY2(batch.contains("#1P41=3000\r"), batch.join(" ").constData());
    QVERIFY(messages.isEmpty());

    // A drive error stops everything until it is confirmed.
    QVERIFY(waitIdle());
    QSignalSpy error(core, &DriveCore::driveErrorShown);
    line->setNextErrorLine("Befehl gesperrt");
    core->queueCommand("s", CommandKind::Plain);
    core->queueCommand("run", CommandKind::Plain);
    QVERIFY(error.wait(kWait));
    QVERIFY(error.first().first().toByteArray().contains("Befehl gesperrt"));
    QVERIFY(core->Owner.locksWindow());
    QVERIFY(!core->Timer3->isActive());
    from = line->receivedCommands().size();
    QTest::qWait(300);
    QCOMPARE(line->receivedCommands().size(), from); // "run" waits
    core->confirmDriveError();
    QTRY_VERIFY_WITH_TIMEOUT(line->receivedCommands().mid(from).contains("#1run\r"), kWait);
    QVERIFY(!core->Owner.locksWindow());
    QTRY_VERIFY_WITH_TIMEOUT(core->Timer9->isActive(), kWait); // the poll and its watchdog again

    // The drive falls silent: the link is lost, refused transfers touch
    // nothing, and the drive is found again at its address.
    QSignalSpy lost(core, &DriveCore::linkLost);
    QSignalSpy restored(core, &DriveCore::linkRestored);
    line->setSilent(true);
    QVERIFY(lost.wait(kWait));
    QVERIFY(core->DriveAddress.isEmpty());
    QCOMPARE(core->PreviousAddress, QByteArray("1"));
    QVERIFY(!core->ZYNTffnen1Click());
    QVERIFY(!core->permanentSave());
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages.first().startsWith(QStringLiteral("Keine Verbindung zur ZYNT")));
    QCOMPARE(programOf(*core, int(program.size())), program);
    from = line->receivedCommands().size();
    line->setSilent(false);
    QVERIFY(restored.wait(kWait));
    QCOMPARE(core->DriveAddress, QByteArray("1"));
    QTRY_VERIFY_WITH_TIMEOUT(line->receivedCommands().mid(from).contains("#1p1035=0\r"), kWait);
    for (const QByteArray &command : sentSince(from))
        QVERIFY2(command == "#1\r" || command == "#1p1035=0\r", command.constData());

    // The permanent save goes out again.
    QVERIFY(waitIdle());
    from = line->receivedCommands().size();
    QVERIFY(core->permanentSave());
    QTRY_VERIFY_WITH_TIMEOUT(sentSince(from).contains("#1psave\r"), kWait);
}

void TestDriveCore::refusedWhileBusyAndLost()
{
    core->connectConfigured();
    QVERIFY(waitIdle());
    // A program write holds the line: the other transfers wait their turn.
    line->setSilent(true);
    core->Program[1] = "ref";
    QVERIFY(core->ZYNT_Programm_Speichern());
    const QByteArrayList before = programOf(*core, 3);
    QVERIFY(!core->ZYNTffnen1Click());
    QVERIFY(!core->ZYNT_Parameter_Neu_Lesen());
    QVERIFY(!core->writeBack());
    QVERIFY(!core->masterOn());
    QCOMPARE(messages.size(), 4);
    QCOMPARE(messages.first(),
             QStringLiteral("Das Lesen des Programms ist jetzt nicht möglich: das Schreiben des Programms läuft noch."));
    QCOMPARE(programOf(*core, 3), before);
    // Its watchdog ends it, with the write's own message; then the line is free.
    QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 5, kWait);
    QCOMPARE(messages.last(), QStringLiteral("Fehler beim Übertragen des Programm in die ZYNT"));
    // "new" never went out: the drive's program was not touched, and the
    // journal keeps nothing.
    QVERIFY(core->Owner.holds(line::Activity::None));
    QVERIFY(!journal::find(core->journalDevice(), "1").has_value());
    QVERIFY(!core->Queue.head());
}

void TestDriveCore::stopKeptUntilTheDriveAnswers()
{
    core->connectConfigured();
    QVERIFY(waitIdle());
    QSignalSpy pending(core, &DriveCore::stopPendingChanged);

    // Answered at once: it was never pending.
    qsizetype from = line->receivedCommands().size();
    core->sendStop("1");
    QVERIFY(waitIdle());
    QCOMPARE(line->receivedCommands().mid(from), QList<QByteArray> {"#1s\r"});
    QVERIFY(!core->stopPending());
    QCOMPARE(pending.size(), 0);

    // Sent into a cut cable and the queue cleared under it (as a
    // transfer's watchdog clears it): kept, and sent first in the poll's
    // next cycle once the drive answers.
    line->setSilent(true);
    core->sendStop("1");
    QTRY_VERIFY_WITH_TIMEOUT(line->receivedCommands().mid(from).count("#1s\r") == 2, kWait);
    core->clearQueue();
    QVERIFY(core->stopPending());
    QCOMPARE(pending.size(), 1);
    QCOMPARE(pending.last().first().toBool(), true);
    line->setSilent(false);
    from = line->receivedCommands().size();
    core->Owner.resumePoll();
    QTRY_VERIFY_WITH_TIMEOUT(!core->stopPending(), kWait);
    QList<QByteArray> sent = line->receivedCommands().mid(from);
    QVERIFY2(sent.size() >= 2 && sent[0] == "#1s\r" && sent[1] == "#1P51?\r", sent.join(' ').constData());
    QCOMPARE(pending.size(), 2);
    QCOMPARE(pending.last().first().toBool(), false);

    // The link lost: nothing is queued for the re-probe to clear. Both
    // Stops, to the drive and to all drives, go out right after the
    // probe's answer, before the drive's settings.
    line->setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(core->Owner.holds(line::Activity::ReProbe), kWait);
    core->sendStop("1");
    core->sendStop("*");
    QVERIFY(core->stopPending());
    QVERIFY(!core->Queue.head() || !core->Queue.head()->Stop);
    from = line->receivedCommands().size();
    line->setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(!core->stopPending(), kWait);
    sent = line->receivedCommands().mid(from);
    sent.removeAll("#1\r");
    QVERIFY2(sent.size() >= 3 && sent[0] == "#1s\r" && sent[1] == "#*s\r" && sent[2] == "#1p1035=0\r",
             sent.join(' ').constData());
}

void TestDriveCore::nothingGoesOutWithoutAnAddress()
{
    core->connectConfigured();
    QVERIFY(waitIdle());
    // A lost link leaves no drive address: a command for the drive is not
    // queued, however it is asked for; the terminal's lines go out as typed.
    core->Timer9Timer();
    core->Timer10->stop();
    QVERIFY(core->DriveAddress.isEmpty());
    core->queueCommand("P41=1234", CommandKind::Plain);
    core->Senden_Zeichensatz("#P42=5\r");
    QVERIFY(!core->Queue.head());
    core->sendTerminalLine("#1P41?");
    QVERIFY(waitIdle());
    QTest::qWait(200);
    const QList<QByteArray> received = line->receivedCommands();
    QVERIFY(!received.contains("#P41=1234\r"));
    QVERIFY(!received.contains("#P42=5\r"));
    QCOMPARE(received.last(), QByteArray("#1P41?\r"));
}

QTEST_GUILESS_MAIN(TestDriveCore)
#include "test_drivecore.moc"
