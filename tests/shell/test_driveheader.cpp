// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window's drive header says for what is known of the drive.
#include "shell/driveheader.h"

#include <QTest>

class TestDriveHeader : public QObject {
    Q_OBJECT
private slots:
    void fields_data();
    void fields();
};

void TestDriveHeader::fields_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("expected");
    const QString adapter = QStringLiteral("/dev/serial/by-id/usb-FTDI_A-if00-port0");
    QTest::newRow("connected") << adapter << 38400 << QByteArray("1") << QStringLiteral("Version 041200")
                               << adapter + QStringLiteral("  \u00b7  38400 Baud  \u00b7  Adresse 1  \u00b7  Version 041200");
    QTest::newRow("version not read yet") << QStringLiteral("/dev/ttyS0") << 9600 << QByteArray("7") << QString()
                                          << QStringLiteral("/dev/ttyS0  \u00b7  9600 Baud  \u00b7  Adresse 7");
    // A version is the drive's: with no drive answering none is shown.
    QTest::newRow("no drive answers") << adapter << 38400 << QByteArray() << QStringLiteral("Version 041200")
                                      << adapter + QStringLiteral("  \u00b7  38400 Baud  \u00b7  keine Antwort");
    QTest::newRow("no port open") << QString() << 38400 << QByteArray("1") << QStringLiteral("Version 041200")
                                  << QStringLiteral("Keine Schnittstelle offen");
}

void TestDriveHeader::fields()
{
    QFETCH(QString, device);
    QFETCH(int, baud);
    QFETCH(QByteArray, address);
    QFETCH(QString, version);
    QFETCH(QString, expected);
    QCOMPARE(driveheader::text(driveheader::fields({device, baud, address, version})), expected);
}

QTEST_APPLESS_MAIN(TestDriveHeader)
#include "test_driveheader.moc"
