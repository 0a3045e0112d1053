// SPDX-License-Identifier: GPL-3.0-or-later
// What users do one after another, on the wire: a program write and then a
// slow read, a write and then a refused status query, an aborted read and
// then a write, a list read while a status answer is lost, a search after
// which the list is lost, a drive error while the overwrite question is
// open, and reads the drive refuses while the user reads its error. Each of
// these once lost a drive's data or left the window or the link stuck.
#include "sessionfixture.h"

#include "manual/window/tform2.h"
#include "parameters/designations.h"
#include "program/window/tokbottomdlg.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>
#include <QTableWidget>

class TestSequences : public QObject {
    Q_OBJECT
private slots:
    void writeThenSlowRead();
    void writeThenRefusedStatusQuery();
    void abortedReadThenWrite();
    void listReadWhileAStatusAnswerIsLost();
    void searchThenTheListIsLost();
    void driveErrorWhileTheOverwriteQuestionIsOpen();
    void refusedReadWaitsForTheUser_data();
    void refusedReadWaitsForTheUser();
};

void TestSequences::writeThenSlowRead()
{
    // 9600 baud with the line's byte time: 299 lines of twenty characters
    // take about six seconds, longer than the write's watchdog.
    Session s;
    QVERIFY(s.start(9600, [](sim::SimLine &l) { l.setLineEmulation(true); }));
    TForm1 *f = s.f;
    f->BitBtn1->click();
    s.setGrid({"ref", "e"});
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    // The drive's program is read for its backup first, then written.
    QVERIFY(Session::until([f] { return f->Core->Owner.holds(line::Activity::None) && f->Label4->isHidden(); }));
    QCOMPARE(s.storedProgram(), (QByteArrayList {"ref", "e"}));

    const QByteArrayList program = numbered(299, "W=100000 V=5000 A=");
    s.line().withDrive(1, [&program](sim::Drive &d) { d.program.setLines(program); });
    f->ZYNTffnen1->trigger();
    QVERIFY(Session::until([f] { return f->Label3->isHidden(); }, 60000));
    QVERIFY2(s.fx.messages.isEmpty(), qPrintable(s.fx.messages.join('|')));
    QCOMPARE(s.grid(299), program);
    QVERIFY(s.pollRuns());
}

void TestSequences::writeThenRefusedStatusQuery()
{
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    f->BitBtn1->click();
    s.setGrid({"ref"});
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QVERIFY(Session::until([f] { return f->Label4->isHidden(); }));

    // The drive refuses the last query of a cycle once.
    auto refuse = std::make_shared<std::atomic<bool>>(true);
    s.line().addCommand([refuse](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
        if (command == "P1300?" && refuse->exchange(false))
            return QByteArray("\n** Abfrage gesperrt\r");
        return std::nullopt;
    });
    QVERIFY(Session::until([f] { return f->OKBottomDlg->isVisible(); }));
    QTest::mouseClick(f->OKBottomDlg->OKBtn, Qt::LeftButton);
    // The poll and its watchdog go on.
    QVERIFY(s.pollRuns());
    QVERIFY(f->Core->Timer9->isActive());
}

void TestSequences::abortedReadThenWrite()
{
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    const QByteArrayList drive = s.storedProgram();
    QVERIFY(drive.size() > 3);
    f->ZYNTffnen1->trigger();
    QVERIFY(Session::until([f] { return f->Label3->isHidden(); }));
    QCOMPARE(s.grid(int(drive.size())), drive);
    QVERIFY(!f->ConfirmOverwrite); // the grid holds the drive's program

    // The next read gets no listing and ends with its message.
    s.line().addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
        return command == "list" ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    });
    f->ZYNTffnen1->trigger();
    QVERIFY(Session::until([&s] { return !s.fx.messages.isEmpty(); }));
    QVERIFY(Session::until([f] { return f->Label3->isHidden(); }));

    // The grid is what it was; a write sends the program, never an empty one.
    QCOMPARE(s.grid(int(drive.size())), drive);
    const qsizetype from = s.mark();
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    if (f->OKBottomDlg->isVisible())
        QTest::mouseClick(f->OKBottomDlg->OKBtn, Qt::LeftButton);
    QVERIFY(Session::until([f] { return f->Label4->isHidden() && !f->Core->Queue.head(); }));
    QVERIFY(!s.sentSince(from).contains("#1\r"));
    QCOMPARE(s.storedProgram(), drive);
}

void TestSequences::listReadWhileAStatusAnswerIsLost()
{
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    f->Core->FirstListingTimeout = false; // as after an earlier time-out: no new start-up

    // The drive echoes the next position query and says no more; the user
    // reads the list while that cycle waits, and the list never comes.
    auto lose = std::make_shared<std::atomic<bool>>(true);
    auto listp = std::make_shared<std::atomic<bool>>(true);
    s.line().addCommand([lose, listp](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
        if ((command == "P51?" && lose->exchange(false)) || (command.startsWith("listp") && listp->load()))
            return QByteArray();
        return std::nullopt;
    });
    const qsizetype from = s.mark();
    QVERIFY(Session::until([&s, from, lose] {
        return !lose->load() && s.fx.com1->receivedCommands().mid(from).contains("#1P51?\r");
    }));
    f->neulesen1->trigger();
    QVERIFY(Session::until([&s] { return !s.fx.messages.isEmpty(); })); // the list did not come
    listp->store(false);

    // Nothing holds the line now: the lost answer is noticed and the link
    // comes back, within the watchdog's period and a re-probe or two.
    QElapsedTimer back;
    back.start();
    QVERIFY(s.pollRuns());
    QVERIFY2(back.elapsed() < f->Core->Timer9->interval() + 15000, qPrintable(QString::number(back.elapsed())));
    QVERIFY(f->isEnabled());
    QCOMPARE(f->Core->DriveConnected, 1);
}

void TestSequences::searchThenTheListIsLost()
{
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    f->Core->FirstListingTimeout = false; // as after an earlier time-out: the box is shown
    // The user's last read began in the view of all parameters.
    f->ffnen1Click();
    f->neulesen1->trigger();
    QVERIFY(Session::until([f] { return f->Core->Owner.holds(line::Activity::None) && f->ProgressBar1->isHidden(); }));
    QCOMPARE(f->Parameters.BasicViewSelected, 0);

    // The search finds the drive; the list it reads then never comes.
    auto listp = std::make_shared<std::atomic<bool>>(true);
    s.line().addCommand([listp](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
        return command.startsWith("listp") && listp->load() ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    });
    f->Automatisch1->trigger();
    QVERIFY(Session::until([f] { return f->Core->Owner.holds(line::Activity::Listing); }, 60000));
    QVERIFY(Session::until([&s] { return !s.fx.messages.isEmpty(); }, 60000));
    listp->store(false);

    // The drive answers again: the poll runs, and a lost answer would be noticed.
    QVERIFY(s.pollRuns());
    QVERIFY(f->isEnabled());
    QCOMPARE(f->Core->DriveConnected, 1);
    // The search began afresh, in the basic view; its list's end does not
    // bring back the view of an earlier read.
    QCOMPARE(f->Parameters.BasicViewSelected, 1);
}

void TestSequences::driveErrorWhileTheOverwriteQuestionIsOpen()
{
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    f->Manuell1->trigger(); // the manual window beside the main window
    QVERIFY(QTest::qWaitForWindowExposed(f->Form2));
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));

    // "Neu", a line typed, "Programm in ZYNT Speichern": the program is not
    // the drive's, and the question is asked.
    f->Fileffnen1->trigger();
    QTableWidget *grid = f->StringGrid1;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(1, 1)).center());
    QLineEdit *edit = nullptr;
    for (QLineEdit *e : grid->findChildren<QLineEdit *>())
        edit = e->isVisible() ? e : edit;
    QVERIFY(edit);
    QTest::keyClicks(edit, QStringLiteral("ref"));
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(f->ConfirmOverwrite);
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    TOKBottomDlg *dlg = f->OKBottomDlg;
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->Label1->text(), s.german(68));
    const qsizetype from = s.mark();

    // Meanwhile the drive refuses a command of the manual window: its error
    // takes the dialog.
    s.line().setNextErrorLine("Befehl gesperrt");
    QTest::mouseClick(f->Form2->Button5, Qt::LeftButton); // "OFF"
    QVERIFY(Session::until([dlg] { return dlg->Label1->text() == QStringLiteral("**Befehl gesperrt"); }));
    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->CancelBtn->isHidden());

    // Its OK ends the error and the question with it, as Cancel would:
    // nothing is written, the window and the poll go on.
    QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
    QVERIFY(dlg->isHidden());
    QVERIFY(f->isEnabled());
    QVERIFY(f->Form2->isEnabled());
    QVERIFY(s.pollRuns());
    QCOMPARE(s.sentSince(from), QList<QByteArray> {"#1OFF\r"});
    QVERIFY(f->ConfirmOverwrite);
    QVERIFY(!f->statusBar()->currentMessage().isEmpty()); // the user learns that nothing was written

    // Asked again, the question is the question, and its OK writes.
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->Label1->text(), s.german(68));
    QVERIFY(dlg->CancelBtn->isVisible());
    QTest::mouseClick(dlg->OKBtn, Qt::LeftButton);
    QVERIFY(Session::until([f] { return f->Core->Owner.holds(line::Activity::None) && f->Label4->isHidden(); }));
    QCOMPARE(s.storedProgram(), QByteArrayList {"ref"});
}

void TestSequences::refusedReadWaitsForTheUser_data()
{
    QTest::addColumn<QByteArray>("refused");
    QTest::newRow("parameter list") << QByteArray("listp");
    QTest::newRow("program") << QByteArray("list");
}

void TestSequences::refusedReadWaitsForTheUser()
{
    QFETCH(QByteArray, refused);
    Session s;
    QVERIFY(s.start());
    TForm1 *f = s.f;
    const QByteArray p41 = f->Parameters.Records[1][f->Parameters.KeyParameterRows[params::KeyP41]].Value;
    s.setGrid({"keep", "this"});
    auto once = std::make_shared<std::atomic<bool>>(true);
    s.line().addCommand([refused, once](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
        if (command == refused && once->exchange(false))
            return QByteArray("\n** Speicher gesperrt\r");
        return std::nullopt;
    });
    if (refused == "listp")
        f->neulesen1->trigger();
    else
        f->ZYNTffnen1->trigger();
    QVERIFY(Session::until([f] { return f->OKBottomDlg->isVisible(); }));
    const qsizetype from = s.mark();

    // The user reads the error longer than the read's watchdog would wait:
    // the read waits for him, and nothing else starts meanwhile.
    QTest::qWait(std::max(f->Core->Timer11->interval(), 2 * DriveCore::kProgramListingSilenceMs) + 1500);
    QVERIFY(f->OKBottomDlg->isVisible());
    QVERIFY(f->Core->Owner.paused(line::Pause::DriveError));
    QVERIFY(!f->Core->Owner.holds(line::Activity::None));
    QVERIFY(s.fx.messages.isEmpty());
    QVERIFY(f->Image1->isHidden());
    QCOMPARE(s.mark(), from);

    // His OK ends the read: the pages show what they showed, the status bar
    // says what was not read, and the link goes on.
    QTest::mouseClick(f->OKBottomDlg->OKBtn, Qt::LeftButton);
    QVERIFY(Session::until([f] { return f->Core->Owner.holds(line::Activity::None); }));
    QVERIFY(s.pollRuns());
    QVERIFY(f->isEnabled());
    QVERIFY(s.fx.messages.isEmpty());
    QVERIFY(!f->statusBar()->currentMessage().isEmpty());
    QCOMPARE(s.grid(2), (QByteArrayList {"keep", "this"}));
    QCOMPARE(f->Parameters.Records[1][f->Parameters.KeyParameterRows[params::KeyP41]].Value, p41);
    for (const QByteArray &command : s.sentSince(from))
        QVERIFY2(!command.contains("quit") && !command.contains("list"), command.constData());
}

QTEST_MAIN(TestSequences)
#include "test_sequences.moc"
