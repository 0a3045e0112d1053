// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up of the main window against simulated drives: texts, settings
// file, connect sequence on the wire, language, address choice, manual
// configuration, repeat and shutdown.
#include "shellfixture.h"

#include "tests/link/pollfilter.h"

#include "manual/window/tform2.h"
#include "program/window/tokbottomdlg.h"
#include "shell/window/helpviewer.h"
#include "shell/settings.h"
#include "shell/window/tradiogroup.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

constexpr int kWait = 10000;

// The bare probe first: a drive in program entry would take the "quit" as
// the end of its entry.
const QList<QByteArray> kConnect1 = {"#1\r",         "#1quit\r",     "#1P265?\r", "#1ver\r",
                                     "#1P1028=8\r", "#1p1035=0\r", "#1p1716=58120394\r"};

ShellFixture::Prepare drives(std::initializer_list<int> addresses, int baud = 38400)
{
    return [addresses, baud](sim::SimLine &line) {
        line.setBaud(baud);
        for (int a : addresses)
            line.addDrive(a);
    };
}

QList<QByteArray> connectSequence(const QByteArray &a)
{
    return {'#' + a + '\r', '#' + a + "quit\r", '#' + a + "P265?\r", '#' + a + "ver\r", '#' + a + "P1028=8\r",
            '#' + a + "p1035=0\r", '#' + a + "p1716=58120394\r"};
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void oneDriveConnectsAndReadsItsParameters();
    void severalDrivesConnectTheFirstAndListInBlocks();
    void masterAddressIsWokenFirst();
    void withoutSettingsFileAddressZero();
    void autoscanInTheFileStartsTheSearchOnly();
    void languageFollowsTheDrive();
    void languageMenuTellsTheDrive();
    void repeatedStartUpYieldsTheSameTexts();
    void unreadableFilesAreNamed();
    void closingStopsTimersAndPort();
    void manualConfigurationThenAddressChoiceWritesTheFile();
    void addressChoiceWithoutAnswerReprobesThePreviousAddress();
    void addressChosenWhileTheDriveIsSilentLosesTheLink();
    void manualConfigurationRates_data();
    void manualConfigurationRates();
    void manualConfigurationCancelledGivesTheLineBack();
};

void TestStartup::oneDriveConnectsAndReadsItsParameters()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({1}), {}, ShellFixture::settings(1, 38400, "1", "1")));
    TForm1 &f = *fx.form;

    // The texts come from the shipped file: the fixture's folder has none.
    QVERIFY(!fx.german(62).isEmpty());
    QCOMPARE(f.windowTitle(), fx.german(62));
    QCOMPARE(f.Sprache1->title(), fx.german(1));
    QCOMPARE(f.Label15->text(), fx.german(172));
    QCOMPARE(f.Label2->text(), QStringLiteral("COM1:38400 Baud - address "));
    QVERIFY(f.isEnabled());
    QVERIFY(!f.Image1->isHidden());
    QVERIFY(f.BitBtn1->isHidden());
    QCOMPARE(f.Core->Timer3->interval(), 100);
    QVERIFY(f.Parameters.SingleDriveListing);
    QVERIFY(!f.Master1->isEnabled());

    QVERIFY(ShellFixture::commands(*fx.com1, 7));
    QCOMPARE(fx.com1->receivedCommands().mid(0, 7), kConnect1);

    // Three seconds later the splash ends and the parameter list is read.
    QVERIFY(ShellFixture::commands(*fx.com1, 11, kWait));
    QCOMPARE(fx.com1->receivedCommands().mid(7, 4),
             (QList<QByteArray> {"#1TROFF\r", "#1p1028=8\r", "#1listp\r", "#1ver\r"}));
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled(), kWait);
    QVERIFY(f.Image1->isHidden());
    QVERIFY(!f.BitBtn1->isHidden());
    QVERIFY(!f.Position->isHidden());
    QCOMPARE(f.Label6->text(), QStringLiteral("1"));
    QCOMPARE(f.Core->DriveConnected, uint8_t(1));
    QVERIFY(!f.Timer12->isActive());
    QVERIFY(f.Button11->isHidden()); // offered only after a failed search

    // The window as it looks now, for whoever wants to see the layout.
    f.show();
    QTest::qWait(50);
    const QImage shot = f.grab().toImage();
    QCOMPARE(shot.size(), QSize(650, 480));
    const QString path = qEnvironmentVariable("ZYNT_SCREENSHOT",
                                              qEnvironmentVariable("ZYNT_BINARY_DIR") + "/tests/mainwindow.png");
    QVERIFY2(shot.save(path), qPrintable(path));
}

void TestStartup::severalDrivesConnectTheFirstAndListInBlocks()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({3, 5}), {}, ShellFixture::settings(1, 38400, "2", "3,5,")));
    TForm1 &f = *fx.form;
    QCOMPARE(f.Core->DriveAddress, QByteArray("3"));
    QCOMPARE(f.ListBox1->count(), 2);
    QCOMPARE(f.ListBox1->item(1)->text(), QStringLiteral("5"));
    QCOMPARE(f.ComboBox1->count(), 2);
    QVERIFY(!f.Parameters.SingleDriveListing);
    QCOMPARE(f.Core->Timer3->interval(), 200);
    QCOMPARE(f.Core->Timer8->interval(), 1000);
    QCOMPARE(f.Core->Timer9->interval(), 4000);
    QCOMPARE(f.Core->Timer11->interval(), 4000);

    QVERIFY(ShellFixture::commands(*fx.com1, 7 + 2 + 10 + 1, kWait));
    const QList<QByteArray> got = fx.com1->receivedCommands();
    QCOMPARE(got.mid(0, 7), connectSequence("3"));
    QCOMPARE(got.mid(7, 3), (QList<QByteArray> {"#3TROFF\r", "#3p1028=8\r", "#3listp1.20\r"}));
    for (int i = 1; i <= 9; ++i)
        QCOMPARE(got.value(9 + i), "#3listp" + QByteArray::number(20 * i + 1) + ".20\r");
    QCOMPARE(got.value(19), QByteArray("#3ver\r"));
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled(), kWait);
}

void TestStartup::masterAddressIsWokenFirst()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({200}), {}, ShellFixture::settings(1, 38400, "1", "200")));
    QVERIFY(ShellFixture::commands(*fx.com1, 9));
    QList<QByteArray> expected {"#200s\r", "#200\r"};
    expected += connectSequence("200");
    QCOMPARE(fx.com1->receivedCommands().mid(0, 9), expected);
    QVERIFY(fx.form->Master1->isEnabled());
    QCOMPARE(fx.form->MasterAddress, uint8_t(1));
}

void TestStartup::withoutSettingsFileAddressZero()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({1})));
    TForm1 &f = *fx.form;
    QCOMPARE(f.Serial1->COMPort(), 1);
    QCOMPARE(f.Serial1->Baudrate(), br_038400);
    QVERIFY(f.Serial1->Active());
    QCOMPARE(f.Label2->text(), QStringLiteral("COM1:38400 Baud - address "));
    // Nobody answers address 0; the sequence waits at its first command.
    QVERIFY(ShellFixture::commands(*fx.com1, 1));
    QTest::qWait(200);
    QCOMPARE(fx.com1->receivedCommands(), QList<QByteArray> {"#0\r"});
    QVERIFY(f.isEnabled());
}

void TestStartup::autoscanInTheFileStartsTheSearchOnly()
{
    ShellFixture fx;
    QVERIFY(fx.start({}, {}, ShellFixture::settings(1, 38400, "1", "1", "1")));
    TForm1 &f = *fx.form;
    QCOMPARE(f.Core->LinkState, uint8_t(1));
    QVERIFY(!f.isEnabled());
    QVERIFY(!f.Core->Queue.head());
    QVERIFY(!f.Timer12->isActive());
    QCOMPARE(f.Core->Timer1->interval(), 100);
    QVERIFY(ShellFixture::commands(*fx.com1, 1));
    QCOMPARE(fx.com1->receivedCommands().value(0), QByteArray("#*\r"));
}

void TestStartup::languageFollowsTheDrive()
{
    ShellFixture fx;
    QVERIFY(fx.start(
        [](sim::SimLine &line) {
            line.setBaud(38400);
            line.addDrive(1).values["P265"] = "1";
        },
        {}, ShellFixture::settings(1, 38400, "1", "1")));
    TForm1 &f = *fx.form;
    QTRY_COMPARE_WITH_TIMEOUT(f.Sprache, 2, kWait);
    QCOMPARE(f.windowTitle(), fx.english(62));
    QCOMPARE(f.Datei1->title(), fx.english(2));
    QCOMPARE(f.Label3->text(), fx.english(19));
    QCOMPARE(f.Liste_Speichern->toolTip(), fx.english(147));
    QCOMPARE(f.HelpFile, QStringLiteral("ZYNT_HELP.html"));
    // The rest of the sequence goes on after the answer.
    QVERIFY(ShellFixture::commands(*fx.com1, 7));
    QCOMPARE(fx.com1->receivedCommands().mid(0, 7), kConnect1);
}

void TestStartup::languageMenuTellsTheDrive()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({1}), {}, ShellFixture::settings(1, 38400, "1", "1")));
    TForm1 &f = *fx.form;
    QVERIFY(ShellFixture::commands(*fx.com1, 6));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), kWait);
    fx.com1->clearReceived();

    f.english1Click();
    QCOMPARE(f.Sprache, 2);
    QCOMPARE(f.windowTitle(), fx.english(62));
    QCOMPARE(f.Automatisch1->text(), fx.english(16));
    QCOMPARE(f.StringGrid2->item(0, 3)->text(), fx.english(67));
    QVERIFY(ShellFixture::commands(*fx.com1, 1));
    QCOMPARE(fx.com1->receivedCommands().value(0), QByteArray("#1P265=1\r"));

    f.Deutsch1Click();
    QCOMPARE(f.Sprache, 1);
    QCOMPARE(f.windowTitle(), fx.german(62));
    QVERIFY(ShellFixture::commands(*fx.com1, 2));
    QCOMPARE(fx.com1->receivedCommands().value(1), QByteArray("#1P265=0\r"));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), kWait);

    // Without a connected drive the language changes here only.
    f.Core->DriveConnected = 0;
    f.english1Click();
    QCOMPARE(f.Sprache, 2);
    QVERIFY(!f.Core->Queue.head());
    QTest::qWait(100);
    QCOMPARE(fx.com1->receivedCommands().size(), 2);

    // The manual window and the confirmation dialog follow when they come up.
    f.Form2->show();
    QCOMPARE(f.Form2->windowTitle(), fx.english(63));
    QCOMPARE(f.Form2->Button9->text(), fx.english(33));
    f.Form2->hide();
    f.OKBottomDlg->show();
    QCOMPARE(f.OKBottomDlg->windowTitle(), fx.english(69));
    QVERIFY(!f.OKBottomDlg->CancelBtn->isHidden());
    f.OKBottomDlg->hide();

    // The help follows the language: the English page, in the program's own window.
    QCOMPARE(f.HelpFile, QStringLiteral("ZYNT_HELP.html"));
    f.Hilfedatei1Click();
    QVERIFY2(fx.messages.isEmpty(), qPrintable(fx.messages.join(QLatin1Char('\n'))));
    QVERIFY(HelpViewer::of(&f));
    QCOMPARE(QFileInfo(HelpViewer::of(&f)->page()).fileName(), QStringLiteral("ZYNT_HELP.html"));
}

void TestStartup::repeatedStartUpYieldsTheSameTexts()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({1}), {}, ShellFixture::settings(1, 38400, "1", "1")));
    TForm1 &f = *fx.form;
    const TextTable first = f.Texte;
    QVERIFY(ShellFixture::commands(*fx.com1, 6));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), kWait);
    f.english1Click();
    QVERIFY(ShellFixture::commands(*fx.com1, 7));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), kWait);
    fx.com1->clearReceived();

    f.Button11Click();
    QVERIFY(f.Texte == first);
    QCOMPARE(f.Sprache, 1);
    QCOMPARE(f.windowTitle(), fx.german(62));
    QCOMPARE(f.ListBox1->count(), 1); // read again, not added twice
    QVERIFY(ShellFixture::commands(*fx.com1, 7));
    QCOMPARE(ShellFixture::withoutProbes(fx.com1->receivedCommands()).mid(0, 6), kConnect1.mid(1));
    // Nor do the addresses pile up in the hidden address box.
    f.Button11Click();
    QCOMPARE(f.ListBox1->count(), 1);
    QCOMPARE(f.ComboBox1->count(), 1);
    QCOMPARE(f.ComboBox1->itemText(0), QStringLiteral("1"));
}

void TestStartup::unreadableFilesAreNamed()
{
    // A folder where a file should be: the message says which file it is.
    ShellFixture fx;
    QVERIFY(fx.start(drives({1}), {}, {}, false));
    QVERIFY(QDir(fx.dir.path()).mkdir(QStringLiteral("ZYNT.ini")));
    fx.form->FormCreate();
    QCOMPARE(fx.messages.size(), 1);
    QVERIFY2(fx.messages[0].contains(QDir::toNativeSeparators(fx.dir.filePath(QStringLiteral("ZYNT.ini")))),
             qPrintable(fx.messages[0]));
    // Neither stops the start: no search, the connect sequence to address 0.
    QCOMPARE(fx.form->Autoscan, uint8_t(0));
    QCOMPARE(fx.form->Core->DriveAddress, QByteArray("0"));
}

void TestStartup::closingStopsTimersAndPort()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({1}), {}, ShellFixture::settings(1, 38400, "1", "1")));
    TForm1 &f = *fx.form;
    f.show();
    QVERIFY(ShellFixture::commands(*fx.com1, 6));
    f.close();
    QVERIFY(!f.Serial1->Active());
    for (QTimer *t : {f.Core->Timer1, f.Timer2, f.Core->Timer3, f.Timer5, f.Timer6, f.Core->Timer7, f.Core->Timer8, f.Core->Timer9, f.Core->Timer10,
                      f.Core->Timer11, f.Timer12})
        QVERIFY(!t->isActive());
    QVERIFY(!f.Core->Queue.head());
    // Nothing more goes out after the close.
    const auto sent = fx.com1->receivedCommands().size();
    QTest::qWait(3500);
    QCOMPARE(fx.com1->receivedCommands().size(), sent);
}

void TestStartup::manualConfigurationThenAddressChoiceWritesTheFile()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({1, 3, 5}), {}, ShellFixture::settings(1, 38400, "2", "3,5,")));
    TForm1 &f = *fx.form;
    QVERIFY(ShellFixture::commands(*fx.com1, 6));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), kWait);
    f.Timer12->stop(); // no parameter read in between

    f.ManuellKonfigurieren1Click(); // the fixture confirms the port dialog
    QVERIFY(!f.Serial1->Active());
    QVERIFY(!f.Core->Timer3->isActive());
    QVERIFY(!f.RadioGroup5->isHidden());
    QCOMPARE(f.RadioGroup5->items().size(), 6);
    QCOMPARE(f.RadioGroup5->itemIndex(), 5);
    QCOMPARE(f.RadioGroup6->itemIndex(), 0);
    QCOMPARE(f.ListBox1->count(), 1);
    QCOMPARE(f.ListBox1->height(), 17);

    f.Button15Click();
    QVERIFY(f.RadioGroup5->isHidden());
    QVERIFY(f.Serial1->Active());
    QCOMPARE(f.Label2->text(), QStringLiteral("COM1: 38400 baud - address"));
    QCOMPARE(f.Core->Timer3->interval(), 100);
    QCOMPARE(f.Core->Timer11->interval(), 2000);
    QCOMPARE(f.SettingsSavePending, uint8_t(1));
    QVERIFY(!f.ListBox1->isHidden());
    QVERIFY(!f.Label15->isHidden());

    fx.com1->clearReceived();
    f.ListBox1->setCurrentRow(0);
    f.ListBox1DblClick();
    QVERIFY(ShellFixture::commands(*fx.com1, 7));
    QCOMPARE(fx.com1->receivedCommands().mid(0, 7),
             (QList<QByteArray> {"#1\r", "#1ver\r", "#1quit\r", "#1P265?\r", "#1P1028=8\r", "#1p1035=0\r",
                                 "#1p1716=58120394\r"}));
    QVERIFY(f.ListBox1->isHidden());
    QCOMPARE(f.Core->PreviousAddress, QByteArray("3"));
    QCOMPARE(f.SettingsSavePending, uint8_t(0));
    // The file lists the configured addresses, not the one just chosen.
    QFile written(fx.dir.filePath(QStringLiteral("ZYNT.ini")));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("ZYNT Schnittstellendaten:\r\nAutoscan=0\r\nCOMPort=1\r\n"
                                           "Baudrate=38400\r\nHardwarehandshake=0\r\nAnzahl ZYNT=2\r\n"
                                           "ZYNTNr=3,5,\r\n"));
    // The answer to the probe connects the chosen drive.
    QTRY_COMPARE_WITH_TIMEOUT(f.Label6->text(), QStringLiteral("1"), kWait);
    QVERIFY(!f.Core->Timer8->isActive());
    QCOMPARE(f.Core->DriveConnected, uint8_t(1));

    // Without a choice pending, the next choice neither connects fully nor writes.
    written.close();
    QVERIFY(written.remove());
    fx.com1->clearReceived();
    f.ComboBox1->setEditText(QStringLiteral("5"));
    f.ComboBox1KeyPress('\r');
    QVERIFY(ShellFixture::commands(*fx.com1, 2));
    QTest::qWait(200);
    QCOMPARE(withoutStatusQueries(fx.com1->receivedCommands()), (QList<QByteArray> {"#5\r", "#5ver\r"}));
    QVERIFY(!QFile::exists(fx.dir.filePath(QStringLiteral("ZYNT.ini"))));
}

void TestStartup::addressChoiceWithoutAnswerReprobesThePreviousAddress()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({1}), {}, ShellFixture::settings(1, 38400, "1", "1")));
    TForm1 &f = *fx.form;
    QVERIFY(ShellFixture::commands(*fx.com1, 6));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), kWait);
    f.Timer12->stop();
    fx.com1->clearReceived();

    f.Achse1Click();
    f.ComboBox1->setEditText(QStringLiteral("7"));
    f.ComboBox1KeyPress('\r');
    QVERIFY(ShellFixture::commands(*fx.com1, 1));
    QCOMPARE(fx.com1->receivedCommands().value(0), QByteArray("#7\r"));
    QCOMPARE(f.Core->DriveAddress, QByteArray("7"));
    QCOMPARE(f.Form2->ComboBox1->currentText(), QStringLiteral("7"));
    QVERIFY(f.Core->Timer8->isActive());
    // After a second without answer the previous drive is probed again and
    // taken back when it answers.
    QVERIFY(ShellFixture::commands(*fx.com1, 2, kWait));
    QCOMPARE(fx.com1->receivedCommands().value(1), QByteArray("#1\r"));
    QTRY_COMPARE_WITH_TIMEOUT(f.Core->DriveAddress, QByteArray("1"), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(f.Label6->text(), QStringLiteral("1"), kWait);
    QCOMPARE(f.Core->DriveConnected, uint8_t(1));
    QVERIFY(!f.Core->Timer8->isActive());
}

void TestStartup::addressChosenWhileTheDriveIsSilentLosesTheLink()
{
    // Two addresses configured, one drive on the line (address 1).
    ShellFixture fx;
    QVERIFY(fx.start(drives({1}), {}, ShellFixture::settings(1, 38400, "2", "1,7,")));
    TForm1 &f = *fx.form;
    f.show();
    f.Timer12->stop();
    f.Timer12Timer();
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled() && f.Core->Owner.holds(line::Activity::None)
                                 && f.Core->Timer3->isActive(), kWait);
    const QString described = f.Label2->text();

    // The drive falls silent; the user chooses address 7 from the list and
    // lets the offer's time run out.
    fx.com1->setSilent(true);
    f.Achse1->trigger();
    QVERIFY(f.ListBox1->isVisible());
    const QRect seven = f.ListBox1->visualItemRect(f.ListBox1->item(1));
    QTest::mouseClick(f.ListBox1->viewport(), Qt::LeftButton, {}, seven.center());
    QCOMPARE(f.Core->DriveAddress, QByteArray("7"));

    // No answer: the link is lost, shown as such, and the address that
    // answered last is probed again and again.
    QTRY_COMPARE_WITH_TIMEOUT(f.Label2->text(), fx.german(74), kWait);
    QCOMPARE(f.Label2->palette().color(QPalette::Window), QColor(Qt::red));
    QTRY_VERIFY_WITH_TIMEOUT(f.Label15->isHidden() && !f.Timer14->isActive(), kWait);
    fx.com1->clearReceived();
    QVERIFY(ShellFixture::commands(*fx.com1, 3, kWait));
    QCOMPARE(fx.com1->receivedCommands().mid(0, 3), (QList<QByteArray> {"#1\r", "#1\r", "#1\r"}));

    // The drive answers again: the link is back, the poll runs, and the
    // parameters are read when the user asks.
    fx.com1->setSilent(false);
    QTRY_COMPARE_WITH_TIMEOUT(f.Label2->text(), described, kWait);
    QCOMPARE(f.Label6->text(), QStringLiteral("1"));
    QVERIFY(f.isEnabled());
    fx.com1->clearReceived();
    QTRY_VERIFY_WITH_TIMEOUT(fx.com1->receivedCommands().contains("#1P51?\r"), kWait);
    f.neulesen1->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(fx.com1->receivedCommands().contains("#1listp1.20\r"), kWait);
}

void TestStartup::manualConfigurationRates_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("timer1");
    QTest::addColumn<int>("timer3");
    QTest::addColumn<int>("timer9");
    // At the slow rates the watchdog is at least one poll cycle on the line,
    // one poll interval and a second (status::linkWatchdogMs).
    QTest::newRow("1200") << 0 << int(br_001200) << "COM1:  1200 baud - address" << 500 << 400 << 3259 + 400 + 1000;
    QTest::newRow("2400") << 1 << int(br_002400) << "COM1:  2400 baud - address" << 400 << 400 << 1630 + 400 + 1000;
    QTest::newRow("4800") << 2 << int(br_004800) << "COM1:  4800 baud - address" << 400 << 300 << 3000;
    QTest::newRow("9600") << 3 << int(br_009600) << "COM1:  9600 baud - address" << 400 << 250 << 2000;
    QTest::newRow("19200") << 4 << int(br_019200) << "COM1: 19200 baud - address" << 400 << 200 << 2000;
}

void TestStartup::manualConfigurationRates()
{
    QFETCH(int, item);
    QFETCH(int, rate);
    QFETCH(QString, caption);
    QFETCH(int, timer1);
    QFETCH(int, timer3);
    QFETCH(int, timer9);
    ShellFixture fx;
    QVERIFY(fx.start(drives({1}), {}, ShellFixture::settings(1, 38400, "1", "1")));
    TForm1 &f = *fx.form;
    f.Timer12->stop();
    QCOMPARE(f.Core->Timer9->interval(), 2000);
    f.ManuellKonfigurieren1Click();
    f.RadioGroup5->setItemIndex(item);
    f.RadioGroup6->setItemIndex(1);
    f.Button15Click();
    QCOMPARE(int(f.Serial1->Baudrate()), rate);
    QVERIFY(f.Serial1->HandshakeRtsCts());
    QCOMPARE(f.Label2->text(), caption);
    QCOMPARE(f.Core->Timer1->interval(), timer1);
    QCOMPARE(f.Core->Timer3->interval(), timer3);
    QCOMPARE(f.Core->Timer9->interval(), timer9);
    QCOMPARE(f.Core->Timer11->interval(), 2000);
}

void TestStartup::manualConfigurationCancelledGivesTheLineBack()
{
    ShellFixture fx;
    QVERIFY(fx.start(drives({1, 2}), {}, ShellFixture::settings(1, 38400, "2", "1,2,")));
    TForm1 &f = *fx.form;
    f.show();
    f.Timer12->stop();
    f.Timer12Timer();
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled() && f.Core->Owner.holds(line::Activity::None)
                                 && f.Core->Timer3->isActive(), kWait);
    const QString described = f.Label2->text();
    fx.cancelPortSelection = true;

    // Cancelled on a working link: the port, the poll and the address list
    // are as they were, and the poll goes out again.
    f.ManuellKonfigurieren1->trigger();
    QVERIFY(f.Serial1->Active());
    QVERIFY(!f.Core->Owner.paused(line::Pause::ManualConfiguration));
    QVERIFY(f.Core->Timer3->isActive());
    QCOMPARE(f.Label2->text(), described);
    QVERIFY(f.RadioGroup5->isHidden());
    QCOMPARE(f.ListBox1->count(), 2);
    fx.com1->clearReceived();
    QTRY_VERIFY_WITH_TIMEOUT(fx.com1->receivedCommands().contains("#1P51?\r"), kWait);

    // Cancelled while the link is lost: it is still lost, and the drive is
    // still looked for, so that the link comes back when it answers.
    fx.com1->setSilent(true);
    QTRY_COMPARE_WITH_TIMEOUT(f.Label2->text(), fx.german(74), kWait);
    f.ManuellKonfigurieren1->trigger();
    QVERIFY(f.Serial1->Active());
    QCOMPARE(f.Label2->text(), fx.german(74));
    QVERIFY(f.Core->Owner.paused(line::Pause::LinkLost));
    fx.com1->clearReceived();
    QVERIFY(ShellFixture::commands(*fx.com1, 2, kWait));
    QCOMPARE(fx.com1->receivedCommands().mid(0, 2), (QList<QByteArray> {"#1\r", "#1\r"}));
    fx.com1->setSilent(false);
    QTRY_COMPARE_WITH_TIMEOUT(f.Label2->text(), described, kWait);
    QTRY_VERIFY_WITH_TIMEOUT(f.Core->Timer3->isActive(), kWait);
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
