// SPDX-License-Identifier: GPL-3.0-or-later
// The user soak's judgements: which changes of the drive a step allowed,
// which programs a drive may hold after a write and what the program's
// texts say it holds, what a write sends, when the link counts as stalled,
// when a Stop is late, and how long a condition may last on a machine that
// stalls now and then.
#include "bench/soak_invariants.h"

#include <QtTest>

using soak::Allowance;
Q_DECLARE_METATYPE(soak::LinkView)
using K = sim::ChangeKind;

class TestSoakInvariants : public QObject {
    Q_OBJECT
private slots:
    void allowanceMatchesKindNameAndValue();
    void linkSettingsOnlyWithTheirValues();
    void programVerdicts_data();
    void programVerdicts();
    void programClaims_data();
    void programClaims();
    void linesAWriteSends();
    void linkStalled_data();
    void linkStalled();
    void stopWatchCountsOnlyTheLineUp();
    void deadlineLeavesStallsOut();
};

void TestSoakInvariants::allowanceMatchesKindNameAndValue()
{
    Allowance a;
    a.command(K::Assignment, "P41=100");
    a.name(K::Output, "O2");
    a.any(K::PermanentSave);

    // The value compares as a number, the name without regard to case.
    QVERIFY(a.permits({1, "P41=100", K::Assignment}));
    QVERIFY(a.permits({1, "p41=100.0", K::Assignment}));
    QVERIFY(!a.permits({1, "P41=101", K::Assignment}));
    QVERIFY(!a.permits({1, "P42=100", K::Assignment}));
    // The kind must match as well: the same text as a program line is not allowed.
    QVERIFY(!a.permits({1, "P41=100", K::ProgramLine}));
    QVERIFY(a.permits({1, "O2=1", K::Output}));
    QVERIFY(a.permits({1, "o2=0", K::Output}));
    QVERIFY(!a.permits({1, "O3=1", K::Output}));
    // A parameter listed under a short name is the same by its number.
    QVERIFY(a.permits({1, "P1202=1", K::Output}));
    Allowance shortName;
    shortName.command(K::Assignment, "R4=195");
    QVERIFY(shortName.permits({1, "P1084=195", K::Assignment}));
    QVERIFY(!shortName.permits({1, "P1084=196", K::Assignment}));
    QVERIFY(!shortName.permits({1, "P1085=195", K::Assignment}));
    QVERIFY(a.permits({1, "psave", K::PermanentSave}));
    QVERIFY(!a.permits({1, "new", K::ProgramNew}));

    const QStringList found = soak::unexpectedChanges(
        {{1, "P41=100", K::Assignment}, {1, "new", K::ProgramNew}, {1, "P41=7", K::Assignment}}, a);
    QCOMPARE(found.size(), 2);
    QVERIFY(found[0].contains(QLatin1String("\"new\"")));
    QVERIFY(found[1].contains(QLatin1String("\"P41=7\"")));

    Allowance b;
    b.merge(a);
    b.clear();
    QVERIFY(b.isEmpty());
    QVERIFY(!b.permits({1, "psave", K::PermanentSave}));
}

void TestSoakInvariants::linkSettingsOnlyWithTheirValues()
{
    const Allowance a = soak::linkSettings();
    QVERIFY(a.permits({1, "p1028=8", K::Assignment}));
    QVERIFY(a.permits({1, "p1035=0", K::Assignment}));
    QVERIFY(a.permits({1, "p1716=58120394", K::Assignment}));
    QVERIFY(!a.permits({1, "P1028=9", K::Assignment}));
    QVERIFY(!a.permits({1, "P1035=1", K::Assignment}));
    QVERIFY(!a.permits({1, "P41=0", K::Assignment}));
}

using Lines = QList<QByteArray>;
using OptLines = std::optional<Lines>;

void TestSoakInvariants::programVerdicts_data()
{
    QTest::addColumn<OptLines>("written");
    QTest::addColumn<QStringList>("told");
    QTest::addColumn<bool>("toldShort");
    QTest::addColumn<Lines>("actual");
    QTest::addColumn<bool>("fine");
    const Lines written {"V=5", "", "bad", "e", "T5"}; // the drive keeps no empty line
    const QString cut3 = QStringLiteral("Fehler beim Übertragen des Programm in die ZYNT\n\nDie Übertragung des "
                                        "Programms an ZYNT 1 wurde bei Zeile 3 von 5 unterbrochen (01.01.2025 "
                                        "10:00:00). Die ZYNT hat 2 Zeilen bestätigt und hält jetzt ein "
                                        "unvollständiges Programm. Sicherung: /s/p.prg");
    const QString backupBack = QStringLiteral("ZYNT 1 hält jetzt wieder das gesicherte Programm (2 Zeilen).");
    const QString newOne = QStringLiteral("ZYNT 1 hält jetzt das neue Programm (4 Zeilen).");
    const QString neither1 = QStringLiteral("ZYNT 1 hält jetzt ein Programm von eine Zeile, das weder das "
                                            "gesicherte noch das neue ist.");
    const QString none = QStringLiteral("ZYNT 1 hält jetzt kein Programm.");
    const QString offerHolds = cut3 + QStringLiteral(" Sie hält jetzt 2 Zeilen, weder das bisherige noch das neue "
                                                     "Programm.");
    auto row = [](const char *name, OptLines w, QStringList t, bool s, Lines a, bool fine) {
        QTest::newRow(name) << w << t << s << a << fine;
    };
    // Before is {"ref", "e"}; the backup of a write is the same.
    row("as before, no write", std::nullopt, {}, false, {"ref", "e"}, true);
    row("as before, a write", written, {}, false, {"ref", "e"}, true);
    row("as written", written, {}, false, {"V=5", "bad", "e", "T5"}, true);
    row("changed without a write", std::nullopt, {}, true, {"ref"}, false);
    row("part, told of a refused line", written, {}, true, {"V=5", "e", "T5"}, true);
    row("part, not told", written, {}, false, {"V=5", "bad"}, false);
    row("part, told", written, {}, true, {"V=5", "bad"}, true);
    row("nothing, told", written, {}, true, {}, true);
    row("a line nobody wrote", written, {}, true, {"V=5", "P1300?"}, false);
    row("another order", written, {}, true, {"e", "V=5"}, false);
    // A cut at line 3: lines 1 and 2 taken, line 3 perhaps (its answer lost).
    row("cut: the acknowledged lines", written, {cut3}, false, {"V=5"}, true);
    row("cut: and the one on its way", written, {cut3}, false, {"V=5", "bad"}, true);
    row("cut: one more than on its way", written, {cut3}, false, {"V=5", "bad", "e"}, false);
    row("cut: fewer than acknowledged", written, {cut3}, false, {}, false);
    row("cut: still in entry", written, {cut3}, false, {"ref", "e"}, true);
    row("cut: other lines", written, {cut3}, false, {"T5"}, false);
    // The offer that read the drive: its count must hold.
    row("offer: the count it read", written, {offerHolds}, false, {"V=5", "bad"}, true);
    row("offer: another count", written, {offerHolds}, false, {"V=5"}, false);
    // After the choice, the last report decides, and must be true.
    row("report: backup back", written, {cut3, backupBack}, false, {"ref", "e"}, true);
    row("report: backup, but not", written, {cut3, backupBack}, false, {"V=5"}, false);
    row("report: the new one", written, {cut3, newOne}, false, {"V=5", "bad", "e", "T5"}, true);
    row("report: the new one, but a part", written, {cut3, newOne}, false, {"V=5", "bad"}, false);
    row("report: neither, as the drive has it", written, {cut3, neither1}, false, {"V=5"}, true);
    row("report: neither, but it is the backup", written, {cut3, QStringLiteral("ZYNT 1 hält jetzt ein Programm "
        "von 2 Zeilen, das weder das gesicherte noch das neue ist.")}, false, {"ref", "e"}, false);
    row("report: none", written, {cut3, none}, false, {}, true);
    row("report: none, but one", written, {cut3, none}, false, {"V=5"}, false);
    // A restore that was cut in its turn: the cut names the backup's lines.
    row("cut while the backup goes back", written,
        {cut3, QStringLiteral("bei Zeile 2 von 2 unterbrochen")}, false, {"ref"}, true);
    row("cut while the backup goes back, other line", written,
        {cut3, QStringLiteral("bei Zeile 2 von 2 unterbrochen")}, false, {"e"}, false);
}

void TestSoakInvariants::programVerdicts()
{
    QFETCH(OptLines, written);
    QFETCH(QStringList, told);
    QFETCH(bool, toldShort);
    QFETCH(Lines, actual);
    QFETCH(bool, fine);
    soak::ProgramFacts facts;
    facts.before = {"ref", "e"};
    facts.written = written;
    if (written)
        facts.backup = facts.before;
    facts.told = told;
    facts.toldShort = toldShort;
    const QString verdict = soak::programVerdict(facts, actual);
    QVERIFY2(verdict.isEmpty() == fine, qPrintable(verdict.isEmpty() ? QStringLiteral("(fine)") : verdict));
}

void TestSoakInvariants::programClaims_data()
{
    using Says = soak::ProgramClaim::Says;
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("says");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("lines");
    auto row = [](const char *name, const char *text, Says says, int line, int total, int lines) {
        QTest::newRow(name) << QString::fromUtf8(text) << int(says) << line << total << lines;
    };
    row("cut message", "Die Übertragung des Programms an ZYNT 1 wurde bei Zeile 12 von 40 unterbrochen (x).",
        Says::CutAt, 12, 40, 0);
    row("offer that read the drive", "… bei Zeile 12 von 40 unterbrochen (x). Sie hält jetzt 11 Zeilen, weder das "
        "bisherige noch das neue Programm.", Says::Lines, 0, 0, 11);
    row("offer of one line", "Sie hält jetzt eine Zeile, weder das bisherige noch das neue Programm.", Says::Lines, 0,
        0, 1);
    row("refused line", "ZYNT 1 hat beim Übertragen des Programms Zeile 5 („W=1OOO“) abgewiesen. Sie hält jetzt "
        "9 Zeilen, weder das bisherige noch das neue Programm.", Says::Lines, 0, 0, 9);
    row("backup back", "ZYNT 1 hält jetzt wieder das gesicherte Programm (3 Zeilen).", Says::Backup, 0, 0, 3);
    row("new one", "ZYNT 1 hält jetzt das neue Programm (eine Zeile).", Says::Written, 0, 0, 1);
    row("neither", "ZYNT 1 hält jetzt ein Programm von 7 Zeilen, das weder das gesicherte noch das neue ist.",
        Says::Neither, 0, 0, 7);
    row("none", "ZYNT 1 hält jetzt kein Programm.", Says::Empty, 0, 0, 0);
    // What names no line of the program says nothing of it.
    row("in entry", "ZYNT 1 ist in der Programmeingabe, und keine unterbrochene Übertragung ist verzeichnet.",
        Says::Nothing, 0, 0, 0);
    row("parameters cut", "Das Übertragen der Parameter an ZYNT 1 wurde nach 3 von 9 Zuweisungen unterbrochen (x).",
        Says::Nothing, 0, 0, 0);
    row("parameters held", "ZYNT 1 hält jetzt: P41=3000.", Says::Nothing, 0, 0, 0);
    row("not read", "Was ZYNT 1 jetzt hält, konnte nicht gelesen werden.", Says::Nothing, 0, 0, 0);
    row("close question", "Eine Übertragung läuft: beim Schließen bleibt ein Teil des Programms in der ZYNT.",
        Says::Nothing, 0, 0, 0);
}

void TestSoakInvariants::programClaims()
{
    QFETCH(QString, text);
    QFETCH(int, says);
    QFETCH(int, line);
    QFETCH(int, total);
    QFETCH(int, lines);
    const soak::ProgramClaim claim = soak::programClaim(text);
    QCOMPARE(int(claim.says), says);
    QCOMPARE(claim.line, line);
    QCOMPARE(claim.total, total);
    QCOMPARE(claim.lines, lines);
}

void TestSoakInvariants::linesAWriteSends()
{
    using L = QList<QByteArray>;
    QCOMPARE(soak::linesWritten({"a", "b", "", "c"}), (L {"a", "b"}));
    QCOMPARE(soak::linesWritten({"a", " b", "c"}), (L {"a"}));
    // The first row goes even when it is empty, and the write goes on after it.
    QCOMPARE(soak::linesWritten({"", "a", "b"}), (L {"", "a", "b"}));
    QCOMPARE(soak::linesWritten({}), L {});
}

void TestSoakInvariants::linkStalled_data()
{
    QTest::addColumn<soak::LinkView>("view");
    QTest::addColumn<bool>("stalled");
    auto row = [](const char *name, bool held, bool moving, bool none, bool poll, bool lost, bool stalled) {
        QTest::newRow(name) << soak::LinkView {held, moving, none, poll, lost} << stalled;
    };
    row("the poll runs", false, false, false, true, false, false);
    row("shown lost", false, false, false, false, true, false);
    row("neither", false, false, false, false, false, true);
    row("neither, the user holds it", true, false, false, false, false, false);
    row("neither, a transfer moves", false, true, false, false, false, false);
    row("neither, no drive found", false, false, true, false, false, false);
}

void TestSoakInvariants::linkStalled()
{
    QFETCH(soak::LinkView, view);
    QFETCH(bool, stalled);
    QCOMPARE(soak::linkStalled(view), stalled);
}

void TestSoakInvariants::stopWatchCountsOnlyTheLineUp()
{
    soak::StopWatch w(2000);
    // Nothing pressed: never late.
    QVERIFY(!w.look(0, true, 0));
    QVERIFY(!w.look(0, true, 5000));
    // Pressed with the cable out: the time out does not count.
    w.pressed(0);
    QVERIFY(w.waiting());
    qint64 t = 5000;
    bool late = false;
    for (; t <= 12000; t += 50)
        late = late || w.look(0, false, t);
    QVERIFY(!late);
    // Back at 12050: late only past the bound after that.
    for (t = 12050; t <= 14050; t += 50)
        late = late || w.look(0, true, t);
    QVERIFY(!late);
    QVERIFY(w.look(0, true, 14100));
    QVERIFY(!w.look(0, true, 14150)); // said once
    // Carried out: no longer waiting, and a later press starts afresh.
    QVERIFY(!w.look(1, true, 14200));
    QVERIFY(!w.waiting());
    w.pressed(1);
    QVERIFY(!w.look(1, true, 20000));
    QVERIFY(!w.look(2, true, 21000));
    QVERIFY(!w.waiting());
    // Cut again before it got through: the line's next return counts anew.
    w.pressed(2);
    for (t = 22000; t <= 23500; t += 50)
        late = w.look(2, true, t) || late;
    late = w.look(2, false, 23550) || late;
    for (t = 23600; t <= 25500; t += 50)
        late = w.look(2, true, t) || late;
    QVERIFY(!late);
    // Late, then cut and back again, and late again: said once for this Stop.
    int said = 0;
    for (t = 25550; t <= 28000; t += 50)
        said += w.look(2, true, t) ? 1 : 0;
    said += w.look(2, false, 28050) ? 1 : 0;
    for (t = 28100; t <= 31000; t += 50)
        said += w.look(2, true, t) ? 1 : 0;
    QCOMPARE(said, 1);
    QVERIFY(w.waiting());
    // The drive answered it with an error: it got it.
    w.answered();
    QVERIFY(!w.waiting());
    QVERIFY(!w.look(2, true, 40000));
}

void TestSoakInvariants::deadlineLeavesStallsOut()
{
    soak::Deadline d(2000);
    qint64 t = 0;
    QVERIFY(!d.look(true, t));
    // Looked at every 50 ms: too long once past the bound, and said once.
    bool said = false;
    for (t = 50; t <= 2000; t += 50)
        said = said || d.look(true, t);
    QVERIFY(!said);
    QVERIFY(d.look(true, 2050));
    QVERIFY(!d.look(true, 2100));
    // Over: the next time starts afresh.
    QVERIFY(!d.look(false, 2150));
    QCOMPARE(d.lasted(2150), qint64(0));
    QVERIFY(!d.look(true, 2200));
    // A stall of 5 s (the soak did not run) is not counted against the program.
    QVERIFY(!d.look(true, 7200));
    QVERIFY(d.lasted(7200) < 500);
    said = false;
    for (t = 7250; t <= 8900; t += 50)
        said = said || d.look(true, t);
    QVERIFY(!said);
    for (; t <= 9600 && !said; t += 50)
        said = d.look(true, t);
    QVERIFY(said);
}

QTEST_GUILESS_MAIN(TestSoakInvariants)
#include "test_soakinvariants.moc"
