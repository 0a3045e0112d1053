// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter list read from the simulated drive over a pseudo-terminal,
// as the program reads it: in one answer or in blocks, in pieces of any
// size, into the grid and both halves of the record table; the views, the
// language switch and the firmware version that follows.
#include "tests/link/linkfixture.h"
#include "tests/shell/shellfixture.h"

#include "parameters/designations.h"
#include "parameters/views.h"
#include "sim/parameterlist.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

constexpr int kWait = 30000;

// What a read leaves in the model.
struct Snapshot {
    params::ParameterRecordTable records;
    params::GridCells grid;
    int rowCount = 0;
    std::array<uint8_t, params::kKeyParameters> keys {};
    std::array<QByteArray, params::kListingEntries + 1> designations;
    bool operator==(const Snapshot &) const = default;
};

// The grid as the view of all parameters shows it: which view is shown at a
// moment depends on when Timer2 ends the progress display.
Snapshot snapshot(TForm1 &f)
{
    f.ffnen1Click();
    return {f.Parameters.Records, f.Parameters.Grid, f.Parameters.ParameterRowCount, f.Parameters.KeyParameterRows,
            f.Parameters.ListingDesignations};
}

// Runs a read as the menu does and waits until the list is in and the
// version that follows it is answered.
bool readList(LinkFixture &fx)
{
    TForm1 &f = *fx.form;
    f.Core->DriveConnected = 1;
    f.neulesen1Click();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kWait) {
        if (!f.Core->Timer11->isActive() && f.Label17->text() == QStringLiteral("100%") && !f.Core->Queue.head())
            return true;
        QTest::qWait(10);
    }
    return false;
}

// The row of the grid model showing a designation, 0 when none.
int rowOf(const TForm1 &f, const QByteArray &designation)
{
    for (int r = 1; r < f.Parameters.GridRowCount; ++r) {
        if (f.Parameters.Grid[size_t(r)][params::ColDesignation] == designation)
            return r;
    }
    return 0;
}

QStringList shownRow(const TForm1 &f, int row)
{
    QStringList cells;
    for (int c = 0; c < 4; ++c) {
        const QTableWidgetItem *cell = f.StringGrid2->item(row, c);
        cells << (cell ? cell->text() : QString());
    }
    return cells;
}

void savePicture(QWidget &window, const char *name)
{
    window.show();
    QTest::qWait(50);
    const QString path = qEnvironmentVariable("ZYNT_BINARY_DIR") + QStringLiteral("/tests/") + QLatin1String(name);
    QVERIFY2(window.grab().save(path), qPrintable(path));
}

} // namespace

class TestParameterListing : public QObject {
    Q_OBJECT
private slots:
    void startUpReadsTheListThreeSecondsLater();
    void sameListInAnyPieces();
    void blocksForSeveralDrivesGiveTheSameList();
    void progressOfALongSingleListing();
    void viewsOfADriveWithoutP147();
    void languageSwitchAfterARead();
    void versionAnswers();
    void versionOfAnotherFormDoesNotHoldTheLink();
};

void TestParameterListing::startUpReadsTheListThreeSecondsLater()
{
    ShellFixture fx;
    QVERIFY(fx.start([](sim::SimLine &line) { line.addDrive(1); }, {}, ShellFixture::settings(1, 38400, "1", "1")));
    TForm1 &f = *fx.form;
    QVERIFY(ShellFixture::commands(*fx.com1, 11, kWait));
    QCOMPARE(fx.com1->receivedCommands().mid(7, 4),
             (QList<QByteArray> {"#1TROFF\r", "#1p1028=8\r", "#1listp\r", "#1ver\r"}));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Timer11->isActive() && f.isEnabled(), kWait);
    QVERIFY(f.Core->Timer3->isActive());
    QCOMPARE(f.Core->DriveConnected, uint8_t(1));
    QCOMPARE(f.Label7->text(), QStringLiteral("ZYNT-EEProm Parameter - address 1"));

    // The list in the model: the drive's entries without the hidden ones,
    // short names shown with their number, descriptions from the shipped file.
    int visible = 0;
    for (const sim::ListedParameter &p : sim::parameterList())
        visible += p.status || !params::isHiddenDesignation(params::displayDesignation(p.name));
    QCOMPARE(f.Parameters.ParameterRowCount, visible + 1);
    const int p41 = rowOf(f, "P41");
    QVERIFY(p41 > 0);
    QCOMPARE(f.Parameters.Records[1][p41].Unit, QByteArray("U/min"));
    QCOMPARE(f.Parameters.Records[1][p41].Value, QByteArray("3000"));
    QVERIFY(!f.Parameters.Records[1][p41].Description.isEmpty());
    QVERIFY(!f.Parameters.Records[2][p41].Description.isEmpty());
    QVERIFY(f.Parameters.Records[1][p41].Description != f.Parameters.Records[2][p41].Description);
    QVERIFY(rowOf(f, "P47 (W)") > 0);
    QCOMPARE(rowOf(f, "WA"), 0);
    QCOMPARE(f.Parameters.KeyParameterRows[params::KeyW], uint8_t(rowOf(f, "P47 (W)")));

    // Timer2 ends the progress display and switches the view: the read of
    // the connection start inverted the choice, so it ends in the basic view.
    QTRY_VERIFY_WITH_TIMEOUT(f.ProgressBar1->isHidden(), kWait);
    QCOMPARE(f.Parameters.BasicViewSelected, 1);
    QCOMPARE(f.StringGrid2->rowCount(), params::kBasicViewRows);
    QVERIFY(!f.StringGrid2->isHidden());
    QCOMPARE(shownRow(f, 1).value(0), fx.german(193));
    QCOMPARE(shownRow(f, 20).mid(1), (QStringList {"P41", "U/min", "3000"}));
    savePicture(f, "parameters-basic.png");

    // The other view, by the menu.
    f.ffnen1Click();
    QCOMPARE(f.StringGrid2->rowCount(), f.Parameters.ParameterRowCount);
    QCOMPARE(shownRow(f, p41).mid(1), (QStringList {"P41", "U/min", "3000"}));
    QCOMPARE(shownRow(f, p41).value(0), fromCp1252(f.Parameters.Records[1][p41].Description));
    f.StringGrid2->scrollToItem(f.StringGrid2->item(p41, 0));
    savePicture(f, "parameters-all.png");
}

void TestParameterListing::sameListInAnyPieces()
{
    // One answer, pieces of 1 to 50 bytes, and byte by byte: the same list.
    std::optional<Snapshot> first;
    const std::pair<int, int> pieces[] = {{0, 0}, {1, 50}, {1, 1}};
    for (const auto &[least, most] : pieces) {
        LinkFixture fx;
        QVERIFY(fx.start());
        fx.drive->setChunking(least, most, 1234);
        QVERIFY(readList(fx));
        const Snapshot now = snapshot(*fx.form);
        QVERIFY(now.rowCount > 100);
        if (!first)
            first = now;
        QVERIFY2(now == *first, qPrintable(QStringLiteral("pieces %1..%2").arg(least).arg(most)));
        QVERIFY(fx.form->Core->ReceiveBuffer.isEmpty());
    }
}

void TestParameterListing::blocksForSeveralDrivesGiveTheSameList()
{
    LinkFixture single;
    QVERIFY(single.start());
    QVERIFY(readList(single));
    const Snapshot expected = snapshot(*single.form);

    LinkFixture blocks;
    QVERIFY(blocks.start([](sim::SimLine &line) { line.addDrive(2); }));
    blocks.form->Parameters.SingleDriveListing = false;
    QVERIFY(readList(blocks));
    QList<QByteArray> requests;
    for (const QByteArray &c : blocks.drive->receivedCommands()) {
        if (c.startsWith("#1listp"))
            requests << c;
    }
    QList<QByteArray> wanted {"#1listp1.20\r"};
    for (int start = 21; start <= 181; start += 20)
        wanted << "#1listp" + QByteArray::number(start) + ".20\r";
    QCOMPARE(requests, wanted);
    QVERIFY(snapshot(*blocks.form) == expected);
}

void TestParameterListing::progressOfALongSingleListing()
{
    // A drive whose list is longer than the expected 1422 characters, and
    // whose "ok" is held back: the load progress passes 100 %.
    LinkFixture fx;
    QVERIFY(fx.start([](sim::SimLine &line) {
        line.addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
            if (command != "listp")
                return std::nullopt;
            QByteArray answer = "\n\r";
            for (const sim::ListedParameter &p : sim::parameterList())
                answer += "\n" + sim::listedLine(p) + "\r";
            for (int i = 0; i < 8; ++i)
                answer += "\nP9" + QByteArray::number(i) + "=1000000000\r";
            return answer;
        });
    }));
    TForm1 &f = *fx.form;
    f.Core->DriveConnected = 1;
    f.neulesen1Click();
    QVERIFY(fx.commands(3, kWait)); // "TROFF", "p1028=8", "listp"
    QVERIFY(fx.drained(kWait));
    const int shown = f.Label17->text().chopped(1).toInt();
    QVERIFY2(shown > 100, qPrintable(f.Label17->text()));
    QCOMPARE(shown, int(std::lround(f.Core->ReceiveBuffer.size() * 100.0 / 1422)));
    QCOMPARE(f.ProgressBar1->value(), 100);
    QVERIFY(!f.isEnabled()); // still reading
    fx.say("\nok\n\r");
    QTRY_COMPARE_WITH_TIMEOUT(f.Label17->text(), QStringLiteral("100%"), kWait);
    QVERIFY(f.isEnabled());
    QCOMPARE(f.Parameters.Records[1][f.Parameters.ParameterRowCount - 1].Designation, QByteArray("P97"));
}

void TestParameterListing::viewsOfADriveWithoutP147()
{
    LinkFixture fx;
    QVERIFY(fx.start([](sim::SimLine &line) {
        line.withDrive(1, [](sim::Drive &d) { std::erase(d.listing, QByteArray("P147")); });
    }));
    TForm1 &f = *fx.form;
    f.init_Texte();
    QVERIFY(readList(fx));
    QCOMPARE(rowOf(f, "P147"), 0);
    f.nachFunktionSortieren1Click();
    QCOMPARE(f.StringGrid2->rowCount(), params::kBasicViewRows);
    QCOMPARE(shownRow(f, 5), (QStringList {QString(), QString(), QString(), QString()}));
    QCOMPARE(shownRow(f, 4).value(1), QStringLiteral("P1014"));
    // The all-parameters view needs a connected drive.
    f.Core->DriveConnected = 0;
    f.ffnen1Click();
    QCOMPARE(f.StringGrid2->rowCount(), params::kBasicViewRows);
    f.Core->DriveConnected = 1;
    f.ffnen1Click();
    QCOMPARE(f.StringGrid2->rowCount(), f.Parameters.ParameterRowCount);
}

void TestParameterListing::languageSwitchAfterARead()
{
    LinkFixture fx;
    QVERIFY(fx.start());
    TForm1 &f = *fx.form;
    f.init_Texte();
    QVERIFY(readList(fx));
    f.ffnen1Click();
    const int p41 = rowOf(f, "P41");
    f.nachFunktionSortieren1Click();
    const QStringList german = shownRow(f, 20);
    QCOMPARE(shownRow(f, 1).value(0), fromCp1252(f.Texte[1][193]));

    f.english1Click();
    QCOMPARE(shownRow(f, 1).value(0), fromCp1252(f.Texte[2][193]));
    const QStringList english = shownRow(f, 20);
    QCOMPARE(english.mid(1), german.mid(1)); // values and units unchanged
    QVERIFY(english.value(0) != german.value(0));
    QCOMPARE(english.value(0), fromCp1252(f.Parameters.Records[2][p41].Description));
    // The drive is told, and the all-parameters view is relabelled too.
    QVERIFY(fx.commands(int(fx.drive->receivedCommands().size()), kWait));
    QTRY_VERIFY_WITH_TIMEOUT(fx.drive->receivedCommands().contains("#1P265=1\r"), kWait);
    f.ffnen1Click();
    QCOMPARE(shownRow(f, p41).value(0), english.value(0));
}

void TestParameterListing::versionAnswers()
{
    LinkFixture fx;
    QVERIFY(fx.start());
    TForm1 &f = *fx.form;
    fx.drive->withDrive(1, [](sim::Drive &d) { d.version = "Version 030001"; });
    f.Core->queueCommand("ver", CommandKind::Version);
    f.Core->queueCommand("s", CommandKind::Plain);
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), kWait);
    QCOMPARE(f.Label18->text(), QStringLiteral("Version 030001"));
    QCOMPARE(f.Core->FirmwareNumber, 301);
    // A version text beginning with "9" in the firmware number's place gives 0.
    fx.drive->withDrive(1, [](sim::Drive &d) { d.version = "Version 069000"; });
    f.Core->queueCommand("ver", CommandKind::Version);
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), kWait);
    QCOMPARE(f.Core->FirmwareNumber, 0);
    QCOMPARE(fx.drive->receivedCommands(), (QList<QByteArray> {"#1ver\r", "#1s\r", "#1ver\r"}));
}

void TestParameterListing::versionOfAnotherFormDoesNotHoldTheLink()
{
    LinkFixture fx;
    QVERIFY(fx.start());
    TForm1 &f = *fx.form;
    f.Label18->setText(QStringLiteral("before"));
    f.Core->FirmwareNumber = 123;
    for (const char *other : {"ZYNT Firmware 1.04", "Version 12", "Version 1.1.1 ZYNT"}) {
        fx.drive->withDrive(1, [other](sim::Drive &d) { d.version = other; });
        f.Core->queueCommand("ver", CommandKind::Version);
        f.Core->queueCommand("s", CommandKind::Plain);
        QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), kWait);
        QCOMPARE(f.Label18->text(), QStringLiteral("before"));
        QCOMPARE(f.Core->FirmwareNumber, 123);
        QCOMPARE(fx.drive->receivedCommands().last(), QByteArray("#1s\r"));
    }
}

QTEST_MAIN(TestParameterListing)
#include "test_parameterlisting.moc"
