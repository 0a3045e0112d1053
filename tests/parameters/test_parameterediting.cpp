// SPDX-License-Identifier: GPL-3.0-or-later
// Editing parameters without a window: which editor each number opens and
// how values and choices correspond, the write-back batch, and parameter files.
#include "parameters/designations.h"
#include "parameters/editortable.h"
#include "parameters/parameterfile.h"
#include "parameters/writeback.h"

#include <QRandomGenerator>
#include <algorithm>
#include <QtTest>

using namespace params;

namespace {

using Ranges = QList<std::pair<int, int>>;

// The editor lists written out once more, apart from the table, so that a slip in either shows.
const Ranges kNumeric = {{0, 0}, {41, 42}, {47, 47}, {51, 51}, {91, 91}, {100, 103}, {108, 108}, {121, 123},
    {138, 138}, {1002, 1003}, {1005, 1008}, {1010, 1010}, {1012, 1012}, {1018, 1020}, {1024, 1024},
    {1026, 1026}, {1030, 1030}, {1037, 1037}, {1039, 1041}, {1044, 1044}, {1054, 1055},
    {1059, 1059}, {1080, 1085}, {1096, 1096}};
const Ranges kOptions = {{44, 44}, {76, 76}, {160, 160}, {1001, 1001}, {1009, 1009}, {1014, 1014}, {1017, 1017},
    {1023, 1023}, {1025, 1025}, {1027, 1027}, {1029, 1029}, {1032, 1034}, {1036, 1036},
    {1045, 1045}, {1053, 1053}, {1058, 1058}, {1092, 1095}, {1101, 1103}, {1117, 1117},
    {1121, 1121}, {1125, 1126}, {1201, 1216}};
const Ranges kBits = {{1011, 1011}, {1021, 1022}, {1098, 1098}, {1060, 1068}, {1070, 1073}};
const Ranges kResent = {{0, 0}, {41, 42}, {47, 47}, {51, 51}, {91, 91}, {100, 103}, {108, 108}, {121, 123},
    {138, 138}, {1003, 1003}, {1005, 1008}, {1010, 1010}, {1012, 1012}, {1018, 1020}, {1024, 1024},
    {1026, 1026}, {1030, 1030}, {1037, 1037}, {1039, 1041}, {1044, 1044}, {1054, 1055},
    {1059, 1068}, {1070, 1073}};

bool inRanges(const Ranges &ranges, int n)
{
    return std::any_of(ranges.begin(), ranges.end(), [n](auto r) { return n >= r.first && n <= r.second; });
}

// Text n of language l reads "l.n"; the output texts read as the German file has them.
TextTable textTable()
{
    TextTable table;
    for (int l = 1; l <= 2; ++l) {
        for (int n = 1; n <= 229; ++n)
            table[l][n] = QByteArray::number(l) + '.' + QByteArray::number(n);
    }
    table[1][131] = "aus";
    table[1][132] = "High (1)";
    table[1][133] = "Low (0)";
    table[1][134] = "Merker ";
    return table;
}

const EditorRule &rule(int number)
{
    const EditorRule *found = editorFor(number);
    if (!found)
        qFatal("no editor for %d", number);
    return *found;
}

GridCells grid(const QList<GridRow> &rows)
{
    GridCells cells;
    for (int r = 0; r < rows.size(); ++r)
        cells[r + 1] = rows[r];
    return cells;
}

} // namespace

class TestParameterEditing : public QObject {
    Q_OBJECT
private slots:
    void everyNumberOpensItsKind();
    void optionTexts_data();
    void optionTexts();
    void captionsAndHints();
    void optionForValue_data();
    void optionForValue();
    void valueForOption_data();
    void valueForOption();
    void everyOptionReadsBack();
    void bitSetValue_data();
    void bitSetValue();
    void checkBoxes();
    void boxLabels();
    void threePairs();
    void helpContexts();
    void clickAndEnter();
    void resendList();
    void numericEntry();
    void writeBack();
    void writeBackSkips();
    void failedAssignment();
    void formatFile();
    void parseLine_data();
    void parseLine();
    void parseFile();
    void roundTrip();
    void hostileBytes();
    void shortenedName();
};

void TestParameterEditing::everyNumberOpensItsKind()
{
    for (int n = -3; n <= 1300; ++n) {
        const EditorRule *found = editorFor(n);
        std::optional<EditorKind> expected;
        if (inRanges(kNumeric, n))
            expected = EditorKind::Numeric;
        else if (inRanges(kOptions, n))
            expected = EditorKind::Options;
        else if (inRanges(kBits, n))
            expected = EditorKind::Bits;
        else if (n == 147)
            expected = EditorKind::ThreePairs;
        else if (n == 1004)
            expected = EditorKind::Confirm;
        QVERIFY2(bool(found) == bool(expected), qPrintable(QString::number(n)));
        if (found)
            QVERIFY2(found->kind == *expected, qPrintable(QString::number(n)));
    }
}

void TestParameterEditing::optionTexts_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArrayList>("options");
    QTest::newRow("P44") << 44 << QByteArrayList {"1.80", "1.81", "1.82", "1.83", "1.84", "1.85"};
    QTest::newRow("P1009") << 1009 << QByteArrayList {"Sinus", "QM56/QM87", "Sinus*Sinus", "QM107"};
    QTest::newRow("P1014") << 1014 << QByteArrayList {"1.111", "1.112", "1.113", "1.197"};
    QTest::newRow("P1053") << 1053
                           << QByteArrayList {"aus",   "1.180", "1.181", "1.182", "1.183",
                                              "1.184", "1.185", "1.186", "1.187", "1.228"};
    QTest::newRow("P1034") << 1034 << QByteArrayList {"ZYNT 01", "ZYNT 02", "ZYNT 06 / ZYNT 12"};
    QTest::newRow("P1045") << 1045 << QByteArrayList {"I1", "I2", "I3", "I4", "I5", "I6", "I7", "I8"};
    QTest::newRow("P1210") << 1210 << QByteArrayList {"Low (0)", "High (1)"};
    const QByteArrayList outputs16 = {
        "aus", "O1 : High (1)", "O2 : High (1)", "O3 : High (1)", "O4 : High (1)", "Merker 1 : High (1)",
        "Merker 2 : High (1)", "Merker 3 : High (1)", "aus", "O1: Low (0)", "O2: Low (0)", "O3: Low (0)",
        "O4: Low (0)", "Merker 1 : Low (0)", "Merker 2 : Low (0)", "Merker 3 : Low (0)"};
    const QByteArrayList outputs10 = {"aus",         "O1 : High (1)", "O2 : High (1)", "O3 : High (1)",
                                      "O4 : High (1)", "aus",         "O1: Low (0)",   "O2: Low (0)",
                                      "O3: Low (0)", "O4: Low (0)"};
    QTest::newRow("P1025") << 1025 << outputs16;
    QTest::newRow("P1027") << 1027 << outputs16;
    QTest::newRow("P1036") << 1036 << outputs10;
    QTest::newRow("P1125") << 1125 << outputs10;
    QTest::newRow("P1126") << 1126 << outputs10;
}

void TestParameterEditing::optionTexts()
{
    QFETCH(int, number);
    QFETCH(QByteArrayList, options);
    const TextTable table = textTable();
    QCOMPARE(params::optionTexts(rule(number), table, 1), options);
    QCOMPARE(qsizetype(optionCount(rule(number))), options.size());
    // A language outside the table reads as German, not off the table.
    QCOMPARE(params::optionTexts(rule(number), table, 3), options);
    QCOMPARE(params::optionTexts(rule(number), table, 0), options);
}

void TestParameterEditing::captionsAndHints()
{
    const TextTable table = textTable();
    QCOMPARE(captionText(rule(1025), table, 2), QByteArray("2.130 1"));
    QCOMPARE(captionText(rule(1027), table, 2), QByteArray("2.130 2"));
    QCOMPARE(captionText(rule(1126), table, 1), QByteArray("1.227"));
    QCOMPARE(hintText(rule(76), table, 2), QByteArray("2.78"));
    QCOMPARE(hintText(rule(1001), table, 1), QByteArray()); // cleared
    QCOMPARE(rule(1025).columns, 2);
    QCOMPARE(rule(1045).columns, 2);
    QCOMPARE(rule(1014).columns, 1);
    QVERIFY(showsPanel2(rule(1036)) && !showsPanel2(rule(1045)));
}

void TestParameterEditing::optionForValue_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("option"); // -1: none
    QTest::newRow("P44 17") << 44 << QByteArray("17") << 5;
    QTest::newRow("P44 not in list") << 44 << QByteArray("5") << 2;
    QTest::newRow("P44 negative") << 44 << QByteArray("-64") << 2;
    QTest::newRow("P1025 -3") << 1025 << QByteArray("-3") << 11;
    QTest::newRow("P1027 7") << 1027 << QByteArray("7") << 7;
    QTest::newRow("P1025 -8 beyond") << 1025 << QByteArray("-8") << 15;
    QTest::newRow("P1025 lowest int") << 1025 << QByteArray("-2147483648") << 15;
    QTest::newRow("P1125 -1") << 1125 << QByteArray("-1") << 6;
    QTest::newRow("P1036 -4") << 1036 << QByteArray("-4") << 9;
    QTest::newRow("P1034 1") << 1034 << QByteArray("1") << 0;
    QTest::newRow("P1034 6") << 1034 << QByteArray("6") << 2;
    QTest::newRow("P1034 0 by index") << 1034 << QByteArray("0") << 0;
    QTest::newRow("P1034 5 beyond") << 1034 << QByteArray("5") << 2;
    QTest::newRow("P1034 negative") << 1034 << QByteArray("-1") << -1;
    QTest::newRow("P1045 1") << 1045 << QByteArray("1") << 0;
    QTest::newRow("P1045 0") << 1045 << QByteArray("0") << -1;
    QTest::newRow("P1014 beyond") << 1014 << QByteArray("9") << 3;
    QTest::newRow("P1014 negative") << 1014 << QByteArray("-1") << -1;
    QTest::newRow("loaded value with blank") << 1001 << QByteArray("2 ") << 2;
    QTest::newRow("not a number") << 1001 << QByteArray("2x") << -1;
    QTest::newRow("P44 not a number") << 44 << QByteArray("abc") << -1;
    QTest::newRow("empty") << 1023 << QByteArray() << -1;
    QTest::newRow("too large for int") << 1023 << QByteArray("99999999999") << -1;
}

void TestParameterEditing::optionForValue()
{
    QFETCH(int, number);
    QFETCH(QByteArray, value);
    QFETCH(int, option);
    QCOMPARE(params::optionForValue(rule(number), value).value_or(-1), option);
}

void TestParameterEditing::valueForOption_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("option");
    QTest::addColumn<QByteArray>("value"); // null: nothing
    QTest::newRow("P44 second") << 44 << 1 << QByteArray("64");
    QTest::newRow("P160 sixth") << 160 << 5 << QByteArray("17");
    QTest::newRow("P1025 8") << 1025 << 8 << QByteArray("0");
    QTest::newRow("P1025 15") << 1025 << 15 << QByteArray("-7");
    QTest::newRow("P1027 9") << 1027 << 9 << QByteArray("-1");
    QTest::newRow("P1025 7") << 1025 << 7 << QByteArray("7");
    QTest::newRow("P1125 6") << 1125 << 6 << QByteArray("-1");
    QTest::newRow("P1036 9") << 1036 << 9 << QByteArray("-4");
    QTest::newRow("P1034 third") << 1034 << 2 << QByteArray("6");
    QTest::newRow("P1045 first") << 1045 << 0 << QByteArray("1");
    QTest::newRow("nothing selected") << 1014 << -1 << QByteArray();
    QTest::newRow("past the list") << 44 << 6 << QByteArray();
    QTest::newRow("not an option list") << 41 << 0 << QByteArray();
}

void TestParameterEditing::valueForOption()
{
    QFETCH(int, number);
    QFETCH(int, option);
    QFETCH(QByteArray, value);
    const auto sent = params::valueForOption(rule(number), option);
    QCOMPARE(sent.has_value(), !value.isNull());
    QCOMPARE(sent.value_or(QByteArray()), value);
}

void TestParameterEditing::everyOptionReadsBack()
{
    // Sending an option and opening the editor on what was sent shows the
    // same option; only the second "off" of the signed lists reads back as the first.
    for (int n = 0; n <= 1300; ++n) {
        const EditorRule *s = editorFor(n);
        if (!s || s->kind != EditorKind::Options)
            continue;
        for (int i = 0; i < optionCount(*s); ++i) {
            const auto back = params::optionForValue(*s, *params::valueForOption(*s, i));
            const bool secondOff = s->mapping == ValueMapping::Signed && i == optionCount(*s) / 2;
            QVERIFY2(back == (secondOff ? 0 : i), qPrintable(QStringLiteral("P%1 option %2").arg(n).arg(i)));
        }
    }
}

void TestParameterEditing::bitSetValue_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("onOk"); // all boxes left as opened
    QTest::newRow("P1022 ignores bits 6, 7") << 1022 << QByteArray("255") << QByteArray("63");
    QTest::newRow("P1021 bits 0-7") << 1021 << QByteArray("65535") << QByteArray("255");
    QTest::newRow("P1098 bits 0-7") << 1098 << QByteArray("511") << QByteArray("255");
    QTest::newRow("P1011 bits 0-2") << 1011 << QByteArray("15") << QByteArray("7");
    QTest::newRow("P1060 all 16") << 1060 << QByteArray("65535") << QByteArray("65535");
    QTest::newRow("P1073 all 16") << 1073 << QByteArray("40961") << QByteArray("40961");
    QTest::newRow("negative: low 16 bits") << 1064 << QByteArray("-1") << QByteArray("65535");
    QTest::newRow("beyond 16 bits") << 1070 << QByteArray("65537") << QByteArray("1");
    QTest::newRow("not a number") << 1021 << QByteArray("on") << QByteArray("0");
}

void TestParameterEditing::bitSetValue()
{
    QFETCH(int, number);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, onOk);
    QCOMPARE(params::bitSetValue(rule(number), checkbox_werte(valueFlags(value))), onOk);
}

void TestParameterEditing::checkBoxes()
{
    for (int bit = 0; bit < 16; ++bit) {
        const CheckBoxes boxes = checkbox_werte(uint16_t(1u << bit));
        QCOMPARE(std::count(boxes.begin(), boxes.end(), true), 1);
        QVERIFY(boxes[checkBoxOfBit(bit)]);
        QCOMPARE(tickedFlags(boxes), uint16_t(1u << bit));
    }
    QCOMPARE(checkBoxOfBit(7), 8);
    QCOMPARE(checkBoxOfBit(8), 10);
    QCOMPARE(checkBoxOfBit(15), 17);
    QCOMPARE(checkBoxOfBit(16), 0);
    const CheckBoxes all = checkbox_werte(0xffff);
    QVERIFY(!all[0] && !all[9]);
}

void TestParameterEditing::boxLabels()
{
    const TextTable table = textTable();
    std::array<QByteArray, kListingEntries + 1> listing;
    for (int i = 1; i <= kListingEntries; ++i)
        listing[i] = 'E' + QByteArray::number(i);
    auto labels = [&](int n) { return params::boxLabels(rule(n), n, table, 2, listing); };

    QCOMPARE(labels(1021), (QByteArrayList {"2.116", "2.117", "2.118", "2.119", "2.120", "2.121", "I7 : STOP",
                                            "I8 : START Programm"}));
    QCOMPARE(labels(1011), (QByteArrayList {"2.107", "2.108", "2.109"}));
    QCOMPARE(labels(1022).size(), 6);
    QCOMPARE(labels(1022).first(), QByteArray("I1 : max. 2 Progr. / 2.123 L2"));
    QCOMPARE(labels(1022).last(), QByteArray("I6 : max. 64 Progr. / 2.123 L64"));
    QCOMPARE(labels(1098).first(), QByteArray("I1 -> L1"));
    QCOMPARE(labels(1098).last(), QByteArray("I8 -> L8"));
    QCOMPARE(labels(1060).first(), QByteArray("E1"));
    QCOMPARE(labels(1060).last(), QByteArray("E16"));
    QCOMPARE(labels(1068).first(), QByteArray("E129"));
    QCOMPARE(labels(1068).last(), QByteArray("E144"));
    QCOMPARE(labels(1070).first(), QByteArray("L1"));
    QCOMPARE(labels(1073).first(), QByteArray("L49"));
    QCOMPARE(labels(1073).last(), QByteArray("L64"));
    QVERIFY(params::boxLabels(rule(1060), 1069, table, 2, listing).isEmpty());

    for (int n : {1060, 1064, 1068, 1070, 1073})
        QVERIFY(rule(n).sixteenBoxes && labels(n).size() == 16);
    for (int n : {1011, 1021, 1022, 1098})
        QVERIFY(!rule(n).sixteenBoxes);
}

void TestParameterEditing::threePairs()
{
    const auto groups = threePairGroups(textTable(), 2);
    QCOMPARE(groups[0].hint, QByteArray("2.100"));
    QCOMPARE(groups[0].caption, QByteArray("2.101"));
    QCOMPARE(groups[0].options, (std::array<QByteArray, 2> {"Positiv", "Negativ"}));
    QCOMPARE(groups[1].caption, QByteArray("2.164"));
    QCOMPARE(groups[1].options, (std::array<QByteArray, 2> {"2.166", "2.167"}));
    QCOMPARE(groups[2].caption, QByteArray("2.165"));
    QCOMPARE(groups[2].options, (std::array<QByteArray, 2> {"2.168", "2.169"}));

    for (int v = 0; v <= 7; ++v)
        QCOMPARE(threePairValue(threePairSelection(QByteArray::number(v))), QByteArray::number(v));
    QCOMPARE(threePairSelection("5"), (std::array<int, 3> {1, 0, 1}));
    QCOMPARE(threePairSelection("6"), (std::array<int, 3> {0, 1, 1}));
    for (const QByteArray other : {"8", "-1", "x", ""})
        QCOMPARE(threePairSelection(other), (std::array<int, 3> {0, 0, 0}));
    QVERIFY(!threePairValue({-1, 0, 0}));
    QVERIFY(!threePairValue({0, 2, 0}));
}

void TestParameterEditing::helpContexts()
{
    QCOMPARE(editorHelpContext(41).value_or(-1), 41);
    QCOMPARE(editorHelpContext(1025).value_or(-1), 1025);
    QCOMPARE(editorHelpContext(1027).value_or(-1), 1025);
    QCOMPARE(editorHelpContext(1102).value_or(-1), 1201);
    QCOMPARE(editorHelpContext(1216).value_or(-1), 1201);
    QCOMPARE(editorHelpContext(1201).value_or(-1), 1201);
    QVERIFY(!editorHelpContext(1125));
    QVERIFY(!editorHelpContext(1126));

    const QList<std::pair<QByteArray, int>> grid = {
        {"R0", 1080}, {"D", 1100}, {"DX", 1100}, {"O12", 1201}, {"A", 138}, {"AB", 2}, {"V", 91}, {"W", 47},
        {"B", 1096},  {"P41", 2},  {"P1080 (R0)", 2}, {"P0", 2}, {"", 2}};
    for (const auto &[designation, context] : grid)
        QCOMPARE(gridHelpContext(designation), context);
}

void TestParameterEditing::clickAndEnter()
{
    struct Case {
        const char *designation, *value;
        int clicked;       // -1: the click opens nothing
        const char *enter; // nullptr: Enter sends nothing
    };
    const Case cases[] = {
        {"P41", "1000", 41, "P41=1000"},     {"P41", "", 41, nullptr},          {"P47 (W)", "5", 47, "P47=5"},
        {"W", "5", 47, "P47=5"},              {"P1096 (B)", "1", 1096, nullptr}, {"B", "1", 1096, nullptr},
        {"P1080 (R0)", "1", 1080, nullptr},   {"P1064", "255", 1064, "P1064=255"}, {"P44", "64", 44, nullptr},
        {"P1002", "3", 1002, nullptr},        {"P0", "1", -1, nullptr},          {"", "", -1, nullptr},
        {"R0", "1", -1, nullptr},             {"ON", "", -1, nullptr},
    };
    for (const Case &c : cases) {
        QCOMPARE(clickedParameterNumber(c.designation).value_or(-1), c.clicked);
        const auto sent = resendAssignment(c.designation, c.value);
        QVERIFY2(sent.has_value() == bool(c.enter), c.designation);
        if (sent)
            QCOMPARE(*sent, QByteArray(c.enter));
    }
}

void TestParameterEditing::resendList()
{
    for (int n = 1; n <= 1300; ++n) {
        const QByteArray designation = 'P' + QByteArray::number(n);
        QCOMPARE(resendAssignment(designation, "7").has_value(), inRanges(kResent, n));
    }
}

void TestParameterEditing::numericEntry()
{
    struct Case {
        int number;
        const char *entry;
        bool connected, portOpen;
        const char *taken; // nullptr: nothing stored or sent
    };
    const Case cases[] = {
        {41, "500", true, true, "500"},   {1002, "12", true, true, "12"}, {41, "", true, true, nullptr},
        {41, "  ", true, true, nullptr},  {41, "500", true, false, nullptr}, {41, "7", false, false, "7"},
        {1096, "3", true, false, "3"},    {44, "64", true, true, nullptr},
        {41, "", false, false, ""}, // offline an entry cleared by hand is taken as such
    };
    for (const Case &c : cases) {
        const auto value = numericEntryValue(rule(c.number), c.entry, c.connected, c.portOpen);
        QVERIFY2(value.has_value() == bool(c.taken), qPrintable(QStringLiteral("P%1 '%2'").arg(c.number).arg(c.entry)));
        if (value)
            QCOMPARE(*value, QByteArray(c.taken));
    }

    // What a numeric editor refuses before anything is stored or sent.
    const std::pair<const char *, bool> entries[] = {
        {"500", false}, {"-12", false}, {"100.000", false}, {" 7 ", false}, {"", false},  {"  ", false},
        {"abc", true},  {"12a", true},  {"1,5", true},      {"5.", true},   {"-", true},  {".5", false},
        {"1.2.3", true}, {"+5", true},
    };
    for (const auto &[entry, refused] : entries)
        QVERIFY2(refusesNumericEntry(rule(41), entry) == refused, entry);
    QVERIFY(!refusesNumericEntry(rule(1096), "any text")); // P1096 takes any entry
}

void TestParameterEditing::writeBack()
{
    GridCells cells = grid({{"Status", "P134", "", "ON"},
                            {"Richtung", "P1031", "", "RS"},
                            {"Fehler", "P1043", "", "0"},
                            {"Geschw.", "P91 (V)", "U/min", "3000"},
                            {"Typ", "P1034", "", "6"},
                            {"Leer", "P41", "", ""},
                            {"Typ", "P1034", "", "2"},
                            {"Maske", "P1064", "", "255"},
                            {"", "P42", "", "10"},
                            {"Danach", "P108", "", "100"}});
    const QByteArrayList expected = {"P91=3000", "P1034=2", "P1064=255"};
    QCOMPARE(writeBackAssignments(cells, 159), expected);
    // The last listed row ends the batch as well.
    QCOMPARE(writeBackAssignments(cells, 7), (QByteArrayList {"P91=3000", "P1034=2"}));

    // A full grid ends at the last row of the cells.
    GridCells full;
    for (int r = 1; r <= kRecords; ++r)
        full[r] = {"d", 'P' + QByteArray::number(r + 2000), "", "1"};
    QCOMPARE(writeBackAssignments(full, 0).size(), kRecords);
}

void TestParameterEditing::writeBackSkips()
{
    for (const char *d : {"P0", "Z", "P2", "P11", "P12", "P1031", "WR", "WA", "P1043", "P1119", "P1120", "WP",
                          "P1004", "O3", ""})
        QVERIFY2(skippedOnWriteBack(d, "1"), d);
    for (const char *d : {"P110", "P20", "P120", "P10430", "P1"})
        QVERIFY2(!skippedOnWriteBack(d, "1"), d);
    QVERIFY(skippedOnWriteBack("P336", "POS0"));
    QVERIFY(skippedOnWriteBack("P134", "OFF"));
    QVERIFY(!skippedOnWriteBack("P1034", "6 ")); // only exactly "6"
}

void TestParameterEditing::failedAssignment()
{
    struct Case {
        const char *command;
        const char *parameter; // nullptr: no parameter
        int number;
        const char *value;
    };
    const Case cases[] = {
        {"#1P41=1000\r", "P41", 41, "1000"}, {"#*P1004=3\r", "P1004", 1004, "3"}, {"#12P91=\r", "P91", 91, ""},
        {"P47=-5", "P47", 47, "-5"},         {"#1TROFF\r", nullptr, 0, ""},     {"#1psave\r", nullptr, 0, ""},
        {"#1Px=1\r", nullptr, 0, ""},        {"#1P=1\r", nullptr, 0, ""},       {"#", nullptr, 0, ""},
    };
    for (const Case &c : cases) {
        const auto failed = params::failedAssignment(c.command);
        QVERIFY2(failed.has_value() == bool(c.parameter), c.command);
        if (failed) {
            QCOMPARE(failed->parameter, QByteArray(c.parameter));
            QCOMPARE(failed->number, c.number);
            QCOMPARE(failed->value, QByteArray(c.value));
        }
    }
}

void TestParameterEditing::formatFile()
{
    const GridCells cells = grid({{"D", "P41", "U", "1000"},
                                  {"E", "P42", "", "5"},
                                  {"F", "P43", "", ""},
                                  {"G", "P44", "", "1"},
                                  {"", "P45", "", "9"}});
    // A row without description (a parameter the description files do not
    // know) is saved under its designation, and the rows after it follow.
    QCOMPARE(formatParameterFile(cells, 159), QByteArray("ZYNT-Parameter\r\nD:P41=1000 [U]\r\nE:P42=5\r\n"
                                                         "F:P43=\r\nG:P44=1\r\nP45:P45=9\r\n"));
    // Rows 1 to ParameterRowCount - 1.
    QCOMPARE(formatParameterFile(cells, 3), QByteArray("ZYNT-Parameter\r\nD:P41=1000 [U]\r\nE:P42=5\r\n"));
    // Only a row without designation names no parameter: it is left out,
    // and so are the title and gap rows of the basic view.
    const GridCells gaps = grid({{"D", "P1", "", "1"}, {"", "P2", "mm", "2"}, {"Gruppe", "", "", ""},
                                 {"", "", "", ""}, {"", " ", "", "7"}, {"E", "P3", "", "3"}});
    QCOMPARE(formatParameterFile(gaps, 159), QByteArray("ZYNT-Parameter\r\nD:P1=1\r\nP2:P2=2 [mm]\r\nE:P3=3\r\n"));
    QCOMPARE(formatParameterFile(GridCells {}, 159), QByteArray("ZYNT-Parameter\r\n"));
}

void TestParameterEditing::parseLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArrayList>("cells"); // description, designation, unit, value
    QTest::newRow("with unit") << QByteArray("D:P41=1000 [U]") << QByteArrayList {"D", "P41", "U", "1000 "};
    QTest::newRow("without unit") << QByteArray("D:P41=1000") << QByteArrayList {"D", "P41", "", "1000"};
    QTest::newRow("second colon") << QByteArray("a:b:c=d") << QByteArrayList {"a", "b:c", "", "d"};
    QTest::newRow("no colon") << QByteArray("P41=7") << QByteArrayList {"", "P41", "", "7"};
    QTest::newRow("no equals") << QByteArray("D:P41") << QByteArrayList {"D", "", "", "P41"};
    QTest::newRow("neither") << QByteArray("text") << QByteArrayList {"", "", "", "text"};
    QTest::newRow("] before [") << QByteArray("D:P=1]x[U") << QByteArrayList {"D", "P", "U", "1]x"};
    QTest::newRow("[ before =") << QByteArray("D:P[1]=5") << QByteArrayList {"D", "P[1]", "1", ""};
    QTest::newRow("unit unclosed") << QByteArray("D:P=5 [mm") << QByteArrayList {"D", "P", "mm", "5 "};
    QTest::newRow("empty") << QByteArray() << QByteArrayList {"", "", "", ""};
}

void TestParameterEditing::parseLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArrayList, cells);
    const GridRow row = parseParameterLine(line);
    QCOMPARE((QByteArrayList {row[ColDescription], row[ColDesignation], row[ColUnit], row[ColValue]}), cells);
}

void TestParameterEditing::parseFile()
{
    QVERIFY(!parseParameterFile("ZYNT-Programm\r\nD:P41=1\r\n"));
    QVERIFY(!parseParameterFile(""));
    QVERIFY(!parseParameterFile(" ZYNT-Parameter\r\n"));
    QVERIFY(parseParameterFile("ZYNT-Parameter V2\r\nD:P41=1\r\n"));

    for (const QByteArray &only : {QByteArray("ZYNT-Parameter\r\n"), QByteArray("ZYNT-Parameter")}) {
        const auto loaded = parseParameterFile(only);
        QVERIFY(loaded);
        QCOMPARE(loaded->rows.size(), 1);
        QCOMPARE(loaded->rows[0], GridRow {});
        QCOMPARE(loaded->gridRowCount, 2);
    }

    QByteArray many = "ZYNT-Parameter\r\n";
    for (int i = 1; i <= 200; ++i)
        many += "D" + QByteArray::number(i) + ":P" + QByteArray::number(i) + "=1\r\n";
    const auto loaded = parseParameterFile(many);
    QCOMPARE(loaded->rows.size(), kGridRows);
    QCOMPARE(loaded->gridRowCount, kGridRows + 1);
    QCOMPARE(loaded->rows.last()[ColDesignation], QByteArray("P158"));

    // Every line end reads alike, and so does a last line without one.
    const auto crlf = parseParameterFile("ZYNT-Parameter\r\nA:P1=1\r\nB:P2=2 [mm]\r\n");
    for (const QByteArray &other : {QByteArray("ZYNT-Parameter\nA:P1=1\nB:P2=2 [mm]\n"),
                                    QByteArray("ZYNT-Parameter\rA:P1=1\rB:P2=2 [mm]\r"),
                                    QByteArray("ZYNT-Parameter\r\nA:P1=1\nB:P2=2 [mm]"),
                                    QByteArray("ZYNT-Parameter\n\rA:P1=1\n\rB:P2=2 [mm]\n\r")}) {
        const auto read = parseParameterFile(other);
        QCOMPARE(read->rows, crlf->rows);
        QCOMPARE(read->gridRowCount, 3);
    }
}

void TestParameterEditing::roundTrip()
{
    const QByteArray file = "ZYNT-Parameter\r\nMaximale Geschwindigkeit:P41=3000 [U/min]\r\n"
                            "Geschwindigkeit:P91 (V)=1500 [U/min]\r\nWichtung:P44=64\r\n"
                            "Eingang:P1201 (O1)=0\r\nBeschleunigung:P42=-20 [U/s2]\r\n";
    QByteArray saved = file;
    for (int cycle = 0; cycle < 3; ++cycle) {
        const auto loaded = parseParameterFile(saved);
        QVERIFY(loaded);
        GridCells cells = grid(loaded->rows);
        saved = formatParameterFile(cells, loaded->gridRowCount);
        QCOMPARE(saved, file);
    }
}

void TestParameterEditing::hostileBytes()
{
    static const char withNul[] = "ZYNT-Parameter\0\r\nD\0:P\0=1\0[\0]\r\n";
    QList<QByteArray> files = {
        QByteArray(withNul, sizeof(withNul) - 1),
        "ZYNT-Parameter:::===[[[]]]",
        "ZYNT-Parameter\r\n]]][[[==::\r\n[\r\n]\r\n=\r\n:\r\n",
        "ZYNT-Parameter" + QByteArray(5000, '\r'),
        "ZYNT-Parameter\r\n" + QByteArray(100000, 'x'),
    };
    QRandomGenerator random(4711);
    for (int i = 0; i < 200; ++i) {
        QByteArray noise(int(random.bounded(400)), Qt::Uninitialized);
        for (char &c : noise)
            c = ":=[] \r\nPx\0"[random.bounded(10)];
        files << "ZYNT-Parameter\r\n" + noise;
    }
    for (const QByteArray &bytes : files) {
        const auto loaded = parseParameterFile(bytes);
        QVERIFY(loaded);
        QVERIFY(loaded->rows.size() >= 1 && loaded->rows.size() <= kGridRows);
        QCOMPARE(qsizetype(loaded->gridRowCount), loaded->rows.size() + 1);
        // Whatever was loaded can be saved again.
        QVERIFY(formatParameterFile(grid(loaded->rows), loaded->gridRowCount).startsWith("ZYNT-Parameter\r\n"));
    }
}

void TestParameterEditing::shortenedName()
{
    const QString name26 = QStringLiteral("C:\\ZYNT\\Achse1\\antrieb.par");
    QCOMPARE(name26.size(), 26);
    QCOMPARE(shortenedFileName(name26), name26);
    QCOMPARE(shortenedFileName("D" + name26), "\\..." + name26);
    QCOMPARE(shortenedFileName(QString(80, 'a') + name26), "\\..." + name26);
    QCOMPARE(shortenedFileName(QString()), QString());
}

QTEST_MAIN(TestParameterEditing)
#include "test_parameterediting.moc"
