// SPDX-License-Identifier: GPL-3.0-or-later
// The status line's rules: a long text shortened in its middle, and the
// bounded list of the last messages.
#include "shell/statusline.h"

#include <QtTest>

using statusline::elideMiddle;
using statusline::History;

namespace {

// One unit a character, a "W" three: widths as a proportional font has them.
int advance(const QString &text)
{
    int width = 0;
    for (const QChar c : text)
        width += c == QLatin1Char('W') ? 3 : 1;
    return width;
}

bool splitsAPair(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && (i + 1 == text.size() || !text.at(i + 1).isLowSurrogate()))
            return true;
        if (text.at(i).isLowSurrogate() && (i == 0 || !text.at(i - 1).isHighSurrogate()))
            return true;
    }
    return false;
}

} // namespace

class TestStatusLine : public QObject {
    Q_OBJECT
private slots:
    void elidesInTheMiddle_data();
    void elidesInTheMiddle();
    void neverSplitsACharacter();
    void keepsTheLastMessages();
    void aReportGoingOnTakesItsOwnPlace_data();
    void aReportGoingOnTakesItsOwnPlace();
};

void TestStatusLine::elidesInTheMiddle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("shown");
    const QString e = QStringLiteral("\u2026");
    QTest::newRow("fits whole") << QStringLiteral("abcdef") << 6 << QStringLiteral("abcdef");
    QTest::newRow("one too long") << QStringLiteral("abcdefg") << 6 << QStringLiteral("ab") + e + QStringLiteral("efg");
    QTest::newRow("even room") << QStringLiteral("abcdefghij") << 5 << QStringLiteral("ab") + e + QStringLiteral("ij");
    QTest::newRow("the end gets the larger half")
        << QStringLiteral("abcdefghij") << 6 << QStringLiteral("ab") + e + QStringLiteral("hij");
    QTest::newRow("room for the mark only") << QStringLiteral("abcdef") << 1 << e;
    QTest::newRow("no room at all") << QStringLiteral("abcdef") << 0 << QString();
    QTest::newRow("wide characters take more room")
        << QStringLiteral("WWabcdWW") << 8 << QStringLiteral("W") + e + QStringLiteral("W");
    QTest::newRow("the file name stays")
        << QStringLiteral("Aufzeichnung gespeichert (377 Zeilen): /home/technik/zynt/2026-12-10-ad.csv") << 40
        << QStringLiteral("Aufzeichnung gespei") + e + QStringLiteral("nt/2026-12-10-ad.csv");
}

void TestStatusLine::elidesInTheMiddle()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, shown);
    const QString result = elideMiddle(text, width, advance);
    QCOMPARE(result, shown);
    QVERIFY(advance(result) <= width);
}

void TestStatusLine::neverSplitsACharacter()
{
    // Each symbol is a pair of UTF-16 units; every cut between them moves
    // to the pair's edge, whatever the width.
    const QString text = QStringLiteral("a\U0001F600b\U0001F600c\U0001F600d\U0001F600e\U0001F600f");
    const auto units = [](const QString &t) { return int(t.size()); };
    for (int width = 0; width <= units(text); ++width) {
        const QString result = elideMiddle(text, width, units);
        QVERIFY2(!splitsAPair(result), qPrintable(QStringLiteral("width %1").arg(width)));
        QVERIFY(result.size() <= width);
    }
}

void TestStatusLine::keepsTheLastMessages()
{
    History history;
    const QDateTime start(QDate(2026, 12, 10), QTime(9, 0));
    history.add(start, QString()); // an emptied line is no message
    QVERIFY(history.entries().isEmpty());
    // A minute apart, so that none is taken for a report going on.
    for (int n = 0; n < History::kCapacity + 10; ++n)
        history.add(start.addSecs(60 * n), QStringLiteral("Meldung %1").arg(n));
    QCOMPARE(history.entries().size(), History::kCapacity);
    QCOMPARE(history.entries().first().text, QStringLiteral("Meldung 10"));
    QCOMPARE(history.entries().first().time, start.addSecs(60 * 10));
    QCOMPARE(history.entries().last().text, QStringLiteral("Meldung 59"));
    QCOMPARE(history.entries().last().time, start.addSecs(60 * 59));
}

void TestStatusLine::aReportGoingOnTakesItsOwnPlace_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("secondsLater");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("entries");
    QTest::newRow("a count goes on") << QStringLiteral("Parameter werden geschrieben: 5 von 200") << 1
                                     << QStringLiteral("Parameter werden geschrieben: 6 von 200") << 1;
    QTest::newRow("the same text again") << QStringLiteral("Abgebrochen") << 3 << QStringLiteral("Abgebrochen") << 1;
    QTest::newRow("the same text much later")
        << QStringLiteral("Abgebrochen") << int(History::kProgressSeconds + 1) << QStringLiteral("Abgebrochen") << 2;
    QTest::newRow("a count much later") << QStringLiteral("gelesen … 40 %") << int(History::kProgressSeconds + 1)
                                        << QStringLiteral("gelesen … 60 %") << 2;
    QTest::newRow("other words") << QStringLiteral("Parameter werden geschrieben: 5 von 200") << 1
                                 << QStringLiteral("Parameter geschrieben: 200 von 200") << 2;
}

void TestStatusLine::aReportGoingOnTakesItsOwnPlace()
{
    QFETCH(QString, first);
    QFETCH(int, secondsLater);
    QFETCH(QString, second);
    QFETCH(int, entries);
    History history;
    const QDateTime start(QDate(2026, 12, 10), QTime(9, 0));
    history.add(start.addSecs(-60), QStringLiteral("Vorher"));
    history.add(start, first);
    history.add(start.addSecs(secondsLater), second);
    QCOMPARE(history.entries().size(), 1 + entries);
    QCOMPARE(history.entries().first().text, QStringLiteral("Vorher"));
    QCOMPARE(history.entries().last().text, second);
    QCOMPARE(history.entries().last().time, start.addSecs(secondsLater));
}

QTEST_GUILESS_MAIN(TestStatusLine)
#include "test_statusline.moc"
