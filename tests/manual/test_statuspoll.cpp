// SPDX-License-Identifier: GPL-3.0-or-later
// The status poll against the simulated drive: when a cycle starts, what it
// sends, what each answer shows in both windows, how the terminal and the
// user pause it, and the motion animation.
#include "tests/link/linkfixture.h"
#include "tests/manual/manualfixture.h"

#include "program/window/tokbottomdlg.h"

#include <QDir>

#include <atomic>
#include <memory>
#include <QPlainTextEdit>

namespace {

// A main window on the simulated line without the start-up: connected to
// drive 1, unlocked, nothing running.
struct Line {
    LinkFixture fx;
    TForm1 *f = nullptr;

    bool start(int firmware = 0)
    {
        if (!fx.start())
            return false;
        f = fx.form.get();
        f->Core->Timer1->stop();
        f->Core->DriveConnected = 1;
        f->Core->FirmwareNumber = firmware;
        f->setEnabled(true);
        return true;
    }
    QList<QByteArray> received() const { return fx.drive->receivedCommands(); }
};

bool shown(const QLabel *image)
{
    return !image->isHidden();
}

// The symbol of the animation that is shown, 0 when none or several are.
int shownSymbol(const TForm1 *f)
{
    const QLabel *images[] = {f->Image2, f->Image3, f->Image4, f->Image5, f->Image6};
    int symbol = 0;
    for (int n = 2; n <= 6; ++n) {
        if (shown(images[n - 2]))
            symbol = symbol == 0 ? n : -1;
    }
    return std::max(symbol, 0);
}

} // namespace

class TestStatusPoll : public QObject {
    Q_OBJECT
private slots:
    void cycle_data();
    void cycle();
    void cycleFollowsAddressAndFirmware();
    void noCycle_data();
    void noCycle();
    void watchdog_data();
    void watchdog();
    void pausedAfterTheCycle_data();
    void pausedAfterTheCycle();
    void words_data();
    void words();
    void inputs();
    void motion();
    void driveState();
    void sevenAnimationTicks();
    void refusedQueryDoesNotEndThePoll();
    void pictureWhileMoving();
};

void TestStatusPoll::cycle_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<QByteArrayList>("queries");
    QTest::newRow("300: 10 queries") << 300
                                     << QByteArrayList {"#1P51?\r", "#P336?\r", "#P11?\r", "#P12?\r", "#O1?\r",
                                                        "#O2?\r",   "#O3?\r",   "#O4?\r",  "#P134?\r", "#P1300?\r"};
    QTest::newRow("301: 11 queries") << 301
                                     << QByteArrayList {"#1P51?\r", "#P336?\r", "#P11?\r", "#P12?\r",
                                                        "#O1?\r",   "#O2?\r",   "#O3?\r",  "#O4?\r",
                                                        "#ADC?\r",  "#P134?\r", "#P1300?\r"};
}

void TestStatusPoll::cycle()
{
    QFETCH(int, firmware);
    QFETCH(QByteArrayList, queries);
    Line line;
    QVERIFY(line.start(firmware));
    TForm1 *f = line.f;
    f->Core->Timer3->start();
    f->Core->Timer3Timer(); // its tick, before any answer can come in
    // The cycle stopped the poll timer and armed the watchdog.
    QVERIFY(!f->Core->Timer3->isActive());
    QVERIFY(f->Core->Timer9->isActive());
    QCOMPARE(f->Core->Queue.size(), queries.size());
    for (const CommandNode *node = f->Core->Queue.head(); node; node = node->Next)
        QCOMPARE(node->Kind, CommandKind::Status);
    // One after the other, each once its predecessor's answer is in; the
    // last answer arms the timer for the next cycle.
    QVERIFY(line.fx.commands(int(queries.size()) + 1));
    QCOMPARE(line.received().mid(0, queries.size()), queries);
    QCOMPARE(line.received().at(queries.size()), queries.first());
}

void TestStatusPoll::cycleFollowsAddressAndFirmware()
{
    Line line;
    QVERIFY(line.start(300));
    TForm1 *f = line.f;
    line.fx.drive->setSilent(true); // each cycle stays in the queue to be looked at
    const auto queued = [f] {
        QByteArrayList texts;
        for (const CommandNode *node = f->Core->Queue.head(); node; node = node->Next)
            texts << node->Text;
        return texts;
    };

    f->Core->Timer3Timer();
    QByteArrayList first = queued();
    QCOMPARE(first.size(), 10);
    QCOMPARE(first.first(), QByteArray("#1P51?\r"));
    QVERIFY(!first.contains("#ADC?\r"));
    // The waiting count is shown for the cycle as queued.
    QCOMPARE(f->Label14->text(), QStringLiteral("9"));

    // Another address and a firmware with the analogue input: the next
    // cycle asks that drive, and for the analogue value too.
    f->Core->clearQueue();
    f->Core->DriveAddress = "2";
    f->Core->FirmwareNumber = 301;
    f->Core->Timer3Timer();
    const QByteArrayList second = queued();
    QCOMPARE(second.size(), 11);
    QCOMPARE(second.first(), QByteArray("#2P51?\r"));
    QCOMPARE(second.at(8), QByteArray("#ADC?\r"));
    QCOMPARE(f->Label14->text(), QStringLiteral("10"));

    // And back: nothing of the other drive's cycle is kept.
    f->Core->clearQueue();
    f->Core->DriveAddress = "1";
    f->Core->FirmwareNumber = 300;
    f->Core->Timer3Timer();
    QCOMPARE(queued(), first);
}

void TestStatusPoll::noCycle_data()
{
    QTest::addColumn<int>("waiting");
    QTest::addColumn<int>("pause");     // a line::Pause that locks the window, or 0
    QTest::addColumn<int>("connected");
    QTest::addColumn<bool>("starts");
    // A full queue that the poll may not add to is watched by the link
    // watchdog all the same: its head may never be answered.
    QTest::addColumn<bool>("watched");
    QTest::newRow("9 waiting") << 9 << 0 << 1 << true << true;
    QTest::newRow("10 waiting") << 10 << 0 << 1 << false << true;
    QTest::newRow("11 waiting") << 11 << 0 << 1 << false << true;
    QTest::newRow("confirmation asked") << 0 << int(line::Pause::Question) << 1 << false << false;
    QTest::newRow("drive error shown") << 0 << int(line::Pause::DriveError) << 1 << false << false;
    QTest::newRow("no drive connected") << 0 << 0 << 0 << false << false;
    QTest::newRow("nothing in the way") << 0 << 0 << 1 << true << true;
}

void TestStatusPoll::noCycle()
{
    QFETCH(int, waiting);
    QFETCH(int, pause);
    QFETCH(int, connected);
    QFETCH(bool, starts);
    QFETCH(bool, watched);
    Line line;
    QVERIFY(line.start());
    TForm1 *f = line.f;
    line.fx.drive->setSilent(true); // the command in flight stays in flight
    f->Core->queueCommand("s", CommandKind::Plain);
    for (int i = 0; i < waiting; ++i)
        f->Core->queueCommand("P" + QByteArray::number(i) + "=0", CommandKind::Plain);
    QCOMPARE(f->Core->Queue.waitingCount(), waiting);
    if (pause) {
        f->Core->Owner.pause(line::Pause(pause));
        QVERIFY(!f->isEnabled()); // the window waits for the user's answer
    }
    f->Core->DriveConnected = uint8_t(connected);
    const int before = f->Core->Queue.size();

    f->Core->Timer3->start();
    QTest::qWait(400); // several ticks of 50 ms
    if (starts) {
        QCOMPARE(f->Core->Queue.size(), before + 10);
        QVERIFY(!f->Core->Timer3->isActive());
    } else {
        QCOMPARE(f->Core->Queue.size(), before);
        QVERIFY(f->Core->Timer3->isActive()); // still armed: the next tick tries again
    }
    QCOMPARE(f->Core->Timer9->isActive(), watched);
}

namespace {

// What holds the line or pauses the poll, by a row's name.
void hold(TForm1 *f, const QByteArray &what)
{
    if (what == "ProgramRead")
        f->Core->Owner.begin(line::Activity::ProgramRead);
    else if (what == "TerminalTyping")
        f->Core->Owner.pause(line::Pause::TerminalTyping);
    else if (what == "UserStopped")
        f->Core->Owner.pause(line::Pause::UserStopped);
}

} // namespace

void TestStatusPoll::watchdog_data()
{
    QTest::addColumn<QByteArray>("held");
    QTest::addColumn<bool>("cycle");
    QTest::newRow("nothing holds the line") << QByteArray() << true;
    QTest::newRow("program read") << QByteArray("ProgramRead") << false;
    QTest::newRow("terminal typing") << QByteArray("TerminalTyping") << false;
    QTest::newRow("polling stopped") << QByteArray("UserStopped") << false;
}

void TestStatusPoll::watchdog()
{
    QFETCH(QByteArray, held);
    QFETCH(bool, cycle);
    Line line;
    QVERIFY(line.start());
    TForm1 *f = line.f;
    // A watchdog period in progress is ended by the cycle, and by whatever
    // holds the line or pauses the poll.
    f->Core->Timer9->setInterval(60000);
    f->Core->Timer9->start();
    QTest::qWait(1000);
    hold(f, held);
    f->Core->Timer3Timer();
    QCOMPARE(f->Core->Timer9->isActive(), cycle);
    if (cycle) {
        QVERIFY(f->Core->Timer9->remainingTime() > 59500); // a fresh period
        QVERIFY(line.fx.commands(1));
        QCOMPARE(line.received().first(), QByteArray("#1P51?\r"));
    } else {
        QTest::qWait(300);
        QVERIFY(!line.received().contains("#1P51?\r"));
        QVERIFY(!f->Core->Timer3->isActive());
    }
}

void TestStatusPoll::pausedAfterTheCycle_data()
{
    QTest::addColumn<QByteArray>("held");
    QTest::addColumn<bool>("goesOn");
    QTest::addColumn<bool>("memoCleared");
    QTest::newRow("terminal typing") << QByteArray("TerminalTyping") << false << true;
    QTest::newRow("polling stopped") << QByteArray("UserStopped") << false << true;
    QTest::newRow("program read") << QByteArray("ProgramRead") << false << false;
    QTest::newRow("nothing") << QByteArray() << true << false;
}

void TestStatusPoll::pausedAfterTheCycle()
{
    QFETCH(QByteArray, held);
    QFETCH(bool, goesOn);
    QFETCH(bool, memoCleared);
    Line line;
    QVERIFY(line.start());
    TForm1 *f = line.f;
    f->MemoRxD->setPlainText(QStringLiteral("#P12?"));
    f->Core->Timer3Timer();
    // The pause comes up while the cycle is on the line: the cycle completes.
    hold(f, held);
    QVERIFY(line.fx.commands(10));
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Queue.head(), ManualUi::kWait);
    QCOMPARE(f->Core->Timer3->isActive(), goesOn);
    QCOMPARE(f->MemoRxD->toPlainText().isEmpty(), memoCleared);
    QTest::qWait(300); // six intervals of the poll timer
    QCOMPARE(line.received().count("#1P51?\r") > 1, goesOn);
}

void TestStatusPoll::words_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("text");          // > 0: the text of this number is shown
    QTest::addColumn<QString>("literal");   // otherwise this
    QTest::newRow("error 0") << QByteArray("P11") << QByteArray("0") << 61 << QString();
    QTest::newRow("error 18: bit 2 before 16") << QByteArray("P11") << QByteArray("18") << 53 << QString();
    QTest::newRow("error 1: shown as it is") << QByteArray("P11") << QByteArray("1") << 0 << QStringLiteral("1");
    QTest::newRow("error 8192") << QByteArray("P11") << QByteArray("8192") << 58 << QString();
    QTest::newRow("warning 0") << QByteArray("P12") << QByteArray("0") << 60 << QString();
    QTest::newRow("warning 16") << QByteArray("P12") << QByteArray("16") << 52 << QString();
    QTest::newRow("warning 32") << QByteArray("P12") << QByteArray("32") << 51 << QString();
    QTest::newRow("warning 48: 32 before 16") << QByteArray("P12") << QByteArray("48") << 51 << QString();
    QTest::newRow("warning 128") << QByteArray("P12") << QByteArray("128") << 162 << QString();
    QTest::newRow("warning 256: shown as it is") << QByteArray("P12") << QByteArray("256") << 0
                                                 << QStringLiteral("256");
}

void TestStatusPoll::words()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, value);
    QFETCH(int, text);
    QFETCH(QString, literal);
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    ui.drive(1, [&](sim::Drive &d) { d.values[name] = value; });
    const QString expected = text > 0 ? ui.german(text) : literal;
    QVERIFY(!expected.isEmpty());
    QLabel *label = name == "P11" ? ui.w->Label2 : ui.w->Label3;
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), expected, ManualUi::kWait);
    // And it stays so over the following cycles.
    QVERIFY(ui.cycles(2));
    QCOMPARE(label->text(), expected);
}

void TestStatusPoll::inputs()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    // Inputs 3 and, at position 0, the reference switch on input 1: word 5.
    ui.drive(1, [](sim::Drive &d) { d.motion.setInputs(4); });
    const QStringList expected = {"1", "0", "1", "0", "0", "0", "0", "0"};
    auto states = [&] {
        QStringList s;
        for (size_t n = 1; n <= 8; ++n)
            s << ui.w->I[n]->text();
        return s;
    };
    QTRY_COMPARE_WITH_TIMEOUT(states(), expected, ManualUi::kWait);
    ui.drive(1, [](sim::Drive &d) { d.motion.setInputs(0x82); });
    QTRY_COMPARE_WITH_TIMEOUT(states(), (QStringList {"1", "1", "0", "0", "0", "0", "0", "1"}), ManualUi::kWait);
}

void TestStatusPoll::motion()
{
    ManualUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) {
        line.withDrive(1, [](sim::Drive &d) { d.values["P1019"] = "2000"; });
    }));
    QVERIFY(ui.open());
    TForm2 *w = ui.w;
    TForm1 *f = ui.f;
    QTRY_COMPARE_WITH_TIMEOUT(w->Label1->text(), QStringLiteral("In Position"), ManualUi::kWait);
    QVERIFY(!f->Timer4->isActive());

    QTest::mouseClick(w->Button2, Qt::LeftButton); // ON
    QTest::mouseClick(w->Button6, Qt::LeftButton); // Rechts-langsam
    QTRY_VERIFY_WITH_TIMEOUT(w->Label1->text().isEmpty(), ManualUi::kWait);
    QVERIFY(f->Timer4->isActive());
    // The position climbs in both windows, and they agree.
    QTRY_VERIFY_WITH_TIMEOUT(w->Label5->text().toLongLong() > 200, ManualUi::kWait);
    QVERIFY(ui.cycles());
    QCOMPARE(f->Label5->text(), w->Label5->text());
    // The symbols take turns while the drive moves (Image4 to Image6 are
    // shown by nothing else).
    QSet<QLabel *> symbols;
    QVERIFY(ManualUi::until([&] {
        for (QLabel *image : {f->Image4, f->Image5, f->Image6}) {
            if (shown(image))
                symbols << image;
        }
        return symbols.size() == 3;
    }));

    QTest::mouseClick(w->Button12, Qt::LeftButton); // Stop
    QTRY_COMPARE_WITH_TIMEOUT(w->Label1->text(), QStringLiteral("In Position"), ManualUi::kWait);
    QVERIFY(!f->Timer4->isActive());
    for (QLabel *image : {f->Image4, f->Image5, f->Image6})
        QVERIFY(!shown(image));
    QVERIFY(ui.cycles());
    int64_t position = -1;
    ui.drive(1, [&](sim::Drive &d) { position = d.motion.position(); });
    QCOMPARE(w->Label5->text(), QString::number(position));
    QCOMPARE(f->Label5->text(), w->Label5->text());
}

void TestStatusPoll::driveState()
{
    ManualUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) { line.withDrive(1, [](sim::Drive &d) { d.motion.setOn(false); }); }));
    QVERIFY(ui.open());
    TForm1 *f = ui.f;
    TForm2 *w = ui.w;
    QTRY_VERIFY_WITH_TIMEOUT(shown(f->Image2) && !shown(f->Image3), ManualUi::kWait);
    // A drive that is OFF takes no motion: those buttons are off, the
    // displays grey with the reason; switching and stopping stay offered.
    QTRY_VERIFY_WITH_TIMEOUT(!w->Button6->isEnabled(), ManualUi::kWait);
    for (QPushButton *motion : {w->Button4, w->Button7, w->Button8, w->Button9, w->Button10, w->Button11})
        QVERIFY(!motion->isEnabled());
    for (QPushButton *offered : {w->Button2, w->Button5, w->Button12, w->Button13, w->Out[1]})
        QVERIFY(offered->isEnabled());
    QVERIFY(!w->Label5->isEnabled());
    QVERIFY(w->StateNote->isVisible());
    QCOMPARE(w->StateNote->text(), QStringLiteral("Antrieb AUS"));
    QTest::mouseClick(w->Button6, Qt::LeftButton);
    QTest::mouseClick(ui.w->Button2, Qt::LeftButton); // ON
    QTRY_VERIFY_WITH_TIMEOUT(shown(f->Image3) && !shown(f->Image2), ManualUi::kWait);
    QTRY_VERIFY_WITH_TIMEOUT(w->Button6->isEnabled(), ManualUi::kWait);
    QVERIFY(w->Label5->isEnabled());
    QVERIFY(!w->StateNote->isVisible());
    // The click on the disabled button sent nothing.
    QVERIFY(!ui.received().contains("#1rs\r"));
    // Whatever the animation showed goes when the drive is off.
    f->Image5->show();
    QTest::mouseClick(ui.w->Button5, Qt::LeftButton); // OFF
    QTRY_VERIFY_WITH_TIMEOUT(shown(f->Image2), ManualUi::kWait);
    for (QLabel *image : {f->Image3, f->Image4, f->Image5, f->Image6})
        QVERIFY(!shown(image));
}

void TestStatusPoll::sevenAnimationTicks()
{
    Line line;
    QVERIFY(line.start());
    TForm1 *f = line.f;
    QCOMPARE(f->AnimationStep, 0);
    QList<int> sequence;
    for (int tick = 0; tick < 7; ++tick) {
        f->Timer4Timer();
        sequence << shownSymbol(f);
    }
    QCOMPARE(sequence, (QList<int> {2, 3, 4, 5, 6, 2, 3}));
    QCOMPARE(f->AnimationStep, 2);

    // The timer drives the same handler.
    f->Timer4->start();
    QTRY_COMPARE_WITH_TIMEOUT(shownSymbol(f), 5, ManualUi::kWait);
    f->Timer4->stop();
}

void TestStatusPoll::pictureWhileMoving()
{
    ManualUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) {
        line.withDrive(1, [](sim::Drive &d) {
            d.values["P1020"] = "5000";
            d.values["P12"] = "4";
            d.values["O2"] = "1";
            d.motion.setInputs(0x24);
        });
    }));
    QVERIFY(ui.open());
    TForm2 *w = ui.w;
    QTest::mouseClick(w->Button2, Qt::LeftButton); // ON
    QTest::mouseClick(w->Button8, Qt::LeftButton); // Rechts-schnell
    QTRY_VERIFY_WITH_TIMEOUT(w->Label5->text().toLongLong() > 1000, ManualUi::kWait);
    QVERIFY(ui.cycles());
    QVERIFY(w->Label1->text().isEmpty());
    QCOMPARE(w->Label2->text(), ui.german(61));
    QCOMPARE(w->Label3->text(), ui.german(49));
    QCOMPARE(w->Out[2]->text(), QStringLiteral("O2 ON"));
    QCOMPARE(w->I[3]->text(), QStringLiteral("1"));
    QVERIFY(w->Label30->isVisible());

    const QString folder = qEnvironmentVariable("ZYNT_BINARY_DIR", QDir::currentPath()) + QStringLiteral("/tests");
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/manual-window.png");
    const QPixmap picture = w->grab();
    QCOMPARE(picture.size(), w->size());
    QVERIFY2(picture.save(file), qPrintable(file));
}

void TestStatusPoll::refusedQueryDoesNotEndThePoll()
{
    // The drive refuses the last query of a cycle, whose answer would have
    // started the next one; the error also stopped the link watchdog. Once
    // the user has confirmed the message, the poll goes on.
    ManualUi ui;
    auto refuse = std::make_shared<std::atomic<bool>>(false);
    QVERIFY(ui.start([refuse](sim::SimLine &line) {
        line.addCommand([refuse](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
            if (command == "P1300?" && refuse->exchange(false))
                return QByteArray("\n** Lesefehler\r");
            return std::nullopt;
        });
    }));
    TForm1 &f = *ui.f;
    *refuse = true;
    QVERIFY(ui.until([&] { return f.OKBottomDlg->isVisible(); }));
    QVERIFY(!f.Core->Timer9->isActive());
    QVERIFY(!f.Core->Timer3->isActive());
    QTest::mouseClick(f.OKBottomDlg->OKBtn, Qt::LeftButton);
    const qsizetype mark = ui.fx.com1->receivedCommands().size();
    QVERIFY(ui.until([&] { return ui.fx.com1->receivedCommands().mid(mark).count("#P1300?\r") >= 2; }));
    QVERIFY(!f.OKBottomDlg->isVisible());
}

QTEST_MAIN(TestStatusPoll)
#include "test_statuspoll.moc"
