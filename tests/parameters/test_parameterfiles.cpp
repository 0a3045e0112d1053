// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the grid back to the drive, the permanent save, and parameter
// files, through the menu and the buttons, against the simulated drive.
#include "parameteruifixture.h"

#include "link/journal.h"

#include "parameters/parameterfile.h"
#include "program/window/tokbottomdlg.h"
#include "parameters/views.h"
#include "shell/cp1252.h"
#include "tests/shell/picture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

// What a read of the drive's list sends.
const QList<QByteArray> kListRead = {"#1TROFF\r", "#1p1028=8\r", "#1listp\r", "#1ver\r"};

// The commands of a list that assign a value.
QList<QByteArray> assignments(const QList<QByteArray> &commands)
{
    QList<QByteArray> kept;
    for (const QByteArray &c : commands) {
        if (c.contains('='))
            kept << c;
    }
    return kept;
}

} // namespace

class TestParameterFiles : public QObject {
    Q_OBJECT
private slots:
    void writeBackSendsTheTickedRows();
    void writeBackErrorNamesTheParameter();
    void writeBackWithThePortClosed();
    void writeBackAnswerNeverComes();
    void permanentSave();
    void saveAndLoadAgain();
    void unknownParameterIsSavedWithTheRest();
    void loadedFileStaysThroughViewsAndLanguage();
    void wrongHeaderAndUnreadableFiles();
    void unwritableFileLeavesNothingBehind();
};

void TestParameterFiles::writeBackSendsTheTickedRows()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("satz.par"));
    QVERIFY(writeFile(path, "ZYNT-Parameter\r\n"
                            "Antrieb:P134=ON\r\n"
                            "Handfahren:P1031=RS\r\n"
                            "Positionieren:P1043=0\r\n"
                            "Typ:P1034=6\r\n"
                            "Geschwindigkeit:P91 (V)=2345 [U/min]\r\n"
                            "Leer:P42=\r\n"
                            "Typ:P1034=2\r\n"
                            "Ausgang:P1201 (O1)=1\r\n"
                            "Referenz:P41=1500 [U/min]\r\n"
                            ":P108=50\r\n"
                            "Danach:P1003=9\r\n"));
    QVERIFY(ui.loadFile(path));
    QVERIFY(!f.Button8->isHidden());
    QCOMPARE(f.Label7->text(), params::shortenedFileName(path));
    QCOMPARE(f.StringGrid2->rowCount(), 12);

    const qsizetype before = ui.fx.com1->receivedCommands().size();
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QVERIFY(ui.answerComparison());
    QVERIFY(!f.isEnabled());
    QVERIFY(!f.Label8->isHidden());
    // The last assignment completes the batch, and the list is read again.
    QVERIFY(ui.received("#1listp\r"));
    QVERIFY(ui.waitForList());
    // The drive's list read for the comparison, then the write-back.
    const QList<QByteArray> sent = ui.sentSince(before);
    QCOMPARE(sent.mid(0, 4), kListRead);
    QCOMPARE(sent.value(4), QByteArray("#1TROFF\r"));
    // The blank before "[" stays with the value the file gave.
    // A row without a description no longer ends the batch. The drive type
    // and the output are the machine's: never written from a file.
    QCOMPARE(assignments(sent.mid(4)), (QList<QByteArray> {"#1P91=2345 \r", "#1P41=1500 \r", "#1P108=50\r",
                                                           "#1P1003=9\r", "#1p1028=8\r"}));
    QCOMPARE(sent.mid(9, 3), (QList<QByteArray> {"#1TROFF\r", "#1p1028=8\r", "#1listp\r"}));
    QVERIFY(f.isEnabled());
    QVERIFY(f.Label8->isHidden());
    QVERIFY(!f.Core->Owner.holds(line::Activity::WriteBack));
    QVERIFY(f.Core->Timer3->isActive());
    // The drive holds the values, and the grid shows what it holds now.
    f.ffnen1Click();
    QCOMPARE(f.Parameters.Grid[size_t(ui.rowOf("P91 (V)"))][params::ColValue], QByteArray("2345"));
    QCOMPARE(f.Parameters.Grid[size_t(ui.rowOf("P41"))][params::ColValue], QByteArray("1500"));
    QCOMPARE(f.Parameters.Grid[size_t(ui.rowOf("P1003"))][params::ColValue], QByteArray("9"));
}

void TestParameterFiles::writeBackErrorNamesTheParameter()
{
    ParameterUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) {
        line.addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
            if (command == "P1020=99999" || command == "P1018=-5")
                return QByteArray("\n** Wert zu gross\r");
            return std::nullopt;
        });
    }));
    TForm1 &f = *ui.f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fehler.par"));
    QVERIFY(writeFile(path, "ZYNT-Parameter\r\nA:P1019=10\r\nB:P1020=99999\r\nC:P1018=20\r\n"));
    QVERIFY(ui.loadFile(path));
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QVERIFY(ui.answerComparison());
    QTRY_VERIFY_WITH_TIMEOUT(f.OKBottomDlg->isVisible(), ParameterUi::kWait);
    QCOMPARE(f.OKBottomDlg->Label1->text(), QStringLiteral("** Wert zu gross\n\n\nParameter P1020 = 99999")
                                                .replace(QLatin1Char('\n'), QLatin1Char('\r')));
    // Confirmed, the batch goes on with the next parameter.
    QTest::mouseClick(f.OKBottomDlg->OKBtn, Qt::LeftButton);
    QVERIFY(ui.received("#1P1018=20\r"));
    QVERIFY(ui.received("#1listp\r"));
    QVERIFY(ui.waitForList());

    // The last one refused: once confirmed, the write-back ends as if it
    // had been answered, and the list is read again.
    QVERIFY(writeFile(path, "ZYNT-Parameter\r\nA:P1019=11\r\nB:P1018=-5\r\n"));
    QVERIFY(ui.loadFile(path));
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QVERIFY(ui.answerComparison());
    QTRY_VERIFY_WITH_TIMEOUT(f.OKBottomDlg->isVisible(), ParameterUi::kWait);
    QVERIFY(f.OKBottomDlg->Label1->text().endsWith(QStringLiteral("Parameter P1018 = -5")));
    QTest::mouseClick(f.OKBottomDlg->OKBtn, Qt::LeftButton);
    QVERIFY(ui.waitForList());
    QVERIFY(ui.sentSince(before).contains("#1listp\r"));
    QVERIFY(f.Label8->isHidden());
    QVERIFY(f.isEnabled());
    QVERIFY(!f.Core->Owner.holds(line::Activity::WriteBack));
    QVERIFY(f.Core->Timer3->isActive());
}

void TestParameterFiles::writeBackWithThePortClosed()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    f.Serial1->setActive(false);
    f.Button8->show();
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(ui.messages.size(), 1, ParameterUi::kWait);
    QVERIFY(ui.messages[0].contains(QStringLiteral("nicht geöffnet")));
    QVERIFY(f.isEnabled());
    QVERIFY(f.Label8->isHidden());
    QVERIFY(!f.Core->Queue.head());
    f.Serial1->setActive(true);
    QTest::qWait(200);
    QCOMPARE(ui.sentSince(before), QList<QByteArray> {});
}

void TestParameterFiles::writeBackAnswerNeverComes()
{
    ParameterUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) {
        // The drive echoes the assignment and never says "ok" to it.
        line.addCommand([](sim::Drive &, const QByteArray &command) -> std::optional<QByteArray> {
            return command == "P1020=777" ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
        });
    }));
    TForm1 &f = *ui.f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stumm.par"));
    QVERIFY(writeFile(path, "ZYNT-Parameter\r\nA:P1019=10\r\nB:P1020=777\r\nC:P1018=20\r\n"));
    QVERIFY(ui.loadFile(path));
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QVERIFY(ui.answerComparison());
    QVERIFY(!f.isEnabled());

    QByteArray p1019;
    ui.fx.com1->withDrive(1, [&p1019](sim::Drive &d) { p1019 = d.values["P1019"]; });
    // The error, then (the drive answers its probe) the way back: the user
    // writes the backup back.
    ui.answers = {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::Ok};
    QTRY_VERIFY_WITH_TIMEOUT(ui.messages.size() >= 1, ParameterUi::kWait);
    QVERIFY(ui.messages[0].contains(QStringLiteral("antwortet nicht")));
    QTRY_COMPARE_WITH_TIMEOUT(ui.messages.size(), 3, ParameterUi::kWait);
    // The offer names what the drive took and where the old values are.
    QVERIFY2(ui.messages[1].contains(QStringLiteral("nach 1 von 3 Zuweisungen")), qPrintable(ui.messages[1]));
    QVERIFY2(ui.messages[1].contains(QStringLiteral("P1019=10")), qPrintable(ui.messages[1]));
    QVERIFY2(ui.messages[1].contains(ui.fx.backupFolder()), qPrintable(ui.messages[1]));
    // The backed-up values of exactly the parameters it touched went back, and
    // the report says what the drive holds now, read from it.
    QVERIFY2(ui.messages[2].contains(QStringLiteral("P1019=") + QString::fromLatin1(p1019)), qPrintable(ui.messages[2]));
    QByteArray now;
    ui.fx.com1->withDrive(1, [&now](sim::Drive &d) { now = d.values["P1019"]; });
    QCOMPARE(now, p1019);
    QTRY_VERIFY_WITH_TIMEOUT(f.isEnabled() && !f.Core->Queue.head(), ParameterUi::kWait);
    QVERIFY(f.Label8->isHidden());
    QVERIFY(!f.Core->PendingCut);
    QVERIFY(!journal::find(f.Core->journalDevice(), "1"));
    // The rest of the batch was dropped; the link goes on with what comes next.
    QList<QByteArray> sent;
    for (const QByteArray &c : assignments(ui.sentSince(before))) {
        if (c.startsWith("#1P1019=") || c.startsWith("#1P1020=") || c.startsWith("#1P1018="))
            sent << c;
    }
    QCOMPARE(sent.mid(0, 2), (QList<QByteArray> {"#1P1019=10\r", "#1P1020=777\r"}));
    QVERIFY(!sent.contains("#1P1018=20\r"));
    // Exactly the one acknowledged and the one on its way go back.
    QCOMPARE(sent.mid(2).size(), 2);
    QVERIFY(sent[2].startsWith("#1P1019=") && sent[3].startsWith("#1P1020="));
    QTest::mouseClick(f.Button3, Qt::LeftButton);
    QVERIFY(ui.received("#1psave\r"));
}

void TestParameterFiles::permanentSave()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QVERIFY(ui.clickRow("P41"));
    f.Edit1->setText(QStringLiteral("2222"));
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QTest::mouseClick(f.Button3, Qt::LeftButton);
    QVERIFY(ui.received("#1psave\r"));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Core->Queue.head(), ParameterUi::kWait);
    QCOMPARE(f.statusBar()->currentMessage(),
             QStringLiteral("Die ZYNT hat das dauerhafte Speichern der Parameter bestätigt."));
    QByteArray stored;
    ui.fx.com1->withDrive(1, [&stored](sim::Drive &d) { stored = d.stored.at("P41"); });
    QCOMPARE(stored, QByteArray("2222"));
    // Without a connected drive nothing is queued.
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    f.Core->DriveConnected = 0;
    QTest::mouseClick(f.Button3, Qt::LeftButton);
    QTest::qWait(200);
    QCOMPARE(ui.sentSince(before), QList<QByteArray> {});
}

void TestParameterFiles::saveAndLoadAgain()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sicherung.par"));
    ui.fileNames << path;
    f.ParameterSpeichern1Click();
    QCOMPARE(ui.dialogs.size(), 1);
    QVERIFY(ui.dialogs[0].save);
    QCOMPARE(ui.dialogs[0].title, QStringLiteral("Save"));
    QCOMPARE(ui.dialogs[0].defaultSuffix, QStringLiteral("par"));
    QCOMPARE(ui.dialogs[0].fileName, QStringLiteral("*.par"));
    QCOMPARE(ui.dialogs[0].filter,
             QStringLiteral("ZYNT Parameter Files (*.par)|*.par|") + fromCp1252(f.Texte[1][75]) + " (*.*)|*.*");
    const QByteArray saved = fileBytes(path);
    QCOMPARE(saved, params::formatParameterFile(f.Parameters.Grid, f.Parameters.ParameterRowCount));
    QVERIFY(saved.startsWith("ZYNT-Parameter\r\n"));
    QVERIFY(saved.contains("P41=3000 [U/min]\r\n"));
    QCOMPARE(saved.count("\r\n"), f.Parameters.ParameterRowCount); // the heading and rows 1 .. count - 1
    // The grid still shows the drive's list, and the heading says so.
    QCOMPARE(f.Label7->text(), QStringLiteral("ZYNT-EEProm Parameter - address 1"));
    QVERIFY2(f.statusBar()->currentMessage().contains(path), qPrintable(f.statusBar()->currentMessage()));
    QVERIFY(!QDir(dir.path()).entryList(QDir::Files).filter(QStringLiteral("sicherung.par.")).size());

    // Loaded, it fills the grid only: the table and the drive keep theirs.
    const params::ParameterRecordTable records = f.Parameters.Records;
    const int rowCount = f.Parameters.ParameterRowCount;
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    QVERIFY(ui.loadFile(path));
    QCOMPARE(ui.dialogs.last().title, QStringLiteral("Open"));
    QVERIFY(f.Parameters.Records == records);
    QCOMPARE(f.Parameters.ParameterRowCount, rowCount);
    QCOMPARE(f.StringGrid2->rowCount(), rowCount);
    const int p41 = ui.rowOf("P41");
    QCOMPARE(f.StringGrid2->item(p41, params::ColValue)->text(), QStringLiteral("3000 "));
    QCOMPARE(f.StringGrid2->item(p41, params::ColUnit)->text(), QStringLiteral("U/min"));
    QVERIFY(!f.Button8->isHidden());
    QVERIFY(f.StringGrid1->isHidden());
    // The drive's list is read to mark what differs; nothing is assigned.
    QTest::qWait(200);
    QCOMPARE(ui.sentSince(before), kListRead);
}

void TestParameterFiles::unknownParameterIsSavedWithTheRest()
{
    // A firmware newer than the description files lists a parameter they do
    // not know, in the middle of its list: the rows after it have no
    // description either.
    ParameterUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) {
        line.withDrive(1, [](sim::Drive &d) {
            const auto at = std::find(d.listing.begin(), d.listing.end(), QByteArray("P42"));
            d.listing.insert(at + 1, "P777");
            d.values["P777"] = "5";
        });
    }));
    TForm1 &f = *ui.f;
    const int p777 = ui.rowOf("P777");
    QVERIFY(p777 > 0 && p777 < f.Parameters.ParameterRowCount / 2);
    QVERIFY(f.Parameters.Grid[size_t(p777)][params::ColDescription].isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("neu.par"));
    ui.fileNames << path;
    f.ParameterSpeichern1Click();
    const QByteArray saved = fileBytes(path);
    // Every listed row is in the file, each with its value; the unknown one
    // under its designation.
    const std::optional<params::LoadedParameterFile> loaded = params::parseParameterFile(saved);
    QVERIFY(loaded);
    QCOMPARE(loaded->rows.size(), qsizetype(f.Parameters.ParameterRowCount - 1));
    QVERIFY(saved.contains("\r\nP777:P777=5\r\n"));
    for (int row = 1; row < f.Parameters.ParameterRowCount; ++row) {
        const params::GridRow &listed = f.Parameters.Grid[size_t(row)];
        const params::GridRow &inFile = loaded->rows[row - 1];
        QCOMPARE(inFile[params::ColDesignation], listed[params::ColDesignation]);
        QCOMPARE(inFile[params::ColValue].trimmed(), listed[params::ColValue]);
    }
}

void TestParameterFiles::loadedFileStaysThroughViewsAndLanguage()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("achse.par"));
    QVERIFY(writeFile(path, "ZYNT-Parameter\r\nHoming speed fast:P41=2500 [U/min]\r\n"
                            "Referenzfahrt Beschleunigung:P42=900 [U/s2]\r\nGeschwindigkeit:P91 (V)=1200 [U/min]\r\n"));
    QVERIFY(ui.loadFile(path));
    const QString name = params::shortenedFileName(path);
    // The file's rows, described in the interface's language.
    QCOMPARE(f.StringGrid2->rowCount(), 4);
    QCOMPARE(f.StringGrid2->item(1, params::ColDescription)->text(), QStringLiteral("Referenzfahrt Geschwindigkeit schnell"));
    QCOMPARE(f.StringGrid2->item(1, params::ColValue)->text(), QStringLiteral("2500 "));

    // The basic view of the file, and back: the file's values throughout,
    // under its name, and the write-back stays offered.
    const int p41 = 20; // the basic view's row of P41
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QCOMPARE(f.StringGrid2->rowCount(), params::kBasicViewRows);
    QCOMPARE(f.StringGrid2->item(p41, params::ColDesignation)->text(), QStringLiteral("P41"));
    QCOMPARE(f.StringGrid2->item(p41, params::ColValue)->text(), QStringLiteral("2500 "));
    QCOMPARE(f.StringGrid2->item(2, params::ColDesignation)->text(), QString()); // P1010: not in the file
    QVERIFY(f.Button8->isVisible());
    QCOMPARE(f.Label7->text(), name);
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QCOMPARE(f.StringGrid2->rowCount(), 4);
    QCOMPARE(f.StringGrid2->item(2, params::ColValue)->text(), QStringLiteral("900 "));
    QVERIFY(f.Button8->isVisible());
    QCOMPARE(f.Label7->text(), name);

    // A value the editor sends stays the file's through the views.
    QVERIFY(ui.clickRow("P42"));
    QVERIFY(f.Edit1->isVisible());
    f.Edit1->clear();
    QTest::keyClicks(f.Edit1, QStringLiteral("950"));
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(ui.received("#1P42=950\r"));
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    QCOMPARE(f.StringGrid2->item(2, params::ColValue)->text(), QStringLiteral("950"));

    // The language switched in the basic view: relabelled, the values the file's.
    QTest::mouseClick(f.BitBtn2, Qt::LeftButton);
    f.english1->trigger();
    QCOMPARE(f.StringGrid2->item(p41, params::ColDescription)->text(), QStringLiteral("Homing speed fast"));
    QCOMPARE(f.StringGrid2->item(p41, params::ColValue)->text(), QStringLiteral("2500 "));
    QVERIFY(f.Button8->isVisible());
    QCOMPARE(f.Label7->text(), name);
    QTest::qWait(50); // the grid lays its new rows out
    f.StringGrid2->scrollToItem(f.StringGrid2->item(p41, 0), QAbstractItemView::PositionAtCenter);
    QVERIFY(savePicture(&f, "parameters-file-basic.png"));

    // Ctrl+S saves the file's rows, not the drive's list.
    const QString copy = dir.filePath(QStringLiteral("kopie.par"));
    ui.fileNames << copy;
    QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(fileBytes(copy), QByteArray("ZYNT-Parameter\r\nHoming speed fast:P41=2500 [U/min]\r\n"
                                         "Homing acceleration:P42=950 [U/s2]\r\n")
                                  + "Positioning velocity v:P91 (V)=1200 [U/min]\r\n");
    QCOMPARE(f.Label7->text(), params::shortenedFileName(copy));
    QVERIFY(f.Button8->isVisible());

    // Reading the drive's list is what replaces the file.
    QVERIFY(ui.read());
    QCOMPARE(f.Label7->text(), QStringLiteral("ZYNT-EEProm Parameter - address 1"));
    QVERIFY(f.Button8->isHidden());
    QCOMPARE(f.StringGrid2->item(ui.rowOf("P41"), params::ColValue)->text(), QStringLiteral("3000"));
}

void TestParameterFiles::wrongHeaderAndUnreadableFiles()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    const params::GridCells grid = f.Parameters.Grid;
    QTemporaryDir dir;
    const QString wrong = dir.filePath(QStringLiteral("falsch.par"));
    QVERIFY(writeFile(wrong, "ZYNT-Programm\r\nA:P41=1\r\n"));
    ui.fileNames << wrong;
    f.Parameterffnen1Click();
    QCOMPARE(ui.messages, QStringList {fromCp1252(f.Texte[1][77])});
    QVERIFY(f.Parameters.Grid == grid);

    const QString folder = dir.filePath(QStringLiteral("ordner.par"));
    QVERIFY(QDir().mkpath(folder));
    ui.fileNames << folder;
    f.Parameterffnen1Click();
    QCOMPARE(ui.messages.size(), 2);
    QVERIFY2(ui.messages[1].contains(QStringLiteral("ordner.par")), qPrintable(ui.messages[1]));
    QVERIFY(f.Parameters.Grid == grid);

    // Cancelled: nothing changes and nothing is said.
    f.Parameterffnen1Click();
    QCOMPARE(ui.messages.size(), 2);
    QVERIFY(f.Parameters.Grid == grid);
}

void TestParameterFiles::unwritableFileLeavesNothingBehind()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fehlt/satz.par"));
    ui.fileNames << path;
    f.ParameterSpeichern1Click();
    QCOMPARE(ui.messages.size(), 1);
    QVERIFY2(ui.messages[0].contains(QStringLiteral("satz.par")), qPrintable(ui.messages[0]));
    QVERIFY(!QFile::exists(path));
    // An existing file is replaced whole or not at all.
    const QString existing = dir.filePath(QStringLiteral("alt.par"));
    QVERIFY(writeFile(existing, "ZYNT-Parameter\r\nalt:P41=1\r\n"));
    ui.fileNames << existing;
    f.ParameterSpeichern1Click();
    QCOMPARE(fileBytes(existing), params::formatParameterFile(f.Parameters.Grid, f.Parameters.ParameterRowCount));
    // A folder without write permission (even for root): the system's reason,
    // in the interface's language as Qt's own texts have it.
    ui.fileNames << QStringLiteral("/sys/satz.par");
    f.ParameterSpeichern1Click();
    QCOMPARE(ui.messages.size(), 2);
    QVERIFY2(ui.messages[1].contains(QStringLiteral("/sys/satz.par")), qPrintable(ui.messages[1]));
    const QString reason = QCoreApplication::translate("QIODevice", "Permission denied");
    QVERIFY2(ui.messages[1].contains(reason), qPrintable(ui.messages[1] + QStringLiteral(" / ") + reason));
}

QTEST_MAIN(TestParameterFiles)
#include "test_parameterfiles.moc"
