// SPDX-License-Identifier: GPL-3.0-or-later
// The text file's grammar, read from bytes, and the language that the drive's
// answer to "P265?" selects.
#include "shell/texttable.h"

#include "shell/datafiles.h"
#include "shell/textlines.h"

#include <QDir>
#include <QTemporaryDir>

#include <QMap>
#include <QtTest>

namespace {

// Expected texts by key language * 1000 + number; every other slot, including
// the unused index 0 of both dimensions, must stay empty.
using Texts = QMap<int, QByteArray>;

constexpr int key(int language, int number) { return language * 1000 + number; }

QByteArray crlf(const QByteArrayList &lines)
{
    return lines.join("\r\n") + "\r\n";
}

} // namespace

class TestTextTable : public QObject {
    Q_OBJECT
private slots:
    void entryLine_data();
    void entryLine();
    void continuation_data();
    void continuation();
    void endOfFile_data();
    void endOfFile();
    void lineEnds_data();
    void lineEnds();
    void rejectedEntries_data();
    void rejectedEntries();
    void language_data();
    void language();
    void helpFile();
    void longEntryOfManyPieces();
    void linesOfATemporary();
    void readErrorKeepsWhatWasRead();

private:
    void addColumns();
    void compareTable();
};

void TestTextTable::addColumns()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Texts>("expected");
}

void TestTextTable::compareTable()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Texts, expected);
    const TextTable table = texts::parseTextFile(bytes);
    for (int language = 0; language < int(table.size()); ++language) {
        for (int number = 0; number < int(table[language].size()); ++number) {
            const QByteArray want = expected.value(key(language, number));
            if (table[language][number] != want) {
                QFAIL(qPrintable(QStringLiteral("text [%1,%2] is \"%3\", expected \"%4\"")
                                     .arg(language)
                                     .arg(number)
                                     .arg(QString::fromLatin1(table[language][number].toPercentEncoding()),
                                          QString::fromLatin1(want.toPercentEncoding()))));
            }
        }
    }
}

void TestTextTable::entryLine_data()
{
    addColumns();
    QTest::newRow("title line looks like an entry")
        << crlf({R"([1,1]="title")", R"([1,2]="two")"}) << Texts {{key(1, 2), "two"}};
    QTest::newRow("equals sign before the piece")
        << crlf({"t", R"([1,62]="HEXWALD - ZYNT Ansteuerung")"}) << Texts {{key(1, 62), "HEXWALD - ZYNT Ansteuerung"}};
    QTest::newRow("anything between bracket and quote")
        << crlf({"t", R"([1,5] := xyz "abc")", R"([2,5]"def")"}) << Texts {{key(1, 5), "abc"}, {key(2, 5), "def"}};
    QTest::newRow("pieces concatenated")
        << crlf({"t", R"([2,7]="ab" "cd"  "ef")"}) << Texts {{key(2, 7), "abcdef"}};
    QTest::newRow("character after closing quote skipped")
        << crlf({"t", R"([1,5]="ab"x"cd")"}) << Texts {{key(1, 5), "abcd"}};
    // The quote that follows directly is the skipped character, so "cd" stands
    // before the next quote and is thrown away.
    QTest::newRow("quote after closing quote skipped")
        << crlf({"t", R"([1,5]="ab""cd")", R"([1,6]="ef")"}) << Texts {{key(1, 5), "ab"}, {key(1, 6), "ef"}};
    QTest::newRow("comma and bracket inside a piece")
        << crlf({"t", R"([1,5]="a,b]c")"}) << Texts {{key(1, 5), "a,b]c"}};
    QTest::newRow("empty piece")
        << crlf({"t", R"([1,5]="")", R"([1,6]="x")"}) << Texts {{key(1, 6), "x"}};
    QTest::newRow("piece without closing quote")
        << crlf({"t", R"([1,5]="ab" "cd)", R"([1,6]="ef)"}) << Texts {{key(1, 5), "abcd"}, {key(1, 6), "ef"}};
    QTest::newRow("entry without any piece")
        << crlf({"t", "[1,5]", R"([1,6]="b")"}) << Texts {{key(1, 6), "b"}};
    QTest::newRow("duplicate entry appends")
        << crlf({"t", R"([1,5]="ab")", R"([2,5]="x")", R"([1,5]="cd")"})
        << Texts {{key(1, 5), "abcd"}, {key(2, 5), "x"}};
    QTest::newRow("range boundaries")
        << crlf({"t", R"([1,1]="a")", R"([1,229]="b")", R"([2,1]="c")", R"([2,229]="d")"})
        << Texts {{key(1, 1), "a"}, {key(1, 229), "b"}, {key(2, 1), "c"}, {key(2, 229), "d"}};
    QTest::newRow("bytes 0x80 to 0xFF kept")
        << crlf({"t", "[1,12]=\"&File \xF6" "ffnen\"", "[1,21]=\"Schlie\xDF" "en \x80\xA0\xFF\""})
        << Texts {{key(1, 12), "&File \xF6" "ffnen"}, {key(1, 21), "Schlie\xDF" "en \x80\xA0\xFF"}};
}

void TestTextTable::entryLine()
{
    compareTable();
}

void TestTextTable::continuation_data()
{
    addColumns();
    QTest::newRow("plus: one carriage return")
        << crlf({"t", R"([2,19]="Please wait" +)", R"("loading")"}) << Texts {{key(2, 19), "Please wait\rloading"}};
    QTest::newRow("double plus: two carriage returns")
        << crlf({"t", R"([2,19]="Please wait" ++)", R"("loading")"}) << Texts {{key(2, 19), "Please wait\r\rloading"}};
    QTest::newRow("several continuation lines")
        << crlf({"t", R"([1,5]="a" +)", R"("b" ++)", R"("c" "d")", R"([1,6]="e")"})
        << Texts {{key(1, 5), "a\rb\r\rcd"}, {key(1, 6), "e"}};
    // The character after the closing quote is skipped even when it is the mark.
    QTest::newRow("plus right after the quote is skipped")
        << crlf({"t", R"([1,5]="a"+)", R"([1,6]="b")"}) << Texts {{key(1, 5), "a"}, {key(1, 6), "b"}};
    QTest::newRow("double plus right after the quote is one plus")
        << crlf({"t", R"([1,5]="a"++)", R"("b")"}) << Texts {{key(1, 5), "a\rb"}};
    QTest::newRow("plus inside the last piece is text")
        << crlf({"t", R"([1,5]="Links+Rechts")", R"([1,6]="b")"}) << Texts {{key(1, 5), "Links+Rechts"}, {key(1, 6), "b"}};
    // The mark is looked for in the whole rest of the line; the pieces after
    // it are not read.
    QTest::newRow("plus in a later piece continues")
        << crlf({"t", R"([1,5]="a" "b+c")", R"("d")"}) << Texts {{key(1, 5), "a\rd"}};
    QTest::newRow("pieces after the first of a continued line are dropped")
        << crlf({"t", R"([1,5]="a" "b" +)", R"("c")"}) << Texts {{key(1, 5), "a\rc"}};
    QTest::newRow("continuation line brackets are not read")
        << crlf({"t", R"([1,5]="a" +)", R"([1,6]="b")"}) << Texts {{key(1, 5), "a\rb"}};
    QTest::newRow("continued duplicate appends")
        << crlf({"t", R"([1,5]="a" +)", R"("b")", R"([1,5]="c")"}) << Texts {{key(1, 5), "a\rbc"}};
    QTest::newRow("empty line after plus ends only the entry")
        << crlf({"t", R"([1,5]="a" +)", "", R"([1,6]="b")", "", R"([1,7]="c")"})
        << Texts {{key(1, 5), "a\r"}, {key(1, 6), "b"}};
    QTest::newRow("plus on the last line of the file")
        << QByteArray("t\r\n[1,5]=\"a\" ++") << Texts {{key(1, 5), "a\r\r"}};
}

void TestTextTable::continuation()
{
    compareTable();
}

void TestTextTable::endOfFile_data()
{
    addColumns();
    QTest::newRow("empty file") << QByteArray() << Texts {};
    QTest::newRow("title only") << QByteArray("[1,5]=\"a\"") << Texts {};
    QTest::newRow("empty line 2") << crlf({"t", "", R"([1,5]="a")"}) << Texts {};
    QTest::newRow("empty line 3 leaves one text")
        << crlf({"t", R"([1,5]="a")", "", R"([1,6]="b")", R"([2,5]="c")"}) << Texts {{key(1, 5), "a"}};
    QTest::newRow("blank line is not empty")
        << crlf({"t", R"([1,5]="a")", " ", R"([1,6]="b")"}) << Texts {{key(1, 5), "a"}, {key(1, 6), "b"}};
    QTest::newRow("no line end after the last entry")
        << QByteArray("t\r\n[1,5]=\"a\"\r\n[1,6]=\"b\"") << Texts {{key(1, 5), "a"}, {key(1, 6), "b"}};
    QTest::newRow("piece without closing quote at the end")
        << QByteArray("t\r\n[1,5]=\"abc") << Texts {{key(1, 5), "abc"}};
}

void TestTextTable::endOfFile()
{
    compareTable();
}

void TestTextTable::lineEnds_data()
{
    addColumns();
    const Texts expected {{key(1, 5), "a\rb"}, {key(1, 6), "c"}, {key(2, 5), "d"}};
    QTest::newRow("CRLF")
        << QByteArray("t\r\n[1,5]=\"a\" +\r\n\"b\"\r\n[1,6]=\"c\"\r\n[2,5]=\"d\"\r\n\r\n[2,6]=\"e\"\r\n") << expected;
    QTest::newRow("LF only")
        << QByteArray("t\n[1,5]=\"a\" +\n\"b\"\n[1,6]=\"c\"\n[2,5]=\"d\"\n\n[2,6]=\"e\"\n") << expected;
    QTest::newRow("CR only")
        << QByteArray("t\r[1,5]=\"a\" +\r\"b\"\r[1,6]=\"c\"\r[2,5]=\"d\"\r\r[2,6]=\"e\"\r") << expected;
    QTest::newRow("mixed")
        << QByteArray("t\n[1,5]=\"a\" +\r\"b\"\r\n[1,6]=\"c\"\r[2,5]=\"d\"\n\r\n[2,6]=\"e\"\r") << expected;
    // The carriage return of the line end never enters a text.
    QTest::newRow("CRLF after an open piece")
        << QByteArray("t\r\n[1,5]=\"abc\r\n[1,6]=\"d\r\n") << Texts {{key(1, 5), "abc"}, {key(1, 6), "d"}};
}

void TestTextTable::lineEnds()
{
    compareTable();
}

void TestTextTable::rejectedEntries_data()
{
    addColumns();
    QTest::newRow("bad and out-of-range numbers")
        << crlf({"t", R"([x,5]="a")", R"([1,abc]="b")", R"([3,5]="c")", R"([1,0]="d")", R"([1,230]="e")",
                 R"([0,1]="f")", R"([-1,5]="g")", R"([1,]="h")", R"([,5]="i")", R"(1,5="j")", R"([1,5]="ok")"})
        << Texts {{key(1, 5), "ok"}};
    QTest::newRow("rejected entry takes its continuation along")
        << crlf({"t", R"([3,5]="a" +)", R"("b" ++)", R"("c")", R"([1,6]="d")"}) << Texts {{key(1, 6), "d"}};
    QTest::newRow("rejected entry does not end the file")
        << crlf({"t", R"([1,300]="a")", R"([2,7]="b")", "", R"([2,8]="c")"}) << Texts {{key(2, 7), "b"}};
}

void TestTextTable::rejectedEntries()
{
    compareTable();
}

void TestTextTable::language_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("language");
    QTest::newRow("nothing yet") << QByteArray() << 0;
    QTest::newRow("echo only") << QByteArray("#1P265?\r") << 0;
    QTest::newRow("value line not ended") << QByteArray("#1P265?\rP265=0") << 0;
    QTest::newRow("one carriage return") << QByteArray("P265=0\r") << 0;
    QTest::newRow("no equals sign") << QByteArray("#1P265?\rP265 0\r") << 0;
    QTest::newRow("no P265") << QByteArray("#1P26?\rP26=0\r") << 0;
    QTest::newRow("0 is German") << QByteArray("#1P265?\rP265=0\r") << 1;
    QTest::newRow("1 is English") << QByteArray("#1P265?\rP265=1\r") << 2;
    QTest::newRow("empty value is English") << QByteArray("#1P265?\rP265=\r") << 2;
    QTest::newRow("00 is English") << QByteArray("#1P265?\rP265=00\r") << 2;
    QTest::newRow("0 with a blank is English") << QByteArray("#1P265?\rP265=0 \r") << 2;
    QTest::newRow("0 with its ok") << QByteArray("#1P265?\rP265=0\rok\r") << 1;
    QTest::newRow("1 with its ok") << QByteArray("#1P265?\rP265=1\rok\r") << 2;
    QTest::newRow("0 at address 12 with ok") << QByteArray("#12P265?\rP265=0\rok\r") << 1;
}

void TestTextTable::language()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, language);
    QCOMPARE(texts::languageFromAnswer(answer), language);
}

void TestTextTable::helpFile()
{
    QCOMPARE(texts::helpFileName(1), QByteArray("ZYNT_HILFE.html"));
    QCOMPARE(texts::helpFileName(2), QByteArray("ZYNT_HELP.html"));
}

void TestTextTable::longEntryOfManyPieces()
{
    // Several megabytes in one line of many pieces: every piece is read
    // once, so this takes no time worth noticing (the whole rest of the line
    // used to be searched for a "+" after every piece, and cut from the
    // front).
    QByteArray line = "[1,5]=";
    QByteArray expected;
    for (int i = 0; line.size() < (4 << 20); ++i) {
        const QByteArray piece = QByteArray::number(i % 1000);
        line += '"' + piece + "\" ";
        expected += piece;
    }
    const TextTable table = texts::parseTextFile("t\r\n" + line + "\r\n[1,6]=\"x\"\r\n");
    QCOMPARE(table[1][5].size(), expected.size());
    QVERIFY(table[1][5] == expected);
    QCOMPARE(table[1][6], QByteArray("x"));
}

void TestTextTable::linesOfATemporary()
{
    // The reader holds the bytes it is given: a temporary may be passed.
    TextLines lines(QByteArray("eins\r\nzwei\rdrei\nvier"));
    QCOMPARE(lines.next(), QByteArray("eins"));
    QCOMPARE(lines.next(), QByteArray("zwei"));
    QCOMPARE(lines.next(), QByteArray("drei"));
    QCOMPARE(lines.next(), QByteArray("vier"));
    QVERIFY(lines.atEnd());
    QCOMPARE(lines.next(), QByteArray());
}

namespace {
// A device that delivers its bytes and then fails, as a disk can.
class FailingDevice : public QIODevice {
public:
    FailingDevice(QByteArray bytes, qsizetype failAt) : m_bytes(std::move(bytes)), m_failAt(failAt)
    {
        open(QIODevice::ReadOnly);
    }
protected:
    qint64 readData(char *data, qint64 max) override
    {
        if (m_pos >= m_failAt) {
            setErrorString(QStringLiteral("Eingabe-/Ausgabefehler"));
            return -1;
        }
        const qint64 n = std::min<qint64>(max, std::min<qint64>(16, m_failAt - m_pos));
        memcpy(data, m_bytes.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }
    bool isSequential() const override { return true; }
private:
    QByteArray m_bytes;
    qsizetype m_failAt;
    qsizetype m_pos = 0;
};
} // namespace

void TestTextTable::readErrorKeepsWhatWasRead()
{
    const QByteArray file = crlf({"t", R"([1,5]="a")", R"([1,6]="b")", R"([1,7]="c")"});
    FailingDevice device(file, file.indexOf("[1,7]"));
    const datafiles::ReadResult read = datafiles::readFile(device);
    QCOMPARE(read.error, QStringLiteral("Eingabe-/Ausgabefehler"));
    QCOMPARE(read.bytes, file.left(file.indexOf("[1,7]")));
    const TextTable table = texts::parseTextFile(read.bytes);
    QCOMPARE(table[1][5], QByteArray("a"));
    QCOMPARE(table[1][6], QByteArray("b"));
    QVERIFY(table[1][7].isEmpty());

    // A file that cannot be read at all is named in the reason.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("ZYNT-Texte.ini"));
    QVERIFY(QDir().mkpath(folder));
    const datafiles::ReadResult none = datafiles::readFile(folder);
    QVERIFY(none.bytes.isEmpty());
    QVERIFY2(none.error.contains(QStringLiteral("ZYNT-Texte.ini")), qPrintable(none.error));
}

QTEST_APPLESS_MAIN(TestTextTable)
#include "test_texttable.moc"
