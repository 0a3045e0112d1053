// SPDX-License-Identifier: GPL-3.0-or-later
// A program write that does not end as it should, through the window as a
// user meets it: the cable pulled in the middle and plugged back (the drive
// keeping its state, program entry included), the window closed during a
// write and started again, a line the drive refuses. After each, nothing
// goes to the drive before the user chose, and what it holds is said.
#include "programfixture.h"

#include "link/journal.h"
#include "manual/window/tform2.h"
#include "tests/shell/picture.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QByteArrayList storedProgram(sim::SimLine &line)
{
    QByteArrayList lines;
    line.withDrive(1, [&lines](sim::Drive &d) { lines = d.program.lines(); });
    return lines;
}

bool inEntry(sim::SimLine &line)
{
    bool entry = false;
    line.withDrive(1, [&entry](sim::Drive &d) { entry = d.program.inEntry(); });
    return entry;
}

// Answers the message boxes as they come up, from the event loop (a box
// runs a loop of its own): each step gets the box and says whether it is
// done with it.
struct BoxUser {
    QList<std::function<bool(QMessageBox *)>> steps;
    QStringList texts;
    QTimer timer;

    BoxUser()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || steps.isEmpty())
                return;
            if (texts.isEmpty() || texts.last() != box->text() || box->property("seen").isNull()) {
                texts << box->text();
                box->setProperty("seen", true);
            }
            if (steps.first()(box))
                steps.removeFirst();
        });
        timer.start(20);
    }
};

QAbstractButton *buttonTitled(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *button : box->buttons()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

QStringList titles(QMessageBox *box)
{
    QStringList texts;
    for (QAbstractButton *button : box->buttons())
        texts << button->text();
    texts.sort();
    return texts;
}

} // namespace

class TestCutWrite : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cableCutMidWriteThenBack();
    void closedDuringWriteThenStartedAgain();
    void refusedLineWritesTheBackupBack();
    void stopDuringTheCutGoesFirst();
    void longProgramAsksBeforeAWrite();

private:
    std::unique_ptr<ProgramFixture> fx;
    TForm1 *f = nullptr;
};

void TestCutWrite::init()
{
    fx = std::make_unique<ProgramFixture>();
    // Each byte takes its time on the line: a write of many lines lasts.
    QVERIFY(fx->start([](sim::SimLine &line) { line.setLineEmulation(true); }));
    f = fx->f;
}

void TestCutWrite::cleanup()
{
    fx.reset();
}

void TestCutWrite::cableCutMidWriteThenBack()
{
    const QByteArrayList original = storedProgram(fx->line());
    const QByteArrayList lines = ProgramFixture::numbered(280);
    f->BitBtn1->click();
    fx->setLines(lines);
    f->ConfirmOverwrite = false;
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QVERIFY(ShellFixture::until([this] { return fx->line().receivedCommands().contains("#1W=60\r"); }, kWait));
    fx->line().setSilent(true); // the cable is pulled

    // The line's watchdog ends the write and says how far it got; the drive
    // is then looked for.
    QTRY_VERIFY_WITH_TIMEOUT(!fx->messages().isEmpty(), kWait);
    QVERIFY2(fx->messages()[0].contains(QStringLiteral("hält jetzt ein unvollständiges Programm")),
             qPrintable(fx->messages()[0]));
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer10->isActive(), kWait);
    const std::optional<journal::Record> record = journal::find(f->Core->journalDevice(), "1");
    QVERIFY(record);
    QCOMPARE(record->total, 280);
    QVERIFY(record->acknowledged >= 59 && record->acknowledged < 280);
    QTest::qWait(2500); // a few probes into the silence

    // Plugged back: the drive still in program entry answers the probe with
    // "pgm", and the offer comes up; nothing else goes out while it is open.
    QVERIFY(inEntry(fx->line()));
    fx->shell.modalWatch.stop();
    BoxUser user;
    QElapsedTimer open;
    QString offer, buttons, fallback, report;
    QList<QByteArray> whileOpen;
    bool stillInEntry = false;
    user.steps << [&](QMessageBox *box) {
        if (!open.isValid()) {
            open.start();
            offer = box->text();
            buttons = titles(box).join(QLatin1Char('|'));
            fallback = box->defaultButton() ? box->defaultButton()->text() : QString();
            savePicture(box, "cut-write-offer.png");
        }
        if (open.elapsed() < 1500) // the probe no longer repeats, and nothing else is sent
            return false;
        whileOpen = fx->line().receivedCommands();
        stillInEntry = inEntry(fx->line());
        buttonTitled(box, QStringLiteral("Sicherung zurückschreiben"))->click();
        return true;
    };
    user.steps << [&](QMessageBox *box) {
        report = box->text();
        box->button(QMessageBox::Ok)->click();
        return true;
    };
    fx->line().clearReceived();
    fx->line().setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(user.steps.isEmpty(), kWait);
    QVERIFY2(offer.startsWith(QStringLiteral("Die Übertragung des Programms an ZYNT 1 wurde bei Zeile %1 von 280 "
                                             "unterbrochen (")
                                  .arg(record->acknowledged + 1)),
             qPrintable(offer));
    QCOMPARE(buttons, QStringLiteral("Neues Programm erneut schreiben|Sicherung zurückschreiben|So lassen"));
    QCOMPARE(fallback, QStringLiteral("Sicherung zurückschreiben"));
    QCOMPARE(whileOpen, QList<QByteArray> {"#1\r"});
    QVERIFY(stillInEntry);
    QVERIFY2(report.contains(QStringLiteral("wieder das gesicherte Programm")), qPrintable(report));
    fx->shell.modalWatch.start(20);
    QVERIFY(fx->idle());
    QCOMPARE(storedProgram(fx->line()), original);
    QCOMPARE(fx->line().receivedCommands().value(1), QByteArray("#1quit\r")); // the entry ended first
    QVERIFY(!journal::find(f->Core->journalDevice(), "1"));
    QCOMPARE(fx->rows(1, 3), (QByteArrayList {"W=1", "W=2", "W=3"})); // the editor keeps the new program
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer3->isActive(), kWait);
    QVERIFY(f->isEnabled());
}

void TestCutWrite::closedDuringWriteThenStartedAgain()
{
    const QByteArrayList lines = ProgramFixture::numbered(200, "V=");
    f->BitBtn1->click();
    fx->setLines(lines);
    f->ConfirmOverwrite = false;
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QVERIFY(ShellFixture::until([this] { return fx->line().receivedCommands().contains("#1V=50\r"); }, kWait));

    // First the user waits; the write goes on. Then closes anyway.
    fx->shell.answers = {QMessageBox::Cancel};
    f->close();
    QVERIFY(f->isVisible());
    QCOMPARE(fx->messages().size(), 1);
    QCOMPARE(fx->messages()[0], QStringLiteral("Eine Übertragung läuft: beim Schließen bleibt ein Teil des Programms in "
                                               "der ZYNT."));
    QVERIFY(f->Core->Owner.holds(line::Activity::ProgramWrite));
    const qsizetype seen = fx->line().receivedCommands().size();
    QVERIFY(ShellFixture::until([&] { return fx->line().receivedCommands().size() > seen + 10; }, kWait));
    fx->shell.answers = {QMessageBox::Discard};
    f->close();
    QVERIFY(!f->isVisible());
    // The entry was ended where the line allowed: the drive keeps a part.
    QTRY_COMPARE_WITH_TIMEOUT(fx->line().receivedCommands().last(), QByteArray("#1quit\r"), kWait);
    QVERIFY(!inEntry(fx->line()));
    const QByteArrayList part = storedProgram(fx->line());
    QVERIFY(part.size() > 50 && part.size() < 200);
    const std::optional<journal::Record> record = journal::find(f->Core->journalDevice(), "1");
    QVERIFY(record);

    // The next start sends nothing before the user chose: not even the
    // connect sequence's "quit".
    fx->line().clearReceived();
    fx->messages().clear();
    fx->shell.form.reset();
    fx->shell.answers = {QMessageBox::Retry, QMessageBox::Ok};
    fx->shell.form = std::make_unique<TForm1>();
    f = fx->shell.form.get();
    f->FormCreate();
    QTRY_VERIFY_WITH_TIMEOUT(fx->messages().size() == 2, kWait);
    QVERIFY2(fx->messages()[0].contains(QStringLiteral("von 200 unterbrochen")), qPrintable(fx->messages()[0]));
    QVERIFY2(fx->messages()[1].contains(QStringLiteral("das neue Programm (200 Zeilen)")), qPrintable(fx->messages()[1]));
    // The choice wrote the new program again, from the journal.
    QCOMPARE(fx->line().receivedCommands().value(0), QByteArray("#1quit\r"));
    QCOMPARE(storedProgram(fx->line()), lines);
    QVERIFY(!journal::find(f->Core->journalDevice(), "1"));
    // Then the connection the start held back.
    QTRY_VERIFY_WITH_TIMEOUT(fx->line().receivedCommands().contains("#1P265?\r"), kWait);
}

void TestCutWrite::refusedLineWritesTheBackupBack()
{
    const QByteArrayList original = storedProgram(fx->line());
    QByteArrayList lines = ProgramFixture::numbered(10);
    lines[4] = "W=1OOO";
    f->BitBtn1->click();
    fx->setLines(lines);
    f->ConfirmOverwrite = false;
    // The drive's error, then the offer beside OK: the backup goes back.
    fx->shell.answers = {QMessageBox::Yes, QMessageBox::Ok};
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f->OKBottomDlg->isVisible(), kWait);
    QTest::mouseClick(f->OKBottomDlg->OKBtn, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(fx->messages().size(), 2, kWait);
    QVERIFY2(fx->messages()[0].contains(QStringLiteral("Zeile 5 („W=1OOO“) abgewiesen. Sie hält jetzt 9 Zeilen")),
             qPrintable(fx->messages()[0]));
    QVERIFY2(fx->messages()[1].contains(QStringLiteral("wieder das gesicherte Programm")), qPrintable(fx->messages()[1]));
    QVERIFY(fx->idle());
    QCOMPARE(storedProgram(fx->line()), original);
    QVERIFY(!journal::find(f->Core->journalDevice(), "1"));
}

void TestCutWrite::stopDuringTheCutGoesFirst()
{
    // The cable is pulled during a write and the user presses Stop in the
    // manual window: when the drive answers again from program entry, its
    // entry is ended so that the "s" is no program line, and the Stop goes
    // out before anything else; the decision on the write follows.
    f->BitBtn1->click();
    fx->setLines(ProgramFixture::numbered(280));
    f->ConfirmOverwrite = false;
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QVERIFY(ShellFixture::until([this] { return fx->line().receivedCommands().contains("#1W=40\r"); }, kWait));
    fx->line().setSilent(true);
    QTRY_VERIFY_WITH_TIMEOUT(f->Core->Timer10->isActive(), kWait);
    QVERIFY(f->Form2->Button12->isEnabled());
    QTest::mouseClick(f->Form2->Button12, Qt::LeftButton);
    QVERIFY(f->Core->stopPending());

    fx->line().clearReceived();
    fx->line().setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->stopPending(), kWait);
    const QList<QByteArray> sent = fx->line().receivedCommands();
    QCOMPARE(sent.mid(0, 3), (QList<QByteArray> {"#1\r", "#1quit\r", "#1s\r"}));
    QVERIFY(!inEntry(fx->line()));
    // The offer follows (answered with "So lassen" by the fixture).
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->PendingCut && f->Core->Timer3->isActive(), kWait);
    QVERIFY(!journal::find(f->Core->journalDevice(), "1"));
}

void TestCutWrite::longProgramAsksBeforeAWrite()
{
    // The drive holds 305 lines: its backup cannot hold them all, and a
    // write over it would lose lines 300 to 305 for good. The user is asked.
    QByteArrayList many;
    for (int i = 1; i <= 305; ++i)
        many << "W=" + QByteArray::number(i);
    fx->line().withDrive(1, [&many](sim::Drive &d) { d.program.setLines(many); });
    f->Core->Snapshot.programFresh = false;
    f->BitBtn1->click();
    fx->setLines({"ref", "e"});
    f->ConfirmOverwrite = false;
    fx->shell.answers = {QMessageBox::No};
    fx->line().clearReceived();
    QTest::mouseClick(f->Liste_Speichern, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(fx->messages().size(), 1, kWait);
    QVERIFY2(fx->messages()[0].contains(QStringLiteral("hält 305 Programmzeilen; nur 299 können gesichert")),
             qPrintable(fx->messages()[0]));
    QVERIFY(fx->idle());
    QVERIFY(!fx->line().receivedCommands().contains("#1new\r"));
    QCOMPARE(storedProgram(fx->line()), many);
}

QTEST_MAIN(TestCutWrite)
#include "test_cutwrite.moc"
