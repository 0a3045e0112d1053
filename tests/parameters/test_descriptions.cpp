// SPDX-License-Identifier: GPL-3.0-or-later
// The description files: the fields of a line, line ends and the end of
// reading, loading both halves of the catalogue, and relabelling the grid.
#include "parameters/descriptions.h"

#include <QtTest>

using namespace params;

namespace {

QByteArray fields(const ParameterRecord &record)
{
    return record.Description + '|' + record.Designation + '|' + record.Unit;
}

QByteArrayList allFields(const std::vector<ParameterRecord> &records)
{
    QByteArrayList list;
    for (const ParameterRecord &record : records)
        list << fields(record);
    return list;
}

} // namespace

class TestDescriptions : public QObject {
    Q_OBJECT
private slots:
    void fieldsOfALine_data();
    void fieldsOfALine();
    void endOfReading_data();
    void endOfReading();
    void loadBothHalves();
    void longFile();
    void relabel();
};

void TestDescriptions::fieldsOfALine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("record"); // description|key|alternative key
    const QByteArray long60 = QByteArray("d").repeated(60);
    QTest::newRow("key") << QByteArray("Drehzahl:P41") << QByteArray("Drehzahl|P41|");
    QTest::newRow("alternative key") << QByteArray("Weg w:W,P47") << QByteArray("Weg w|W|P47");
    QTest::newRow("second comma") << QByteArray("x:A,B,C") << QByteArray("x|A|B,C");
    QTest::newRow("comma in the description") << QByteArray("Weg, schnell:P1") << QByteArray("Weg, schnell|P1|");
    QTest::newRow("second colon") << QByteArray("a:b:c") << QByteArray("a|b:c|");
    QTest::newRow("no colon") << QByteArray("P41,P42") << QByteArray("|P41|P42");
    QTest::newRow("no key") << QByteArray("Nur Text:") << QByteArray("Nur Text||");
    QTest::newRow("only an alternative key") << QByteArray("x:,P47") << QByteArray("x||P47");
    QTest::newRow("umlaut") << QByteArray("Eing\xe4nge:P1300") << QByteArray("Eing\xe4nge|P1300|");
    QTest::newRow("long fields cut") << long60 + ':' + long60 + ',' + long60
                                     << long60.left(50) + '|' + long60.left(50) + '|' + long60.left(50);
}

void TestDescriptions::fieldsOfALine()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, record);
    const std::vector<ParameterRecord> records = parseDescriptionFile("Kopfzeile:X\r\n" + line + "\r\n");
    QCOMPARE(allFields(records), QByteArrayList {record});
    QCOMPARE(records.front().Value, QByteArray());
}

void TestDescriptions::endOfReading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArrayList>("records");
    const QByteArrayList two = {"a|P1|", "b|P2|"};
    QTest::newRow("CRLF") << QByteArray("T\r\na:P1\r\nb:P2\r\n") << two;
    QTest::newRow("LF") << QByteArray("T\na:P1\nb:P2\n") << two;
    QTest::newRow("CR") << QByteArray("T\ra:P1\rb:P2\r") << two;
    QTest::newRow("mixed, last line open") << QByteArray("T\ra:P1\r\nb:P2") << two;
    QTest::newRow("stops at an empty line") << QByteArray("T\r\na:P1\r\nb:P2\r\n\r\nc:P3\r\n") << two;
    QTest::newRow("LF CR is an empty line") << QByteArray("T\na:P1\n\rb:P2\n") << QByteArrayList {"a|P1|"};
    QTest::newRow("heading only") << QByteArray("T\r\n") << QByteArrayList {};
    QTest::newRow("empty file") << QByteArray() << QByteArrayList {};
    QTest::newRow("empty first entry line") << QByteArray("T\r\n\r\na:P1\r\n") << QByteArrayList {};
}

void TestDescriptions::endOfReading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArrayList, records);
    QCOMPARE(allFields(parseDescriptionFile(bytes)), records);
}

void TestDescriptions::loadBothHalves()
{
    ParameterModel model;
    for (int language = 1; language <= 2; ++language) {
        for (int record = 1; record <= kGridRows; ++record)
            model.Records[language][record] = {"old", "P9", "U", "7"};
    }
    LoadParameterDescriptions(model, QByteArray("Titel\r\nDrehzahl:P41\r\nWeg:W,P47\r\n"), std::nullopt);
    QCOMPARE(fields(model.Records[1][1]), QByteArray("Drehzahl|P41|"));
    QCOMPARE(fields(model.Records[1][2]), QByteArray("Weg|W|P47"));
    QCOMPARE(fields(model.Records[1][3]), QByteArray("||"));
    QCOMPARE(fields(model.Records[1][kGridRows]), QByteArray("||"));
    // The absent English file leaves its half empty; values are not touched.
    QCOMPARE(fields(model.Records[2][1]), QByteArray("||"));
    QCOMPARE(model.Records[1][1].Value, QByteArray("7"));
    QCOMPARE(model.Records[2][5].Value, QByteArray("7"));

    LoadParameterDescriptions(model, std::nullopt, QByteArray("Title\nSpeed:P41\n"));
    QCOMPARE(fields(model.Records[1][1]), QByteArray("||"));
    QCOMPARE(fields(model.Records[2][1]), QByteArray("Speed|P41|"));
}

void TestDescriptions::longFile()
{
    // 250 entries: the searched records 1..158 take the first 158, the
    // records above stay empty (the basic view's empty record among them).
    QByteArray bytes = "Titel\r\n";
    for (int n = 1; n <= 250; ++n)
        bytes += "D" + QByteArray::number(n) + ":P" + QByteArray::number(n) + "\r\n";
    QCOMPARE(parseDescriptionFile(bytes).size(), size_t(250));
    ParameterModel model;
    LoadParameterDescriptions(model, bytes, bytes);
    for (int language = 1; language <= 2; ++language) {
        QCOMPARE(fields(model.Records[language][kGridRows]), QByteArray("D158|P158|"));
        for (int record = kGridRows + 1; record <= kRecords; ++record)
            QCOMPARE(fields(model.Records[language][record]), QByteArray("||"));
    }
}

void TestDescriptions::relabel()
{
    ParameterModel model;
    for (int row = 1; row <= kGridRows + 1; ++row) {
        model.Records[1][row].Description = "de" + QByteArray::number(row);
        model.Records[2][row].Description = "en" + QByteArray::number(row);
        model.Grid[row] = {"x", "P1", "mm", "5"};
    }
    RelabelDescriptions(model, 2);
    QCOMPARE(model.Grid[1], (GridRow {"en1", "P1", "mm", "5"}));
    QCOMPARE(model.Grid[kGridRows], (GridRow {"en158", "P1", "mm", "5"}));
    QCOMPARE(model.Grid[kGridRows + 1], (GridRow {"x", "P1", "mm", "5"}));
    RelabelDescriptions(model, 1);
    QCOMPARE(model.Grid[7][ColDescription], QByteArray("de7"));
    // A language index off the table reads as German.
    RelabelDescriptions(model, 2);
    RelabelDescriptions(model, 0);
    QCOMPARE(model.Grid[7][ColDescription], QByteArray("de7"));
}

int runDescriptionTests(int argc, char **argv)
{
    TestDescriptions tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_descriptions.moc"
