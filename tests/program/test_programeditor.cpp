// SPDX-License-Identifier: GPL-3.0-or-later
// The program grid through its widgets: layout, in-place editing, Enter,
// insert, delete, teach-in, "Neu" and the editor button. The grid must show
// the program model at all times.
#include "programfixture.h"

#include <QAction>
#include <QToolTip>

class TestProgramEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void layoutAndLabels();
    void fixedCellsTakeNoInput();
    void typingWritesTheModel();
    void enterMovesDownButNotPast299();
    void editInProgressIsTakenByOperations();
    void insertAndDelete();
    void insertWhileOverflowSlotFull();
    void deleteOnLastRow();
    void teachIn_data();
    void teachIn();
    void neuClearsEverything();
    void neuWithoutDrive();
    void editorButtonKeepsTheLines();
    void closeButtonHint();

private:
    ProgramFixture *fx = nullptr;
    TForm1 *f = nullptr;
};

void TestProgramEditor::init()
{
    fx = new ProgramFixture;
    QVERIFY2(fx->start(), "could not start the window with the simulated drive");
    f = fx->f;
}

void TestProgramEditor::cleanup()
{
    delete fx;
    fx = nullptr;
    f = nullptr;
}

void TestProgramEditor::layoutAndLabels()
{
    f->BitBtn1->click();
    QTableWidget *grid = f->StringGrid1;
    QVERIFY(grid->isVisible());
    QVERIFY(f->StringGrid2->isHidden());
    for (QWidget *w : std::initializer_list<QWidget *> {f->Button5, f->Button6, f->Button7, f->Button16,
                                                        f->Liste_Speichern, f->Button4, f->Button1, f->Button2,
                                                        f->Label11})
        QVERIFY(w->isVisible());
    QVERIFY(f->Button3->isHidden());
    QVERIFY(f->Button12->isHidden()); // the trace switch comes with a read

    QCOMPARE(grid->rowCount(), 301);
    QCOMPARE(grid->columnCount(), 2);
    QCOMPARE(grid->columnWidth(0), 33);
    QCOMPARE(grid->columnWidth(1), 250);
    QCOMPARE(grid->rowHeight(1), 16);
    QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("ZYNT-Programm"));
    QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("ZYNT-Programm"));
    QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("    1:#"));
    QCOMPARE(grid->item(10, 0)->text(), QStringLiteral("  10:#"));
    QCOMPARE(grid->item(299, 0)->text(), QStringLiteral("299:#"));
    // The overflow slot is held but never shown.
    QVERIFY(grid->isRowHidden(300));
    QVERIFY(!grid->isRowHidden(299));
    QCOMPARE(grid->toolTip(), QStringLiteral("Editor für Ablaufprogramm"));

    // Captions from the text table, design captions where there is no number.
    QCOMPARE(f->Button6->text(), fx->shell.german(25));
    QCOMPARE(f->Button7->text(), fx->shell.german(26));
    QCOMPARE(f->Liste_Speichern->text(), fx->shell.german(22));
    QCOMPARE(f->Button2->text(), QStringLiteral("STOP"));
    QCOMPARE(f->Button16->text(), QStringLiteral("Teach IN"));
    QCOMPARE(f->Button14->text(), QStringLiteral("Trace"));
    QCOMPARE(f->Button12->text(), fx->shell.german(155));
}

void TestProgramEditor::fixedCellsTakeNoInput()
{
    f->BitBtn1->click();
    fx->clickCell(5, 0);
    QVERIFY(!fx->editor());
    QTest::keyClicks(f->StringGrid1, "xyz");
    QCOMPARE(f->StringGrid1->item(5, 0)->text(), QStringLiteral("    5:#"));
    QVERIFY(program::isEmptyProgram(f->Program));
}

void TestProgramEditor::typingWritesTheModel()
{
    f->BitBtn1->click();
    // The editor opens with the first click.
    fx->clickCell(1, 1);
    QLineEdit *edit = fx->editor();
    QVERIFY(edit);
    QTest::keyClicks(edit, "G1000");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(f->Program[1], QByteArray("G1000"));
    QCOMPARE(f->StringGrid1->currentRow(), 2);

    // Typing on the new current row without a click opens the editor too;
    // the keys after the first go to it.
    QTest::keyClick(f->StringGrid1, 'T');
    edit = fx->editor();
    QVERIFY(edit);
    QTest::keyClicks(edit, "500");
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(f->Program[2], QByteArray("T500"));
    QCOMPARE(f->StringGrid1->currentRow(), 3);

    // Windows-1252 text as it stands; what the code page lacks shows as "?".
    QVERIFY(fx->typeLine(3, QStringLiteral("Wäge")));
    QVERIFY(fx->typeLine(4, QStringLiteral("A€Ω")));
    QCOMPARE(f->Program[3], QByteArray("W\xe4ge"));
    QCOMPARE(f->Program[4], QByteArray("A\x80?"));
    QVERIFY(fx->gridShowsModel());
}

void TestProgramEditor::enterMovesDownButNotPast299()
{
    f->BitBtn1->click();
    fx->selectRow(298);
    QTest::keyClick(f->StringGrid1, Qt::Key_Return);
    QCOMPARE(f->StringGrid1->currentRow(), 299);
    QTest::keyClick(f->StringGrid1, Qt::Key_Enter);
    QCOMPARE(f->StringGrid1->currentRow(), 299);
    QVERIFY(fx->typeLine(299, QStringLiteral("end")));
    QCOMPARE(f->StringGrid1->currentRow(), 299);
    QCOMPARE(f->Program[299], QByteArray("end"));
    QVERIFY(f->Program[300].isEmpty());
}

void TestProgramEditor::editInProgressIsTakenByOperations()
{
    // The user types and, without Enter, presses a button: the text counts.
    f->BitBtn1->click();
    fx->setLines({"A", "B"});
    fx->clickCell(2, 1);
    QLineEdit *edit = fx->editor();
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, "changed");
    f->Button6->click(); // insert before row 2
    QCOMPARE(fx->rows(1, 3), (QByteArrayList {"A", "", "changed"}));
    QVERIFY(fx->gridShowsModel());
}

void TestProgramEditor::insertAndDelete()
{
    f->BitBtn1->click();
    fx->setLines({"L1", "L2", "L3"});
    fx->clickCell(2, 1);
    f->Button6->click();
    QCOMPARE(fx->rows(1, 4), (QByteArrayList {"L1", "", "L2", "L3"}));
    QCOMPARE(f->StringGrid1->currentRow(), 2);
    QVERIFY(fx->gridShowsModel());

    fx->clickCell(1, 1);
    f->Button7->click();
    QCOMPARE(fx->rows(1, 4), (QByteArrayList {"", "L2", "L3", ""}));
    QCOMPARE(f->StringGrid1->currentRow(), 1);
    QVERIFY(fx->gridShowsModel());
}

void TestProgramEditor::insertWhileOverflowSlotFull()
{
    f->BitBtn1->click();
    QByteArrayList lines = ProgramFixture::numbered(299);
    fx->setLines(lines);
    // Inserting on row 299 moves its line into the overflow slot.
    fx->clickCell(299, 1);
    f->Button6->click();
    QCOMPARE(f->Program[300], QByteArray("W=299"));
    QVERIFY(f->Program[299].isEmpty());
    QCOMPARE(fx->cell(300), QByteArray("W=299"));
    // Now the program is full: nothing changes, wherever the insert is.
    const program::ProgramLines before = f->Program;
    fx->clickCell(1, 1);
    f->Button6->click();
    QCOMPARE(f->Program, before);
    QVERIFY(fx->gridShowsModel());
}

void TestProgramEditor::deleteOnLastRow()
{
    f->BitBtn1->click();
    fx->setLines(ProgramFixture::numbered(300));
    fx->clickCell(299, 1);
    f->Button7->click();
    QCOMPARE(f->Program[299], QByteArray("W=300"));
    QVERIFY(f->Program[300].isEmpty());
    QCOMPARE(f->StringGrid1->currentRow(), 299);
    QVERIFY(fx->gridShowsModel());
}

void TestProgramEditor::teachIn_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("digits, point, digit, then text") << QStringLiteral("1234.5 mm") << QByteArray("GW=1234.5");
    QTest::newRow("minus and digits only") << QStringLiteral("-250") << QByteArray("GW=-250");
    QTest::newRow("begins with a blank") << QStringLiteral(" 12") << QByteArray("GW=");
}

void TestProgramEditor::teachIn()
{
    QFETCH(QString, display);
    QFETCH(QByteArray, line);
    f->BitBtn1->click();
    fx->setLines({"A", "G"});
    f->Label5->setText(display);
    fx->clickCell(2, 1);
    f->Button16->click();
    QCOMPARE(f->Program[2], line);
    QCOMPARE(fx->cell(2), line);
    QCOMPARE(f->Program[1], QByteArray("A"));
    QVERIFY(fx->sent().isEmpty()); // nothing goes to the drive
}

void TestProgramEditor::neuClearsEverything()
{
    fx->setLines(ProgramFixture::numbered(300));
    f->Label11->setText(QStringLiteral("something.prg"));
    f->Fileffnen1->trigger();
    QVERIFY(program::isEmptyProgram(f->Program));
    QVERIFY(fx->gridShowsModel());
    QVERIFY(f->ConfirmOverwrite);
    QVERIFY(f->Label11->text().isEmpty());
    QVERIFY(f->StringGrid1->isVisible());
    QVERIFY(f->Liste_Speichern->isVisible());
    QVERIFY(f->StringGrid2->isHidden());
    QVERIFY(f->Button3->isHidden());
}

void TestProgramEditor::neuWithoutDrive()
{
    fx->setLines({"keep"});
    f->Core->DriveConnected = 0;
    f->Fileffnen1->trigger();
    QCOMPARE(f->Program[1], QByteArray("keep"));
    QVERIFY(!f->ConfirmOverwrite);
    QVERIFY(f->StringGrid1->isHidden());
    QVERIFY(f->Liste_Speichern->isHidden());
}

void TestProgramEditor::editorButtonKeepsTheLines()
{
    fx->setLines({"ref", "e"});
    f->ConfirmOverwrite = false;
    f->BitBtn1->click();
    QCOMPARE(fx->rows(1, 3), (QByteArrayList {"ref", "e", ""}));
    QVERIFY(!f->ConfirmOverwrite);
    QVERIFY(f->Label7->isHidden());
    QVERIFY(f->Button8->isHidden());
}

void TestProgramEditor::closeButtonHint()
{
    f->BitBtn1->click();
    f->Button5->setToolTip(QString());
    QTest::mouseMove(f->Button5, QPoint(10, 10));
    QTRY_COMPARE_WITH_TIMEOUT(f->Button5->toolTip(), fx->shell.german(76), kWait);
    QCOMPARE(f->Button5->toolTip(), QStringLiteral("Hilfe"));
}

QTEST_MAIN(TestProgramEditor)
#include "test_programeditor.moc"
