// SPDX-License-Identifier: GPL-3.0-or-later
// The two views of the grid and the value update of a record, on the
// simulated drive's list read with the shipped descriptions.
#include "parameterfixture.h"
#include "parameters/views.h"

using namespace params;

namespace {

constexpr int kTitles[] = {193, 194, 195, 196, 222, 223};

TextTable titleTexts()
{
    TextTable texts;
    for (int text : kTitles) {
        texts[1][text] = "Gruppe " + QByteArray::number(text);
        texts[2][text] = "Group " + QByteArray::number(text);
    }
    return texts;
}

// The simulated list without the named entries.
fixture::List listWithout(const QByteArrayList &names)
{
    fixture::List list;
    for (const sim::ListedParameter &entry : sim::parameterList()) {
        if (!names.contains(entry.name))
            list.push_back(entry);
    }
    return list;
}

std::unique_ptr<ParameterModel> readList(const fixture::List &list)
{
    auto model = fixture::shippedCatalogue();
    fixture::readSingle(*model, fixture::singleAnswer(list));
    return model;
}

// The row showing a designation in the grid, 0 for none.
int rowOf(const ParameterModel &model, const QByteArray &designation)
{
    for (int row = 1; row <= kGridRows; ++row) {
        if (model.Grid[row][ColDesignation] == designation)
            return row;
    }
    return 0;
}

// The German record holding a designation, 0 for none.
int recordOf(const ParameterModel &model, const QByteArray &designation)
{
    for (int record = 1; record <= kGridRows; ++record) {
        if (model.Records[1][record].Designation == designation)
            return record;
    }
    return 0;
}

} // namespace

class TestViews : public QObject {
    Q_OBJECT
private slots:
    void basicView();
    void basicViewAfterLanguageSwitch();
    void allParameters();
    void maskRowsOnlyWhenNotIndexed();
    void valueIntoRecord();
    void loadedFileInEitherView();
    void columnsBesideTheEditor_data();
    void columnsBesideTheEditor();
};

void TestViews::basicView()
{
    auto model = readList(listWithout({"P147"}));
    model->AllViewRowsIndexed = 1;
    Grundparameter_Anzeigen(*model, 1, titleTexts());
    const QByteArrayList layout = {
        "#193", "P1010", "P1011", "P1014", "", "", "#194", "P76", "P44", "P160", "", "#222", "P121", "P122",
        "P123", "P1037", "", "#195", "P91 (V)", "P41", "P1003", "P1019", "P1020", "", "#196", "P138 (A)",
        "P1030", "P42", "P1018", "", "#223", "P1021", "P1022", "P1098"};
    for (int row = 1; row <= 34; ++row) {
        const QByteArray &expected = layout[row - 1];
        const GridRow &cells = model->Grid[row];
        if (expected.startsWith('#')) {
            QCOMPARE(cells, (GridRow {"Gruppe " + expected.mid(1), "", "", ""}));
        } else if (expected.isEmpty()) {
            // Row 5: the list lacks P147.
            QCOMPARE(cells, GridRow());
        } else {
            const int record = recordOf(*model, expected);
            QVERIFY2(record > 0, expected.constData());
            const ParameterRecord &shown = model->Records[1][record];
            QCOMPARE(cells, (GridRow {shown.Description, shown.Designation, shown.Unit, shown.Value}));
            QVERIFY(!cells[ColDescription].isEmpty());
        }
    }
    QCOMPARE(model->Grid[20], (GridRow {"Referenzfahrt Geschwindigkeit schnell", "P41", "U/min", "3000"}));
    QCOMPARE(model->Grid[19][ColValue], QByteArray("1500"));
    QCOMPARE(model->GridRowCount, kBasicViewRows);
    QCOMPARE(model->AllViewRowsIndexed, 0);
}

void TestViews::basicViewAfterLanguageSwitch()
{
    auto model = readList(sim::parameterList());
    Grundparameter_Anzeigen(*model, 1, titleTexts());
    const GridCells german = model->Grid;
    Grundparameter_Anzeigen(*model, 2, titleTexts());
    QCOMPARE(model->Grid[1][ColDescription], QByteArray("Group 193"));
    QCOMPARE(model->Grid[20][ColDescription], QByteArray("Homing speed fast"));
    QCOMPARE(model->Grid[5][ColDescription], QByteArray("Homing direction, switch signal, encoder"));
    for (int row = 1; row < kBasicViewRows; ++row) {
        QCOMPARE(model->Grid[row][ColDesignation], german[row][ColDesignation]);
        QCOMPARE(model->Grid[row][ColUnit], german[row][ColUnit]);
        QCOMPARE(model->Grid[row][ColValue], german[row][ColValue]);
        if (!german[row][ColDescription].isEmpty())
            QVERIFY(model->Grid[row][ColDescription] != german[row][ColDescription]);
    }
}

void TestViews::allParameters()
{
    auto model = readList(listWithout({"P147"}));
    Grundparameter_Anzeigen(*model, 1, titleTexts());
    Alle_Parameter_Anzeigen(*model, 2);
    QCOMPARE(model->GridRowCount, model->ParameterRowCount);
    for (int row = 1; row <= kGridRows; ++row) {
        const ParameterRecord &record = model->Records[2][row];
        QCOMPARE(model->Grid[row], (GridRow {record.Description, record.Designation, record.Unit, record.Value}));
    }
    QCOMPARE(rowOf(*model, "P147"), 0);
    QCOMPARE(model->AllViewRowsIndexed, 1);
    for (int mask = 0; mask < kMaskParameters; ++mask) {
        const int row = model->MaskParameterRows[size_t(mask)];
        QCOMPARE(model->Grid[row][ColDesignation], "P" + QByteArray::number(1060 + mask));
    }
}

void TestViews::maskRowsOnlyWhenNotIndexed()
{
    auto model = readList(listWithout({"P1064"}));
    model->MaskParameterRows.fill(99);
    Alle_Parameter_Anzeigen(*model, 1); // the flag is 1 after a read
    QCOMPARE(model->MaskParameterRows[4], 99);
    model->AllViewRowsIndexed = 0;
    Alle_Parameter_Anzeigen(*model, 1);
    QCOMPARE(model->MaskParameterRows[4], 0); // not in the list
    QCOMPARE(model->MaskParameterRows[5], rowOf(*model, "P1065"));
}

void TestViews::valueIntoRecord()
{
    auto model = readList(sim::parameterList());
    const int row = rowOf(*model, "P41");
    QVERIFY(row > 0);
    Parameterwert_in_Par_Text(*model, 2, "P41", QByteArray("1").repeated(60));
    QCOMPARE(model->Records[2][row].Value, QByteArray("1").repeated(50));
    QCOMPARE(model->Records[1][row].Value, QByteArray("3000"));

    const ParameterRecordTable before = model->Records;
    Parameterwert_in_Par_Text(*model, 1, "P9999", "5");
    Parameterwert_in_Par_Text(*model, 1, "", "5");
    Parameterwert_in_Par_Text(*model, 1, "W", "5"); // shown as "P47 (W)"
    for (int record = 1; record <= kRecords; ++record)
        QCOMPARE(model->Records[1][record].Value, before[1][record].Value);
}

void TestViews::loadedFileInEitherView()
{
    auto model = readList(sim::parameterList());
    const ParameterRecordTable records = model->Records;
    const QList<GridRow> file = {
        {"Homing speed fast", "P41", "U/min", "2500 "},
        {"Eigener Text", "P777", "", "5"},
        {"", "P91 (V)", "U/min", "1200 "},
        {"Kein Parameter", "", "", ""},
    };

    // The descriptions of the language where the drive's list knows the
    // parameter; the file's own elsewhere. Nothing else changes.
    const QList<GridRow> german = relabelledFileRows(*model, 1, file);
    QCOMPARE(german[0], (GridRow {"Referenzfahrt Geschwindigkeit schnell", "P41", "U/min", "2500 "}));
    QCOMPARE(german[1], file[1]);
    const QByteArray speed = model->Records[1][recordOf(*model, "P91 (V)")].Description;
    QVERIFY(!speed.isEmpty());
    QCOMPARE(german[2], (GridRow {speed, "P91 (V)", "U/min", "1200 "}));
    QCOMPARE(german[3], file[3]);
    const QList<GridRow> english = relabelledFileRows(*model, 2, file);
    QCOMPARE(english[0][ColDescription], QByteArray("Homing speed fast"));
    QCOMPARE(english[2][ColDescription], model->Records[2][recordOf(*model, "P91 (V)")].Description);

    // All parameters: the file's rows and nothing of the drive's list after them.
    model->AllViewRowsIndexed = 0;
    model->MaskParameterRows.fill(99);
    showFileRows(*model, 2, file);
    QCOMPARE(model->GridRowCount, 5);
    for (int row = 1; row <= 4; ++row)
        QCOMPARE(model->Grid[row], english[row - 1]);
    for (int row = 5; row <= kRecords; ++row)
        QCOMPARE(model->Grid[row], GridRow());
    QCOMPARE(model->AllViewRowsIndexed, 1);
    QCOMPARE(model->MaskParameterRows[4], 0); // the file has no P1064

    // The basic view: the layout, its lookups in the file.
    showFileBasicView(*model, 1, titleTexts(), file);
    QCOMPARE(model->GridRowCount, kBasicViewRows);
    QCOMPARE(model->AllViewRowsIndexed, 0);
    QCOMPARE(model->Grid[1], (GridRow {"Gruppe 193", "", "", ""}));
    QCOMPARE(model->Grid[2], GridRow()); // P1010: not in the file
    QCOMPARE(model->Grid[19], german[2]);
    QCOMPARE(model->Grid[20], german[0]);
    QCOMPARE(model->Grid[21], GridRow());
    QVERIFY(model->Records == records);
}

int runViewTests(int argc, char **argv)
{
    TestViews tests;
    return QTest::qExec(&tests, argc, argv);
}

void TestViews::columnsBesideTheEditor_data()
{
    QTest::addColumn<int>("growth");
    QTest::addColumn<QList<int>>("widths");
    // Room 321 beside the editor at the design size: the columns (480) need
    // 159 more before the value column leaves the editor's place.
    QTest::newRow("design size") << 0 << QList<int> {270, 80, 50, 80};
    QTest::newRow("smaller than the design") << -40 << QList<int> {270, 80, 50, 80};
    QTest::newRow("not yet room for the value") << 159 << QList<int> {270, 80, 50, 80};
    QTest::newRow("room to share") << 559 << QList<int> {570, 80, 50, 180};
    QTest::newRow("a share not divisible") << 161 << QList<int> {272, 80, 50, 80};
    QTest::newRow("four pixels") << 163 << QList<int> {273, 80, 50, 81};
}

void TestViews::columnsBesideTheEditor()
{
    QFETCH(int, growth);
    QFETCH(QList<int>, widths);
    const std::array<int, 4> got = params::gridColumnWidths(growth, 321);
    QCOMPARE((QList<int> {got[0], got[1], got[2], got[3]}), widths);
}

#include "test_views.moc"
