// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter listing: one answer parsed into grid rows, the progress
// figures, the completion into the record table, and a whole listing of the
// simulated drive read in one answer, in pieces and in ten blocks.
#include "parameterfixture.h"
#include "parameters/designations.h"
#include "parameters/views.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

int runDesignationTests(int argc, char **argv);
int runDescriptionTests(int argc, char **argv);
int runViewTests(int argc, char **argv);
int runParameterDataTests(int argc, char **argv);

using namespace params;

namespace {

// A catalogue of the given entry lines, 158 of them: fillers "Fn:Qn" up to
// 157 and "Ende:P999" as record 158. The English half has "E-" before each
// description.
void loadCatalogue(ParameterModel &model, const QByteArrayList &lines)
{
    QByteArrayList german = lines;
    for (int n = int(lines.size()) + 1; n < kGridRows; ++n)
        german << "F" + QByteArray::number(n) + ":Q" + QByteArray::number(n);
    german << "Ende:P999";
    QByteArrayList english;
    for (const QByteArray &line : german)
        english << "E-" + line;
    LoadParameterDescriptions(model, "Titel\r\n" + german.join("\r\n"), "Title\n" + english.join("\n"));
}

// Designation, value and unit of a row, as one text.
QByteArray cells(const ParameterModel &model, int row)
{
    const GridRow &r = model.Grid[size_t(row)];
    return r[ColDesignation] + '|' + r[ColValue] + '|' + r[ColUnit];
}

} // namespace

class TestListing : public QObject {
    Q_OBJECT
private slots:
    void startClearsAllButDescriptions();
    void progress_data();
    void progress();
    void entries_data();
    void entries();
    void listingDesignations();
    void descriptionSearch();
    void kindsRestartCounters_data();
    void kindsRestartCounters();
    void trim_data();
    void trim();
    void rowCopy();
    void moreEntriesThanRows();
    void statusLinesPastTheCatalogue();
    void arbitraryBytes();
    void linearInTheAnswer();
    void fullListing();
    void sameTwice();
    void inPieces();
    void inBlocks();
};

void TestListing::startClearsAllButDescriptions()
{
    ParameterModel model;
    for (int row = 1; row <= kGridRows + 1; ++row)
        model.Grid[row] = {"d", "P1", "mm", "5"};
    model.ListingRow = model.ListingLineCount = model.DescriptionCursor = 9;
    startListing(model);
    QCOMPARE(model.Grid[1], (GridRow {"d", "", "", ""}));
    QCOMPARE(model.Grid[kGridRows], (GridRow {"d", "", "", ""}));
    QCOMPARE(model.Grid[kGridRows + 1], (GridRow {"d", "P1", "mm", "5"}));
    QCOMPARE(model.ListingRow + model.ListingLineCount + model.DescriptionCursor, 3);
}

void TestListing::progress_data()
{
    QTest::addColumn<int>("single"); // received characters
    QTest::addColumn<int>("load");
    QTest::addColumn<int>("lines");  // ListingLineCount
    QTest::addColumn<int>("block");
    QTest::newRow("start") << 0 << 0 << 1 << 1;
    QTest::newRow("just below half a percent") << 7 << 0 << 0 << 0;
    QTest::newRow("just above") << 8 << 1 << 79 << 50;
    QTest::newRow("complete") << 1422 << 100 << 158 << 100;
    QTest::newRow("longer than expected") << 1500 << 105 << 159 << 101;
    QTest::newRow("twice as long") << 2844 << 200 << 316 << 200;
}

void TestListing::progress()
{
    QFETCH(int, single);
    QFETCH(int, load);
    QFETCH(int, lines);
    QFETCH(int, block);
    QCOMPARE(loadProgress(single), load);
    QCOMPARE(blockProgress(lines), block);
    // Halves go to the even neighbour.
    QCOMPARE(roundedPercent(1, 8), 12);
    QCOMPARE(roundedPercent(3, 8), 38);
    QCOMPARE(roundedPercent(5, 200), 2);
    QCOMPARE(roundedPercent(7, 200), 4);
    QCOMPARE(roundedPercent(5, 0), 0);
}

void TestListing::entries_data()
{
    // Rows 1..3 hold designation "was" and unit "old" before the answer, to
    // see which cells an entry leaves alone.
    QTest::addColumn<QByteArray>("body"); // the answer after echo and empty line
    QTest::addColumn<QByteArrayList>("rows");
    QTest::newRow("value and unit") << QByteArray("P41=3000rpm\rok\r") << QByteArrayList {"P41|3000|rpm"};
    QTest::newRow("sign and point, no unit") << QByteArray("W=-12.5\rok\r") << QByteArrayList {"P47 (W)|-12.5|"};
    QTest::newRow("only a minus") << QByteArray("P5=-\rok\r") << QByteArrayList {"P5|-|"};
    QTest::newRow("letter value keeps the unit") << QByteArray("P7=abc 1\rok\r") << QByteArrayList {"P7|abc 1|old"};
    QTest::newRow("status line and entry in one pass")
        << QByteArray("ON\rW=100mm\rok\r") << QByteArrayList {"P134|ON|old", "P47 (W)|100|mm"};
    QTest::newRow("= as 8th character") << QByteArray("ABCDEFG=5\rok\r") << QByteArrayList {"ABCDEFG|5|"};
    QTest::newRow("= as 9th character") << QByteArray("ABCDEFGH=5\rok\r") << QByteArrayList {"was|ABCDEFGH=5|old"};
    QTest::newRow("= first") << QByteArray("=5\rok\r") << QByteArrayList {"|5|"};
    QTest::newRow("OFF") << QByteArray("OFF\rok\r") << QByteArrayList {"P134|OFF|old"};
    QTest::newRow("LF") << QByteArray("LF\rok\r") << QByteArrayList {"P1031|LF|old"};
    QTest::newRow("POSR") << QByteArray("POSR\rok\r") << QByteArrayList {"P1043|0|old"};
    QTest::newRow("POS0 then POS entry")
        << QByteArray("POS0\rPOS=1\rok\r") << QByteArrayList {"P1043|0|old", "P336 (POS)|1|"};
    // The "ok" behind a closing status line is no entry.
    QTest::newRow("status lines in a row")
        << QByteArray("OFF\rRS\rPOSR\rok\r") << QByteArrayList {"P134|OFF|old", "P1031|RS|old", "P1043|0|old"};
    QTest::newRow("status line last") << QByteArray("P1=1\rRS\rok\r") << QByteArrayList {"P1|1|", "P1031|RS|old"};
    // A hidden row is overwritten by the next entry, all but the unit a
    // letter value leaves.
    QTest::newRow("hidden row") << QByteArray("P2=5mm\rP3=abc\rok\r") << QByteArrayList {"P3|abc|mm"};
    QTest::newRow("last line without end") << QByteArray("P41=3000rpm") << QByteArrayList {"P41|3000|rpm"};
    // An "=" counts on its own line only.
    QTest::newRow("empty line") << QByteArray("\rP1=2\rok\r") << QByteArrayList {"was||old", "P1|2|"};
    QTest::newRow("unknown word") << QByteArray("ERR\rP1=2\rok\r") << QByteArrayList {"was|ERR|old", "P1|2|"};
}

void TestListing::entries()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArrayList, rows);
    ParameterModel model;
    for (int row = 1; row <= 3; ++row)
        model.Grid[row] = {"", "was", "old", ""};
    parseListingAnswer(model, ListingSingle, 1, "#1listp\r\r" + body);
    for (int row = 1; row <= rows.size(); ++row)
        QCOMPARE(cells(model, row), rows[row - 1]);
    QCOMPARE(model.ListingRow, int(rows.size()) + 1);
}

void TestListing::listingDesignations()
{
    ParameterModel model;
    parseListingAnswer(model, ListingSingle, 1, "#1listp\r\rOFF\rP2=1\rO10=0\rok\r");
    QCOMPARE(model.ListingLineCount, 4);
    QCOMPARE(model.ListingDesignations[1], QByteArray("P134"));
    QCOMPARE(model.ListingDesignations[2], QByteArray("P2")); // hidden, still counted
    QCOMPARE(model.ListingDesignations[3], QByteArray("P1210 (O10)"));
    QCOMPARE(model.Grid[2][ColDesignation], QByteArray("P1210 (O10)"));
}

void TestListing::descriptionSearch()
{
    ParameterModel model;
    loadCatalogue(model, {"Ein/Aus:ON", "Drehzahl:P41", "Weg:W,P47", "Eins:P1"});
    startListing(model);
    // The status line takes record 1 by position; P47 meets the alternative
    // key of record 3; P41 lies behind the cursor and gets the last record
    // reached, and so does every row after it.
    parseListingAnswer(model, ListingSingle, 2, "#1listp\r\rOFF\rP47=5\rP41=3\rP1=1\rok\r");
    const QByteArrayList expected = {"Ein/Aus", "Weg", "Ende", "Ende"};
    for (int row = 1; row <= 4; ++row) {
        QCOMPARE(model.RowNamePairs[row].first, expected[row - 1]);
        QCOMPARE(model.RowNamePairs[row].second, "E-" + expected[row - 1]);
        QCOMPARE(model.Grid[row][ColDescription], "E-" + expected[row - 1]);
    }
    QCOMPARE(model.DescriptionCursor, kGridRows + 1);
}

void TestListing::kindsRestartCounters_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("row"); // the row the entry lands in
    QTest::newRow("single") << int(ListingSingle) << 1;
    QTest::newRow("first block") << int(ListingBlockFirst) << 1;
    QTest::newRow("middle block") << int(ListingBlockMiddle) << 5;
    QTest::newRow("last block") << int(ListingBlockLast) << 5;
}

void TestListing::kindsRestartCounters()
{
    QFETCH(int, kind);
    QFETCH(int, row);
    ParameterModel model;
    model.ListingRow = 5;
    model.ListingLineCount = 7;
    model.DescriptionCursor = 3;
    parseListingAnswer(model, kind, 1, "#1listp21.20\r\rP41=1\rok\r");
    QCOMPARE(model.Grid[row][ColDesignation], QByteArray("P41"));
    QCOMPARE(model.ListingLineCount, row == 1 ? 2 : 8);
}

void TestListing::trim_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("rowCount"); // ParameterRowCount
    QTest::newRow("ok rows at the end") << QByteArray("P41=1\rP5=ok\rP6=ok\rok\r") << 2;
    QTest::newRow("ok row inside stays") << QByteArray("P41=1\rP5=ok\rP6=3\rok\r") << 4;
    QTest::newRow("never below one row") << QByteArray("P5=ok\rP6=ok\rok\r") << 2;
    QTest::newRow("empty listing") << QByteArray("ok\r") << 2;
}

void TestListing::trim()
{
    QFETCH(QByteArray, body);
    QFETCH(int, rowCount);
    ParameterModel model;
    fixture::readSingle(model, "#1listp\r\r" + body);
    QCOMPARE(model.ParameterRowCount, rowCount);
    QCOMPARE(model.GridRowCount, rowCount);
    QCOMPARE(model.ListingRow, rowCount - 1);
}

void TestListing::rowCopy()
{
    ParameterModel model;
    loadCatalogue(model, {"Drehzahl:P41", "Weg:W,P47", "Referenz:P147"});
    model.Records[1][kGridRows + 1].Value = "stale";
    fixture::readSingle(model, "#1listp\r\rP41=3000U/min\rW=7mm\rok\r", 2);
    QCOMPARE(model.ListingLineCount, 4);
    const ParameterRecord &german = model.Records[1][2];
    const ParameterRecord &english = model.Records[2][2];
    QCOMPARE(german.Description, QByteArray("Weg"));
    QCOMPARE(english.Description, QByteArray("E-Weg"));
    for (const ParameterRecord *record : {&german, &english}) {
        QCOMPARE(record->Designation, QByteArray("P47 (W)"));
        QCOMPARE(record->Unit, QByteArray("mm"));
        QCOMPARE(record->Value, QByteArray("7"));
    }
    // Nothing of the catalogue stays behind the list (P147 would otherwise
    // show in the basic view of a drive that lacks it).
    for (int record = 3; record <= kRecords; ++record) {
        for (int language = 1; language <= kLanguages; ++language) {
            const ParameterRecord &r = model.Records[language][record];
            QVERIFY((r.Description + r.Designation + r.Unit + r.Value).isEmpty());
        }
    }
}

void TestListing::moreEntriesThanRows()
{
    ParameterModel model;
    model.Grid[kGridRows + 1] = {"marker", "", "", ""};
    QByteArray body;
    for (int k = 1; k <= 200; ++k)
        body += "Q" + QByteArray::number(k) + "=" + QByteArray::number(k) + "mm\r";
    fixture::readSingle(model, "#1listp\r\r" + body + "ok\r");
    // 158 rows kept, the rest read and counted.
    QCOMPARE(cells(model, kGridRows), QByteArray("Q158|158|mm"));
    QCOMPARE(model.Grid[kGridRows + 1], (GridRow {"marker", "", "", ""}));
    QCOMPARE(model.ListingDesignations[kListingEntries], QByteArray("Q159"));
    QCOMPARE(model.ListingLineCount, 202);
    QCOMPARE(model.ParameterRowCount, kGridRows + 1);
    QCOMPARE(model.Records[2][kGridRows].Designation, QByteArray("Q158"));
    QCOMPARE(model.Records[2][kGridRows + 1].Designation, QByteArray());
}

void TestListing::statusLinesPastTheCatalogue()
{
    ParameterModel model;
    loadCatalogue(model, {"Ein/Aus:ON"});
    startListing(model);
    parseListingAnswer(model, ListingSingle, 1, "#1listp\r\r" + QByteArray("ON\r").repeated(400) + "ok\r");
    QCOMPARE(model.ListingRow, kGridRows + 1);
    QCOMPARE(model.DescriptionCursor, 401);
    QCOMPARE(model.Grid[157][ColDescription], QByteArray("F157"));
    QCOMPARE(model.Grid[kGridRows][ColDescription], QByteArray("Ende"));
    QCOMPARE(model.Grid[kGridRows + 1][ColDescription], QByteArray());
}

void TestListing::arbitraryBytes()
{
    // Whatever arrives, the parse ends and the counters stay where the table is.
    // One model through a run of answers (the middle blocks keep counting),
    // each answer ending in a completion now and then.
    QRandomGenerator random(4711);
    const QByteArray alphabet("\r\r\r==.-0123456789okOKNFRSLPOSZWA \xe4");
    auto model = std::make_unique<ParameterModel>();
    loadCatalogue(*model, {"Ein/Aus:ON"});
    for (int round = 0; round < 400; ++round) {
        const int kind = 14 + int(random.bounded(5));
        QByteArray answer = round % 2 ? "#1listp\r\r" : "";
        const int length = int(random.bounded(3000));
        for (int i = 0; i < length; ++i)
            answer += alphabet.at(int(random.bounded(int(alphabet.size()))));
        parseListingAnswer(*model, kind, int(random.bounded(4)), answer);
        QVERIFY(model->ListingRow >= 1 && model->ListingRow <= kGridRows + 1);
        if (random.bounded(4) == 0) {
            completeListing(*model);
            QVERIFY(model->ParameterRowCount >= 2 && model->ParameterRowCount <= kGridRows + 1);
            Alle_Parameter_Anzeigen(*model, 2);
            QCOMPARE(model->GridRowCount, model->ParameterRowCount);
        }
    }
}

void TestListing::linearInTheAnswer()
{
    // 300000 lines without "=" before one entry: a parse that searched the
    // rest for "=" or re-copied it per entry would take hours.
    const QByteArray answer = "#1listp\r\r" + QByteArray("x\r").repeated(300000) + "P1=1\rok\r";
    ParameterModel model;
    QElapsedTimer timer;
    timer.start();
    parseListingAnswer(model, ListingSingle, 1, answer);
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(model.ListingLineCount, 300002);
}

void TestListing::fullListing()
{
    const fixture::List &list = sim::parameterList();
    auto model = fixture::shippedCatalogue();
    fixture::readSingle(*model, fixture::singleAnswer(list));

    int row = 0;
    for (size_t k = 0; k < list.size(); ++k) {
        const sim::ListedParameter &entry = list[k];
        QByteArray shown = displayDesignation(entry.name);
        QByteArray value = entry.value;
        if (entry.status) {
            shown = entry.name == "ON" || entry.name == "OFF" ? "P134" : entry.name.startsWith("POS") ? "P1043" : "P1031";
            value = entry.name.startsWith("POS") ? "0" : entry.name;
        }
        QCOMPARE(model->ListingDesignations[k + 1], shown);
        if (!entry.status && isHiddenDesignation(shown))
            continue;
        ++row;
        QCOMPARE(model->Grid[row][ColDesignation], shown);
        QCOMPARE(model->Grid[row][ColValue], value);
        if (!entry.status)
            QCOMPARE(model->Grid[row][ColUnit], entry.unit);
        QCOMPARE(model->Records[2][row].Value, value);
    }
    QCOMPARE(model->ParameterRowCount, row + 1);
    QCOMPARE(model->GridRowCount, row + 1);
    for (int key = 0; key < kKeyParameters; ++key)
        QCOMPARE(model->Grid[model->KeyParameterRows[key]][ColDesignation], displayDesignation(kKeyDesignations[key]));
}

void TestListing::sameTwice()
{
    auto first = fixture::shippedCatalogue();
    auto second = fixture::shippedCatalogue();
    fixture::readSingle(*first, fixture::singleAnswer(sim::parameterList()));
    fixture::readSingle(*second, fixture::singleAnswer(sim::parameterList()));
    fixture::compareListings(*first, *second);
    // A re-read over a table that already holds the row copy ends the same.
    LoadParameterDescriptions(*second, fixture::dataFile("Par-dt.ini"), fixture::dataFile("Par-engl.ini"));
    fixture::readSingle(*second, fixture::singleAnswer(sim::parameterList()));
    fixture::compareListings(*first, *second);
}

void TestListing::inPieces()
{
    // The handler is called for every piece; only a complete answer is parsed.
    const QByteArray answer = fixture::singleAnswer(sim::parameterList());
    auto whole = fixture::shippedCatalogue();
    auto pieces = fixture::shippedCatalogue();
    fixture::readSingle(*whole, answer);

    startListing(*pieces);
    QByteArray received;
    int parsed = 0;
    int shown = 0;
    for (qsizetype at = 0; at < answer.size(); at += 37) {
        received += answer.mid(at, 37);
        QVERIFY(loadProgress(received.size()) >= shown);
        shown = loadProgress(received.size());
        if (!listingAnswerComplete(received))
            continue;
        parseListingAnswer(*pieces, ListingSingle, 1, received);
        received.clear();
        ++parsed;
    }
    QCOMPARE(parsed, 1);
    QCOMPARE(shown, 98); // 1389 of the 1422 characters expected
    completeListing(*pieces);
    fixture::compareListings(*whole, *pieces);
}

void TestListing::inBlocks()
{
    const fixture::List &list = sim::parameterList();
    auto single = fixture::shippedCatalogue();
    auto blocks = fixture::shippedCatalogue();
    fixture::readSingle(*single, fixture::singleAnswer(list));
    fixture::readBlocks(*blocks, list);
    fixture::compareListings(*single, *blocks);
    QCOMPARE(blockProgress(blocks->ListingLineCount), blockProgress(int(list.size()) + 2));
}

int main(int argc, char **argv)
{
    TestListing listing;
    int failed = QTest::qExec(&listing, argc, argv);
    failed += runDesignationTests(argc, argv);
    failed += runDescriptionTests(argc, argv);
    failed += runViewTests(argc, argv);
    failed += runParameterDataTests(argc, argv);
    return failed;
}

#include "test_parametertable.moc"
