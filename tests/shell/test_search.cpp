// SPDX-License-Identifier: GPL-3.0-or-later
// The drive search against simulated lines on COM1 and COM2: port and rate,
// addresses, the connect sequence for what was found, and both failures.
#include "shellfixture.h"

#include "manual/window/tform2.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTimer>

namespace {

constexpr int kSearchWait = 30000;

ShellFixture::Prepare drives(std::initializer_list<int> addresses, int baud)
{
    return [addresses, baud](sim::SimLine &line) {
        line.setBaud(baud);
        for (int a : addresses)
            line.addDrive(a);
    };
}

const QByteArray kAutoscan = ShellFixture::settings(1, 38400, "1", "1", "1");

// The probes of one address search: address 1 twice, then 2 to 10.
QList<QByteArray> addressProbes()
{
    QList<QByteArray> probes {"#1\r"};
    for (int a = 1; a <= 10; ++a)
        probes.append('#' + QByteArray::number(a) + '\r');
    return probes;
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void driveAtAddress3OnCom2At9600();
    void drives2And5At38400();
    void noDriveAnywhere();
    void driveOnlyAtAddress9EndsTheSearch();
    void broadcastAnsweredButNoAddressGoesOn();
    void resumedSearchSearchesTheAddressesAgain();
    void menuSearchSkipsTheSettingsFile();
    void driveInProgramEntryIsFoundAndAskedAbout();
};

void TestSearch::driveAtAddress3OnCom2At9600()
{
    ShellFixture fx;
    QVERIFY(fx.start({}, drives({3}, 9600), kAutoscan));
    TForm1 &f = *fx.form;
    QTRY_COMPARE_WITH_TIMEOUT(f.Core->LinkState, uint8_t(2), kSearchWait);
    QVERIFY(f.Core->ScanStep == 10 || f.Core->ScanStep == 11);
    QCOMPARE(f.Serial1->COMPort(), 2);
    QCOMPARE(f.Label2->text(), QStringLiteral("COM2:9600 Baud - address "));
    QCOMPARE(f.Core->Timer3->interval(), 250);
    QCOMPARE(f.Core->Timer11->interval(), 2000);
    QCOMPARE(f.Core->Timer1->interval(), 400);
    QVERIFY(!f.isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled(), kSearchWait);
    QCOMPARE(f.Core->LinkState, uint8_t(0));
    QCOMPARE(f.Core->FoundAddresses[0], 1);
    QCOMPARE(f.Core->FoundAddresses[1], 3);
    QCOMPARE(f.ListBox1->count(), 1);
    QCOMPARE(f.ListBox1->item(0)->text(), QStringLiteral("3"));
    QCOMPARE(f.Core->DriveAddress, QByteArray("3"));
    QCOMPARE(f.Label6->text(), QStringLiteral("3"));
    QVERIFY(f.Parameters.SingleDriveListing);
    QVERIFY(!f.ComboBox1->isEnabled());
    QCOMPARE(f.Core->Timer3->interval(), 250);
    QCOMPARE(f.Core->Timer9->interval(), 2000);
    QCOMPARE(f.Core->DriveConnected, uint8_t(1));

    // On the wire of COM2: broadcasts, the address probes, then the connect
    // sequence and the single listing; the version follows the listing.
    const QList<QByteArray> got = fx.com2->receivedCommands();
    const qsizetype firstProbe = got.indexOf("#1\r");
    QVERIFY(firstProbe > 0);
    for (qsizetype i = 0; i < firstProbe; ++i)
        QCOMPARE(got[i], QByteArray("#*\r"));
    QCOMPARE(got.mid(firstProbe, 11), addressProbes());
    QCOMPARE(got.mid(firstProbe + 11),
             (QList<QByteArray> {"#3quit\r", "#3P265?\r", "#3P1028=8\r", "#3p1035=0\r", "#3p1716=58120394\r",
                                 "#3listp\r", "#3ver\r"}));
    // COM1 heard only broadcasts, at the rates before 9600.
    for (const QByteArray &command : fx.com1->receivedCommands())
        QCOMPARE(command, QByteArray("#*\r"));
    QVERIFY(fx.messages.isEmpty());
}

void TestSearch::drives2And5At38400()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({2, 5}, 38400), {}, kAutoscan));
    TForm1 &f = *fx.form;
    QTRY_VERIFY_WITH_TIMEOUT(f.Core->LinkState == 2 || f.Core->LinkState == 0, kSearchWait);
    QCOMPARE(f.Label2->text(), QStringLiteral("COM1:38400 Baud - address "));
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled(), kSearchWait);

    QCOMPARE(f.Core->FoundAddresses[0], 2);
    QCOMPARE(f.Core->FoundAddresses[1], 2);
    QCOMPARE(f.Core->FoundAddresses[2], 5);
    QCOMPARE(f.ListBox1->count(), 2);
    QCOMPARE(f.ListBox1->height(), 30);
    QCOMPARE(f.Core->Timer3->interval(), 200);
    QCOMPARE(f.Core->Timer9->interval(), 4000);
    QCOMPARE(f.Core->Timer11->interval(), 4000);
    QVERIFY(!f.Parameters.SingleDriveListing);
    QVERIFY(!f.Form2->ComboBox1->isHidden());
    QVERIFY(!f.Form2->Label31->isHidden());
    QCOMPARE(f.Form2->ComboBox1->currentText(), QStringLiteral("2"));
    QVERIFY(f.Button11->isHidden());

    QList<QByteArray> expected {"#2quit\r", "#2P265?\r", "#5quit\r", "#5P265?\r",
                                "#2P1028=8\r", "#2p1035=0\r", "#2p1716=58120394\r",
                                "#5P1028=8\r", "#5p1035=0\r", "#5p1716=58120394\r", "#2listp1.20\r"};
    for (int i = 1; i <= 9; ++i)
        expected.append("#2listp" + QByteArray::number(20 * i + 1) + ".20\r");
    expected.append("#2ver\r");
    QCOMPARE(ShellFixture::withoutProbes(fx.com1->receivedCommands()), expected);
}

void TestSearch::noDriveAnywhere()
{
    ShellFixture fx;
    QVERIFY(fx.start({}, {}, kAutoscan));
    TForm1 &f = *fx.form;
    QTRY_COMPARE_WITH_TIMEOUT(fx.messages.size(), 1, kSearchWait);
    QCOMPARE(fx.messages[0], fx.german(176));
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled(), 5000);
    QCOMPARE(f.Core->LinkState, uint8_t(0));
    QCOMPARE(f.Core->ScanStep, uint8_t(24));
    QVERIFY(!f.Core->Timer1->isActive());
    QVERIFY(!f.Serial1->Active());
    QCOMPARE(f.Label2->text(), fx.german(74));
    QCOMPARE(f.Label2->palette().color(QPalette::Window), QColor(Qt::red));
    QVERIFY(f.Image1->isHidden());
    QVERIFY(!f.BitBtn2->isHidden());
    // Two probes per port and rate: every pair was tried.
    QCOMPARE(fx.com1->receivedCommands().size() + fx.com2->receivedCommands().size(), 24);
}

void TestSearch::driveOnlyAtAddress9EndsTheSearch()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({9}, 38400), {}, kAutoscan));
    TForm1 &f = *fx.form;
    QTRY_COMPARE_WITH_TIMEOUT(f.Core->LinkState, uint8_t(4), kSearchWait);
    QCOMPARE(f.Core->Timer11->interval(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled(), kSearchWait);
    QCOMPARE(f.Core->LinkState, uint8_t(0));
    QCOMPARE(f.Core->FoundAddresses[0], 1);
    QCOMPARE(f.Core->FoundAddresses[1], 9);
    QCOMPARE(f.Core->Timer11->interval(), 2000);
    QCOMPARE(ShellFixture::withoutProbes(fx.com1->receivedCommands()),
             (QList<QByteArray> {"#9quit\r", "#9P265?\r", "#9P1028=8\r", "#9p1035=0\r", "#9p1716=58120394\r",
                                 "#9listp\r", "#9ver\r"}));
    // Address 10 was still probed.
    QVERIFY(fx.com1->receivedCommands().contains("#10\r"));
}

void TestSearch::broadcastAnsweredButNoAddressGoesOn()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({12}, 38400), {}, kAutoscan));
    TForm1 &f = *fx.form;
    QTRY_COMPARE_WITH_TIMEOUT(fx.messages.size(), 1, kSearchWait);
    QCOMPARE(fx.messages[0], fx.german(170) + QStringLiteral("10\r") + fx.german(171));
    QTRY_VERIFY_WITH_TIMEOUT(f.Core->Timer1->isActive(), 5000);
    QCOMPARE(f.Core->LinkState, uint8_t(1));
    QCOMPARE(f.Core->FoundAddresses[0], 0);
    // The next tick probes the next pair.
    const uint8_t step = f.Core->ScanStep;
    QTRY_VERIFY_WITH_TIMEOUT(f.Core->ScanStep > step, 5000);
    QVERIFY(f.Core->Timer3->interval() > 0);
}

void TestSearch::resumedSearchSearchesTheAddressesAgain()
{
    // COM1 answers the broadcast with a drive outside the searched
    // addresses (twice, once for each of its steps); COM2 has drive 3. The
    // search that goes on probes every address again and finds it.
    ShellFixture fx;
    QVERIFY(fx.start(drives({12}, 38400), drives({3}, 38400), kAutoscan));
    TForm1 &f = *fx.form;
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled() && f.Core->LinkState == 0 && f.Core->FoundAddresses[0] == 1, kSearchWait * 2);
    QCOMPARE(fx.messages.size(), 2);
    QCOMPARE(f.Core->FoundAddresses[1], 3);
    QCOMPARE(f.Label2->text(), QStringLiteral("COM2:38400 Baud - address "));
    // On COM2: its broadcast, then the whole address search from address 1.
    const QList<QByteArray> com2 = fx.com2->receivedCommands();
    QCOMPARE(com2.mid(0, 12), QList<QByteArray> {"#*\r"} + addressProbes());
    // Each address search on COM1 began at address 1 too.
    const QList<QByteArray> com1 = fx.com1->receivedCommands();
    QCOMPARE(com1.count("#1\r"), 4);
    QCOMPARE(com1.count("#10\r"), 2);
    QVERIFY(!com1.contains("#11\r"));
}

void TestSearch::menuSearchSkipsTheSettingsFile()
{
    ShellFixture fx;
    const QByteArray file = ShellFixture::settings(2, 9600, "1", "4");
    QVERIFY(fx.start(drives({1}, 38400), {}, file));
    TForm1 &f = *fx.form;
    QCOMPARE(f.Serial1->COMPort(), 2);
    QCOMPARE(f.Serial1->Baudrate(), br_009600);
    QCOMPARE(f.Label2->text(), QStringLiteral("COM2:9600 Baud - address "));
    f.Timer12->stop();

    f.Automatisch1Click();
    QCOMPARE(f.SearchRequested, uint8_t(1));
    QCOMPARE(f.Core->LinkState, uint8_t(1));
    QCOMPARE(f.Serial1->COMPort(), 1);
    QVERIFY(!f.isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled(), kSearchWait);
    // Address 1 answers both of its probes; it is one drive.
    QCOMPARE(f.Core->FoundAddresses[0], 1);
    QCOMPARE(f.Core->FoundAddresses[1], 1);
    QCOMPARE(f.ListBox1->count(), 1);
    QCOMPARE(f.Core->DriveAddress, QByteArray("1"));
    QFile kept(fx.dir.filePath(QStringLiteral("ZYNT.ini")));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), file);
}

void TestSearch::driveInProgramEntryIsFoundAndAskedAbout()
{
    // A drive left in program entry answers its probe with "pgm": it is
    // found, and nothing ends its entry before the user chose.
    ShellFixture fx;
    QVERIFY(fx.start(
        [](sim::SimLine &line) {
            drives({1}, 38400)(line);
            line.withDrive(1, [](sim::Drive &d) {
                d.program.answer("new", "\nok\n\r");
                d.program.answer("W=5", "\nok\n\r");
            });
        },
        {}, kAutoscan));
    TForm1 &f = *fx.form;
    QTRY_VERIFY_WITH_TIMEOUT(!fx.messages.isEmpty(), kSearchWait);
    QVERIFY2(fx.messages[0].contains(QStringLiteral("ZYNT 1 ist in der Programmeingabe")), qPrintable(fx.messages[0]));
    // Taken when the box showed: the fixture answers it at once, and a slow
    // machine may have gone through the whole connect sequence since.
    QVERIFY2(!fx.receivedBeforeBox[0].contains("#1quit\r"), "the connect sequence's quit went out before the choice");
    // "So lassen" (the fixture's answer): the entry ends, the program is read
    // back, then the drive is connected and its list read as after any search.
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled() && !f.Core->Queue.head() && !f.Core->PendingCut, kSearchWait);
    QCOMPARE(f.Core->FoundAddresses[0], 1);
    QCOMPARE(f.Core->DriveAddress, QByteArray("1"));
    const QList<QByteArray> sent = ShellFixture::withoutProbes(fx.com1->receivedCommands());
    QCOMPARE(sent.mid(0, 4), (QList<QByteArray> {"#1quit\r", "#1TROFF\r", "#1p1028=8\r", "#1list\r"}));
    QVERIFY(sent.contains("#1listp\r"));
    QVERIFY2(fx.messages.last().contains(QStringLiteral("ZYNT 1 hält jetzt")), qPrintable(fx.messages.last()));
    QByteArrayList program;
    fx.com1->withDrive(1, [&program](sim::Drive &d) { program = d.program.lines(); });
    QCOMPARE(program, QByteArrayList {"W=5"});
}

QTEST_MAIN(TestSearch)
#include "test_search.moc"
