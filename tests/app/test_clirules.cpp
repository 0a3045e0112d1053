// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's rules without a process: its arguments, its time-outs,
// the names of drive folders and backups, drive.ini, and JSON strings.
#include "app/clirules.h"

#include <QCryptographicHash>
#include <QTest>

using cli::Options;

class TestCliRules : public QObject {
    Q_OBJECT
private slots:
    void arguments();
    void wrongArguments_data();
    void wrongArguments();
    void timeouts_data();
    void timeouts();
    void names();
    void driveInfo();
    void backupFaults_data();
    void backupFaults();
    void json();
};

void TestCliRules::arguments()
{
    const cli::Parsed p = cli::parseArguments({"--port", "com2", "--baud=9600", "--address", "3,5", "--json",
                                                "restore", "saved/COM2-3", "--force", "--language", "en"});
    QVERIFY2(p.options, qPrintable(p.error));
    const Options &o = *p.options;
    QCOMPARE(o.port, QStringLiteral("COM2"));
    QCOMPARE(o.baud, std::optional<int>(9600));
    QCOMPARE(o.addresses, (QList<int> {3, 5}));
    QVERIFY(o.json && o.force && !o.quiet && !o.save);
    QCOMPARE(o.language, 2);
    QCOMPARE(o.command, QStringLiteral("restore"));
    QCOMPARE(o.arguments, QStringList {"saved/COM2-3"});

    const cli::Parsed device = cli::parseArguments({"--port", "/dev/ttyUSB1", "set", "P41=-5", "W=100", "--save"});
    QVERIFY(device.options);
    QCOMPARE(device.options->port, QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(device.options->arguments, (QStringList {"P41=-5", "W=100"}));
    QVERIFY(device.options->save);
    QVERIFY(cli::parseArguments({"--help"}).help);
    QVERIFY(cli::parseArguments({"scan", "-h"}).help);
    QVERIFY(cli::parseArguments({"--version"}).version);
    QVERIFY(!cli::parseArguments({"--version"}).options);
    QVERIFY(cli::parseArguments({"ports"}).options);
    QVERIFY(!cli::parseArguments({"ports", "COM1"}).options);
}

void TestCliRules::wrongArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("nothing") << QStringList {} << "no command given";
    QTest::newRow("flag with a value") << QStringList {"--json=1", "scan"} << "--json takes no value";
    QTest::newRow("address list with a word") << QStringList {"--address", "1,x", "scan"}
                                              << "--address takes drive addresses 1 to 255, not x";
    QTest::newRow("language") << QStringList {"--language", "fr", "scan"} << "--language takes de or en, not fr";
    QTest::newRow("scan takes nothing") << QStringList {"scan", "COM1"} << "scan: wrong number of arguments";
    QTest::newRow("program needs a file") << QStringList {"program", "read"} << "program: wrong number of arguments";
    QTest::newRow("set needs a name") << QStringList {"set", "=5"} << "set takes NAME=VALUE, not =5";
}

void TestCliRules::wrongArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const cli::Parsed p = cli::parseArguments(arguments);
    QVERIFY(!p.options);
    QCOMPARE(p.error, error);
}

void TestCliRules::timeouts_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("probe");
    QTest::newRow("a query at 38400: the floor") << 80 << 38400 << 2000 << 250;
    QTest::newRow("a query at 1200: three line times") << 80 << 1200 << 2001 << 500;
    QTest::newRow("a listing's worth at 1200") << 1500 << 1200 << 37500 << 500;
    QTest::newRow("a listing's worth at 9600") << 1500 << 9600 << 4689 << 250;
}

void TestCliRules::timeouts()
{
    QFETCH(int, bytes);
    QFETCH(int, baud);
    QFETCH(int, command);
    QFETCH(int, probe);
    QCOMPARE(cli::commandTimeoutMs(bytes, baud), command);
    QCOMPARE(cli::probeWaitMs(baud), probe);
}

void TestCliRules::names()
{
    QCOMPARE(cli::driveFolderName(QStringLiteral("COM2"), 3), QStringLiteral("COM2-3"));
    QCOMPARE(cli::driveFolderName(QStringLiteral("/dev/serial/by-id/usb-X-port0"), 12),
             QStringLiteral("usb-X-port0-12"));

}

void TestCliRules::driveInfo()
{
    cli::DriveInfo info;
    info.port = QStringLiteral("COM1");
    info.baud = 19200;
    info.address = "4";
    info.version = "Version 041200";
    info.time = QDateTime(QDate(2026, 12, 9), QTime(9, 30, 12), Qt::OffsetFromUTC, 3600);
    info.parameters = 141;
    info.programLines = 11;
    info.type = "2";
    info.files = {{QStringLiteral("parameters.par"), 6008, QString(64, QLatin1Char('a'))}};
    const QByteArray bytes = cli::formatDriveInfo(info);
    QCOMPARE(bytes, QByteArray("[ZYNT]\r\nPort=COM1\r\nBaudrate=19200\r\nAddress=4\r\nVersion=041200\r\nType=2\r\n"
                               "Time=2026-12-09T09:30:12+01:00\r\nParameters=141\r\nProgramLines=11\r\nComplete=1\r\n"
                               "[Files]\r\nparameters.par=6008 ")
                        + QByteArray(64, 'a') + "\r\n");
    const std::optional<cli::DriveInfo> back = cli::parseDriveInfo(bytes);
    QVERIFY(back);
    QCOMPARE(back->address, QByteArray("4"));
    QCOMPARE(back->version, QByteArray("041200"));
    QCOMPARE(back->type, QByteArray("2"));
    QCOMPARE(back->time, info.time);
    QCOMPARE(back->programLines, 11);
    QCOMPARE(back->files, info.files);
    // An older file keeps the word in its version, and lists no files.
    const std::optional<cli::DriveInfo> old = cli::parseDriveInfo("[ZYNT]\r\nAddress=1\r\nVersion=Version 041200\r\n");
    QVERIFY(old && old->version == "041200" && old->files.isEmpty());
    // A file of another kind, or without the address, is no drive description.
    QVERIFY(!cli::parseDriveInfo("[Other]\r\nAddress=4\r\n"));
    QVERIFY(!cli::parseDriveInfo("[ZYNT]\r\nPort=COM1\r\n"));
    QVERIFY(cli::parseDriveInfo("[ZYNT]\nAddress=9\n")); // bare line feeds too
}

void TestCliRules::backupFaults_data()
{
    QTest::addColumn<QByteArray>("par");
    QTest::addColumn<int>("parameters");
    QTest::addColumn<bool>("sums");
    QTest::addColumn<QString>("fault"); // empty: none
    const QByteArray whole = "ZYNT-Parameter\r\nA:P41=3000\r\n";
    QTest::newRow("whole") << whole << 1 << true << "";
    QTest::newRow("whole, an older backup") << whole << 1 << false << "";
    QTest::newRow("emptied") << QByteArray() << 1 << true << "parameters.par: 0 bytes, drive.ini says 28";
    QTest::newRow("cut in a line") << whole.left(20) << 1 << true << "its last line ends without its line end";
    QTest::newRow("cut, an older backup") << whole.left(20) << 1 << false << "its last line ends without its line end";
    QByteArray changed = whole;
    changed[changed.indexOf("3000")] = '4';
    QTest::newRow("a byte changed") << changed << 1 << true << "its SHA-256 is not the one drive.ini lists";
    QTest::newRow("counts differ") << whole << 2 << true << "parameters.par: 2 parameters, drive.ini says 1";
}

void TestCliRules::backupFaults()
{
    QFETCH(QByteArray, par);
    QFETCH(int, parameters);
    QFETCH(bool, sums);
    QFETCH(QString, fault);
    const QByteArray whole = "ZYNT-Parameter\r\nA:P41=3000\r\n";
    cli::DriveInfo info;
    info.parameters = 1;
    info.programLines = 0;
    if (sums)
        info.files = {{QStringLiteral("parameters.par"), whole.size(),
                       QString::fromLatin1(QCryptographicHash::hash(whole, QCryptographicHash::Sha256).toHex())}};
    const QStringList faults = cli::backupFaults(info, {{QStringLiteral("parameters.par"), par}}, parameters, 0);
    if (fault.isEmpty())
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    else
        QVERIFY2(faults.join('\n').contains(fault), qPrintable(faults.join('\n')));
}

void TestCliRules::json()
{
    QCOMPARE(cli::jsonString(QStringLiteral("Länge \"A\"\r\n\\")), QByteArray("\"L\xc3\xa4nge \\\"A\\\"\\r\\n\\\\\""));
    QCOMPARE(cli::jsonString(QString(QChar(1))), QByteArray("\"\\u0001\""));
}

QTEST_GUILESS_MAIN(TestCliRules)
#include "test_clirules.moc"
