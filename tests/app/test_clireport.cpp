// SPDX-License-Identifier: GPL-3.0-or-later
// The commissioning report through the real zynt-cli, from backup folders
// the real backup made of simulated drives: every drive with its values
// and program, the changes since an older backup, and a folder that fails
// its check named and left out.
#include "clifixture.h"

#include <QRegularExpression>

class TestCliReport : public QObject, public CliFixture {
    Q_OBJECT
private slots:
    void init() { setUp(); }
    void cleanup() { tearDown(); }
    void reportListsEveryDrive();
    void againstShowsOnlyWhatChanged();
    void failedFolderIsLeftOut();

private:
    // Two drives on COM1 (addresses 1 and 2) with values and programs of
    // their own, backed up into saved/.
    sim::SimLine &twoDrives();
    QString html(const QString &name) { return QString::fromUtf8(readAll(dir->filePath(name))); }
};

sim::SimLine &TestCliReport::twoDrives()
{
    sim::SimLine &sim = line(1, 38400, {1, 2}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) {
            d.values["P41"] = "2500";
            d.values["O1"] = "1";
            d.program.setLines({"ref", "V=800", "W=2500", "e ; <b>&home</b>", "end"});
        });
        l.withDrive(2, [](sim::Drive &d) {
            d.values["P41"] = "1717";
            d.program.setLines({"V=300", "W=-40"});
        });
    });
    const Run b = run({"--port", "COM1", "--address", "1,2", "--all", "backup", "saved"});
    if (b.status != 0)
        qWarning("%s", qPrintable(b.err));
    return sim;
}

// The fingerprint paragraph's text.
static QString fingerprintOf(const QString &html)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("<p class=\"fingerprint\">([^<]*)</p>")).match(html);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The rows of the first table after the heading that contains title.
static QStringList rowsAfter(const QString &html, const QString &title)
{
    const qsizetype heading = html.indexOf(title);
    if (heading < 0)
        return {};
    const qsizetype start = html.indexOf(QStringLiteral("<tbody>"), heading);
    const qsizetype end = html.indexOf(QStringLiteral("</tbody>"), start);
    QStringList rows;
    const QRegularExpression row(QStringLiteral("<tr[^>]*>(.*?)</tr>"), QRegularExpression::DotMatchesEverythingOption);
    for (auto it = row.globalMatch(html.mid(start, end - start)); it.hasNext();)
        rows << it.next().captured(1);
    return rows;
}

void TestCliReport::reportListsEveryDrive()
{
    twoDrives();
    const Run r = run({"report", "saved", "--title", "Line <3> & press", "--by", "R. Meier", "-o", "r.html"});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    const QString page = html(QStringLiteral("r.html"));
    // The title escaped, the person, both drives on the title page.
    QVERIFY(page.contains(QStringLiteral("<h1>Line &lt;3&gt; &amp; press</h1>")));
    QVERIFY(page.contains(QStringLiteral("R. Meier")));
    const QStringList drives = rowsAfter(page, QStringLiteral("Antriebe der Maschine"));
    QCOMPARE(drives.size(), 2);
    for (const QString &drive : drives) {
        QVERIFY2(drive.contains(QStringLiteral("<td>COM1</td><td class=\"n\">38400</td>")), qPrintable(drive));
        QVERIFY2(drive.contains(QStringLiteral("Prüfsummen stimmen")), qPrintable(drive));
    }
    // Each drive's section: its values and its program with line numbers.
    const qsizetype first = page.indexOf(QStringLiteral("<h2>Antrieb Adresse 1 an COM1"));
    const qsizetype second = page.indexOf(QStringLiteral("<h2>Antrieb Adresse 2 an COM1"));
    QVERIFY(first > 0 && second > first);
    const QString one = page.mid(first, second - first), two = page.mid(second);
    QVERIFY(one.contains(QStringLiteral("<td>P41</td><td>")) && one.contains(QStringLiteral("<td>2500</td><td>U/min</td>")));
    QVERIFY(two.contains(QStringLiteral("<td>1717</td><td>U/min</td>")));
    QVERIFY(!one.contains(QStringLiteral("1717")));
    QVERIFY(one.contains(QStringLiteral("<td class=\"n\">3</td><td class=\"code\">W=2500</td>")));
    QVERIFY(two.contains(QStringLiteral("<td class=\"n\">2</td><td class=\"code\">W=-40</td>")));
    // A program line is text, never markup.
    QVERIFY(one.contains(QStringLiteral("e ; &lt;b&gt;&amp;home&lt;/b&gt;")));
    QVERIFY(!page.contains(QStringLiteral("<b>&home")));
    // The machine's live state is marked as such, a setting is not.
    const QRegularExpression output(QStringLiteral("<tr class=\"live\"><td>[^<]*O1[^<]*</td>.*Ausgang der Maschine – nie geschrieben"));
    QVERIFY2(output.match(one).hasMatch(), qPrintable(one.left(4000)));
    QVERIFY(!QRegularExpression(QStringLiteral("<tr class=\"live\"><td>P41</td>")).match(one).hasMatch());

    // The fingerprint comes from the folders, not from the title or the person.
    const QString print = fingerprintOf(page);
    QCOMPARE(print.size(), 64 + 15);
    const Run again = run({"report", "saved", "--by", "Someone else", "-o", "other.html"});
    QCOMPARE(again.status, 0);
    QCOMPARE(fingerprintOf(html(QStringLiteral("other.html"))), print);
    QVERIFY(html(QStringLiteral("other.html")).contains(QStringLiteral("<h1>saved</h1>"))); // the folder's name

    // Without -o on standard output; in English with --language en.
    const Run english = run({"report", "saved", "--language", "en"});
    QCOMPARE(english.status, 0);
    QVERIFY2(english.out.contains(QStringLiteral("Program line")) && english.out.contains(QStringLiteral("Checksums hold")),
             qPrintable(english.out.left(3000)));
    QCOMPARE(fingerprintOf(english.out), print);
}

void TestCliReport::againstShowsOnlyWhatChanged()
{
    sim::SimLine &sim = line(1, 38400, {1, 2}, [](sim::SimLine &l) {
        l.withDrive(1, [](sim::Drive &d) {
            d.values["P41"] = "2500";
            d.program.setLines({"ref", "V=800", "W=2500", "e", "end"});
        });
    });
    QCOMPARE(run({"--port", "COM1", "--address", "1", "backup", "old"}).status, 0);
    sim.withDrive(1, [](sim::Drive &d) {
        d.values["P41"] = "2600";
        d.program.setLines({"ref", "V=800", "W=2600", "e", "end"});
    });
    QCOMPARE(run({"--port", "COM1", "--address", "1,2", "--all", "backup", "new"}).status, 0);
    // The adapter came back under another name: paired by address and type all the same.
    QVERIFY(QDir(dir->path()).rename(QStringLiteral("new/COM1-1"), QStringLiteral("new/ttyUSB0-1")));
    QByteArray ini = readAll(dir->filePath(QStringLiteral("new/ttyUSB0-1/drive.ini")));
    ini.replace("Port=COM1", "Port=ttyUSB0");
    QVERIFY(writeAll(dir->filePath(QStringLiteral("new/ttyUSB0-1/drive.ini")), ini));

    const Run r = run({"report", "new", "--against", "old", "-o", "r.html"});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    const QString page = html(QStringLiteral("r.html"));
    // Drive 2 is new; none is missing.
    const QString title = page.left(page.indexOf(QStringLiteral("<h2>")));
    QVERIFY2(title.contains(QStringLiteral("hinzugekommen: COM1-2")), qPrintable(title));
    QVERIFY(!title.contains(QStringLiteral("fehlt: ")));

    // Drive 1: exactly the one value and the one line, at the top of its section.
    const qsizetype section = page.indexOf(QStringLiteral("<h2>Antrieb Adresse 1 an ttyUSB0"));
    QVERIFY(section > 0);
    const QString one = page.mid(section);
    QVERIFY(one.indexOf(QStringLiteral("Änderungen seit")) < one.indexOf(QStringLiteral("<h3>Parameter</h3>")));
    const QStringList values = rowsAfter(one, QStringLiteral("Änderungen seit"));
    QCOMPARE(values.size(), 1);
    QVERIFY2(values[0].startsWith(QStringLiteral("<td>P41</td>")) && values[0].contains(QStringLiteral("<td>2500</td><td>2600</td>")),
             qPrintable(values[0]));
    const QStringList lines = rowsAfter(one, QStringLiteral("Zeile vorher</th>"));
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0], QStringLiteral("<td class=\"n\">3</td><td class=\"n\">3</td><td class=\"code\">W=2500</td>"
                                      "<td class=\"code\">W=2600</td>"));
    // The new drive has no older backup: no changes section.
    const QString two = page.mid(page.indexOf(QStringLiteral("<h2>Antrieb Adresse 2 an COM1")));
    QVERIFY(!two.left(two.indexOf(QStringLiteral("<h3>Parameter</h3>"))).contains(QStringLiteral("Änderungen seit")));
    // A newer and an older backup are two sets of folders: two fingerprints.
    const Run before = run({"report", "old", "-o", "old.html"});
    QCOMPARE(before.status, 0);
    QVERIFY(fingerprintOf(html(QStringLiteral("old.html"))) != fingerprintOf(page));
}

void TestCliReport::failedFolderIsLeftOut()
{
    twoDrives();
    // Drive 2's value changed by hand: its sum no longer holds.
    const QString par = dir->filePath(QStringLiteral("saved/COM1-2/parameters.par"));
    QByteArray bytes = readAll(par);
    QVERIFY(bytes.contains("P41=1717"));
    bytes.replace("P41=1717", "P41=9717");
    QVERIFY(writeAll(par, bytes));
    // Drive 1's folder as backups were made before they kept sums.
    const QString ini = dir->filePath(QStringLiteral("saved/COM1-1/drive.ini"));
    const QByteArray old = readAll(ini);
    QVERIFY(writeAll(ini, old.left(old.indexOf("[Files]"))));

    const Run r = run({"report", "saved", "-o", "r.html"});
    QCOMPARE(r.status, 3);
    QVERIFY2(r.err.contains(QStringLiteral("COM1-2: parameters.par: its SHA-256 is not the one drive.ini lists")),
             qPrintable(r.err));
    const QString page = html(QStringLiteral("r.html"));
    const QStringList drives = rowsAfter(page, QStringLiteral("Antriebe der Maschine"));
    QCOMPARE(drives.size(), 2);
    QVERIFY2(drives[0].contains(QStringLiteral("ungeprüft")), qPrintable(drives[0]));
    QVERIFY2(drives[1].contains(QStringLiteral("COM1-2")) && drives[1].contains(QStringLiteral("Prüfung fehlgeschlagen")),
             qPrintable(drives[1]));
    // Nothing of the failed folder is shown: neither its values nor a section.
    QVERIFY(!page.contains(QStringLiteral("9717")) && !page.contains(QStringLiteral("1717")));
    QVERIFY(!page.contains(QStringLiteral("<h2>Antrieb Adresse 2")));
    QVERIFY(page.contains(QStringLiteral("<td>2500</td>")));
    QVERIFY(page.contains(QStringLiteral("Antriebe</th><td>1</td>")));

    // A folder that is not there, and a report that cannot be written.
    QCOMPARE(run({"report", "absent", "-o", "x.html"}).status, 3);
    QVERIFY(writeAll(par, readAll(par).replace("P41=9717", "P41=1717")));
    const Run unwritable = run({"report", "saved", "-o", "no/such/folder/r.html"});
    QCOMPARE(unwritable.status, 3);
    QVERIFY(!QFileInfo::exists(dir->filePath(QStringLiteral("no/such/folder/r.html"))));

    // A drive folder that lost its drive.ini is a failed one, not none.
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("saved/COM3-4")));
    QVERIFY(writeAll(dir->filePath(QStringLiteral("saved/COM3-4/program.prg")), "ref\r\n"));
    QCOMPARE(run({"report", "saved", "-o", "r.html"}).status, 3);
    const QStringList three = rowsAfter(html(QStringLiteral("r.html")), QStringLiteral("Antriebe der Maschine"));
    QCOMPARE(three.size(), 3);
    QVERIFY2(three[2].contains(QStringLiteral("COM3-4")) && three[2].contains(QStringLiteral("drive.ini")),
             qPrintable(three[2]));
}

QTEST_GUILESS_MAIN(TestCliReport)
#include "test_clireport.moc"
