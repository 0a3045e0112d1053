// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a parameter file to the drive as a technician does: the
// comparison first, exactly the ticked rows on the wire, the check of what
// the drive then holds, and the backup; and finding, marking and checking
// values in the grid.
#include "parameteruifixture.h"

#include "parameters/editortable.h"
#include "shell/cp1252.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

// The file's line of the parameter with another value (its unit kept).
QByteArray withValue(QByteArray file, const QByteArray &designation, const QByteArray &value)
{
    const qsizetype at = file.indexOf(":" + designation + "=");
    if (at < 0)
        return {};
    const qsizetype from = at + designation.size() + 2;
    const qsizetype lineEnd = file.indexOf("\r\n", from);
    qsizetype end = file.indexOf(" [", from);
    if (end < 0 || end > lineEnd)
        end = lineEnd;
    return file.replace(from, end - from, value);
}

int rowIn(const WriteBackDialog *dialog, const QString &designation)
{
    for (int row = 0; row < dialog->Table->rowCount(); ++row) {
        if (dialog->Table->item(row, WriteBackDialog::ColDesignation)->text() == designation)
            return row;
    }
    return -1;
}

QStringList tickedIn(const WriteBackDialog *dialog)
{
    QStringList ticked;
    for (int row = 0; row < dialog->Table->rowCount(); ++row) {
        if (dialog->Table->item(row, WriteBackDialog::ColTick)->checkState() == Qt::Checked)
            ticked << dialog->Table->item(row, WriteBackDialog::ColDesignation)->text();
    }
    return ticked;
}

// The designations of the rows the comparison shows.
QStringList shownIn(const WriteBackDialog *dialog)
{
    QStringList shown;
    for (int row = 0; row < dialog->Table->rowCount(); ++row) {
        if (!dialog->Table->isRowHidden(row))
            shown << dialog->Table->item(row, WriteBackDialog::ColDesignation)->text();
    }
    return shown;
}

// Makes the row current with a click on its description, as the user does.
void clickDescription(WriteBackDialog *dialog, int row)
{
    QTableWidgetItem *item = dialog->Table->item(row, WriteBackDialog::ColDescription);
    dialog->Table->scrollToItem(item);
    QTest::mouseClick(dialog->Table->viewport(), Qt::LeftButton, {}, dialog->Table->visualItemRect(item).center());
}

const QList<QByteArray> kListRead = {"#1TROFF\r", "#1p1028=8\r", "#1listp\r", "#1ver\r"};

bool isMarked(TForm1 &f, int row)
{
    return f.StringGrid2->item(row, params::ColValue)->font().bold();
}

void savePicture(QWidget *widget, const char *name)
{
    QTest::qWait(50);
    const QString path = qEnvironmentVariable("ZYNT_BINARY_DIR") + "/tests/" + name;
    QVERIFY2(widget->grab().toImage().save(path), qPrintable(path));
}

} // namespace

class TestWriteBack : public QObject {
    Q_OBJECT
private slots:
    void comparisonThenExactlyTheTickedRows();
    void valueTheDriveKeepsOtherwiseIsReported();
    void searchHidesRowsAndOptionsExplainThemselves();
    void closingTheWindowWritesNothing();
    void driveChangedBehindTheProgramsBack();
    void fileFromTheKeyboard();
};

void TestWriteBack::comparisonThenExactlyTheTickedRows()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QTemporaryDir dir;

    // The drive's own values, saved, with three values and the position changed.
    const QString drivePath = dir.filePath(QStringLiteral("drive.par"));
    ui.fileNames << drivePath;
    f.ParameterSpeichern1Click();
    QByteArray bytes = fileBytes(drivePath);
    for (const auto &[designation, value] : std::initializer_list<std::pair<QByteArray, QByteArray>> {
             {"P41", "2500"}, {"P1019", "350"}, {"P103", "3000"}, {"P51", "12.500"}})
        bytes = withValue(bytes, designation, value);
    QVERIFY(!bytes.isEmpty());
    // A file written in the other language.
    bytes.replace("Referenzfahrt Geschwindigkeit schnell:P41=", "Homing speed fast:P41=");
    const QString changedPath = dir.filePath(QStringLiteral("changed.par"));
    QVERIFY(writeFile(changedPath, bytes));
    QVERIFY(ui.loadFile(changedPath));
    QVERIFY2(f.statusBar()->currentMessage().contains(changedPath), qPrintable(f.statusBar()->currentMessage()));
    // What the file changes is marked; the position is not the file's to change.
    QVERIFY(isMarked(f, ui.rowOf("P41")));
    QVERIFY(isMarked(f, ui.rowOf("P103")));
    QVERIFY(!isMarked(f, ui.rowOf("P42")));
    QVERIFY(!isMarked(f, ui.rowOf("P51")));

    // The drive's list is read afresh for the comparison, which shows the
    // rows that differ, in the interface's language.
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    WriteBackDialog *dialog = f.CompareDialog;
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), ParameterUi::kWait);
    QCOMPARE(ui.sentSince(before), kListRead);
    QVERIFY(f.Core->Owner.paused(line::Pause::Question));
    QCOMPARE(shownIn(dialog), (QStringList {"P41", "P51", "P103", "P1019"}));
    QCOMPARE(tickedIn(dialog), (QStringList {"P41", "P103", "P1019"}));
    QCOMPARE(dialog->Table->item(rowIn(dialog, "P41"), WriteBackDialog::ColDescription)->text(),
             QStringLiteral("Referenzfahrt Geschwindigkeit schnell"));
    const int p51 = rowIn(dialog, QStringLiteral("P51"));
    QVERIFY(p51 >= 0);
    QCOMPARE(dialog->Table->item(p51, WriteBackDialog::ColDrive)->text(), QStringLiteral("0"));
    QCOMPARE(dialog->Table->item(p51, WriteBackDialog::ColFile)->text(), QStringLiteral("12.500"));
    QVERIFY(!(dialog->Table->item(p51, WriteBackDialog::ColTick)->flags() & Qt::ItemIsUserCheckable));
    QVERIFY(!dialog->Table->item(p51, WriteBackDialog::ColDesignation)->toolTip().isEmpty());
    // A click on the position's tick does not tick it.
    QTableWidgetItem *tick = dialog->Table->item(p51, WriteBackDialog::ColTick);
    dialog->Table->scrollToItem(tick);
    QTest::mouseClick(dialog->Table->viewport(), Qt::LeftButton, {},
                      dialog->Table->visualItemRect(tick).center());
    QCOMPARE(tick->checkState(), Qt::Unchecked);

    // Every row on demand; the drive type is never ticked for the user, not
    // even by "Alle ankreuzen", and a ticked row is never hidden.
    QTest::mouseClick(dialog->AllRowsBox, Qt::LeftButton);
    QCOMPARE(shownIn(dialog).size(), dialog->Table->rowCount());
    QVERIFY(dialog->Table->rowCount() > 100);
    dialog->Table->scrollToItem(dialog->Table->item(0, 0));
    savePicture(dialog, "writeback-compare-all.png");
    QTest::mouseClick(dialog->TickAllBtn, Qt::LeftButton);
    QVERIFY(tickedIn(dialog).contains("P42"));
    QVERIFY(!tickedIn(dialog).contains("P1034"));
    QVERIFY(!tickedIn(dialog).contains("P51"));
    QTest::mouseClick(dialog->AllRowsBox, Qt::LeftButton);
    QCOMPARE(shownIn(dialog).size(), tickedIn(dialog).size() + 1); // and P51, which differs
    QTest::mouseClick(dialog->TickNoneBtn, Qt::LeftButton);
    QCOMPARE(tickedIn(dialog), QStringList {});
    QTest::mouseClick(dialog->AllRowsBox, Qt::LeftButton);
    QTest::mouseClick(dialog->AllRowsBox, Qt::LeftButton);
    QCOMPARE(shownIn(dialog), (QStringList {"P41", "P51", "P103", "P1019"}));

    // Ticked with the keyboard: Space on the current row, whichever cell;
    // not on the position's.
    clickDescription(dialog, rowIn(dialog, "P1019"));
    QTest::keyClick(dialog->Table, Qt::Key_Space);
    QCOMPARE(tickedIn(dialog), QStringList {"P1019"});
    QTest::keyClick(dialog->Table, Qt::Key_Up);
    QCOMPARE(dialog->Table->currentRow(), rowIn(dialog, "P103"));
    QTest::keyClick(dialog->Table, Qt::Key_Space);
    QTest::keyClick(dialog->Table, Qt::Key_Up);
    QTest::keyClick(dialog->Table, Qt::Key_Space);
    QCOMPARE(tickedIn(dialog), (QStringList {"P103", "P1019"}));
    QTest::keyClick(dialog->Table, Qt::Key_Down);
    QTest::keyClick(dialog->Table, Qt::Key_Space);
    QCOMPARE(tickedIn(dialog), QStringList {"P1019"});
    QTest::mouseClick(dialog->TickAllBtn, Qt::LeftButton);
    QCOMPARE(tickedIn(dialog), (QStringList {"P41", "P103", "P1019"}));
    // The picture shows the rows that differ, ticked, and the refused one.
    clickDescription(dialog, rowIn(dialog, "P41"));
    savePicture(dialog, "writeback-compare.png");

    // Cancel sends nothing and lets the poll go on.
    QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
    QVERIFY(dialog->isHidden());
    QVERIFY(!f.Core->Owner.paused(line::Pause::Question));
    QTest::qWait(300);
    QCOMPARE(ui.sentSince(before), kListRead);
    QVERIFY(QDir(ui.fx.backupFolder()).entryList({QStringLiteral("*.par")}, QDir::Files).isEmpty());

    // Written after a read of its own: TROFF, the three ticked rows in grid
    // order, the last ending the batch. P103 is listed but not in the basic
    // view, where the re-read may end: the check goes by the listing.
    const qsizetype again = ui.fx.com1->receivedCommands().size();
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QVERIFY(ui.answerComparison());
    QVERIFY(ui.received("#1P1019=350 \r"));
    QVERIFY(ui.waitForList());
    const QList<QByteArray> sent = ui.sentSince(again);
    QCOMPARE(sent.mid(0, 4), kListRead);
    QCOMPARE(sent.mid(4, 4),
             (QList<QByteArray> {"#1TROFF\r", "#1P41=2500 \r", "#1P103=3000\r", "#1P1019=350 \r"}));
    QCOMPARE(sent.mid(8, 3), (QList<QByteArray> {"#1TROFF\r", "#1p1028=8\r", "#1listp\r"}));
    QByteArray position;
    ui.fx.com1->withDrive(1, [&position](sim::Drive &d) { position = d.values.at("P51"); });
    QCOMPARE(position, QByteArray("0"));

    // The check after it: every value taken.
    QTRY_VERIFY_WITH_TIMEOUT(f.VerifyReport->isVisible(), ParameterUi::kWait);
    QCOMPARE(f.VerifyReport->Summary->text(), QStringLiteral("3 Parameter geschrieben und bestätigt"));
    QVERIFY(f.VerifyReport->Table->isHidden());
    QTest::mouseClick(f.VerifyReport->OKBtn, Qt::LeftButton);
    f.ffnen1Click();
    QVERIFY(!isMarked(f, ui.rowOf("P41"))); // read again: nothing is changed now

    // The backup holds what the drive held before, and loads back.
    const QDir backups(ui.fx.backupFolder());
    const QStringList saved = backups.entryList({QStringLiteral("*.par")}, QDir::Files);
    QCOMPARE(saved.size(), 1);
    QVERIFY(ui.loadFile(backups.filePath(saved[0])));
    QCOMPARE(ui.messages, QStringList {});
    QCOMPARE(f.Parameters.Grid[size_t(ui.rowOf("P41"))][params::ColValue], QByteArray("3000 "));
    QCOMPARE(f.Parameters.Grid[size_t(ui.rowOf("P103"))][params::ColValue], QByteArray("3600"));
}

void TestWriteBack::valueTheDriveKeepsOtherwiseIsReported()
{
    ParameterUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) {
        line.withDrive(1, [](sim::Drive &d) { d.maximum["P41"] = 2000; });
    }));
    TForm1 &f = *ui.f;

    // A text that is no number is refused beside the field, and nothing goes out.
    QVERIFY(ui.clickRow("P1019"));
    QVERIFY(f.GroupBox2->isVisible());
    qsizetype before = ui.fx.com1->receivedCommands().size();
    f.Edit1->clear();
    QTest::keyClicks(f.Edit1, QStringLiteral("abc"));
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(f.EditReason->isVisible());
    QCOMPARE(f.EditReason->text(), QStringLiteral("Keine Zahl: nichts gesendet"));
    QVERIFY(f.GroupBox2->isVisible());
    QTest::qWait(200);
    QCOMPARE(ui.sentSince(before), QList<QByteArray> {});
    QCOMPARE(f.Parameters.Grid[size_t(ui.rowOf("P1019"))][params::ColValue], QByteArray("300"));

    // A number is sent; the row is marked, and the list is no longer the drive's.
    f.Edit1->clear();
    QTest::keyClicks(f.Edit1, QStringLiteral("320"));
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(f.EditReason->isHidden());
    QVERIFY(ui.received("#1P1019=320\r"));
    QVERIFY(isMarked(f, ui.rowOf("P1019")));
    QVERIFY(!f.Core->listIsFresh());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("schnell.par"));
    QVERIFY(writeFile(path, "ZYNT-Parameter\r\nReferenz:P41=2500 [U/min]\r\nRampe:P42=900 [U/s2]\r\n"));
    QVERIFY(ui.loadFile(path));

    // So the drive's list is read afresh before the comparison.
    before = ui.fx.com1->receivedCommands().size();
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QVERIFY(ui.answerComparison());
    QCOMPARE(ui.sentSince(before).mid(0, 3), (QList<QByteArray> {"#1TROFF\r", "#1p1028=8\r", "#1listp\r"}));
    QVERIFY(ui.received("#1P42=900 \r"));
    QVERIFY(ui.waitForList());

    // The drive took 2000 for 2500: the report names both.
    WriteBackReport *report = f.VerifyReport;
    QTRY_VERIFY_WITH_TIMEOUT(report->isVisible(), ParameterUi::kWait);
    QCOMPARE(report->Summary->text(), QStringLiteral("1 von 2 Parametern hält die ZYNT anders, als sie gesendet wurden:"));
    QCOMPARE(report->Table->rowCount(), 1);
    QCOMPARE(report->Table->item(0, 0)->text(), QStringLiteral("P41"));
    QCOMPARE(report->Table->item(0, 1)->text(), QStringLiteral("2500"));
    QCOMPARE(report->Table->item(0, 2)->text(), QStringLiteral("2000"));
    QVERIFY2(f.statusBar()->currentMessage().contains(QStringLiteral("2 Parameter geschrieben, 1 bestätigt")),
             qPrintable(f.statusBar()->currentMessage()));
    savePicture(report, "writeback-verify.png");
}

void TestWriteBack::searchHidesRowsAndOptionsExplainThemselves()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QVERIFY(f.ParameterSearch->isVisible());
    const int rows = f.StringGrid2->rowCount();

    QTest::keyClicks(f.ParameterSearch, QStringLiteral("p10"));
    QCOMPARE(f.StringGrid2->rowCount(), rows); // hidden, not removed
    QVERIFY(f.StringGrid2->isRowHidden(ui.rowOf("P41")));
    QVERIFY(!f.StringGrid2->isRowHidden(ui.rowOf("P1003")));
    int shown = 0;
    for (int row = 1; row < rows; ++row) {
        const bool match = f.StringGrid2->item(row, params::ColDesignation)->text().contains("P10", Qt::CaseInsensitive)
                        || f.StringGrid2->item(row, params::ColDescription)->text().contains("p10", Qt::CaseInsensitive);
        QCOMPARE(f.StringGrid2->isRowHidden(row), !match);
        shown += match ? 1 : 0;
    }
    QVERIFY(shown > 1 && shown < rows - 1);
    savePicture(&f, "parameter-search.png");

    // A description matches as well as a designation.
    const QString description = f.StringGrid2->item(ui.rowOf("P41"), params::ColDescription)->text();
    QVERIFY(description.size() > 4);
    f.ParameterSearch->clear();
    QTest::keyClicks(f.ParameterSearch, description.mid(1, 4).toUpper());
    QVERIFY(!f.StringGrid2->isRowHidden(ui.rowOf("P41")));
    f.ParameterSearch->clear();
    for (int row = 1; row < rows; ++row)
        QVERIFY(!f.StringGrid2->isRowHidden(row));

    // An option's number stays the value; its meaning is the tooltip.
    int options = 0;
    for (int row = 1; row < f.Parameters.ParameterRowCount; ++row) {
        const std::optional<int> number =
            params::clickedParameterNumber(f.Parameters.Grid[size_t(row)][params::ColDesignation]);
        const params::EditorRule *rule = number ? params::editorFor(*number) : nullptr;
        if (!rule || rule->kind != params::EditorKind::Options)
            continue;
        const QTableWidgetItem *value = f.StringGrid2->item(row, params::ColValue);
        if (!params::optionForValue(*rule, f.Parameters.Grid[size_t(row)][params::ColValue]))
            continue;
        ++options;
        QVERIFY2(!value->toolTip().isEmpty(), qPrintable(value->text()));
        QCOMPARE(value->text(), fromCp1252(f.Parameters.Grid[size_t(row)][params::ColValue]));
    }
    QVERIFY(options > 0);
}

void TestWriteBack::closingTheWindowWritesNothing()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("eins.par"));
    QVERIFY(writeFile(path, "ZYNT-Parameter\r\nReferenz:P41=2500 [U/min]\r\n"));
    QVERIFY(ui.loadFile(path));
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f.CompareDialog->isVisible(), ParameterUi::kWait);
    // The comparison is a window of its own: the main window's end closes it, unanswered.
    f.close();
    QVERIFY(f.CompareDialog->isHidden());
    QTest::qWait(300);
    QCOMPARE(ui.sentSince(before), kListRead);
    QVERIFY(QDir(ui.fx.backupFolder()).entryList({QStringLiteral("*.par")}, QDir::Files).isEmpty());
}

void TestWriteBack::driveChangedBehindTheProgramsBack()
{
    ParameterUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) {
        line.withDrive(1, [](sim::Drive &d) { d.values["W"] = "1000.000"; });
    }));
    TForm1 &f = *ui.f;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("achse.par"));
    ui.fileNames << path;
    f.ParameterSpeichern1Click();
    const QByteArray bytes = withValue(fileBytes(path), "P42", "900");
    QVERIFY(bytes.contains(":P47 (W)=1000.000 [mm]\r\n"));
    QVERIFY(writeFile(path, bytes));

    // The drive's program, its panel or another tool change its values;
    // nothing this program sent says so.
    ui.fx.com1->withDrive(1, [](sim::Drive &d) {
        d.values["W"] = "2000.000";
        d.values["P42"] = "900";
        d.values["P103"] = "333";
    });
    QVERIFY(ui.loadFile(path));
    // The marks compare with the drive as it is now.
    QVERIFY(isMarked(f, ui.rowOf("P47 (W)")));
    QVERIFY(isMarked(f, ui.rowOf("P103")));
    QVERIFY(!isMarked(f, ui.rowOf("P42")));
    QVERIFY(!isMarked(f, ui.rowOf("P41")));

    // So does the comparison, read afresh (its progress in the status bar),
    // and the write gives W back.
    QStringList notes;
    QObject listening; // ends the connection before the notes go
    QObject::connect(f.statusBar(), &QStatusBar::messageChanged, &listening,
                     [&notes](const QString &note) { notes << note; });
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f.CompareDialog->isVisible(), ParameterUi::kWait);
    QCOMPARE(ui.sentSince(before), kListRead);
    QVERIFY2(notes.contains(QStringLiteral("Die Parameter der ZYNT werden zum Vergleich gelesen … 100 %")),
             qPrintable(notes.join(QLatin1Char('|'))));
    QCOMPARE(tickedIn(f.CompareDialog), (QStringList {"P47 (W)", "P103"}));
    QVERIFY(f.CompareDialog->Heading->text().startsWith(QStringLiteral("2 von ")));
    QVERIFY(ui.answerComparison());
    QVERIFY(ui.received("#1listp\r"));
    QVERIFY(ui.waitForList());
    QCOMPARE(ui.sentSince(before).mid(4, 3), (QList<QByteArray> {"#1TROFF\r", "#1P47=1000.000 \r", "#1P103=3600\r"}));
    QByteArray w;
    ui.fx.com1->withDrive(1, [&w](sim::Drive &d) { w = d.values.at("W"); });
    QCOMPARE(w.trimmed().toDouble(), 1000.0);
}

void TestWriteBack::fileFromTheKeyboard()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tastatur.par"));
    QVERIFY(writeFile(path, "ZYNT-Parameter\r\nReferenz:P41=2500 [U/min]\r\nPosition:P51=12.500 [mm]\r\n"
                            "Rampe:P103=3000\r\nGeschwindigkeit:P1019=350\r\n"));
    QVERIFY(ui.loadFile(path));

    // Enter sends a row of the file only as the comparison would: never
    // the position, which is the drive's state.
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    f.StringGrid2->setFocus();
    f.StringGrid2->setCurrentCell(ui.rowOf("P51"), params::ColValue);
    QTest::keyClick(f.StringGrid2, Qt::Key_Return);
    QCOMPARE(f.statusBar()->currentMessage(), QStringLiteral("P51 nicht gesendet: Zustand der ZYNT"));
    QTest::keyClick(f.StringGrid2, Qt::Key_Up);
    QCOMPARE(f.StringGrid2->currentRow(), ui.rowOf("P41"));
    QTest::keyClick(f.StringGrid2, Qt::Key_Return);
    QVERIFY(ui.received("#1P41=2500 \r"));
    QCOMPARE(ui.sentSince(before), QList<QByteArray> {"#1P41=2500 \r"});

    // The comparison: Tab goes through the table and out of it again.
    const qsizetype compared = ui.fx.com1->receivedCommands().size();
    QTest::mouseClick(f.Button8, Qt::LeftButton);
    WriteBackDialog *dialog = f.CompareDialog;
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isVisible(), ParameterUi::kWait);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QCOMPARE(shownIn(dialog), (QStringList {"P51", "P103", "P1019"})); // P41 holds the file's value now
    QCOMPARE(tickedIn(dialog), (QStringList {"P103", "P1019"}));
    dialog->OKBtn->setFocus();
    int tabs = 0;
    while (QApplication::focusWidget() != dialog->Table && tabs < 10) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ++tabs;
    }
    QCOMPARE(QApplication::focusWidget(), dialog->Table);
    QTest::keyClick(dialog->Table, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), dialog->OKBtn);
    QTest::keyClick(dialog->OKBtn, Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), dialog->Table);
    // Space on the position does nothing; on P103 it takes its tick away.
    QCOMPARE(dialog->Table->currentRow(), rowIn(dialog, "P51"));
    QTest::keyClick(dialog->Table, Qt::Key_Space);
    QTest::keyClick(dialog->Table, Qt::Key_Down);
    QTest::keyClick(dialog->Table, Qt::Key_Space);
    QCOMPARE(tickedIn(dialog), QStringList {"P1019"});
    // Written from the keyboard too: exactly the row still ticked.
    QTest::keyClick(dialog->Table, Qt::Key_Tab);
    QTest::keyClick(dialog->OKBtn, Qt::Key_Space);
    QVERIFY(dialog->isHidden());
    QVERIFY(ui.received("#1P1019=350\r"));
    QVERIFY(ui.waitForList());
    const QList<QByteArray> sent = ui.sentSince(compared);
    QCOMPARE(sent.mid(0, 4), kListRead);
    QCOMPARE(sent.mid(4, 2), (QList<QByteArray> {"#1TROFF\r", "#1P1019=350\r"}));
}

QTEST_MAIN(TestWriteBack)
#include "test_writeback.moc"
