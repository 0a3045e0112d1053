// SPDX-License-Identifier: GPL-3.0-or-later
// Where things stand so that they show whole: a number display takes room
// from its left before its font must shrink; a window fits its screen.
#include "shell/numberplace.h"
#include "shell/screenfit.h"

#include <QtTest>

class TestPlacement : public QObject {
    Q_OBJECT
private slots:
    void widened_data();
    void widened();
    void fitted_data();
    void fitted();
};

void TestPlacement::widened_data()
{
    QTest::addColumn<int>("needed");
    QTest::addColumn<int>("leftmost");
    QTest::addColumn<QRect>("value");
    QTest::addColumn<QRect>("caption");
    QTest::addColumn<int>("missing");
    // The design: caption at 515, 44 wide; the number at 560, 46 wide.
    QTest::newRow("fits") << 40 << 480 << QRect(560, 24, 46, 15) << QRect(515, 24, 44, 15) << 0;
    QTest::newRow("exactly") << 46 << 515 << QRect(560, 24, 46, 15) << QRect(515, 24, 44, 15) << 0;
    QTest::newRow("grows to the left") << 60 << 480 << QRect(546, 24, 60, 15) << QRect(501, 24, 44, 15) << 0;
    QTest::newRow("as far as there is room")
        << 90 << 500 << QRect(545, 24, 61, 15) << QRect(500, 24, 44, 15) << 29;
    QTest::newRow("no room") << 50 << 515 << QRect(560, 24, 46, 15) << QRect(515, 24, 44, 15) << 4;
    QTest::newRow("caption already past the limit")
        << 50 << 520 << QRect(560, 24, 46, 15) << QRect(515, 24, 44, 15) << 4;
}

void TestPlacement::widened()
{
    QFETCH(int, needed);
    QFETCH(int, leftmost);
    QFETCH(QRect, value);
    QFETCH(QRect, caption);
    QFETCH(int, missing);
    const numberplace::Place place =
        numberplace::widened(QRect(560, 24, 46, 15), QRect(515, 24, 44, 15), needed, leftmost);
    QCOMPARE(place.value, value);
    QCOMPARE(place.caption, caption);
    QCOMPARE(place.missing, missing);
}

void TestPlacement::fitted_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("fitted");
    // A screen of 1366 x 768 with a panel of 32 at its top.
    QTest::newRow("within stays") << QRect(100, 100, 640, 400) << QRect(100, 100, 640, 400);
    QTest::newRow("the whole area") << QRect(0, 32, 1366, 736) << QRect(0, 32, 1366, 736);
    QTest::newRow("too tall") << QRect(100, 100, 760, 1120) << QRect(100, 32, 760, 736);
    QTest::newRow("too wide and too tall") << QRect(0, 0, 1520, 1120) << QRect(0, 32, 1366, 736);
    QTest::newRow("past the right edge") << QRect(1000, 300, 520, 420) << QRect(846, 300, 520, 420);
    QTest::newRow("past the bottom") << QRect(10, 600, 520, 420) << QRect(10, 348, 520, 420);
    QTest::newRow("under the panel") << QRect(10, 0, 520, 420) << QRect(10, 32, 520, 420);
    QTest::newRow("left of the screen") << QRect(-50, 100, 520, 420) << QRect(0, 100, 520, 420);
}

void TestPlacement::fitted()
{
    QFETCH(QRect, frame);
    QFETCH(QRect, fitted);
    QCOMPARE(screenfit::fitted(frame, QRect(0, 32, 1366, 736)), fitted);
}

QTEST_GUILESS_MAIN(TestPlacement)
#include "test_placement.moc"
