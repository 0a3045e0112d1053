// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window's drive header says for what is known of the drive.
#include "shell/driveheader.h"

#include <QTest>

class TestDriveHeader : public QObject {
    Q_OBJECT
private slots:
    void fields_data();
    void fields();
    void latencyNote_data();
    void latencyNote();
};

void TestDriveHeader::fields_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("timerMs");
    QTest::addColumn<QString>("expected");
    const QString adapter = QStringLiteral("/dev/serial/by-id/usb-FTDI_A-if00-port0");
    QTest::newRow("connected") << adapter << 38400 << QByteArray("1") << QStringLiteral("Version 041200") << QString() << -1
                               << adapter + QStringLiteral("  \u00b7  38400 Baud  \u00b7  Adresse 1  \u00b7  Version 041200");
    QTest::newRow("version not read yet") << QStringLiteral("/dev/ttyS0") << 9600 << QByteArray("7") << QString() << QString() << -1
                                          << QStringLiteral("/dev/ttyS0  \u00b7  9600 Baud  \u00b7  Adresse 7");
    // A version is the drive's: with no drive answering none is shown.
    QTest::newRow("no drive answers") << adapter << 38400 << QByteArray() << QStringLiteral("Version 041200") << QString() << -1
                                      << adapter + QStringLiteral("  \u00b7  38400 Baud  \u00b7  keine Antwort");
    QTest::newRow("no port open") << QString() << 38400 << QByteArray("1") << QStringLiteral("Version 041200")
                                  << QStringLiteral("ftdi_sio") << 16 << QStringLiteral("Keine Schnittstelle offen");
}

void TestDriveHeader::fields()
{
    QFETCH(QString, device);
    QFETCH(int, baud);
    QFETCH(QByteArray, address);
    QFETCH(QString, version);
    QFETCH(QString, driver);
    QFETCH(int, timerMs);
    QFETCH(QString, expected);
    QCOMPARE(driveheader::text(driveheader::fields({device, baud, address, version, driver, timerMs})), expected);
}

void TestDriveHeader::latencyNote_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("timerMs");
    QTest::addColumn<QString>("expected");
    const QString adapter = QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("default timer") << adapter << 16
                                   << QStringLiteral("Der USB-Adapter hält Antworten bis zu 16 ms zurück: "
                                                     "latency_timer per udev-Regel auf 1 setzen (siehe README)");
    QTest::newRow("just above the bound") << adapter << 3
                                          << QStringLiteral("Der USB-Adapter hält Antworten bis zu 3 ms zurück: "
                                                            "latency_timer per udev-Regel auf 1 setzen (siehe README)");
    QTest::newRow("at the bound") << adapter << 2 << QString();
    QTest::newRow("low latency") << adapter << 1 << QString();
    QTest::newRow("no timer") << adapter << -1 << QString();
    QTest::newRow("port closed") << QString() << 16 << QString();
}

void TestDriveHeader::latencyNote()
{
    QFETCH(QString, device);
    QFETCH(int, timerMs);
    QFETCH(QString, expected);
    driveheader::Facts facts;
    facts.device = device;
    facts.baud = 38400;
    facts.latencyTimerMs = timerMs;
    QCOMPARE(driveheader::latencyNote(facts), expected);
}

QTEST_APPLESS_MAIN(TestDriveHeader)
#include "test_driveheader.moc"
