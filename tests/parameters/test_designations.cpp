// SPDX-License-Identifier: GPL-3.0-or-later
// The designation rules: how a listed designation is shown, which number it
// stands for, which rows are hidden and which rows are remembered as keys.
#include "parameters/designations.h"

#include <QtTest>

using namespace params;

class TestDesignations : public QObject {
    Q_OBJECT
private slots:
    void displayTable_data();
    void displayTable();
    void numbers_data();
    void numbers();
    void hidden_data();
    void hidden();
    void keyRows_data();
    void keyRows();
};

void TestDesignations::displayTable_data()
{
    QTest::addColumn<QByteArray>("listed");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<int>("number");
    const struct {
        const char *listed;
        int number;
    } names[] = {{"W", 47},     {"V", 91},     {"A", 138},    {"C1", 100},   {"C2", 101},   {"C3", 102},
                 {"B", 1096},   {"M1", 1101},  {"M2", 1102},  {"M3", 1103},  {"LP", 1042},  {"X", 1047},
                 {"ADC", 1046}, {"POS", 336},  {"D", 1100}};
    for (const auto &name : names)
        QTest::newRow(name.listed) << QByteArray(name.listed)
                                   << "P" + QByteArray::number(name.number) + " (" + name.listed + ")" << name.number;
    for (int k = 0; k <= 5; ++k) {
        const QByteArray listed = "R" + QByteArray::number(k);
        QTest::newRow(listed) << listed << "P" + QByteArray::number(1080 + k) + " (" + listed + ")" << 1080 + k;
    }
    for (int k = 1; k <= 16; ++k) {
        const QByteArray listed = "O" + QByteArray::number(k);
        QTest::newRow(listed) << listed << "P" + QByteArray::number(1200 + k) + " (" + listed + ")" << 1200 + k;
    }
    // Only the exact short name is renamed.
    QTest::newRow("plain") << QByteArray("P41") << QByteArray("P41") << 41;
    QTest::newRow("lower case") << QByteArray("w") << QByteArray("w") << 0;
    QTest::newRow("trailing blank") << QByteArray("W ") << QByteArray("W ") << 47;
    QTest::newRow("O17 reads as its digits") << QByteArray("O17") << QByteArray("O17") << 17;
}

void TestDesignations::displayTable()
{
    QFETCH(QByteArray, listed);
    QFETCH(QByteArray, shown);
    QFETCH(int, number);
    QCOMPARE(displayDesignation(listed), shown);
    QByteArray designation = listed;
    std::array<uint8_t, kKeyParameters> keys {};
    check_Parameter(designation, 9, keys);
    QCOMPARE(designation, shown);
    QCOMPARE(parameterNumber(shown), number);
}

void TestDesignations::numbers_data()
{
    QTest::addColumn<QByteArray>("designation");
    QTest::addColumn<QByteArray>("plain"); // after Parameter_wert_check
    QTest::addColumn<int>("number");
    QTest::newRow("A before ADC") << QByteArray("P138 (A)") << QByteArray("P138") << 138;
    QTest::newRow("ADC not A") << QByteArray("P1046 (ADC)") << QByteArray("P1046") << 1046;
    QTest::newRow("D after ADC") << QByteArray("P1100 (D)") << QByteArray("P1100") << 1100;
    QTest::newRow("O10 not O1") << QByteArray("P1210 (O10)") << QByteArray("P1210") << 1210;
    QTest::newRow("O1 by its number") << QByteArray("P1201 (O1)") << QByteArray("P1201") << 1201;
    QTest::newRow("O16") << QByteArray("P1216 (O16)") << QByteArray("P1216") << 1216;
    QTest::newRow("POS") << QByteArray("P336 (POS)") << QByteArray("P336") << 336;
    QTest::newRow("R5") << QByteArray("P1085 (R5)") << QByteArray("P1085") << 1085;
    QTest::newRow("plain stays") << QByteArray("P1003") << QByteArray("P1003") << 1003;
    QTest::newRow("P0") << QByteArray("P0") << QByteArray("P0") << 0;
    QTest::newRow("status word") << QByteArray("ON") << QByteArray("ON") << 0;
    QTest::newRow("no number") << QByteArray("Pxy") << QByteArray("Pxy") << 0;
    QTest::newRow("number and text") << QByteArray("P41x") << QByteArray("P41x") << 0;
    QTest::newRow("empty") << QByteArray() << QByteArray() << 0;
    // The first rule that applies wins, wherever the letter stands.
    QTest::newRow("W anywhere") << QByteArray("P12W") << QByteArray("P47") << 47;
}

void TestDesignations::numbers()
{
    QFETCH(QByteArray, designation);
    QFETCH(QByteArray, plain);
    QFETCH(int, number);
    QByteArray checked = designation;
    Parameter_wert_check(checked);
    QCOMPARE(checked, plain);
    QCOMPARE(parameterNumber(designation), number);
}

void TestDesignations::hidden_data()
{
    QTest::addColumn<QByteArray>("designation");
    QTest::addColumn<bool>("hidden");
    for (const char *designation : {"WA", "WR", "WP", "P2", "P1097", "P1099", "P1013", "Z", "PZ7", "xWAx", "P10130"})
        QTest::newRow(designation) << QByteArray(designation) << true;
    for (const char *designation : {"P20", "P200", "P12", "P1098", "P47 (W)", "P1201 (O1)", "P1100 (D)", "W", "z", ""})
        QTest::newRow(*designation ? designation : "empty") << QByteArray(designation) << false;
}

void TestDesignations::hidden()
{
    QFETCH(QByteArray, designation);
    QFETCH(bool, hidden);
    QCOMPARE(isHiddenDesignation(designation), hidden);
    int row = 5;
    check2_Parameter(designation, row);
    QCOMPARE(row, hidden ? 5 : 6);
}

void TestDesignations::keyRows_data()
{
    QTest::addColumn<QByteArray>("listed");
    QTest::addColumn<int>("key"); // index into KeyParameterRows, -1 none
    for (int key = 0; key < kKeyParameters; ++key)
        QTest::newRow(kKeyDesignations[key]) << QByteArray(kKeyDesignations[key]) << key;
    // The key is the designation as listed, not as shown.
    for (const char *other : {"P47 (W)", "P47", "O5", "P410", "w", "P1003 "})
        QTest::newRow(other) << QByteArray(other) << -1;
}

void TestDesignations::keyRows()
{
    QFETCH(QByteArray, listed);
    QFETCH(int, key);
    std::array<uint8_t, kKeyParameters> keys {};
    keys.fill(3);
    QByteArray designation = listed;
    check_Parameter(designation, 157, keys);
    for (int k = 0; k < kKeyParameters; ++k)
        QCOMPARE(int(keys[size_t(k)]), k == key ? 157 : 3);
}

int runDesignationTests(int argc, char **argv)
{
    TestDesignations tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_designations.moc"
