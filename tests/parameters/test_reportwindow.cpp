// SPDX-License-Identifier: GPL-3.0-or-later
// "Bericht…" in the window: a fresh backup of the drive shown in the backup
// folder, and the report of it saved as PDF (read back with poppler's
// pdftotext, its pages drawn with pdftoppm) or as HTML.
#include "tests/shell/shellfixture.h"

#include "shell/window/tstatusline.h"

#include <QMenuBar>
#include <QProcess>

class TestReportWindow : public QObject {
    Q_OBJECT
private slots:
    void reportAsPdfAndHtml();
};

namespace {

// Runs a poppler tool; its standard output, or a failure that says why.
bool poppler(const QString &tool, const QStringList &arguments, QByteArray *out = nullptr)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("%s failed (%s): %s; the test set-up installs poppler-utils", qPrintable(tool),
                 qPrintable(process.errorString()), process.readAllStandardError().constData());
        return false;
    }
    if (out)
        *out = process.readAllStandardOutput();
    return true;
}

// Opens the Parameter menu and clicks "Bericht…" in it.
void clickReport(TForm1 &f)
{
    QMenuBar *bar = f.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(f.Parameter1->menuAction()).center());
    QVERIFY(QTest::qWaitFor([&f] { return f.Parameter1->isVisible(); }, 20000));
    QTest::mouseClick(f.Parameter1, Qt::LeftButton, {}, f.Parameter1->actionGeometry(f.Bericht1).center());
}

} // namespace

void TestReportWindow::reportAsPdfAndHtml()
{
    ShellFixture fx;
    const auto drive = [](sim::SimLine &line) {
        line.setBaud(38400);
        line.addDrive(1);
        line.withDrive(1, [](sim::Drive &d) {
            d.version = "Version 043107";
            d.values["P41"] = "2718";
            QByteArrayList program = {"ref", "V=800"};
            for (int i = 1; i <= 60; ++i)
                program << "W=" + QByteArray::number(i * 100) << "e";
            program << "end";
            d.program.setLines(program);
        });
    };
    QVERIFY(fx.start(drive, {}, ShellFixture::settings(1, 38400, "1", "1")));
    TForm1 &f = *fx.form;
    QVERIFY(QTest::qWaitFor([&f] { return f.isEnabled() && !f.Core->Queue.head(); }, 20000));
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));

    const QString pdf = fx.dir.filePath(QStringLiteral("Anlage 7.pdf"));
    QString filter;
    f.AskFileName = [&](const FileDialogRequest &request) {
        filter = request.filter;
        return pdf;
    };
    clickReport(f);
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(pdf); }, 30000));
    QVERIFY2(fx.messages.isEmpty(), qPrintable(fx.messages.join(QLatin1Char('\n'))));
    QVERIFY(filter.contains(QStringLiteral("*.pdf")) && filter.contains(QStringLiteral("*.html")));
    QVERIFY(QTest::qWaitFor([&f] { return f.StatusLine->shownText().contains(QStringLiteral("Bericht gespeichert")); }, 5000));

    // The fresh backup is a drive folder in the backup folder, like the command line's.
    const QDir backups(fx.backupFolder());
    const QStringList folders = backups.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(folders.size(), 1);
    QFile ini(backups.filePath(folders[0] + QStringLiteral("/drive.ini")));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray info = ini.readAll();
    QVERIFY2(info.contains("\r\nPort=COM1\r\n") && info.contains("\r\nAddress=1\r\n") && info.contains("program.prg="),
             info.constData());

    // The PDF read back: the title on every page, the version, a value, page numbers.
    QByteArray text;
    QVERIFY(poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, &text));
    const QString read = QString::fromUtf8(text);
    QVERIFY2(read.count(QStringLiteral("ZYNT Adresse 1 an COM1")) >= 3, qPrintable(read.left(2000)));
    QVERIFY(read.contains(QStringLiteral("043107")));
    QVERIFY(QRegularExpression(QStringLiteral("P41\\s+\\S.*2718\\s+U/min")).match(read).hasMatch());
    QVERIFY(read.contains(QStringLiteral("W=6000")));
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("Seite 1 von (\\d+)")).match(read);
    QVERIFY(pages.hasMatch());
    const int count = pages.captured(1).toInt();
    QVERIFY(count >= 3);
    QVERIFY(read.contains(QStringLiteral("Seite %1 von %1").arg(count)));

    // The first page and a drive's page as a customer sees them.
    const QString pictures = qEnvironmentVariable("ZYNT_BINARY_DIR") + QStringLiteral("/tests/");
    for (const auto &[page, name] : {std::pair {1, "report-title"}, std::pair {2, "report-drive"}}) {
        QVERIFY(poppler(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"),
                                                     QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                     QString::number(page), QStringLiteral("-singlefile"), pdf,
                                                     pictures + QString::fromLatin1(name)}));
        QVERIFY(QImage(pictures + QString::fromLatin1(name) + QStringLiteral(".png")).width() > 500);
    }

    // As HTML by its suffix, from another fresh backup.
    const QString html = fx.dir.filePath(QStringLiteral("Anlage 7.html"));
    f.AskFileName = [&](const FileDialogRequest &) { return html; };
    // The first report's reads have let the line go: the poll has it again.
    QVERIFY(QTest::qWaitFor([&f] {
        return f.isEnabled() && !f.Core->Queue.head() && !f.Core->Owner.holds(line::Activity::Listing)
            && !f.Core->Owner.holds(line::Activity::ProgramRead);
    }, 30000));
    clickReport(f);
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(html); }, 30000));
    QFile saved(html);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(saved.readAll());
    QVERIFY(page.startsWith(QStringLiteral("<!DOCTYPE html>")));
    QVERIFY(page.contains(QStringLiteral("<td>2718</td>")));
    QCOMPARE(backups.entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
    // Under heavy load a listing asked for elsewhere in the window can meet
    // the report's own read and be refused with a box; the report itself
    // must not fail.
    for (const QString &message : fx.messages)
        QVERIFY2(!message.contains(QStringLiteral("Bericht")), qPrintable(message));
}

QTEST_MAIN(TestReportWindow)
#include "test_reportwindow.moc"
