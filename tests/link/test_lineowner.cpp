// SPDX-License-Identifier: GPL-3.0-or-later
// The line owner's transitions as a table, without a line: each activity
// started, ended, refused, and interrupted by a lost link and by a drive
// error, and what the poll, its watchdog and the transfer watchdogs do
// afterwards.
#include "link/commandqueue.h"
#include "link/lineowner.h"
#include "shell/translation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using line::Activity;
using line::Pause;

namespace {

// Timers are reported as a word: P poll (Timer3), W link watchdog (Timer9),
// L program-line watchdog (Timer7), T transfer watchdog; "-" for none.
QString running(const LineOwner &owner)
{
    QString word;
    if (owner.Timer3->isActive())
        word += QLatin1Char('P');
    if (owner.Timer9->isActive())
        word += QLatin1Char('W');
    if (owner.Timer7->isActive())
        word += QLatin1Char('L');
    if (owner.TransferWatchdog->isActive())
        word += QLatin1Char('T');
    return word.isEmpty() ? QStringLiteral("-") : word;
}

const std::map<QString, Activity> kActivities = {
    {"Search", Activity::Search},       {"ReProbe", Activity::ReProbe},
    {"Listing", Activity::Listing},     {"WriteBack", Activity::WriteBack},
    {"ProgramRead", Activity::ProgramRead}, {"ProgramWrite", Activity::ProgramWrite},
    {"Master", Activity::Master},       {"None", Activity::None},
};
const std::map<QString, Pause> kPauses = {
    {"TerminalTyping", Pause::TerminalTyping}, {"UserStopped", Pause::UserStopped},
    {"DriveError", Pause::DriveError},         {"LinkLost", Pause::LinkLost},
    {"AddressPrompt", Pause::AddressPrompt},   {"ManualConfiguration", Pause::ManualConfiguration},
    {"Question", Pause::Question},
};

// Runs one step, "verb" or "verb:argument"; the result of a begin (or of
// cycleEnded) is left in last.
void step(LineOwner &owner, const QString &text, QString &last)
{
    const QString verb = text.section(QLatin1Char(':'), 0, 0);
    const QString arg = text.section(QLatin1Char(':'), 1);
    if (verb == "poll") {
        owner.Timer3->start(); // the poll runs, as after a connection
    } else if (verb == "cycle") {
        owner.cycleStarted();
    } else if (verb == "cycleEnd") {
        last = owner.cycleEnded() ? "goes on" : "paused";
    } else if (verb == "begin") {
        last = owner.begin(kActivities.at(arg)) ? "begun" : "refused";
    } else if (verb == "end") {
        owner.end(kActivities.at(arg));
    } else if (verb == "handOver") {
        owner.handOver(kActivities.at(arg.section(QLatin1Char('>'), 0, 0)),
                       kActivities.at(arg.section(QLatin1Char('>'), 1)));
    } else if (verb == "pause") {
        owner.pause(kPauses.at(arg));
    } else if (verb == "resume") {
        owner.resume(kPauses.at(arg));
    } else if (verb == "lose") {
        const Activity interrupted = owner.loseLink();
        for (const auto &[name, activity] : kActivities)
            if (activity == interrupted)
                last = "interrupted " + name;
    } else if (verb == "restore") {
        owner.restoreLink();
    } else if (verb == "reset") {
        owner.reset();
    } else if (verb == "sent") {
        owner.commandSent(uint8_t(arg.toInt()));
    } else if (verb == "watch") {
        owner.watchTransfer();
    } else if (verb == "busy") {
        owner.watchBusyQueue();
    } else if (verb == "pgm") {
        owner.programLineEnded();
    } else if (verb == "error") {
        owner.driveErrorRaised();
    } else if (verb == "confirm") {
        owner.driveErrorConfirmed();
    } else {
        QFAIL(qPrintable("unknown step " + text));
    }
}

} // namespace

class TestLineOwner : public QObject {
    Q_OBJECT
private slots:
    void transitions_data();
    void transitions();
    void lockFollowsTheActivity();
    void refusalsNameWhatHoldsTheLine();
};

void TestLineOwner::transitions_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("last");      // what the last begin, lose or cycleEnd said
    QTest::addColumn<QString>("activity");
    QTest::addColumn<QString>("timers");
    QTest::addColumn<bool>("locked");

    // Each activity started from a running poll stops the poll and its watchdog.
    for (const char *a : {"Search", "Listing", "WriteBack", "ProgramRead", "ProgramWrite", "Master"}) {
        const bool locks = QByteArray(a) == "Search" || QByteArray(a) == "Listing" || QByteArray(a) == "WriteBack";
        QTest::addRow("%s started", a) << QStringList {"poll", "cycle", QStringLiteral("begin:") + a} << "begun"
                                       << a << "-" << locks;
        // Ended: the poll goes on, nothing of the transfer keeps running.
        QTest::addRow("%s ended", a) << QStringList {"poll", QStringLiteral("begin:") + a, "watch", "sent:4",
                                                     QStringLiteral("end:") + a}
                                     << "begun" << "None" << "P" << false;
        // Refused while another holds the line; the holder keeps it.
        QTest::addRow("%s refused during a program write", a)
            << QStringList {"begin:ProgramWrite", QStringLiteral("begin:") + a} << "refused" << "ProgramWrite"
            << "-" << false;
    }
    // While the link is lost, transfers and master mode are refused; a search takes over.
    for (const char *a : {"Listing", "WriteBack", "ProgramRead", "ProgramWrite", "Master"})
        QTest::addRow("%s refused while the link is lost", a)
            << QStringList {"poll", "cycle", "lose", QStringLiteral("begin:") + a} << "refused" << "ReProbe" << "-"
            << false;
    QTest::newRow("search takes over from the re-probe") << QStringList {"poll", "cycle", "lose", "begin:Search"}
                                                          << "begun" << "Search" << "-" << true;
    QTest::newRow("search found drives: the listing follows")
        << QStringList {"begin:Search", "handOver:Search>Listing"} << "begun" << "Listing" << "-" << true;
    QTest::newRow("ending another activity changes nothing")
        << QStringList {"begin:ProgramRead", "end:ProgramWrite"} << "begun" << "ProgramRead" << "-" << false;

    // Interrupted by a lost link: whatever held the line ends, the re-probe holds it.
    QTest::newRow("lost link during the poll") << QStringList {"poll", "cycle", "lose"} << "interrupted None"
                                               << "ReProbe" << "-" << false;
    QTest::newRow("lost link during a write-back")
        << QStringList {"begin:WriteBack", "watch", "lose"} << "interrupted WriteBack" << "ReProbe" << "-" << false;
    QTest::newRow("link restored: the poll goes on") << QStringList {"poll", "cycle", "lose", "restore"}
                                                     << "interrupted None" << "None" << "P" << false;
    QTest::newRow("link restored while the user stopped the poll")
        << QStringList {"pause:UserStopped", "lose", "restore"} << "interrupted None" << "None" << "-" << false;
    QTest::newRow("restored link ends a pending address probe")
        << QStringList {"pause:AddressPrompt", "lose", "restore"} << "interrupted None" << "None" << "P" << false;

    // Interrupted by a drive error: everything waits for the confirmation.
    QTest::newRow("drive error during the poll") << QStringList {"poll", "cycle", "error"} << "" << "None" << "-"
                                                 << true;
    QTest::newRow("drive error confirmed: the poll goes on") << QStringList {"poll", "cycle", "error", "confirm"}
                                                             << "" << "None" << "P" << false;
    QTest::newRow("drive error during a program write")
        << QStringList {"begin:ProgramWrite", "watch", "sent:4", "error"} << "begun" << "ProgramWrite" << "-" << true;
    QTest::newRow("confirmed during a program write: the write goes on")
        << QStringList {"begin:ProgramWrite", "sent:4", "error", "confirm", "sent:4"} << "begun" << "ProgramWrite"
        << "LT" << false;
    QTest::newRow("a write ended by its last answer, then a refused query confirmed")
        << QStringList {"begin:ProgramWrite", "sent:4", "pgm", "sent:19", "end:ProgramWrite", "poll", "cycle", "error",
                        "confirm"}
        << "begun" << "None" << "P" << false;

    // The poll's own cycle.
    QTest::newRow("cycle started") << QStringList {"poll", "cycle"} << "" << "None" << "W" << false;
    QTest::newRow("cycle ended") << QStringList {"poll", "cycle", "cycleEnd"} << "goes on" << "None" << "PW" << false;
    QTest::newRow("cycle ended while the terminal is typed in")
        << QStringList {"poll", "cycle", "pause:TerminalTyping", "cycleEnd"} << "paused" << "None" << "-" << false;
    QTest::newRow("cycle ended during a program read")
        << QStringList {"poll", "cycle", "begin:ProgramRead", "cycleEnd"} << "goes on" << "ProgramRead" << "-"
        << false;
    // The poll finds the queue still busy: its watchdog watches the queue,
    // where the poll may run, and only there.
    QTest::newRow("listing ended with a command unanswered: the watchdog watches it")
        << QStringList {"poll", "cycle", "begin:Listing", "end:Listing", "busy"} << "begun" << "None" << "PW" << false;
    QTest::newRow("busy queue while the user stopped the poll")
        << QStringList {"pause:UserStopped", "busy"} << "" << "None" << "-" << false;
    QTest::newRow("busy queue during a program write") << QStringList {"begin:ProgramWrite", "busy"} << "begun"
                                                       << "ProgramWrite" << "-" << false;
    QTest::newRow("typing ends: the poll goes on") << QStringList {"pause:TerminalTyping", "resume:TerminalTyping"}
                                                   << "" << "None" << "P" << false;
    QTest::newRow("typing ends while the user stopped the poll")
        << QStringList {"pause:UserStopped", "pause:TerminalTyping", "resume:TerminalTyping"} << "" << "None" << "-"
        << false;
    QTest::newRow("typing ends in master mode")
        << QStringList {"begin:Master", "pause:TerminalTyping", "resume:TerminalTyping"} << "begun" << "Master" << "-"
        << false;
    QTest::newRow("master off while the user stopped the poll")
        << QStringList {"pause:UserStopped", "begin:Master", "end:Master"} << "begun" << "None" << "-" << false;

    // A program line is watched by Timer7, and the link watchdog rests.
    QTest::newRow("program line sent") << QStringList {"poll", "cycle", "begin:ProgramWrite", "sent:4"} << "begun"
                                       << "ProgramWrite" << "LT" << false;
    QTest::newRow("program line answered") << QStringList {"begin:ProgramWrite", "sent:4", "pgm"} << "begun"
                                           << "ProgramWrite" << "T" << false;
    QTest::newRow("a line of no transfer") << QStringList {"sent:4"} << "" << "None" << "L" << false;
    QTest::newRow("the question waits") << QStringList {"poll", "cycle", "pause:Question"} << "" << "None" << "-"
                                        << true;
    QTest::newRow("reset keeps only the user's stop")
        << QStringList {"begin:ProgramWrite", "pause:UserStopped", "pause:DriveError", "reset", "resume:Question"}
        << "begun" << "None" << "-" << false;
}

void TestLineOwner::transitions()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, last);
    QFETCH(QString, activity);
    QFETCH(QString, timers);
    QFETCH(bool, locked);
    LineOwner owner;
    QString said;
    for (const QString &s : steps)
        step(owner, s, said);
    QCOMPARE(said, last);
    QVERIFY2(owner.holds(kActivities.at(activity)), qPrintable(activity));
    QCOMPARE(running(owner), timers);
    QCOMPARE(owner.locksWindow(), locked);
}

void TestLineOwner::lockFollowsTheActivity()
{
    LineOwner owner;
    QSignalSpy lock(&owner, &LineOwner::lockChanged);
    owner.begin(Activity::Search);
    owner.handOver(Activity::Search, Activity::Listing); // no unlock in between
    owner.end(Activity::Listing);
    owner.begin(Activity::ProgramRead); // the window stays usable
    owner.end(Activity::ProgramRead);
    owner.driveErrorRaised();
    owner.driveErrorConfirmed();
    QCOMPARE(lock.size(), 4);
    const QList<bool> states = {lock[0][0].toBool(), lock[1][0].toBool(), lock[2][0].toBool(), lock[3][0].toBool()};
    QCOMPARE(states, (QList<bool> {true, false, true, false}));
}

void TestLineOwner::refusalsNameWhatHoldsTheLine()
{
    QVERIFY(translation::follow(1) || !QFileInfo::exists(translation::germanCatalogue()));
    const QString lost = line::refusalText(line::Refusal::LinkLost, Activity::ReProbe, line::Request::ProgramRead);
    QVERIFY(lost.startsWith(QStringLiteral("Keine Verbindung zur ZYNT")));
    QVERIFY(lost.contains(QStringLiteral("das Lesen des Programms")));
    // The names are translated where they are put together, not before.
    QVERIFY(translation::follow(2));
    const QString busy = line::refusalText(line::Refusal::Busy, Activity::ProgramWrite, line::Request::PermanentSave);
    translation::follow(1);
    QCOMPARE(busy, QStringLiteral("Saving the parameters permanently is not possible now: writing the program is "
                                  "still under way."));
}

QTEST_GUILESS_MAIN(TestLineOwner)
#include "test_lineowner.moc"
