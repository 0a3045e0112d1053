// SPDX-License-Identifier: GPL-3.0-or-later
// The data that ships: the simulated drive's parameter list and the two
// description files written for it.
#include "parameterfixture.h"
#include "parameters/designations.h"

using namespace params;

namespace {

// Parameter numbers and the values their editors offer (lowest..highest).
struct Range {
    int first, last;   // parameter numbers
    int lowest, highest;
};
// Numeric editors: any value.
const Range kNumeric[] = {{0, 0, 0, 0},       {41, 42, 0, 0},     {47, 47, 0, 0},     {51, 51, 0, 0},
                          {91, 91, 0, 0},     {100, 103, 0, 0},   {108, 108, 0, 0},   {121, 123, 0, 0},
                          {138, 138, 0, 0},   {1002, 1003, 0, 0}, {1005, 1008, 0, 0}, {1010, 1010, 0, 0},
                          {1012, 1012, 0, 0}, {1018, 1020, 0, 0}, {1024, 1024, 0, 0}, {1026, 1026, 0, 0},
                          {1030, 1030, 0, 0}, {1037, 1037, 0, 0}, {1039, 1041, 0, 0}, {1044, 1044, 0, 0},
                          {1054, 1055, 0, 0}, {1059, 1059, 0, 0}, {1080, 1085, 0, 0}, {1096, 1096, 0, 0},
                          {265, 265, 0, 0},   {1028, 1028, 0, 0}, {1035, 1035, 0, 0}, {1004, 1004, 0, 0}};
// Option lists and bit sets: the value must be one the editor offers.
const Range kChoices[] = {{1001, 1001, 0, 3},  {1009, 1009, 0, 3},  {1014, 1014, 0, 3},  {1017, 1017, 0, 2},
                          {1023, 1023, 0, 1},  {1025, 1025, -7, 7}, {1027, 1027, -7, 7}, {1029, 1029, 0, 3},
                          {1032, 1032, 0, 1},  {1033, 1033, 0, 2},  {1036, 1036, -4, 4}, {1045, 1045, 1, 8},
                          {1053, 1053, 0, 9},  {1058, 1058, 0, 1},  {1092, 1095, 0, 1},  {1101, 1103, 0, 1},
                          {1117, 1117, 0, 1},  {1121, 1121, 0, 1},  {1125, 1126, -4, 4}, {1201, 1216, 0, 1},
                          {1011, 1011, 0, 7},  {1021, 1021, 0, 255}, {1022, 1022, 0, 63}, {1098, 1098, 0, 255},
                          {1060, 1068, 0, 65535}, {1070, 1073, 0, 65535}, {147, 147, 0, 7}};
const int kScalings[] = {44, 76, 160}; // values 0, 64, 2, 66, 1, 17

int numberOf(const sim::ListedParameter &entry)
{
    return parameterNumber(displayDesignation(entry.name));
}

bool isValueRun(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.' || c == '-';
    });
}

// The designation a status word is shown under.
QByteArray statusDesignation(const QByteArray &word)
{
    if (word == "ON" || word == "OFF")
        return "P134";
    return word.startsWith("POS") ? "P1043" : "P1031";
}

} // namespace

class TestParameterData : public QObject {
    Q_OBJECT
private slots:
    void listNamesWhatTheProgramUses();
    void listValues();
    void descriptionFiles_data();
    void descriptionFiles();
    void everyRowItsDescription_data();
    void everyRowItsDescription();
};

void TestParameterData::listNamesWhatTheProgramUses()
{
    const fixture::List &list = sim::parameterList();
    // Every entry has a catalogue record: only records 1..158 are searched.
    QVERIFY(list.size() >= 140 && list.size() <= size_t(kGridRows));
    QByteArrayList names;
    QList<int> numbers;
    for (const sim::ListedParameter &entry : list) {
        QVERIFY2(!names.contains(entry.name), entry.name.constData());
        names << entry.name;
        numbers << numberOf(entry);
    }
    QStringList missing;
    auto need = [&](const QByteArray &name) {
        if (!names.contains(name))
            missing << QString::fromLatin1(name);
    };
    for (const char *name : {"W", "V", "A", "C1", "C2", "C3", "B", "M1", "M2", "M3", "LP", "X", "ADC", "POS", "D",
                             "WA", "WR", "WP", "P2", "P1097", "P1099", "P1013", "P20", "P200", "P265", "P1028",
                             "P1035"})
        need(name);
    for (int k = 0; k <= 5; ++k)
        need("R" + QByteArray::number(k));
    for (int k = 1; k <= 16; ++k)
        need("O" + QByteArray::number(k));
    for (const char *key : kKeyDesignations)
        need(key);
    auto needNumbers = [&](const auto &ranges) {
        for (const Range &range : ranges) {
            for (int n = range.first; n <= range.last; ++n) {
                if (!numbers.contains(n))
                    missing << QString::number(n);
            }
        }
    };
    needNumbers(kNumeric);
    needNumbers(kChoices);
    for (int n : kScalings) {
        if (!numbers.contains(n))
            missing << QString::number(n);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
    QVERIFY(std::any_of(names.begin(), names.end(), [](const QByteArray &n) { return n.contains('Z'); }));
    // One line of each status word.
    const QList<QByteArrayList> statusWords = {{"ON", "OFF"}, {"RS", "LS", "RF", "LF"}, {"POSR", "POS0"}};
    for (const QByteArrayList &words : statusWords) {
        int count = 0;
        for (const sim::ListedParameter &entry : list) {
            if (words.contains(entry.name)) {
                QVERIFY(entry.status);
                ++count;
            }
        }
        QCOMPARE(count, 1);
    }
    const qsizetype length = fixture::singleAnswer(list).size();
    QVERIFY2(length >= 1350 && length <= 1500, qPrintable(QString::number(length)));
}

void TestParameterData::listValues()
{
    for (const sim::ListedParameter &entry : sim::parameterList()) {
        const QByteArray what = entry.name + '=' + entry.value + entry.unit;
        if (entry.status) {
            QVERIFY((entry.value + entry.unit).isEmpty());
            QCOMPARE(sim::listedLine(entry), entry.name);
            continue;
        }
        // Read back as listed: the "=" within the first eight characters,
        // the value a run of digits, "." and "-", the unit starting after it.
        QVERIFY2(entry.name.size() <= 7, what.constData());
        QVERIFY2(isValueRun(entry.value), what.constData());
        QVERIFY2(entry.unit.isEmpty() || !isValueRun(entry.unit.left(1)), what.constData());
        QCOMPARE(sim::listedLine(entry), what);
        const int number = numberOf(entry);
        const int value = entry.value.toInt();
        if (std::find(std::begin(kScalings), std::end(kScalings), number) != std::end(kScalings)) {
            QVERIFY2(QList<int>({0, 64, 2, 66, 1, 17}).contains(value), what.constData());
            QVERIFY2(entry.unit.isEmpty(), what.constData());
        }
        if (number == 1034)
            QVERIFY2(QList<int>({1, 2, 6}).contains(value), what.constData());
        for (const Range &range : kChoices) {
            if (number >= range.first && number <= range.last) {
                QVERIFY2(value >= range.lowest && value <= range.highest, what.constData());
                QVERIFY2(entry.unit.isEmpty(), what.constData());
            }
        }
        if (number == 108)
            QCOMPARE(entry.value, QByteArray("100"));
    }
}

void TestParameterData::descriptionFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("german");
    QTest::newRow("Par-dt.ini") << fixture::dataFile("Par-dt.ini") << true;
    QTest::newRow("Par-engl.ini") << fixture::dataFile("Par-engl.ini") << false;
}

void TestParameterData::descriptionFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, german);
    QVERIFY2(!bytes.isEmpty(), "missing or empty");
    QVERIFY(bytes.endsWith("\r\n"));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes.at(i));
        const QString at = QStringLiteral("byte %1").arg(i);
        if (c == '\n')
            QVERIFY2(i > 0 && bytes.at(i - 1) == '\r', qPrintable(at));
        else if (c == '\r')
            QVERIFY2(i + 1 < bytes.size() && bytes.at(i + 1) == '\n', qPrintable(at));
        else
            QVERIFY2(c >= 0x20 && c != 0x7F, qPrintable(at));
        // Windows-1252: none of its five unassigned codes, and no UTF-8 pair.
        QVERIFY2(c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D, qPrintable(at));
        if (c >= 0xC2 && c <= 0xDF && i + 1 < bytes.size())
            QVERIFY2((static_cast<unsigned char>(bytes.at(i + 1)) & 0xC0) != 0x80, qPrintable(at));
    }
    if (german)
        QVERIFY(bytes.contains('\xe4') && bytes.contains('\xfc') && bytes.contains('\xdc'));

    QByteArrayList lines = bytes.split('\n');
    lines.removeLast(); // after the last line end
    const fixture::List &list = sim::parameterList();
    QCOMPARE(lines.size(), qsizetype(list.size() + 1)); // the heading, then one line per entry
    const std::vector<ParameterRecord> records = parseDescriptionFile(bytes);
    QCOMPARE(records.size(), list.size());
    for (size_t k = 0; k < list.size(); ++k) {
        const ParameterRecord &record = records[k];
        const QByteArray &line = lines[qsizetype(k + 1)];
        QVERIFY2(line.count(':') == 1, line.constData());
        QVERIFY2(!record.Description.isEmpty() && record.Description.size() <= kFieldLength, line.constData());
        QCOMPARE(record.Designation, list[k].name);
        // The alternative key names the number the entry is shown under.
        if (!record.Unit.isEmpty()) {
            const QByteArray shown = list[k].status ? statusDesignation(list[k].name) : displayDesignation(list[k].name);
            QCOMPARE(record.Unit, "P" + QByteArray::number(parameterNumber(shown)));
        }
    }
}

void TestParameterData::everyRowItsDescription_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("German") << 1;
    QTest::newRow("English") << 2;
}

void TestParameterData::everyRowItsDescription()
{
    QFETCH(int, language);
    const fixture::List &list = sim::parameterList();
    const std::vector<ParameterRecord> german = parseDescriptionFile(fixture::dataFile("Par-dt.ini"));
    const std::vector<ParameterRecord> english = parseDescriptionFile(fixture::dataFile("Par-engl.ini"));
    QCOMPARE(german.size(), list.size());
    QCOMPARE(english.size(), list.size());
    auto model = fixture::shippedCatalogue();
    fixture::readSingle(*model, fixture::singleAnswer(list), language);

    int row = 0;
    for (size_t k = 0; k < list.size(); ++k) {
        const sim::ListedParameter &entry = list[k];
        if (!entry.status && isHiddenDesignation(displayDesignation(entry.name)))
            continue;
        ++row;
        // The line that names this entry, wherever it stands.
        auto line = std::find_if(german.begin(), german.end(),
                                 [&](const ParameterRecord &r) { return r.Designation == entry.name; });
        QVERIFY(line != german.end());
        const size_t at = size_t(line - german.begin());
        QCOMPARE(model->RowNamePairs[row].first, german[at].Description);
        QCOMPARE(model->RowNamePairs[row].second, english[at].Description);
        QCOMPARE(model->Grid[row][ColDescription], (language == 1 ? german : english)[at].Description);
        QCOMPARE(model->Records[language][row].Description, (language == 1 ? german : english)[at].Description);
    }
    QCOMPARE(model->ParameterRowCount, row + 1);
}

int runParameterDataTests(int argc, char **argv)
{
    TestParameterData tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_parameterdata.moc"
