// SPDX-License-Identifier: GPL-3.0-or-later
// The drive's answer to "ver": the version text and the firmware number,
// and when an answer of another form is over.
#include "shell/firmware.h"

#include <QtTest>

class TestFirmware : public QObject {
    Q_OBJECT
private slots:
    void version_data();
    void version();
    void answerOfAnotherForm_data();
    void answerOfAnotherForm();
};

void TestFirmware::version_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("number");
    // Characters 11-12, then 9-10, then 13-14 of the text make the number.
    QTest::newRow("drive") << QByteArray("#1ver\rVersion 041200\r") << QByteArray("Version 041200") << 120400;
    QTest::newRow("300") << QByteArray("#1ver\rVersion 030000\r") << QByteArray("Version 030000") << 300;
    QTest::newRow("301") << QByteArray("#1ver\rVersion 030001\r") << QByteArray("Version 030001") << 301;
    QTest::newRow("leading 9 gives 0") << QByteArray("#1ver\rVersion 019000\r") << QByteArray("Version 019000")
                                       << 0;
    QTest::newRow("ok behind it") << QByteArray("#1ver\rVersion 041200\rok\r") << QByteArray("Version 041200")
                                  << 120400;
    QTest::newRow("text before Version") << QByteArray("#1ver\rZYNT Version 041200\r")
                                         << QByteArray("Version 041200") << 120400;
    QTest::newRow("letters in the digits") << QByteArray("#1ver\rVersion 0a1b00\r") << QByteArray("Version 0a1b00")
                                           << 0;
}

void TestFirmware::version()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QByteArray, text);
    QFETCH(int, number);
    const std::optional<firmware::Version> v = firmware::readVersion(buffer);
    QVERIFY(v);
    QCOMPARE(v->text, text);
    QCOMPARE(v->number, number);
}

void TestFirmware::answerOfAnotherForm_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<bool>("complete");
    QTest::newRow("no return in the 15 characters") << QByteArray("#1ver\rVersion 0412000000\r") << false;
    QTest::newRow("then its ok") << QByteArray("#1ver\rVersion 0412000000\rok\r") << true;
    QTest::newRow("too short") << QByteArray("#1ver\rVersion 10\r") << false;
    QTest::newRow("too short, then a line") << QByteArray("#1ver\rVersion 10\rx\r") << true;
    QTest::newRow("no 0") << QByteArray("#1ver\rVersion 123456789\rok\r") << true;
    QTest::newRow("no Version") << QByteArray("#1ver\rZYNT Firmware 1.04\rok\r") << true;
    QTest::newRow("echo only") << QByteArray("#1ver\r") << false;
    QTest::newRow("half an echo") << QByteArray("#1ve") << false;
}

void TestFirmware::answerOfAnotherForm()
{
    QFETCH(QByteArray, buffer);
    QFETCH(bool, complete);
    QVERIFY(!firmware::readVersion(buffer));
    QCOMPARE(firmware::answerComplete(buffer), complete);
}

QTEST_APPLESS_MAIN(TestFirmware)
#include "test_firmware.moc"
