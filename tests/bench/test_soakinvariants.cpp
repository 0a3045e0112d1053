// SPDX-License-Identifier: GPL-3.0-or-later
// The user soak's judgements: which changes of the drive a step allowed,
// which programs a drive may hold after a write, what a write sends, and
// how long a condition may last on a machine that stalls now and then.
#include "bench/soak_invariants.h"

#include <QtTest>

using soak::Allowance;
using K = sim::ChangeKind;

class TestSoakInvariants : public QObject {
    Q_OBJECT
private slots:
    void allowanceMatchesKindNameAndValue();
    void linkSettingsOnlyWithTheirValues();
    void programVerdicts();
    void linesAWriteSends();
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

void TestSoakInvariants::programVerdicts()
{
    const QList<QByteArray> before {"ref", "e"};
    const QList<QByteArray> written {"V=5", "", "bad", "e", "T5"};
    // As before, or as written (empty lines are not kept): fine.
    QVERIFY(soak::programVerdict(before, std::nullopt, before, false).isEmpty());
    QVERIFY(soak::programVerdict(before, written, before, false).isEmpty());
    QVERIFY(soak::programVerdict(before, written, {"V=5", "bad", "e", "T5"}, false).isEmpty());
    // Changed without any write.
    QVERIFY(!soak::programVerdict(before, std::nullopt, {"ref"}, true).isEmpty());
    // Part of the lines written (a refused line, a write ended early): only
    // when the user was told.
    QVERIFY(soak::programVerdict(before, written, {"V=5", "e", "T5"}, true).isEmpty());
    QVERIFY(!soak::programVerdict(before, written, {"V=5", "bad"}, false).isEmpty());
    QVERIFY(soak::programVerdict(before, written, {"V=5", "bad"}, true).isEmpty());
    QVERIFY(soak::programVerdict(before, written, {}, true).isEmpty());
    // Lines nobody wrote, or in another order: never.
    QVERIFY(!soak::programVerdict(before, written, {"V=5", "P1300?"}, true).isEmpty());
    QVERIFY(!soak::programVerdict(before, written, {"e", "V=5"}, true).isEmpty());
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
