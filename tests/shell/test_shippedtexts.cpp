// SPDX-License-Identifier: GPL-3.0-or-later
// The text file that ships with the program: complete in both languages,
// readable to its end by the program's own reader, and with the German
// captions that the windows were designed with.
#include "shell/texttable.h"

#include <QFile>
#include <QtTest>

namespace {

QByteArray shippedBytes()
{
    const QString path = qEnvironmentVariable("ZYNT_SOURCE_DIR") + QStringLiteral("/data/ZYNT-Texte.ini");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Menu items; the "&" marks the accelerator key, so one at most.
constexpr int kMenuTexts[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 71, 158, 160, 163, 177};

} // namespace

class TestShippedTexts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void completeness_data();
    void completeness();
    void fileBytes();
    void germanDesignCaptions_data();
    void germanDesignCaptions();
    void menuAccelerators_data();
    void menuAccelerators();
    void textsFollowedByANumber_data();
    void textsFollowedByANumber();

private:
    QByteArray m_bytes;
    TextTable m_table;
};

void TestShippedTexts::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("ZYNT_SOURCE_DIR"), "ZYNT_SOURCE_DIR is not set");
    m_bytes = shippedBytes();
    QVERIFY2(!m_bytes.isEmpty(), "data/ZYNT-Texte.ini is missing or empty");
    m_table = texts::parseTextFile(m_bytes);
}

void TestShippedTexts::completeness_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("German") << 1;
    QTest::newRow("English") << 2;
}

void TestShippedTexts::completeness()
{
    QFETCH(int, language);
    QStringList missing;
    for (int n = 1; n <= texts::kTexts; ++n) {
        const bool unused = n == 159 || n == 229;
        if (m_table[language][n].isEmpty() != unused)
            missing << QString::number(n);
    }
    // Lists every number that is missing, or given although unused.
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("wrong texts: ") + missing.join(u' ')));
    QCOMPARE(m_table[language][159], QByteArray());
    QCOMPARE(m_table[language][229], QByteArray());
}

void TestShippedTexts::fileBytes()
{
    // Line ends: every "\n" after a "\r", every "\r" before a "\n".
    for (qsizetype i = 0; i < m_bytes.size(); ++i) {
        const char c = m_bytes.at(i);
        if (c == '\n')
            QVERIFY2(i > 0 && m_bytes.at(i - 1) == '\r', qPrintable(QStringLiteral("bare LF at byte %1").arg(i)));
        if (c == '\r')
            QVERIFY2(i + 1 < m_bytes.size() && m_bytes.at(i + 1) == '\n',
                     qPrintable(QStringLiteral("bare CR at byte %1").arg(i)));
    }
    QVERIFY2(m_bytes.endsWith("\r\n"), "the last line has no line end");

    // The reader stops at the first empty line: none may come before the end.
    const QList<QByteArray> lines = m_bytes.chopped(2).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY2(lines.at(i) != "\r", qPrintable(QStringLiteral("empty line %1").arg(i + 1)));
    QVERIFY(lines.size() > 2 * 227);

    // Only characters of Windows-1252, and no control characters but the line ends.
    for (qsizetype i = 0; i < m_bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(m_bytes.at(i));
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        const bool control = b < 0x20 && b != '\r' && b != '\n';
        QVERIFY2(!undefined && !control, qPrintable(QStringLiteral("byte 0x%1 at %2").arg(uint(b), 2, 16, QChar(u'0')).arg(i)));
    }
}

void TestShippedTexts::germanDesignCaptions_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("caption");
    // Windows-1252 bytes: \xE4 a-umlaut, \xF6 o-umlaut, \xFC u-umlaut, \xDF sharp s,
    // \xDC capital U-umlaut, \x84 and \x93 the German quotes.
    const QList<QPair<int, QByteArray>> captions = {
        {1, "Sprache"},
        {2, "&Programm"},
        {3, "&Parameter"},
        {4, "&Manuell"},
        {5, "&Antriebsadr."},
        {6, "&Terminal"},
        {7, "B&eenden"},
        {8, "Info"},
        {9, "Deutsch"},
        {10, "english"},
        {11, "&Neu"},
        {12, "&File \xF6" "ffnen"},
        {13, "File Speichern"},
        {14, "&ZYNT \xF6" "ffnen"},
        {15, "&Schnittstelle"},
        {16, "ZYNT &Automatisch suchen"},
        {17, "ZY&NT Parameter"},
        {18, "Parameter in File Spei&chern"},
        {19, "Bitte warten - Parameter werden geladen"},
        {20, "Bitte warten - Programm wird in ZYNT geschrieben"},
        {21, "Schlie\xDF" "en"},
        {22, "Programm in ZYNT Speichern"},
        {23, "Zeile ausf\xFC" "hren"},
        {24, "Programm starten"},
        {25, "Zeile Einf\xFC" "gen"},
        {26, "Zeile l\xF6" "schen"},
        {27, "Terminal schlie\xDF" "en"},
        {28, "Parameter in ZYNT speichern"},
        {29, "Links-langsam"},
        {30, "Rechts-langsam"},
        {31, "Links-schnell"},
        {32, "Rechts-schnell"},
        {33, "Referenzfahren"},
        {34, "Start Weg"},
        {35, "Reset Fehler"},
        {36, "Reset Warnung"},
        {37, "Handfahren"},
        {38, "Referenzfahren"},
        {39, "Positionieren"},
        {40, "Geschw. langsam"},
        {41, "Geschwindigkeit v"},
        {42, "Geschw. schnell"},
        {43, "Beschleunigung a"},
        {44, "Beschleunigung"},
        {45, "Weg/Position w"},
        {46, "Eing\xE4" "nge"},
        {62, "HEXWALD - ZYNT Ansteuerung"},
        {63, "ZYNT Manuell Verfahren"},
        {68, "\xDC" "berschreiben vorhandenes Programm ?"},
        {69, "Speichern Programm in ZYNT"},
        {70, "Parameter in ZYNT \xFC" "bertragen"},
        {71, "Parameter-&File \xF6" "ffnen"},
        {72, "Bitte warten - Parameter werden in ZYNT geschrieben"},
        {76, "Hilfe"},
        {147, "Programm vom Editor in ZYNT-EEProm schreiben"},
        {148, "Aktuelle Zeile wird ausgef\xFC" "hrt"},
        {149, "Programm in der ZYNT starten"},
        {150, "Programm wird gestoppt"},
        {151, "Vor aktueller Zeile eine neue Zeile einf\xFC" "gen"},
        {152, "Aktuelle Zeile L\xF6" "schen"},
        {153, "Der Einzelschritt (Trace) Modus wird aktiviert"},
        {154, "Einzelschritt"},
        {155, "Trace Modus OFF"},
        {158, "neu aus ZYNT Lesen"},
        {160, "Grundparameter anzeigen"},
        {163, "Alle Parameter Anzeigen"},
        {172, "Bitte Antriebsadresse eingeben"},
        {177, "Manuell Konfigurieren"},
        // The design hint quotes the key name with straight quotes, which a
        // text of the file cannot hold.
        {225, "Mit Taste \x84" "Enter\x93 \xFC" "bernehmen"},
    };
    for (const auto &[number, caption] : captions)
        QTest::addRow("text %d", number) << number << caption;
}

void TestShippedTexts::germanDesignCaptions()
{
    QFETCH(int, number);
    QFETCH(QByteArray, caption);
    QCOMPARE(m_table[1][number], caption);
}

void TestShippedTexts::menuAccelerators_data()
{
    QTest::addColumn<int>("number");
    for (const int number : kMenuTexts)
        QTest::addRow("text %d", number) << number;
}

void TestShippedTexts::menuAccelerators()
{
    QFETCH(int, number);
    const QByteArray &german = m_table[1][number];
    const QByteArray &english = m_table[2][number];
    QVERIFY2(german.count('&') <= 1, german.constData());
    QVERIFY2(english.count('&') <= 1, english.constData());
    // A menu that can be reached by key in German can be so in English too;
    // and the marker must stand before a character.
    QCOMPARE(english.count('&'), german.count('&'));
    QVERIFY(!german.endsWith('&'));
    QVERIFY(!english.endsWith('&'));
}

void TestShippedTexts::textsFollowedByANumber_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("line of an error report") << 73;
    QTest::newRow("highest searched address") << 170;
    QTest::newRow("flag of an output list") << 134;
}

// These texts are shown with a number right after them; without a trailing
// blank the number would stick to the last word.
void TestShippedTexts::textsFollowedByANumber()
{
    QFETCH(int, number);
    QVERIFY2(m_table[1][number].endsWith(' '), m_table[1][number].constData());
    QVERIFY2(m_table[2][number].endsWith(' '), m_table[2][number].constData());
}

QTEST_MAIN(TestShippedTexts)
#include "test_shippedtexts.moc"
