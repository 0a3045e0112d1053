// SPDX-License-Identifier: GPL-3.0-or-later
// What users do one after another, on the wire: a program write and then a
// slow read, a write and then a refused status query, an aborted read and
// then a write, transfers and an address choice while the link is lost, a
// search after that, and a list read while a status answer is lost. Each of
// these once lost a drive's data or left the link stuck.
#include "tests/shell/shellfixture.h"

#include "parameters/parametermodel.h"
#include "program/programlines.h"
#include "program/tokbottomdlg.h"
#include "shell/tterminalwindow.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

namespace {

constexpr int kWait = 30000;

QByteArrayList numbered(int count, const QByteArray &prefix)
{
    QByteArrayList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(prefix + QByteArray::number(i));
    return lines;
}

// The program started with one drive at the given rate, its parameter list
// read and the status poll running, shown as a user sees it.
struct Session {
    ShellFixture fx;
    TForm1 *f = nullptr;

    bool start(int baud = 38400, const ShellFixture::Prepare &prepare = {})
    {
        auto line = [baud, prepare](sim::SimLine &l) {
            l.setBaud(baud);
            l.addDrive(1);
            if (prepare)
                prepare(l);
        };
        if (!fx.start(line, {}, ShellFixture::settings(1, baud, "1", "1")))
            return false;
        f = fx.form.get();
        f->AskFileName = [](const FileDialogRequest &) { return QString(); };
        f->show();
        f->Timer12->stop();
        f->Timer12Timer(); // the list now rather than three seconds later
        return until([this] {
            return f->Label3->isHidden() && f->ProgressBar1->isHidden() && f->isEnabled() && f->Core->Timer3->isActive()
                && f->Parameters.ParameterRowCount > 100;
        });
    }

    sim::SimLine &line() { return *fx.com1; }

    static bool until(const std::function<bool()> &condition, int timeoutMs = kWait)
    {
        return ShellFixture::until(condition, timeoutMs);
    }

    QByteArrayList storedProgram()
    {
        QByteArrayList lines;
        line().withDrive(1, [&lines](sim::Drive &d) { lines = d.program.lines(); });
        return lines;
    }

    QByteArrayList grid(int rows) const
    {
        QByteArrayList texts;
        for (int row = 1; row <= rows; ++row)
            texts.append(f->Program[size_t(row)]);
        return texts;
    }

    void setGrid(const QByteArrayList &lines)
    {
        program::clearLines(f->Program);
        for (int i = 0; i < lines.size(); ++i)
            f->Program[size_t(i + 1)] = lines[i];
        f->showProgram();
    }

    // The commands the drive received from index on, the status queries left out.
    QList<QByteArray> sentSince(qsizetype index) const
    {
        QList<QByteArray> kept;
        for (const QByteArray &command : fx.com1->receivedCommands().mid(index)) {
            if (!command.endsWith("?\r"))
                kept.append(command);
        }
        return kept;
    }
    qsizetype mark() const { return fx.com1->receivedCommands().size(); }

    // The poll runs: a whole cycle goes out after this moment.
    bool pollRuns()
    {
        const qsizetype from = mark();
        return until([&] { return fx.com1->receivedCommands().mid(from).count("#P1300?\r") >= 2; });
    }

    // The drive stops answering until the window declares the link lost.
    bool loseLink()
    {
        line().setSilent(true);
        return until([this] { return f->Label2->text() == german(74); });
    }

    QString german(int number) const { return fx.german(number); }
};

} // namespace

class TestSequences : public QObject {
    Q_OBJECT
private slots:
    void writeThenSlowRead();
    void writeThenRefusedStatusQuery();
    void abortedReadThenWrite();
    void transfersRefusedWhileLinkLost();
    void addressChoiceWhileLinkLostThenSearch();
    void lostLinkThenWriteReadsTheProgramAfresh();
    void listReadWhileAStatusAnswerIsLost();
    void searchThenTheListIsLost();
    void typingWhileTheDriveIsSilent();
    void valueEditedWhileLinkLost();
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

void TestSequences::transfersRefusedWhileLinkLost()
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

void TestSequences::addressChoiceWhileLinkLostThenSearch()
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

void TestSequences::lostLinkThenWriteReadsTheProgramAfresh()
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
    f->Core->FirstListingTimeout = false; // as after an earlier time-out: no new start-up

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
}

void TestSequences::typingWhileTheDriveIsSilent()
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

void TestSequences::valueEditedWhileLinkLost()
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

QTEST_MAIN(TestSequences)
#include "test_sequences.moc"
