// SPDX-License-Identifier: GPL-3.0-or-later
// The help: the page of the language, found like the other shipped files and
// shown in the program's own window from the Info menu; and the shipped pages
// themselves, which must name every window, menu and button of the program.
#include "shellfixture.h"

#include "shell/datafiles.h"
#include "shell/window/helpviewer.h"

#include <QAction>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTextBrowser>
#include <QTextDocument>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}


void chooseLanguage(TForm1 &f, int language)
{
    (language == 1 ? f.Deutsch1 : f.english1)->trigger();
}

QString plainText(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

QString shippedPage(const char *name)
{
    const QString shipped = datafiles::shippedDirectory();
    QFile file(QDir(shipped).filePath(QString::fromLatin1(name)));
    if (shipped.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// A caption as the user reads it: without its accelerator mark, first line only.
QString caption(const QByteArray &text)
{
    return fromCp1252(text).remove(QLatin1Char('&')).section(QLatin1Char('\r'), 0, 0);
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void locatePage_data();
    void locatePage();
    void menuShowsThePageOfTheLanguage_data();
    void menuShowsThePageOfTheLanguage();
    void viewerFollowsTheLanguage();
    void ownPageComesFirst();
    void missingPageIsReported();
    void viewerOutlivesTheLockButNotTheWindow();
    void shippedPagesNameEveryControl_data();
    void shippedPagesNameEveryControl();
    void shippedPagesLinkWithin();
};

void TestHelp::locatePage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("inCurrent");
    QTest::addColumn<bool>("inStart");
    QTest::addColumn<QString>("expected"); // "current", "start", "shipped" or empty

    QTest::newRow("current folder first") << "ZYNT_HELP.html" << true << true << "current";
    QTest::newRow("start folder next") << "ZYNT_HELP.html" << false << true << "start";
    QTest::newRow("shipped copy last") << "ZYNT_HILFE.html" << false << false << "shipped";
    QTest::newRow("nowhere") << "ZYNT_NOWHERE.html" << false << false << "";
    QTest::newRow("own copy of a page not shipped") << "ZYNT_NOWHERE.html" << false << true << "start";
}

void TestHelp::locatePage()
{
    QFETCH(QString, name);
    QFETCH(bool, inCurrent);
    QFETCH(bool, inStart);
    QFETCH(QString, expected);
    QTemporaryDir current, start;
    QVERIFY(current.isValid() && start.isValid());
    if (inCurrent)
        QVERIFY(writeFile(current.filePath(name), "<p>current</p>"));
    if (inStart)
        QVERIFY(writeFile(start.filePath(name), "<p>start</p>"));

    const QString found = help::locatePage(current.path(), start.path(), name);
    if (expected == QLatin1String("current"))
        QCOMPARE(found, current.filePath(name));
    else if (expected == QLatin1String("start"))
        QCOMPARE(found, start.filePath(name));
    else if (expected == QLatin1String("shipped"))
        QCOMPARE(found, QDir(datafiles::shippedDirectory()).filePath(name));
    else
        QVERIFY2(found.isEmpty(), qPrintable(found));
}

void TestHelp::menuShowsThePageOfTheLanguage_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<QString>("picture");

    QTest::newRow("German") << 1 << "ZYNT_HILFE.html" << QStringLiteral("ZYNT Programmiersoftware – Hilfe")
                            << QStringLiteral("Überschreiben vorhandenes Programm ?") << "help-de.png";
    QTest::newRow("English") << 2 << "ZYNT_HELP.html" << QStringLiteral("ZYNT Programmiersoftware – Help")
                             << QStringLiteral("Overwrite the existing program?") << "help-en.png";
}

void TestHelp::menuShowsThePageOfTheLanguage()
{
    QFETCH(int, language);
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(QString, sentence);
    QFETCH(QString, picture);
    ShellFixture fx;
    QVERIFY(fx.startConnected());
    TForm1 &f = *fx.form;
    chooseLanguage(f, language);
    QCOMPARE(f.HelpFile, file);

    f.Hilfedatei1->trigger();
    HelpViewer *viewer = HelpViewer::of(&f);
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QVERIFY(fx.messages.isEmpty());
    QCOMPARE(QFileInfo(viewer->page()).fileName(), file);
    QCOMPARE(viewer->windowTitle(), title);
    const QString shown = viewer->browser()->toPlainText();
    QVERIFY(shown.startsWith(title));
    QVERIFY2(shown.contains(sentence), qPrintable(sentence)); // read in its own encoding

    QTest::qWait(50);
    const QString path = qEnvironmentVariable("ZYNT_BINARY_DIR") + QStringLiteral("/tests/") + picture;
    QVERIFY2(viewer->grab().save(path), qPrintable(path));
}

void TestHelp::viewerFollowsTheLanguage()
{
    ShellFixture fx;
    QVERIFY(fx.startConnected());
    TForm1 &f = *fx.form;
    chooseLanguage(f, 1);
    f.Hilfedatei1->trigger();
    HelpViewer *viewer = HelpViewer::of(&f);
    QVERIFY(viewer);
    QCOMPARE(QFileInfo(viewer->page()).fileName(), QStringLiteral("ZYNT_HILFE.html"));

    // The open window stays as it is until the help is opened again.
    chooseLanguage(f, 2);
    QCOMPARE(QFileInfo(viewer->page()).fileName(), QStringLiteral("ZYNT_HILFE.html"));
    f.Hilfedatei1->trigger();
    QCOMPARE(HelpViewer::of(&f), viewer); // one window, its page replaced
    QCOMPARE(QFileInfo(viewer->page()).fileName(), QStringLiteral("ZYNT_HELP.html"));
    QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("No drive found")));

    // Opening the same page again keeps the reader's place.
    QScrollBar *bar = viewer->browser()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum() / 2);
    f.Hilfedatei1->trigger();
    QCOMPARE(bar->value(), bar->maximum() / 2);

    chooseLanguage(f, 1);
    f.Hilfedatei1->trigger();
    QCOMPARE(QFileInfo(viewer->page()).fileName(), QStringLiteral("ZYNT_HILFE.html"));
    QCOMPARE(bar->value(), 0); // a new page starts at its top
    QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("Keine ZYNT gefunden")));
    QVERIFY(fx.messages.isEmpty());
}

void TestHelp::ownPageComesFirst()
{
    ShellFixture fx;
    QVERIFY(fx.startConnected());
    TForm1 &f = *fx.form;
    QVERIFY(writeFile(fx.dir.filePath(QStringLiteral("ZYNT_HELP.html")),
                      "<html><head><title>Plant help</title></head><body><p>Line 3 drives only.</p></body></html>"));
    chooseLanguage(f, 2);
    f.Hilfedatei1->trigger();
    HelpViewer *viewer = HelpViewer::of(&f);
    QVERIFY(viewer);
    QCOMPARE(QFileInfo(viewer->page()).canonicalFilePath(),
             QFileInfo(fx.dir.filePath(QStringLiteral("ZYNT_HELP.html"))).canonicalFilePath());
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Plant help"));
    QVERIFY(viewer->browser()->toPlainText().contains(QStringLiteral("Line 3 drives only.")));

    // The German page is not there: the shipped one is shown.
    chooseLanguage(f, 1);
    f.Hilfedatei1->trigger();
    QCOMPARE(viewer->page(), QDir(datafiles::shippedDirectory()).filePath(QStringLiteral("ZYNT_HILFE.html")));
}

void TestHelp::missingPageIsReported()
{
    ShellFixture fx;
    QVERIFY(fx.startConnected());
    TForm1 &f = *fx.form;
    chooseLanguage(f, 2);
    f.HelpFile = QStringLiteral("ZYNT_NOWHERE.html");
    f.Hilfedatei1->trigger();
    QCOMPARE(fx.messages.size(), 1);
    QVERIFY2(fx.messages[0].contains(QStringLiteral("ZYNT_NOWHERE.html")), qPrintable(fx.messages[0]));
    QVERIFY2(fx.messages[0].contains(QStringLiteral("not found")), qPrintable(fx.messages[0]));
    QVERIFY(!HelpViewer::of(&f));
}

void TestHelp::viewerOutlivesTheLockButNotTheWindow()
{
    ShellFixture fx;
    QVERIFY(fx.startConnected());
    TForm1 &f = *fx.form;
    f.Hilfedatei1->trigger();
    QPointer<HelpViewer> viewer = HelpViewer::of(&f);
    QVERIFY(viewer);
    // The main window locks itself while it reads or searches; the help
    // stays readable meanwhile.
    f.setEnabled(false);
    QVERIFY(viewer->isEnabled());
    f.setEnabled(true);
    // Closing the main window ends the program even with the help open.
    QVERIFY(!viewer->testAttribute(Qt::WA_QuitOnClose));
    fx.form.reset();
    QVERIFY(viewer.isNull());
}

void TestHelp::shippedPagesNameEveryControl_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("page");
    QTest::newRow("German") << 1 << "ZYNT_HILFE.html";
    QTest::newRow("English") << 2 << "ZYNT_HELP.html";
}

void TestHelp::shippedPagesNameEveryControl()
{
    QFETCH(int, language);
    QFETCH(QString, page);
    const QString html = shippedPage(page.toLatin1().constData());
    QVERIFY2(!html.isEmpty(), qPrintable(page));
    const QString text = plainText(html);

    // Every menu, button, label and message caption that the text file gives
    // the windows, in the page's language.
    const datafiles::ReadResult texts =
        datafiles::readFile(QDir(datafiles::shippedDirectory()).filePath(QStringLiteral("ZYNT-Texte.ini")));
    QVERIFY(texts.error.isEmpty());
    const TextTable table = texts::parseTextFile(texts.bytes);
    QList<int> numbers;
    for (int n = 1; n <= 46; ++n)
        numbers << n;
    numbers << 62 << 63 << 68 << 69 << 70 << 71 << 72 << 74 << 77 << 146 << 155 << 156 << 158 << 160 << 163
            << 170 << 172 << 176 << 177 << 178 << 191;
    for (int n : numbers) {
        const QString wanted = caption(table[language][n]);
        QVERIFY2(!wanted.isEmpty(), qPrintable(QString::number(n)));
        QVERIFY2(text.contains(wanted), qPrintable(QStringLiteral("text %1: %2").arg(n).arg(wanted)));
    }
    // Captions the text file does not cover, and the files the program uses.
    const QStringList fixed = {
        QStringLiteral("Master"), QStringLiteral("ON"), QStringLiteral("OFF"), QStringLiteral("Hilfedatei"),
        QStringLiteral("ZYNT Firmware Version"), QStringLiteral("Teach IN"), QStringLiteral("STOP"),
        QStringLiteral("Trace"), QStringLiteral("RS232 Stop"), QStringLiteral("RS232 Start"),
        QStringLiteral("Start Programm"), QStringLiteral("reset"), QStringLiteral("ZYNT suchen"),
        QStringLiteral("Programmeditor aktivieren"), QStringLiteral("Parametereditor aktivieren"),
        QStringLiteral("Neu aus ZYNT laden"), QStringLiteral("O1"), QStringLiteral("I8"), QStringLiteral("ADC"),
        QStringLiteral("ZYNT.ini"), QStringLiteral("ZYNT-Texte.ini"), QStringLiteral("Par-dt.ini"),
        QStringLiteral("Par-engl.ini"), QStringLiteral("*.par"), QStringLiteral("*.prg"),
        QStringLiteral("ZYNT-Parameter"), QStringLiteral("dialout"), QStringLiteral("sudo adduser $USER dialout"),
        QStringLiteral("zynt-sim"), QStringLiteral("ZYNT_COM1"), QStringLiteral("/usr/share/zynt"),
        QStringLiteral("Tippbetrieb (nur solange gedrückt)"),
        QStringLiteral("Stop nicht gesendet - wird gesendet, sobald die ZYNT antwortet"),
    };
    for (const QString &wanted : fixed)
        QVERIFY2(text.contains(wanted), qPrintable(wanted));
}

void TestHelp::shippedPagesLinkWithin()
{
    // Every link of a page leads to a place in it, and both languages have
    // the same places: no section is missing from one of them.
    const QRegularExpression anchor(QStringLiteral("<a name=\"([^\"]+)\""));
    const QRegularExpression link(QStringLiteral("<a href=\"#([^\"]+)\""));
    QSet<QString> places[2];
    int index = 0;
    for (const char *name : {"ZYNT_HILFE.html", "ZYNT_HELP.html"}) {
        const QString html = shippedPage(name);
        QVERIFY2(!html.isEmpty(), name);
        for (const QRegularExpressionMatch &m : anchor.globalMatch(html))
            places[index].insert(m.captured(1));
        int links = 0;
        for (const QRegularExpressionMatch &m : link.globalMatch(html)) {
            ++links;
            QVERIFY2(places[index].contains(m.captured(1)), qPrintable(QLatin1String(name) + ": #" + m.captured(1)));
        }
        QVERIFY(links >= places[index].size() - 1); // the contents link every section
        ++index;
    }
    QCOMPARE(places[0], places[1]);
}

QTEST_MAIN(TestHelp)
#include "test_help.moc"
