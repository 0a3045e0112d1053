// SPDX-License-Identifier: GPL-3.0-or-later
// The poll's cycles as a whole, their rows in a recording, the recording's
// file, and the plot's points and lanes.
#include "manual/plotdata.h"
#include "manual/recording.h"
#include "tests/filesizelimit.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using status::CycleSample;
using status::Display;
using status::Update;

namespace {

Update answer(Display display, const QByteArray &value, int output = 0, bool driveOn = false)
{
    Update u;
    u.display = display;
    u.value = value;
    u.output = output;
    u.driveOn = driveOn;
    return u;
}

// One cycle's answers in the poll's order.
QList<Update> cycle(const QByteArray &position, const QByteArray &inputs)
{
    return {answer(Display::Position, position), answer(Display::InPosition, "0"), answer(Display::Error, "0"),
            answer(Display::Warning, "4"),      answer(Display::Output1, "0", 1), answer(Display::Output2, "1", 2),
            answer(Display::Output3, "0", 3),   answer(Display::Output4, "0", 4), answer(Display::Analogue, "517"),
            answer(Display::DriveState, "ON", 0, true), answer(Display::Inputs, inputs)};
}

} // namespace

class TestRecording : public QObject {
    Q_OBJECT
private slots:
    void collectorMakesOneSamplePerCycle();
    void collectorMarksTheCycleAfterALostLink();
    void rows_data();
    void rows();
    void isoTimes_data();
    void isoTimes();
    void linkColumn_data();
    void linkColumn();
    void recorderWritesAsideAndRenames();
    void recorderRefusesAFolderItCannotMake();
    void fullDiskKeepsWholeRowsUnderThePartName();
    void freePathNeverTakesAName();
    void historyKeepsTheLastMinutes();
    void lanesAreSteps();
    void tracesBreakAcrossALostLink_data();
    void tracesBreakAcrossALostLink();
};

void TestRecording::collectorMakesOneSamplePerCycle()
{
    status::CycleCollector collector;
    QList<CycleSample> samples;
    // A cycle that begins without its position answer (the poll started
    // meanwhile) is dropped; the two whole ones follow.
    QList<Update> answers = cycle("5", "1").mid(3);
    answers += cycle("100", "36");
    answers += cycle("200", "37");
    qint64 now = 1000;
    for (const Update &u : answers) {
        if (auto s = collector.add(u, now += 10))
            samples.append(*s);
    }
    QCOMPARE(samples.size(), 2);
    QCOMPARE(samples[0].position, QByteArray("100"));
    QCOMPARE(samples[0].warning, QByteArray("4"));
    QCOMPARE(samples[0].outputs[1], QByteArray("1"));
    QCOMPARE(samples[0].analogue, QByteArray("517"));
    QVERIFY(samples[0].driveOn);
    QCOMPARE(samples[0].inputs, QByteArray("36"));
    QCOMPARE(samples[1].position, QByteArray("200"));
    QVERIFY(samples[1].timeMs > samples[0].timeMs);
    QVERIFY(status::inputBit(samples[0], 2) && status::inputBit(samples[0], 5) && !status::inputBit(samples[0], 0));
}

void TestRecording::collectorMarksTheCycleAfterALostLink()
{
    status::CycleCollector collector;
    QList<CycleSample> samples;
    const auto feed = [&](const QList<Update> &answers) {
        for (const Update &u : answers) {
            if (auto s = collector.add(u, 1000))
                samples.append(*s);
        }
    };
    feed(cycle("1", "0"));
    // The link is lost in the middle of a cycle: its rest, coming late, is
    // no cycle; the first whole one after it says that a gap lies before.
    feed(cycle("2", "0").mid(0, 5));
    collector.linkLost();
    feed(cycle("3", "0").mid(5));
    feed(cycle("4", "0"));
    feed(cycle("5", "0"));
    QCOMPARE(samples.size(), 3);
    QCOMPARE(samples[0].position, QByteArray("1"));
    QVERIFY(!samples[0].afterLostLink);
    QCOMPARE(samples[1].position, QByteArray("4"));
    QVERIFY(samples[1].afterLostLink);
    QVERIFY(!samples[2].afterLostLink);
}

void TestRecording::rows_data()
{
    QTest::addColumn<QByteArray>("position");
    QTest::addColumn<QByteArray>("analogue");
    QTest::addColumn<QByteArray>("expectedTail");
    QTest::newRow("plain") << QByteArray("-1234") << QByteArray("517") << QByteArray(",-1234,1,0,4,0,1,0,0,36,517,ON,ok\r\n");
    QTest::newRow("no analogue input") << QByteArray("7") << QByteArray() << QByteArray(",7,1,0,4,0,1,0,0,36,,ON,ok\r\n");
    // A garbled answer cannot break the row into more columns.
    QTest::newRow("comma and quote") << QByteArray("1,2\"x") << QByteArray("5") << QByteArray(",\"1,2\"\"x\",1,0,4,0,1,0,0,36,5,ON,ok\r\n");
    QTest::newRow("drive's code page") << QByteArray("\xb0") << QByteArray("5") << QByteArray(",\xc2\xb0,1,0,4,0,1,0,0,36,5,ON,ok\r\n");
}

void TestRecording::rows()
{
    QFETCH(QByteArray, position);
    QFETCH(QByteArray, analogue);
    QFETCH(QByteArray, expectedTail);
    CycleSample s;
    s.timeMs = QDateTime(QDate(2026, 12, 9), QTime(9, 30, 12, 250)).toMSecsSinceEpoch();
    s.position = position;
    s.inPosition = "1";
    s.error = "0";
    s.warning = "4";
    s.outputs = {"0", "1", "0", "0"};
    s.inputs = "36";
    s.analogue = analogue;
    s.driveOn = true;
    const QByteArray row = recording::row(s, s.timeMs - 1500);
    QVERIFY(row.startsWith("1500,"));
    // The time with the local offset is the cycle's instant, in any zone.
    const QByteArray iso = row.mid(5, row.indexOf(',', 5) - 5);
    QCOMPARE(iso.size(), 29);
    QCOMPARE(QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs).toMSecsSinceEpoch(), s.timeMs);
    QCOMPARE(row.mid(5 + iso.size()), expectedTail);
    if (!position.contains(','))
        QCOMPARE(row.count(','), recording::header().count(',')); // a column under each heading
}

void TestRecording::isoTimes_data()
{
    QTest::addColumn<int>("offsetSeconds");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("winter in Berlin") << 3600 << QByteArray("2026-12-10T14:03:07.123+01:00");
    QTest::newRow("UTC") << 0 << QByteArray("2026-12-10T13:03:07.123+00:00");
    QTest::newRow("west of UTC, half hour") << -(3 * 3600 + 1800) << QByteArray("2026-12-10T09:33:07.123-03:30");
    QTest::newRow("over midnight") << 11 * 3600 << QByteArray("2026-12-11T00:03:07.123+11:00");
}

void TestRecording::isoTimes()
{
    QFETCH(int, offsetSeconds);
    QFETCH(QByteArray, expected);
    const qint64 ms = QDateTime(QDate(2026, 12, 10), QTime(13, 3, 7, 123), Qt::UTC).toMSecsSinceEpoch();
    QCOMPARE(recording::isoTime(ms, offsetSeconds), expected);
}

void TestRecording::linkColumn_data()
{
    QTest::addColumn<bool>("afterLostLink");
    QTest::addColumn<qint64>("timeMs");
    QTest::addColumn<qint64>("previousMs");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("steady") << false << qint64(12'000) << qint64(11'950) << QByteArray("ok");
    QTest::newRow("first cycle after a lost link") << true << qint64(22'240) << qint64(11'000) << QByteArray("lost 11.2 s");
    QTest::newRow("rounded to a tenth") << true << qint64(2'060) << qint64(1'000) << QByteArray("lost 1.1 s");
    QTest::newRow("lost before the first row") << true << qint64(5'000) << qint64(-1) << QByteArray("lost");
    // The core says when the link was lost; a slow cycle alone is no gap.
    QTest::newRow("slow without a loss") << false << qint64(60'000) << qint64(1'000) << QByteArray("ok");
}

void TestRecording::linkColumn()
{
    QFETCH(bool, afterLostLink);
    QFETCH(qint64, timeMs);
    QFETCH(qint64, previousMs);
    QFETCH(QByteArray, expected);
    CycleSample s;
    s.timeMs = timeMs;
    s.afterLostLink = afterLostLink;
    QCOMPARE(recording::linkField(s, previousMs), expected);
    const QByteArray row = recording::row(s, 0, previousMs);
    QVERIFY(row.endsWith(',' + expected + "\r\n"));
    QCOMPARE(row.count(','), recording::header().count(','));
}

void TestRecording::recorderWritesAsideAndRenames()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rec/one.csv"));
    recording::Recorder recorder;
    QCOMPARE(recorder.start(path, 1000), QString());
    CycleSample s;
    s.timeMs = 1250;
    s.position = "10";
    QCOMPARE(recorder.append(s), QString());
    // While it runs, only the part file exists: the name is kept for a whole file.
    QVERIFY(!QFile::exists(path));
    QFile part(path + QStringLiteral(".part"));
    QVERIFY(part.open(QIODevice::ReadOnly));
    QCOMPARE(part.readAll().count('\n'), 2); // flushed row by row
    part.close();
    // The gap is measured from the row before.
    CycleSample after = s;
    after.timeMs = 13'450;
    after.afterLostLink = true;
    QCOMPARE(recorder.append(after), QString());
    const recording::Recorder::Result result = recorder.stop();
    QCOMPARE(result.error, QString());
    QCOMPARE(result.path, path);
    QCOMPARE(result.rows, 2);
    QVERIFY(!QFile::exists(path + QStringLiteral(".part")));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 4); // header, rows, nothing after the last CRLF
    QCOMPARE(lines[0] + '\n', recording::header());
    QVERIFY(lines[1].startsWith("250,") && lines[1].endsWith(",ok\r"));
    QVERIFY2(lines[2].endsWith(",lost 12.2 s\r"), lines[2].constData());
    // A stopped recorder takes no more rows and stops again harmlessly.
    QCOMPARE(recorder.append(s), QString());
    QCOMPARE(recorder.stop().rows, 2);
}

void TestRecording::recorderRefusesAFolderItCannotMake()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    recording::Recorder recorder;
    const QString error = recorder.start(dir.filePath(QStringLiteral("file/sub/r.csv")), 0);
    QVERIFY(error.contains(QStringLiteral("file/sub")));
    QVERIFY(!recorder.running());
}

void TestRecording::fullDiskKeepsWholeRowsUnderThePartName()
{
    // The disk fills in the middle of a row (a file size limit fails the
    // write the same way): the file keeps its whole rows and never gets the
    // recording's name, and the system's reason is said.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.csv"));
    recording::Recorder recorder;
    QCOMPARE(recorder.start(path, 0), QString());
    CycleSample s;
    s.position = QByteArray(60, '7');
    const qint64 headerSize = recording::header().size();
    QString error;
    {
        const FileSizeLimit full(rlim_t(headerSize + 150)); // room for one row and part of the next
        QVERIFY(full.ok());
        for (int i = 0; i < 5 && error.isEmpty(); ++i)
            error = recorder.append(s);
    }
    QVERIFY2(error.contains(QStringLiteral("full.csv.part")), qPrintable(error));
    QVERIFY2(!error.contains(QStringLiteral("nknown")) && !error.contains(QStringLiteral("nbekannt")), qPrintable(error));
    QVERIFY(!recorder.running());
    QVERIFY(!QFile::exists(path));
    QFile part(path + QStringLiteral(".part"));
    QVERIFY(part.open(QIODevice::ReadOnly));
    const QByteArray kept = part.readAll();
    QVERIFY(kept.endsWith("\r\n"));
    QCOMPARE(kept.count('\n'), 2); // the header and the one whole row
}

void TestRecording::freePathNeverTakesAName()
{
    QTemporaryDir dir;
    const QDateTime time(QDate(2026, 12, 9), QTime(9, 30, 12));
    const QString first = recording::freePath(dir.path(), time, "7");
    QCOMPARE(QFileInfo(first).fileName(), QStringLiteral("20261209-093012-address7.csv"));
    QFile(first).open(QIODevice::WriteOnly);
    const QString second = recording::freePath(dir.path(), time, "7");
    QCOMPARE(QFileInfo(second).fileName(), QStringLiteral("20261209-093012-address7-2.csv"));
    QFile(second + QStringLiteral(".part")).open(QIODevice::WriteOnly); // one still running
    QCOMPARE(QFileInfo(recording::freePath(dir.path(), time, "7")).fileName(),
             QStringLiteral("20261209-093012-address7-3.csv"));
}

void TestRecording::historyKeepsTheLastMinutes()
{
    plot::History history(60);
    CycleSample s;
    for (int second = 0; second <= 120; ++second) {
        s.timeMs = 5'000'000 + second * 1000;
        s.position = QByteArray::number(second * 10);
        history.add(s);
    }
    QCOMPARE(history.points().front().seconds, 60.0);
    QCOMPARE(history.lastSeconds(), 120.0);
    const plot::Trace last = history.position(110);
    QCOMPARE(last.size(), 1);
    QCOMPARE(last[0].size(), 11);
    QCOMPARE(last[0].front(), QPointF(110, 1100));
    // A clock set back draws no line back in time.
    s.timeMs = 5'000'000;
    history.add(s);
    QCOMPARE(history.lastSeconds(), 120.0);
}

void TestRecording::lanesAreSteps()
{
    plot::History history;
    CycleSample s;
    const QByteArray inPosition[] = {"1", "1", "0", "0", "1"};
    for (int n = 0; n < 5; ++n) {
        s.timeMs = 1000 * n;
        s.inPosition = inPosition[n];
        s.inputs = n == 2 ? "2" : "0";
        history.add(s);
    }
    // Each change gets a vertical edge at the cycle that saw it.
    const QVector<QPointF> expected = {{0, 1}, {1, 1}, {2, 1}, {2, 0}, {3, 0}, {4, 0}, {4, 1}};
    QCOMPARE(history.lane(plot::InPosition, 0), plot::Trace {expected});
    // Input 2's lane lies over its own base and goes up for the one cycle.
    const double base = int(plot::Input2) * 1.5;
    const QVector<QPointF> input2 = history.lane(plot::Input2, 0).value(0);
    QCOMPARE(input2.size(), 5 + 2);
    QCOMPARE(input2[2], QPointF(2, base));
    QCOMPARE(input2[3], QPointF(2, base + 1));
    QVERIFY(history.lane(plot::LaneCount, 0).isEmpty());
}

// Cycles given as "position:inPosition:analogue", "!" first on the first
// cycle after a lost link ("-" for no analogue value); one a second.
void TestRecording::tracesBreakAcrossALostLink_data()
{
    QTest::addColumn<QByteArrayList>("cycles");
    QTest::addColumn<QString>("trace");
    QTest::addColumn<plot::Trace>("expected");
    const QByteArrayList gap {"10:1:5", "20:1:6", "!30:0:7", "40:0:8"};
    QTest::newRow("position, no gap") << QByteArrayList {"10:1:5", "20:1:6", "30:0:7"} << "position"
                                      << plot::Trace {{{0, 10}, {1, 20}, {2, 30}}};
    QTest::newRow("position") << gap << "position" << plot::Trace {{{0, 10}, {1, 20}}, {{2, 30}, {3, 40}}};
    QTest::newRow("analogue") << gap << "analogue" << plot::Trace {{{0, 5}, {1, 6}}, {{2, 7}, {3, 8}}};
    // A change across the gap gets no edge: the line starts anew.
    QTest::newRow("lane") << gap << "lane" << plot::Trace {{{0, 1}, {1, 1}}, {{2, 0}, {3, 0}}};
    QTest::newRow("analogue missing after the gap")
        << QByteArrayList {"10:1:5", "!20:1:-", "30:1:7"} << "analogue" << plot::Trace {{{0, 5}}, {{2, 7}}};
    QTest::newRow("gap before the first point shown")
        << QByteArrayList {"!10:1:5", "20:1:6"} << "position" << plot::Trace {{{0, 10}, {1, 20}}};
}

void TestRecording::tracesBreakAcrossALostLink()
{
    QFETCH(QByteArrayList, cycles);
    QFETCH(QString, trace);
    QFETCH(plot::Trace, expected);
    plot::History history;
    qint64 ms = 0;
    for (QByteArray cycle : cycles) {
        CycleSample s;
        s.afterLostLink = cycle.startsWith('!');
        if (s.afterLostLink)
            cycle.remove(0, 1);
        const QByteArrayList values = cycle.split(':');
        s.timeMs = ms;
        ms += 1000;
        s.position = values[0];
        s.inPosition = values[1];
        s.analogue = values[2] == "-" ? QByteArray() : values[2];
        history.add(s);
    }
    const plot::Trace got = trace == QLatin1String("position") ? history.position(0)
                          : trace == QLatin1String("analogue") ? history.analogue(0)
                                                               : history.lane(plot::InPosition, 0);
    QCOMPARE(got, expected);
}

QTEST_APPLESS_MAIN(TestRecording)
#include "test_recording.moc"
