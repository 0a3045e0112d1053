// SPDX-License-Identifier: GPL-3.0-or-later
// What users do while the drive does not answer, on the wire: transfers,
// an address choice and a search, a write after the link is back, typing
// in the terminal, editing a value, and a read the lost link cuts short.
// Each of these once sent something the drive should not get, or left the
// window or the link stuck.
#include "sessionfixture.h"

#include "parameters/parametermodel.h"
#include "parameters/designations.h"
#include "program/window/tokbottomdlg.h"
#include "shell/window/tterminalwindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>

class TestLostLink : public QObject {
    Q_OBJECT
private slots:
    void transfersRefusedWhileLinkLost();
    void addressChoiceWhileLinkLostThenSearch();
    void lostLinkThenWriteReadsTheProgramAfresh();
    void typingWhileTheDriveIsSilent();
    void valueEditedWhileLinkLost();
    void readCutByALostLink_data();
    void readCutByALostLink();
    void programReadCutBehindALateAnswer();
    void terminalWhileLinkLost_data();
    void terminalWhileLinkLost();
};

void TestLostLink::transfersRefusedWhileLinkLost()
{
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    s.setGrid({"keep", "this"});
    QVERIFY(s.loseLink());
    const QString lost = s.german(74);
    const QByteArrayList storedBefore = s.storedProgram();

    // Each of these needs the drive: refused with a word about the lost
    // link, and nothing is emptied or sent.
    struct Action {
        const char *name;
        std::function<void()> run;
    };
    const Action actions[] = {
        {"program read", [f] { f->ZYNTffnen1->trigger(); }},
        {"program write", [f] { QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton); }},
        {"parameter read", [f] { f->neulesen1->trigger(); }},
        {"write-back", [f] { f->Button8Click(); }},
        {"permanent save", [f] { f->Button3Click(); }},
    };
    for (const Action &action : actions) {
        s.fx.messages.clear();
        const qsizetype from = s.mark();
        action.run();
        QVERIFY2(Session::until([&s] { return !s.fx.messages.isEmpty(); }, 5000), action.name);
        QVERIFY2(s.fx.messages.first().contains(lost) || s.fx.messages.first().contains("Verbindung"),
                 qPrintable(s.fx.messages.first()));
        QTest::qWait(100);
        for (const QByteArray &command : s.sentSince(from))
            QVERIFY2(command == "#1\r", action.name); // only the re-probe's
        QCOMPARE(s.grid(2), (QByteArrayList {"keep", "this"}));
        QVERIFY(f->OKBottomDlg->isHidden());
        QVERIFY(f->isEnabled());
    }
    QCOMPARE(s.storedProgram(), storedBefore);

    // Back again: the read works.
    s.line().setSilent(false);
    QVERIFY(Session::until([&s] { return s.f->Label2->text() != s.german(74); }));
    f->ZYNTffnen1->trigger();
    QVERIFY(Session::until([f] { return f->Label3->isHidden() && !f->Core->Queue.head(); }));
    QCOMPARE(s.grid(int(storedBefore.size())), storedBefore);
}


void TestLostLink::addressChoiceWhileLinkLostThenSearch()
{
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    QVERIFY(s.loseLink());

    // The address offered and chosen while the drive does not answer: an
    // empty choice keeps the last good address.
    f->Achse1->trigger();
    QVERIFY(f->ListBox1->isVisible());
    f->ComboBox1->setEditText(QString());
    f->ComboBox1KeyPress('\r');
    QTest::qWait(1500);
    s.line().setSilent(false);
    QVERIFY(Session::until([&s] { return s.f->Label2->text() != s.german(74); }));
    QVERIFY(s.pollRuns());
    const QList<QByteArray> received = s.line().receivedCommands();
    for (const QByteArray &bad : {QByteArray("#\r"), QByteArray("#p1035=0\r"), QByteArray("#P51?\r")})
        QVERIFY2(!received.contains(bad), bad.constData());
    QCOMPARE(f->Core->DriveAddress, QByteArray("1"));

    // Lost again, and the user starts the drive search: it finds the drive
    // and reads its list the first time.
    QVERIFY(s.loseLink());
    s.line().setSilent(false);
    s.fx.messages.clear();
    f->Automatisch1->trigger();
    QVERIFY(!f->Core->Timer10->isActive());
    QVERIFY(Session::until([f] { return f->Core->LinkState == 0 && f->isEnabled() && f->ProgressBar1->isHidden(); }, 60000));
    QVERIFY2(s.fx.messages.isEmpty(), qPrintable(s.fx.messages.join('|')));
    QCOMPARE(f->Core->FoundAddresses[0], 1);
    QVERIFY(s.pollRuns());
}


void TestLostLink::lostLinkThenWriteReadsTheProgramAfresh()
{
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    f->ZYNTffnen1->trigger();
    QVERIFY(Session::until([f] { return f->Label3->isHidden() && !f->Core->Queue.head(); }));
    QVERIFY(f->Core->programIsFresh());
    QVERIFY(f->Core->listIsFresh());

    // Another drive may stand behind the address when the link comes back:
    // what was read before no longer counts as the drive's.
    QVERIFY(s.loseLink());
    s.line().withDrive(1, [](sim::Drive &d) { d.program.setLines({"V=9", "e"}); });
    s.line().setSilent(false);
    QVERIFY(Session::until([&s] { return s.f->Label2->text() != s.german(74); }));
    QVERIFY(!f->Core->programIsFresh());
    QVERIFY(!f->Core->listIsFresh());

    const qsizetype from = s.mark();
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QVERIFY(Session::until([f] { return f->Core->Owner.holds(line::Activity::None) && f->Label4->isHidden(); }));
    const QList<QByteArray> sent = s.sentSince(from);
    QVERIFY2(sent.indexOf("#1list\r") >= 0 && sent.indexOf("#1list\r") < sent.indexOf("#1new\r"),
             qPrintable(QString::fromLatin1(sent.join('|'))));
    // The backup holds the program the write replaced.
    const QDir backups(s.fx.backupFolder());
    const QStringList saved = backups.entryList({QStringLiteral("*.prg")}, QDir::Files);
    QCOMPARE(saved.size(), 1);
    QFile backup(backups.filePath(saved[0]));
    QVERIFY(backup.open(QIODevice::ReadOnly));
    QCOMPARE(backup.readAll(), QByteArray("V=9\r\ne\r\n"));
}


void TestLostLink::typingWhileTheDriveIsSilent()
{
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    f->Terminal1->trigger();
    QVERIFY(QTest::qWaitForWindowActive(f->Terminal));

    // The drive falls silent while a poll cycle is on the line; the user
    // clicks into the terminal's typing field and types a query.
    const qsizetype from = s.mark();
    s.line().setSilent(true);
    QVERIFY(Session::until([&s, from] { return s.fx.com1->receivedCommands().mid(from).contains("#1P51?\r"); }));
    QTest::mouseClick(f->MemoTxD, Qt::LeftButton);
    QVERIFY(f->Core->Owner.paused(line::Pause::TerminalTyping));
    QTest::keyClicks(f->MemoTxD, QStringLiteral("P41?"));
    QTest::keyClick(f->MemoTxD, Qt::Key_Return);
    QTest::qWait(2000);
    s.line().setSilent(false);

    // The cursor stays in the terminal. What went unanswered is noticed all
    // the same: the link is lost and found again, and nothing is left in the queue.
    QVERIFY(Session::until([&s] { return s.f->Label2->text() == s.german(74); }));
    QVERIFY(Session::until([&s] { return s.f->Label2->text() != s.german(74); }));
    QVERIFY(Session::until([f] { return !f->Core->Queue.head(); }));
    QVERIFY(f->Core->Owner.paused(line::Pause::TerminalTyping));
    QVERIFY(!f->Core->Timer3->isActive()); // the typing still pauses the poll
    QVERIFY(!f->Core->Timer9->isActive()); // nothing is in flight to watch

    // What is typed now is answered.
    f->MemoRxD->clear();
    QTest::keyClicks(f->MemoTxD, QStringLiteral("#1P41?"));
    QTest::keyClick(f->MemoTxD, Qt::Key_Return);
    QVERIFY(Session::until([f] { return f->memoRxDText().contains("P41="); }));
    QTest::qWait(f->Core->Timer9->interval() + 500);
    QCOMPARE(f->Label2->text(), fromCp1252(f->Core->InterfaceDescription)); // no false alarm

    // The cursor leaves the terminal: the poll goes on.
    f->Button13->setFocus();
    QVERIFY(s.pollRuns());
}


void TestLostLink::valueEditedWhileLinkLost()
{
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    f->ffnen1Click(); // all parameters
    int row = 0;
    for (int r = 1; r < f->StringGrid2->rowCount() && row == 0; ++r)
        row = f->Parameters.Grid[size_t(r)][params::ColDesignation] == "P41" ? r : 0;
    QVERIFY(row > 0);
    const QByteArray drives = f->Parameters.Grid[size_t(row)][params::ColValue];
    const auto edit = [f, row](const QString &value) {
        QTableWidgetItem *cell = f->StringGrid2->item(row, params::ColValue);
        f->StringGrid2->scrollToItem(cell);
        QTest::mouseClick(f->StringGrid2->viewport(), Qt::LeftButton, {}, f->StringGrid2->visualItemRect(cell).center());
        if (!f->GroupBox2->isVisible())
            return false;
        f->Edit1->selectAll();
        QTest::keyClicks(f->Edit1, value);
        QTest::mouseClick(f->Button9, Qt::LeftButton);
        return true;
    };

    // Right after the link is lost, and a while later: each edit is refused
    // with the lost link's word, the cell keeps the drive's value, and
    // nothing goes out, with or without an address.
    QVERIFY(s.loseLink());
    const qsizetype from = s.mark();
    for (const QString &value : {QStringLiteral("1234"), QStringLiteral("1235")}) {
        s.fx.messages.clear();
        QVERIFY(edit(value));
        QVERIFY(Session::until([&s] { return !s.fx.messages.isEmpty(); }, 5000));
        QVERIFY2(s.fx.messages.first().startsWith(QStringLiteral("Keine Verbindung zur ZYNT")),
                 qPrintable(s.fx.messages.first()));
        QCOMPARE(f->Parameters.Grid[size_t(row)][params::ColValue], drives);
        QCOMPARE(f->StringGrid2->item(row, params::ColValue)->text(), QString::fromLatin1(drives));
        QVERIFY(f->GroupBox2->isHidden());
        QVERIFY(f->StringGrid2->isEnabled());
        QTest::qWait(1500);
    }
    s.line().setSilent(false);
    QVERIFY(Session::until([&s] { return s.f->Label2->text() != s.german(74); }));
    QVERIFY(s.pollRuns());
    for (const QByteArray &command : s.sentSince(from))
        QVERIFY2(command == "#1\r" || command == "#1p1035=0\r", command.constData());
    QByteArray stored;
    s.line().withDrive(1, [&stored](sim::Drive &d) { stored = d.values["P41"]; });
    QCOMPARE(stored, drives);

    // The link is back: the edit goes out.
    QVERIFY(edit(QStringLiteral("1236")));
    QVERIFY(Session::until([&s] { return s.fx.com1->receivedCommands().contains("#1P41=1236\r"); }));
}


void TestLostLink::readCutByALostLink_data()
{
    QTest::addColumn<bool>("program");
    QTest::newRow("parameter list") << false;
    QTest::newRow("program") << true;
}

void TestLostLink::readCutByALostLink()
{
    QFETCH(bool, program);
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    f->Core->FirstListingTimeout = false; // as after an earlier time-out: the list's box is shown too
    // What the pages show before the read: the program page's lines, the
    // parameter list, the terminal open.
    s.setGrid({"keep", "this"});
    const auto p41 = [f] { return f->Parameters.Records[1][f->Parameters.KeyParameterRows[params::KeyP41]].Value; };
    const QByteArray value = p41();
    QVERIFY(!value.isEmpty());
    const int view = f->Parameters.BasicViewSelected;
    f->Terminal1->trigger();
    // The box is looked at here, not answered: only a box left far too long
    // is closed, so that a box that waits in a loop of its own ends the test.
    s.fx.modalWatch.stop();
    const auto box = [] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); };
    QString seen;
    bool forced = false;
    QElapsedTimer clock;
    clock.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QMessageBox *b = box()) {
            seen = b->text();
            if (clock.elapsed() > 60000) {
                forced = true;
                b->done(QMessageBox::Ok);
            }
        }
    });
    watch.start(20);
    const QString told = program ? QStringLiteral("Fehler beim Lesen des Programms aus der ZYNT") : s.german(146);

    // The drive falls silent during the read, which ends early with its box.
    s.line().setSilent(true);
    if (program)
        f->ZYNTffnen1->trigger();
    else
        f->neulesen1->trigger();
    QVERIFY(Session::until([&seen, &told] { return seen == told; }, 90000));
    QVERIFY(!forced);
    QVERIFY(box());
    // Every page shows what it showed; the status bar says what was not read.
    QCOMPARE(s.grid(2), (QByteArrayList {"keep", "this"}));
    QCOMPARE(p41(), value);
    QCOMPARE(f->Parameters.BasicViewSelected, view);
    QVERIFY(f->Image1->isHidden());
    QVERIFY(f->TerminalOpen);
    QVERIFY(f->MemoRxD->isVisible());
    QVERIFY(f->Label3->isHidden());
    QVERIFY(!f->statusBar()->currentMessage().isEmpty());
    // Nothing answers the poll either: the link is lost.
    QVERIFY(Session::until([&s] { return s.f->Label2->text() == s.german(74); }));
    QVERIFY(box());

    // The drive answers again: the box goes, and the read is made again.
    const qsizetype from = s.mark();
    s.line().setSilent(false);
    QVERIFY(Session::until([&box] { return !box(); }));
    const QByteArray request = program ? "#1list\r" : "#1listp\r";
    QVERIFY(Session::until([&s, from, request] { return s.fx.com1->receivedCommands().mid(from).contains(request); }));
    QVERIFY(Session::until([f] {
        return f->Core->Owner.holds(line::Activity::None) && f->Label3->isHidden() && f->ProgressBar1->isHidden();
    }));
    if (program)
        QCOMPARE(s.grid(int(s.storedProgram().size())), s.storedProgram());
    QCOMPARE(p41(), value);
    QCOMPARE(f->Parameters.BasicViewSelected, view); // the read ends in the view it began in
    QVERIFY(s.pollRuns());
    QVERIFY(!box());
    QVERIFY(!forced);
}

void TestLostLink::programReadCutBehindALateAnswer()
{
    // The cable is pulled while the poll's last answer is still on its way:
    // it arrives after the read began, and the read's first command goes
    // into the cut cable. An answer that belongs to no command of the read
    // is no sign that the listing flows: the read ends, and its wait label
    // goes, within its time-out.
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    QVERIFY(s.pollRuns());
    // The cycle's last answers come 300 ms late; the read starts while one
    // of them is on its way. The cycle's "P1300?" may have gone out before
    // the delay took hold: it is looked for from the cycle's start.
    const qsizetype cycle = s.mark();
    QVERIFY(Session::until([&s, cycle] { return s.fx.com1->receivedCommands().mid(cycle).contains("#ADC?\r"); }));
    s.line().setLineEmulation(true, 300 * 1000);
    // Then a query waits for its late answer (the next cycle's, if the
    // last one was answered already).
    QVERIFY(Session::until([&s, f, cycle] {
        return s.fx.com1->receivedCommands().mid(cycle).contains("#P1300?\r") && f->Core->Queue.head();
    }));
    const qsizetype from = s.mark();

    f->ZYNTffnen1->trigger();
    s.line().setSilent(true);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(f->Label3->isVisible());
    // The read's first command went into the cut cable.
    QVERIFY(Session::until([&s, from] { return !s.sentSince(from).isEmpty(); }));
    QTest::qWait(std::max<qint64>(0, 1000 - clock.elapsed()));
    s.line().setSilent(false);
    s.line().setLineEmulation(false);

    // Held for a second silence period (the fault) it would be 10 s; a busy
    // machine may add a few seconds to the one period.
    const qint64 bound = DriveCore::kProgramListingSilenceMs + 4000;
    QVERIFY(Session::until([f] { return f->Label3->isHidden(); }));
    QVERIFY2(clock.elapsed() <= bound,
             qPrintable(QStringLiteral("the wait label went after %1 ms (bound %2 ms)").arg(clock.elapsed()).arg(bound)));
    QVERIFY(!s.fx.com1->receivedCommands().mid(from).contains("#1list\r"));
    QVERIFY(Session::until([f] { return f->Core->Owner.holds(line::Activity::None); }));
    QVERIFY(Session::until([&s] {
        return s.fx.messages.contains(QStringLiteral("Fehler beim Lesen des Programms aus der ZYNT"));
    }));
    QVERIFY(s.pollRuns());
}

void TestLostLink::terminalWhileLinkLost_data()
{
    QTest::addColumn<bool>("lineMode");
    QTest::newRow("key by key") << false;
    QTest::newRow("line mode") << true;
}

void TestLostLink::terminalWhileLinkLost()
{
    QFETCH(bool, lineMode);
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    f->Terminal1->trigger();
    QVERIFY(QTest::qWaitForWindowActive(f->Terminal));
    if (lineMode)
        QTest::mouseClick(f->Terminal->LineMode, Qt::LeftButton);
    QWidget *input = lineMode ? static_cast<QWidget *>(f->Terminal->LineInput) : f->MemoTxD;
    const auto type = [input](const QString &text) {
        QTest::mouseClick(input, Qt::LeftButton);
        QTest::keyClicks(input, text);
        QTest::keyClick(input, Qt::Key_Return);
    };

    // Typed while the drive does not answer: the terminal says that it was
    // not sent, and it is not.
    QVERIFY(s.loseLink());
    const qsizetype from = s.mark();
    type(QStringLiteral("#1P41?"));
    QVERIFY(Session::until([f] { return f->memoRxDText().contains("nicht gesendet"); }, 5000));
    QTest::qWait(1500);
    for (const QByteArray &command : s.fx.com1->receivedCommands().mid(from))
        QVERIFY2(command == "#1\r", command.constData()); // only the re-probe's

    // Back, and lost again before anything is typed: the terminal says it again.
    s.line().setSilent(false);
    QVERIFY(Session::until([&s] { return s.f->Label2->text() != s.german(74); }));
    f->Button13->setFocus(); // the cursor elsewhere: the poll finds the link lost
    QVERIFY(s.loseLink());
    f->MemoRxD->clear();
    type(QStringLiteral("#1P41?"));
    QVERIFY(Session::until([f] { return f->memoRxDText().contains("nicht gesendet"); }, 5000));

    // The drive answers again: what is typed now goes out and is answered.
    s.line().setSilent(false);
    QVERIFY(Session::until([&s] { return s.f->Label2->text() != s.german(74); }));
    type(QStringLiteral("#1P41?"));
    QVERIFY(Session::until([f] { return f->memoRxDText().contains("P41="); }));
}

QTEST_MAIN(TestLostLink)
#include "test_lostlink.moc"
