// SPDX-License-Identifier: GPL-3.0-or-later
// Which parameters may be written, and when two values are the same: the
// rule the command line's restore and diff and the window's comparison share.
#include "parameters/compare.h"

#include <QTest>

using params::Difference;

Q_DECLARE_METATYPE(params::FileValueFault)

class TestCompare : public QObject {
    Q_OBJECT
private slots:
    void mayWrite_data();
    void mayWrite();
    void sameValue_data();
    void sameValue();
    void differences();
    void fileValueFault_data();
    void fileValueFault();
};

void TestCompare::mayWrite_data()
{
    QTest::addColumn<QByteArray>("designation");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("written");
    QTest::newRow("a setting") << QByteArray("P41") << QByteArray("3000") << true;
    QTest::newRow("a short name") << QByteArray("P47 (W)") << QByteArray("100.000 ") << true;
    // The drive's own state.
    QTest::newRow("position") << QByteArray("P51") << QByteArray("1234") << false;
    QTest::newRow("in position") << QByteArray("P336 (POS)") << QByteArray("1") << false;
    QTest::newRow("error word") << QByteArray("P11") << QByteArray("0") << false;
    QTest::newRow("warning word") << QByteArray("P12") << QByteArray("0") << false;
    QTest::newRow("on or off") << QByteArray("P134") << QByteArray("1") << false;
    QTest::newRow("inputs") << QByteArray("P1300") << QByteArray("5") << false;
    QTest::newRow("analogue value") << QByteArray("P1046 (ADC)") << QByteArray("512") << false;
    // The write-back's own skip rules.
    QTest::newRow("status line") << QByteArray("P1031") << QByteArray("RS") << false;
    QTest::newRow("a name with O") << QByteArray("O17") << QByteArray("1") << false;
    // The machine's outputs, flags and type, whatever their value and
    // however they are named.
    QTest::newRow("an output as the grid shows it") << QByteArray("P1201 (O1)") << QByteArray("1") << false;
    QTest::newRow("an output as listed") << QByteArray("O4") << QByteArray("0") << false;
    QTest::newRow("an output by number") << QByteArray("P1216") << QByteArray("1") << false;
    QTest::newRow("a flag") << QByteArray("P1102 (M2)") << QByteArray("1") << false;
    QTest::newRow("a flag as listed") << QByteArray("M3") << QByteArray("0") << false;
    QTest::newRow("type 6") << QByteArray("P1034") << QByteArray("6") << false;
    QTest::newRow("type 2") << QByteArray("P1034") << QByteArray("2") << false;
    QTest::newRow("a setting near the outputs") << QByteArray("P1200") << QByteArray("7") << true;
    QTest::newRow("empty value") << QByteArray("P42") << QByteArray(" ") << false;
}

void TestCompare::mayWrite()
{
    QFETCH(QByteArray, designation);
    QFETCH(QByteArray, value);
    QFETCH(bool, written);
    QCOMPARE(params::mayWrite(designation, value), written);
}

void TestCompare::sameValue_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("decimals") << QByteArray("100.000") << QByteArray("100") << true;
    QTest::newRow("blank before a unit") << QByteArray("1000 ") << QByteArray("1000") << true;
    QTest::newRow("unit glued on") << QByteArray("1000mm") << QByteArray("1000") << true;
    QTest::newRow("negative") << QByteArray("-5") << QByteArray("-5.0") << true;
    QTest::newRow("other number") << QByteArray("100.5") << QByteArray("100") << false;
    QTest::newRow("sign matters") << QByteArray("-5") << QByteArray("5") << false;
    QTest::newRow("texts exactly") << QByteArray("RS") << QByteArray("RS") << true;
    QTest::newRow("texts differ in case") << QByteArray("ON") << QByteArray("on") << false;
    QTest::newRow("text against number") << QByteArray("ON") << QByteArray("1") << false;
    QTest::newRow("empty against number") << QByteArray() << QByteArray("0") << false;
}

void TestCompare::sameValue()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(bool, same);
    QCOMPARE(params::sameValue(a, b), same);
    QCOMPARE(params::sameValue(b, a), same);
}

void TestCompare::differences()
{
    params::GridCells drive {};
    const QByteArray rows[][3] = {{"P41", "3000", "U/min"}, {"P47 (W)", "100", "mm"}, {"P51", "17", "mm"},
                                  {"P42", "1000", "U/s2"}, {"P1031", "RS", ""}};
    for (int r = 0; r < 5; ++r) {
        drive[size_t(r + 1)][params::ColDesignation] = rows[r][0];
        drive[size_t(r + 1)][params::ColValue] = rows[r][1];
        drive[size_t(r + 1)][params::ColUnit] = rows[r][2];
    }
    const auto row = [](const char *designation, const char *value) {
        params::GridRow r;
        r[params::ColDesignation] = designation;
        r[params::ColValue] = value;
        return r;
    };
    const QList<params::GridRow> file = {row("P41", "3100 "),   row("P47 (W)", "100.000 "), row("P51", "0"),
                                         row("P42", "1000 "),   row("P1031", "LS"),         row("P1020", "4000")};
    // The position and the status line are the drive's; P1020 is not in the list.
    QCOMPARE(params::differences(drive, 6, file),
             (QList<Difference> {{"P41", "3000", "3100"}, {"P1020", "", "4000"}}));
    // Only rows 1..driveRows count.
    QCOMPARE(params::differences(drive, 1, {row("P42", "900")}), (QList<Difference> {{"P42", "", "900"}}));
}

void TestCompare::fileValueFault_data()
{
    QTest::addColumn<QByteArray>("designation");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<params::FileValueFault>("fault");
    using F = params::FileValueFault;
    QTest::newRow("a listed setting") << QByteArray("P41") << QByteArray("2500 ") << F::None;
    QTest::newRow("by its short name as shown") << QByteArray("P47 (W)") << QByteArray("100.000") << F::None;
    QTest::newRow("the position") << QByteArray("P51") << QByteArray("0") << F::Live;
    QTest::newRow("an output") << QByteArray("P1201 (O1)") << QByteArray("1") << F::Live;
    QTest::newRow("a value the write-back skips") << QByteArray("P42") << QByteArray("ON") << F::NotWritten;
    QTest::newRow("not in the drive's list") << QByteArray("P1020") << QByteArray("4000") << F::NotListed;
    QTest::newRow("a command inside the value") << QByteArray("P41") << QByteArray("1\r#1psave") << F::BadCharacter;
    QTest::newRow("a byte outside ASCII") << QByteArray("P42") << QByteArray("10\xb5") << F::BadCharacter;
}

void TestCompare::fileValueFault()
{
    QFETCH(QByteArray, designation);
    QFETCH(QByteArray, value);
    QFETCH(params::FileValueFault, fault);
    params::GridCells drive {};
    const char *listed[] = {"P41", "P47 (W)", "P51", "P42", "P1201 (O1)"};
    for (int r = 0; r < 5; ++r)
        drive[size_t(r + 1)][params::ColDesignation] = listed[r];
    QCOMPARE(params::fileValueFault(designation, value, drive, 5), fault);
}

QTEST_GUILESS_MAIN(TestCompare)
#include "test_compare.moc"
