// SPDX-License-Identifier: GPL-3.0-or-later
// The connection settings file: what each of its seven lines does to the
// state, and the file as the program writes it.
#include "shell/settings.h"

#include <QtTest>

namespace {

QByteArray file(const QByteArrayList &lines)
{
    return lines.join("\r\n") + "\r\n";
}

// A file with the usual title and the given value lines 2 to 7 (fewer lines
// make a shorter file).
QByteArray fileWith(const QByteArrayList &valueLines)
{
    return file(QByteArrayList {"ZYNT Schnittstellendaten:"} + valueLines);
}

// The found-address list as count followed by the addresses 1..count.
QList<int> foundList(const settings::State &state)
{
    const int count = state.addresses.at(0);
    return QList<int>(state.addresses.begin(), state.addresses.begin() + 1 + count);
}

// A state that differs from the defaults everywhere, to see what reading leaves alone.
settings::State usedState()
{
    settings::State state;
    state.autoscan = 1;
    state.port = 4;
    state.baudrate = br_004800;
    state.handshake = true;
    state.interfaceDescription = "COM4:4800 Baud - address ";
    state.addresses[0] = 2;
    state.addresses[1] = 7;
    state.addresses[2] = 9;
    state.masterAddress = 1;
    state.timer3 = 11;
    state.timer8 = 22;
    state.timer9 = 33;
    state.timer11 = 44;
    return state;
}

void compareUntouched(const settings::State &state, const settings::State &before)
{
    QCOMPARE(state.port, before.port);
    QCOMPARE(state.baudrate, before.baudrate);
    QCOMPARE(state.handshake, before.handshake);
    QCOMPARE(state.interfaceDescription, before.interfaceDescription);
    QCOMPARE(state.addresses, before.addresses);
    QCOMPARE(state.masterAddress, before.masterAddress);
    QCOMPARE(state.timer3, before.timer3);
    QCOMPARE(state.timer8, before.timer8);
    QCOMPARE(state.timer9, before.timer9);
    QCOMPARE(state.timer11, before.timer11);
    QCOMPARE(state.driveAddress, before.driveAddress);
    QCOMPARE(state.addedItems, before.addedItems);
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void autoscan_data();
    void autoscan();
    void nothingReadWithAutoscan();
    void emptyFile();
    void misplacedKeys();
    void portAndBaud_data();
    void portAndBaud();
    void handshake_data();
    void handshake();
    void countAndTimers_data();
    void countAndTimers();
    void addressList_data();
    void addressList();
    void countClampedToRoom();
    void writtenFile();
    void writtenSingleAddress();
    void roundTrip_data();
    void roundTrip();
};

void TestSettings::autoscan_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("autoscan");
    QTest::newRow("0") << QByteArray("Autoscan=0") << 0;
    QTest::newRow("1") << QByteArray("Autoscan=1") << 1;
    QTest::newRow("2") << QByteArray("Autoscan=2") << 0;
    QTest::newRow("not a number") << QByteArray("Autoscan=x") << 0;
    QTest::newRow("1 with text after it") << QByteArray("Autoscan=1x") << 0;
    QTest::newRow("empty value") << QByteArray("Autoscan=") << 0;
    QTest::newRow("key not at the start") << QByteArray(" Autoscan=1") << 0;
}

void TestSettings::autoscan()
{
    QFETCH(QByteArray, line);
    QFETCH(int, autoscan);
    settings::State state;
    state.autoscan = 1;
    settings::read(fileWith({line, "COMPort=3", "Baudrate=9600", "Hardwarehandshake=1", "Anzahl ZYNT=1", "ZYNTNr=4"}),
                   state);
    QCOMPARE(int(state.autoscan), autoscan);
    // Without a search every further line is read.
    if (autoscan == 0) {
        QCOMPARE(state.port, std::optional<int>(3));
        QCOMPARE(state.baudrate, std::optional<TBaudrate>(br_009600));
        QCOMPARE(state.handshake, std::optional<bool>(true));
        QCOMPARE(foundList(state), QList<int>({1, 4}));
    }
}

void TestSettings::nothingReadWithAutoscan()
{
    settings::State state = usedState();
    state.autoscan = 0;
    const settings::State before = usedState();
    settings::read(fileWith({"Autoscan=1", "COMPort=2", "Baudrate=19200", "Hardwarehandshake=0", "Anzahl ZYNT=2",
                             "ZYNTNr=200,5,"}),
                   state);
    QCOMPARE(int(state.autoscan), 1);
    compareUntouched(state, before);
}

void TestSettings::emptyFile()
{
    // What a missing file leaves: only the search is switched off.
    settings::State state = usedState();
    const settings::State before = usedState();
    settings::read(QByteArray(), state);
    QCOMPARE(int(state.autoscan), 0);
    compareUntouched(state, before);
}

void TestSettings::misplacedKeys()
{
    // Lines 3 and 4 swapped, line 5 indented: those settings are lost, and
    // line 6 still applies its timers.
    settings::State state;
    state.timer3 = 70;
    settings::read(fileWith({"Autoscan=0", "Baudrate=9600", "COMPort=2", " Hardwarehandshake=1", "Anzahl ZYNT=3",
                             "ZYNTNr=4,5,6,"}),
                   state);
    QVERIFY(!state.port.has_value());
    QVERIFY(!state.baudrate.has_value());
    QVERIFY(!state.handshake.has_value());
    QCOMPARE(state.interfaceDescription, QByteArray());
    QCOMPARE(state.timer3, 210); // no rate known: the given interval times the count
    QCOMPARE(state.timer9, 6000);
    QCOMPARE(foundList(state), QList<int>({3, 4, 5, 6}));

    // A file without the autoscan line: every line moves up by one and no
    // key is on its line; the address line stands where the count belongs.
    settings::State shifted = usedState();
    const settings::State before = usedState();
    settings::read(fileWith({"COMPort=2", "Baudrate=9600", "Hardwarehandshake=1", "Anzahl ZYNT=3", "ZYNTNr=4,5,6,"}),
                   shifted);
    QCOMPARE(int(shifted.autoscan), 0);
    QCOMPARE(shifted.port, before.port);
    QCOMPARE(shifted.baudrate, before.baudrate);
    QCOMPARE(shifted.handshake, before.handshake);
    QCOMPARE(shifted.addresses, before.addresses);
    QCOMPARE(shifted.addedItems, QList<QByteArray>());
    QCOMPARE(shifted.timer3, 22); // the old count of 2 applied to line 6 all the same
    QCOMPARE(shifted.timer9, 4000);
}

void TestSettings::portAndBaud_data()
{
    QTest::addColumn<QByteArray>("baudText");
    QTest::addColumn<int>("rate");           // TBaudrate
    QTest::addColumn<QByteArray>("description");
    QTest::addColumn<int>("poll");
    // Port 2, three drives, a status poll interval of 70 ms before reading.
    QTest::newRow("1200") << QByteArray("1200") << int(br_001200) << QByteArray("COM2:1200 Baud - address ") << 800;
    QTest::newRow("2400") << QByteArray("2400") << int(br_002400) << QByteArray("COM2:2400 Baud - address ") << 400;
    QTest::newRow("4800") << QByteArray("4800") << int(br_004800) << QByteArray("COM2:4800 Baud - address ") << 300;
    QTest::newRow("9600") << QByteArray("9600") << int(br_009600) << QByteArray("COM2:9600 Baud - address ") << 250;
    QTest::newRow("19200") << QByteArray("19200") << int(br_019200) << QByteArray("COM2:19200 Baud - address ") << 200;
    QTest::newRow("38400") << QByteArray("38400") << int(br_038400) << QByteArray("COM2:38400 Baud - address ") << 100;
    // The description of line 6 is built from the number, not the text.
    QTest::newRow("leading zero") << QByteArray("09600") << int(br_009600) << QByteArray("COM2:9600 Baud - address ")
                                  << 250;
    // An unknown rate keeps the text of line 4 and the poll interval it had.
    QTest::newRow("57600") << QByteArray("57600") << int(br_019200) << QByteArray("COM2:57600 Baud - address ") << 0;
    QTest::newRow("14400") << QByteArray("14400") << int(br_019200) << QByteArray("COM2:14400 Baud - address ") << 0;
    QTest::newRow("not a number") << QByteArray("fast") << int(br_019200) << QByteArray("COM2:fast Baud - address ")
                                  << 0;
}

void TestSettings::portAndBaud()
{
    QFETCH(QByteArray, baudText);
    QFETCH(int, rate);
    QFETCH(QByteArray, description);
    QFETCH(int, poll);
    settings::State state;
    state.timer3 = 70;
    settings::read(fileWith({"Autoscan=0", "COMPort=2", "Baudrate=" + baudText, "Hardwarehandshake=0",
                             "Anzahl ZYNT=3", "ZYNTNr=1,2,3,"}),
                   state);
    QCOMPARE(state.port, std::optional<int>(2));
    QVERIFY(state.baudrate);
    QCOMPARE(int(*state.baudrate), rate);
    QCOMPARE(state.interfaceDescription, description);
    QCOMPARE(settings::pollInterval(baudText.toInt()), poll);
    QCOMPARE(state.timer3, (poll ? poll : 70) * 3);

    // Without line 6 the description is the one of lines 3 and 4.
    settings::State shorter;
    settings::read(fileWith({"Autoscan=0", "COMPort=2", "Baudrate=" + baudText}), shorter);
    QCOMPARE(shorter.interfaceDescription, "COM2:" + baudText + " Baud - address ");
    QCOMPARE(shorter.timer3, 0);
}

void TestSettings::handshake_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("handshake"); // -1: not set
    QTest::newRow("off") << QByteArray("Hardwarehandshake=0") << 0;
    QTest::newRow("on") << QByteArray("Hardwarehandshake=1") << 1;
    QTest::newRow("2 is off") << QByteArray("Hardwarehandshake=2") << 0;
    QTest::newRow("not a number") << QByteArray("Hardwarehandshake=on") << -1;
    QTest::newRow("empty value") << QByteArray("Hardwarehandshake=") << -1;
    QTest::newRow("other key") << QByteArray("Handshake=1") << -1;
}

void TestSettings::handshake()
{
    QFETCH(QByteArray, line);
    QFETCH(int, handshake);
    settings::State state;
    settings::read(fileWith({"Autoscan=0", "COMPort=1", "Baudrate=38400", line}), state);
    if (handshake < 0)
        QVERIFY(!state.handshake.has_value());
    else
        QCOMPARE(state.handshake, std::optional<bool>(handshake == 1));
}

void TestSettings::countAndTimers_data()
{
    QTest::addColumn<QByteArray>("baud");
    QTest::addColumn<QByteArray>("countLine");
    QTest::addColumn<int>("countBefore");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("timer3");
    QTest::addColumn<int>("timer8");
    QTest::addColumn<int>("timer9"); // = timer11
    // Before reading: timer3 70, timer8 777, timer9 and timer11 55.
    QTest::newRow("one drive") << QByteArray("9600") << QByteArray("Anzahl ZYNT=1") << 0 << 1 << 250 << 777 << 2000;
    QTest::newRow("two drives") << QByteArray("9600") << QByteArray("Anzahl ZYNT=2") << 0 << 2 << 500 << 1000 << 4000;
    QTest::newRow("five at 1200") << QByteArray("1200") << QByteArray("Anzahl ZYNT=5") << 0 << 5 << 4000 << 2500
                                  << 10000;
    QTest::newRow("four at unknown rate") << QByteArray("57600") << QByteArray("Anzahl ZYNT=4") << 0 << 4 << 280
                                          << 2000 << 8000;
    // No timer of 0 ms: a count of 0 times like one drive.
    QTest::newRow("zero drives") << QByteArray("19200") << QByteArray("Anzahl ZYNT=0") << 3 << 0 << 200 << 777
                                 << 2000;
    QTest::newRow("zero at unknown rate") << QByteArray("57600") << QByteArray("Anzahl ZYNT=0") << 3 << 0 << 70
                                          << 777 << 2000;
    QTest::newRow("negative count") << QByteArray("38400") << QByteArray("Anzahl ZYNT=-3") << 3 << 0 << 100 << 777
                                    << 2000;
    QTest::newRow("above the room") << QByteArray("38400") << QByteArray("Anzahl ZYNT=500") << 0 << 126 << 12600
                                    << 63000 << 252000;
    // A count that cannot be read keeps the count there was; the line's
    // timers still apply.
    QTest::newRow("count not a number") << QByteArray("4800") << QByteArray("Anzahl ZYNT=zwei") << 3 << 3 << 900
                                        << 1500 << 6000;
    QTest::newRow("count key not at the start") << QByteArray("4800") << QByteArray(" Anzahl ZYNT=5") << 2 << 2
                                                << 600 << 1000 << 4000;
}

void TestSettings::countAndTimers()
{
    QFETCH(QByteArray, baud);
    QFETCH(QByteArray, countLine);
    QFETCH(int, countBefore);
    QFETCH(int, count);
    QFETCH(int, timer3);
    QFETCH(int, timer8);
    QFETCH(int, timer9);
    settings::State state;
    state.addresses[0] = countBefore;
    state.timer3 = 70;
    state.timer8 = 777;
    state.timer9 = 55;
    state.timer11 = 55;
    settings::read(fileWith({"Autoscan=0", "COMPort=1", "Baudrate=" + baud, "Hardwarehandshake=0", countLine}), state);
    QCOMPARE(state.addresses[0], count);
    QCOMPARE(state.timer3, timer3);
    QCOMPARE(state.timer8, timer8);
    QCOMPARE(state.timer9, timer9);
    QCOMPARE(state.timer11, timer9);
}

void TestSettings::addressList_data()
{
    QTest::addColumn<QByteArray>("countText");
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QList<int>>("found"); // count, then the addresses
    QTest::addColumn<QByteArrayList>("items");
    QTest::addColumn<int>("master");
    QTest::addColumn<QByteArray>("drive");
    QTest::newRow("3 and 5") << QByteArray("2") << QByteArray("3,5,") << QList<int> {2, 3, 5}
                             << QByteArrayList {"3", "5"} << 0 << QByteArray("3");
    QTest::newRow("12 alone") << QByteArray("1") << QByteArray("12") << QList<int> {1, 12} << QByteArrayList {"12"}
                              << 0 << QByteArray("12");
    QTest::newRow("last without comma") << QByteArray("3") << QByteArray("3,5,8") << QList<int> {3, 3, 5, 8}
                                        << QByteArrayList {"3", "5", "8"} << 0 << QByteArray("3");
    QTest::newRow("master address") << QByteArray("3") << QByteArray("7,200,9,") << QList<int> {3, 7, 200, 9}
                                    << QByteArrayList {"7", "200", "9"} << 1 << QByteArray("7");
    QTest::newRow("empty list, one drive") << QByteArray("1") << QByteArray("") << QList<int> {1, 1}
                                           << QByteArrayList {"1"} << 0 << QByteArray("1");
    QTest::newRow("more entries than the count") << QByteArray("2") << QByteArray("3,5,7,") << QList<int> {2, 3, 5}
                                                 << QByteArrayList {"3", "5"} << 0 << QByteArray("3");
    QTest::newRow("fewer entries than the count") << QByteArray("4") << QByteArray("3,5,") << QList<int> {2, 3, 5}
                                                  << QByteArrayList {"3", "5"} << 0 << QByteArray("3");
    QTest::newRow("fewer, last without comma") << QByteArray("4") << QByteArray("3,5") << QList<int> {2, 3, 5}
                                               << QByteArrayList {"3", "5"} << 0 << QByteArray("3");
    QTest::newRow("entry not a number") << QByteArray("3") << QByteArray("3,x,5,") << QList<int> {1, 3}
                                        << QByteArrayList {"3"} << 0 << QByteArray("3");
    QTest::newRow("first entry not a number") << QByteArray("2") << QByteArray("x,5,") << QList<int> {1, 1}
                                              << QByteArrayList {"1"} << 0 << QByteArray("1");
    QTest::newRow("empty entry") << QByteArray("3") << QByteArray("4,,6,") << QList<int> {1, 4}
                                 << QByteArrayList {"4"} << 0 << QByteArray("4");
    // Address 0 stands for "none": address 1 takes its place, and the 0
    // already offered stays in the boxes.
    QTest::newRow("first address 0") << QByteArray("2") << QByteArray("0,4,") << QList<int> {2, 1, 4}
                                     << QByteArrayList {"0", "4", "1"} << 0 << QByteArray("1");
    // Numbers the protocol cannot carry as an address end the list like any
    // other entry that is no address.
    QTest::newRow("negative address") << QByteArray("2") << QByteArray("3,-1,") << QList<int> {1, 3}
                                      << QByteArrayList {"3"} << 0 << QByteArray("3");
    QTest::newRow("address above 255") << QByteArray("2") << QByteArray("256,4,") << QList<int> {1, 1}
                                       << QByteArrayList {"1"} << 0 << QByteArray("1");
    QTest::newRow("address past the integers") << QByteArray("1") << QByteArray("99999999999")
                                               << QList<int> {1, 1} << QByteArrayList {"1"} << 0 << QByteArray("1");
    QTest::newRow("address 255") << QByteArray("1") << QByteArray("255") << QList<int> {1, 255}
                                 << QByteArrayList {"255"} << 0 << QByteArray("255");
    QTest::newRow("count 0") << QByteArray("0") << QByteArray("5,") << QList<int> {0} << QByteArrayList {} << 0
                             << QByteArray("0");
}

void TestSettings::addressList()
{
    QFETCH(QByteArray, countText);
    QFETCH(QByteArray, list);
    QFETCH(QList<int>, found);
    QFETCH(QByteArrayList, items);
    QFETCH(int, master);
    QFETCH(QByteArray, drive);
    settings::State state;
    settings::read(fileWith({"Autoscan=0", "COMPort=1", "Baudrate=19200", "Hardwarehandshake=0",
                             "Anzahl ZYNT=" + countText, "ZYNTNr=" + list}),
                   state);
    QCOMPARE(foundList(state), found);
    QCOMPARE(state.addedItems, items);
    QCOMPARE(int(state.masterAddress), master);
    QCOMPARE(state.driveAddress, std::optional<QByteArray>(drive));
    // The intervals follow the count of line 6, before the list corrects it.
    QCOMPARE(state.timer9, std::max(countText.toInt(), 1) * 2000);
}

void TestSettings::countClampedToRoom()
{
    QByteArray list;
    for (int address = 1; address <= 130; ++address)
        list += QByteArray::number(address) + ',';
    settings::State state;
    settings::read(fileWith({"Autoscan=0", "COMPort=1", "Baudrate=38400", "Hardwarehandshake=0", "Anzahl ZYNT=130",
                             "ZYNTNr=" + list}),
                   state);
    QCOMPARE(state.addresses.size(), std::size_t(settings::kMaxAddresses + 1));
    QCOMPARE(state.addresses[0], 126);
    QCOMPARE(state.addresses[126], 126);
    QCOMPARE(state.addedItems.size(), qsizetype(126));
    QCOMPARE(state.addedItems.last(), QByteArray("126"));
}

void TestSettings::writtenFile()
{
    QCOMPARE(settings::write(2, 19200, false, {2, 3, 5}),
             QByteArray("ZYNT Schnittstellendaten:\r\nAutoscan=0\r\nCOMPort=2\r\nBaudrate=19200\r\n"
                        "Hardwarehandshake=0\r\nAnzahl ZYNT=2\r\nZYNTNr=3,5,\r\n"));
    // Only the listed addresses count, whatever follows them in the list.
    std::vector<int> found(settings::kMaxAddresses + 1, 0);
    found[0] = 3;
    found[1] = 1;
    found[2] = 200;
    found[3] = 10;
    found[4] = 99;
    QCOMPARE(settings::write(1, 1200, true, found),
             QByteArray("ZYNT Schnittstellendaten:\r\nAutoscan=0\r\nCOMPort=1\r\nBaudrate=1200\r\n"
                        "Hardwarehandshake=1\r\nAnzahl ZYNT=3\r\nZYNTNr=1,200,10,\r\n"));
}

void TestSettings::writtenSingleAddress()
{
    std::vector<int> found(settings::kMaxAddresses + 1, 0);
    found[0] = 1;
    found[1] = 12;
    found[2] = 13;
    QCOMPARE(settings::write(4, 38400, false, found),
             QByteArray("ZYNT Schnittstellendaten:\r\nAutoscan=0\r\nCOMPort=4\r\nBaudrate=38400\r\n"
                        "Hardwarehandshake=0\r\nAnzahl ZYNT=1\r\nZYNTNr=12\r\n"));
}

void TestSettings::roundTrip_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("baud");
    QTest::addColumn<bool>("handshake");
    QTest::addColumn<QList<int>>("found");
    QTest::addColumn<int>("rate");
    QTest::newRow("one drive") << 1 << 9600 << false << QList<int> {1, 12} << int(br_009600);
    QTest::newRow("two drives") << 2 << 19200 << true << QList<int> {2, 3, 5} << int(br_019200);
    QTest::newRow("master among three") << 3 << 2400 << false << QList<int> {3, 200, 1, 10} << int(br_002400);
    QTest::newRow("ten at 1200") << 4 << 1200 << true << QList<int> {10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}
                                 << int(br_001200);
}

void TestSettings::roundTrip()
{
    QFETCH(int, port);
    QFETCH(int, baud);
    QFETCH(bool, handshake);
    QFETCH(QList<int>, found);
    QFETCH(int, rate);
    std::vector<int> addresses(settings::kMaxAddresses + 1, 0);
    std::copy(found.begin(), found.end(), addresses.begin());
    const QByteArray bytes = settings::write(port, baud, handshake, addresses);

    settings::State state;
    state.autoscan = 1;
    settings::read(bytes, state);
    const int count = found.at(0);
    QCOMPARE(int(state.autoscan), 0);
    QCOMPARE(state.port, std::optional<int>(port));
    QVERIFY(state.baudrate);
    QCOMPARE(int(*state.baudrate), rate);
    QCOMPARE(state.handshake, std::optional<bool>(handshake));
    QCOMPARE(foundList(state), found);
    QCOMPARE(int(state.masterAddress), found.contains(200) ? 1 : 0);
    QCOMPARE(state.driveAddress, std::optional<QByteArray>(QByteArray::number(found.at(1))));
    QCOMPARE(state.interfaceDescription,
             "COM" + QByteArray::number(port) + ':' + QByteArray::number(baud) + " Baud - address ");
    QCOMPARE(state.timer3, settings::pollInterval(baud) * count);
    QCOMPARE(state.timer9, 2000 * count);
    QCOMPARE(state.timer11, 2000 * count);
    QCOMPARE(state.timer8, count > 1 ? 500 * count : 0);
    QCOMPARE(settings::write(port, baud, handshake, state.addresses), bytes);
}

QTEST_APPLESS_MAIN(TestSettings)
#include "test_settings.moc"
