// SPDX-License-Identifier: GPL-3.0-or-later
// The report's rules without a process: which program lines changed when
// lines come and go, and which drives of two backups are the same drive.
#include "app/report.h"

#include <QTest>

class TestReport : public QObject {
    Q_OBJECT
private slots:
    void lineChanges_data();
    void lineChanges();
    void drivesPairByAddressAndType();
    void valueChangesByParameter();
};

Q_DECLARE_METATYPE(QList<report::LineChange>)

namespace report {
bool operator==(const LineChange &a, const LineChange &b)
{
    return a.before == b.before && a.after == b.after && a.was == b.was && a.is == b.is;
}
} // namespace report

void TestReport::lineChanges_data()
{
    using report::LineChange;
    QTest::addColumn<QByteArrayList>("before");
    QTest::addColumn<QByteArrayList>("after");
    QTest::addColumn<QList<LineChange>>("changes");
    const QByteArrayList base = {"ref", "V=800", "W=100", "e", "end"};
    QTest::newRow("equal") << base << base << QList<LineChange> {};
    // A line put in near the top moves every later line: only it is new.
    QTest::newRow("inserted") << base << QByteArrayList {"ref", "P41=10", "V=800", "W=100", "e", "end"}
                              << QList<LineChange> {{0, 2, {}, "P41=10"}};
    QTest::newRow("removed") << base << QByteArrayList {"ref", "W=100", "e", "end"}
                             << QList<LineChange> {{2, 0, "V=800", {}}};
    QTest::newRow("changed") << base << QByteArrayList {"ref", "V=800", "W=200", "e", "end"}
                             << QList<LineChange> {{3, 3, "W=100", "W=200"}};
    // Two lines replaced by three: two changed, one added.
    QTest::newRow("replaced") << base << QByteArrayList {"ref", "a", "b", "c", "e", "end"}
                              << QList<LineChange> {{2, 2, "V=800", "a"}, {3, 3, "W=100", "b"}, {0, 4, {}, "c"}};
    QTest::newRow("from empty") << QByteArrayList {} << QByteArrayList {"ref"} << QList<LineChange> {{0, 1, {}, "ref"}};
    QTest::newRow("to empty") << QByteArrayList {"ref", "end"} << QByteArrayList {}
                              << QList<LineChange> {{1, 0, "ref", {}}, {2, 0, "end", {}}};
}

void TestReport::lineChanges()
{
    QFETCH(QByteArrayList, before);
    QFETCH(QByteArrayList, after);
    QFETCH(QList<report::LineChange>, changes);
    const QList<report::LineChange> found = report::lineChanges(before, after);
    QCOMPARE(found.size(), changes.size());
    for (qsizetype i = 0; i < found.size(); ++i)
        QVERIFY2(found[i] == changes[i], qPrintable(QStringLiteral("change %1: %2 %3 \"%4\" \"%5\"")
                                                        .arg(i)
                                                        .arg(found[i].before)
                                                        .arg(found[i].after)
                                                        .arg(QString::fromLatin1(found[i].was), QString::fromLatin1(found[i].is))));
}

static report::DriveFolder drive(const QString &port, const QByteArray &address, const QByteArray &type,
                                 report::Check check = report::Check::Good)
{
    report::DriveFolder d;
    d.name = port + QLatin1Char('-') + QString::fromLatin1(address);
    d.info.port = port;
    d.info.address = address;
    d.info.type = type;
    d.check = check;
    return d;
}

void TestReport::drivesPairByAddressAndType()
{
    using report::Pair;
    // Now: drive 1 moved from COM1 to ttyUSB0; two drives of address 2 and
    // type 6 on two lines; drive 3 changed its type; a failed folder.
    const QList<report::DriveFolder> now = {drive("ttyUSB0", "1", "6"), drive("COM2", "2", "6"),
                                            drive("COM1", "2", "6"), drive("COM1", "3", "4"),
                                            drive("COM1", "5", "6", report::Check::Failed)};
    const QList<report::DriveFolder> before = {drive("COM1", "1", "6"), drive("COM1", "2", "6"),
                                               drive("COM2", "2", "6"), drive("COM1", "3", "6"),
                                               drive("COM1", "5", "6")};
    const QList<Pair> pairs = report::pairDrives(now, before);
    QCOMPARE(pairs.size(), 6);
    const QList<std::pair<int, int>> expected = {{0, 0}, {1, 2}, {2, 1}, {3, -1}, {-1, 3}, {-1, 4}};
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        QCOMPARE(pairs[i].now, expected[i].first);
        QCOMPARE(pairs[i].before, expected[i].second);
    }
}

void TestReport::valueChangesByParameter()
{
    auto row = [](const char *designation, const char *value) {
        return params::GridRow {"text", designation, "", value};
    };
    // "100.000" is the value 100; a short name is its parameter; a row only
    // one backup lists is named with the side it lacks.
    const QList<params::GridRow> before = {row("P41", "100.000"), row("P47 (W)", "5"), row("P51", "10"), row("P60", "1")};
    const QList<params::GridRow> after = {row("P41", "100"), row("P47 (W)", "6"), row("P51", "12"), row("P61", "2")};
    const QList<report::ValueChange> changes = report::valueChanges(before, after);
    QCOMPARE(changes.size(), 4);
    QCOMPARE(changes[0].designation, QByteArray("P47 (W)"));
    QCOMPARE(*changes[0].before, QByteArray("5"));
    QCOMPARE(*changes[0].after, QByteArray("6"));
    QCOMPARE(changes[1].designation, QByteArray("P51"));
    QVERIFY(changes[1].live); // the position: the machine's state
    QVERIFY(!changes[0].live);
    QCOMPARE(changes[2].designation, QByteArray("P61"));
    QVERIFY(!changes[2].before);
    QCOMPARE(changes[3].designation, QByteArray("P60"));
    QVERIFY(!changes[3].after);
}

QTEST_GUILESS_MAIN(TestReport)
#include "test_report.moc"
