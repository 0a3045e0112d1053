// SPDX-License-Identifier: GPL-3.0-or-later
// The value editors through the real widgets: click a row, type, pick an
// option or tick boxes, press OK, Cancel or Enter, and see what the drive
// receives over the pseudo-terminal.
#include "parameteruifixture.h"

#include "parameters/editortable.h"
#include "shell/cp1252.h"
#include "shell/window/tradiogroup.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>

namespace {

void pick(TRadioGroup *group, int index)
{
    group->layout()->activate(); // the buttons where they are shown
    QAbstractButton *button = group->button(index);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void savePicture(QWidget &window, const char *name)
{
    QTest::qWait(50);
    const QString path = qEnvironmentVariable("ZYNT_BINARY_DIR") + QStringLiteral("/tests/") + QLatin1String(name);
    QVERIFY2(window.grab().save(path), qPrintable(path));
}

std::function<void(sim::SimLine &)> value(const QByteArray &name, const QByteArray &v)
{
    return [name, v](sim::SimLine &line) { line.withDrive(1, [&](sim::Drive &d) { d.values[name] = v; }); };
}

} // namespace

class TestParameterEditors : public QObject {
    Q_OBJECT
private slots:
    void numericEditorLocksTheWindowAndSends();
    void optionListOpensAtTheValueAndSendsTheMapping();
    void signedOutputLists();
    void bitSetsSendTheBitsTheyUse();
    void sixteenBoxesLabelledFromTheListing();
    void threePairsAndCancel();
    void p1004AsksTwice();
    void enterResendsPlainNumericRows();
    void rowsWithoutEditorOpenNothing();
    void p1002TakesItsValue();
    void gridFromTheKeyboard();
};

void TestParameterEditors::numericEditorLocksTheWindowAndSends()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QVERIFY(ui.clickRow("P41"));
    QVERIFY(f.GroupBox2->isVisible());
    QCOMPARE(f.Edit1->text(), QStringLiteral("3000"));
    QVERIFY(f.Button9->isVisible());
    QVERIFY(!f.StringGrid2->isEnabled());
    QVERIFY(!f.Parameter1->isEnabled());
    QVERIFY(!f.Beenden2->isEnabled());
    QVERIFY(f.Info1->isEnabled());
    QCOMPARE(f.HelpContext, 41);

    const qsizetype before = ui.fx.com1->receivedCommands().size();
    f.Edit1->selectAll();
    QTest::keyClicks(f.Edit1, QStringLiteral("1234"));
    QTest::keyClick(f.Edit1, Qt::Key_Return);
    QVERIFY(ui.received("#1P41=1234\r"));
    QCOMPARE(ui.sentSince(before), QList<QByteArray> {"#1P41=1234\r"});
    QVERIFY(f.GroupBox2->isHidden());
    QVERIFY(f.StringGrid2->isEnabled());
    QVERIFY(f.Parameter1->isEnabled());
    // No address 200 is configured: unlocking leaves Master as the
    // connection start left it, or Master ON would relay on a line
    // without a master for ever.
    QVERIFY(!f.Master1->isEnabled());
    QCOMPARE(f.HelpContext, 1);
    const int row = ui.rowOf("P41");
    QCOMPARE(f.StringGrid2->item(row, params::ColValue)->text(), QStringLiteral("1234"));
    QCOMPARE(f.Parameters.Records[1][row].Value, QByteArray("1234"));
}

void TestParameterEditors::optionListOpensAtTheValueAndSendsTheMapping()
{
    ParameterUi ui;
    QVERIFY(ui.start(value("P44", "17")));
    TForm1 &f = *ui.f;
    QVERIFY(ui.clickRow("P44"));
    QVERIFY(f.RadioGroup1->isVisible());
    QCOMPARE(f.RadioGroup1->title(), fromCp1252(f.Texte[1][79]));
    QCOMPARE(f.RadioGroup1->toolTip(), fromCp1252(f.Texte[1][78]));
    QCOMPARE(f.RadioGroup1->items().size(), 6);
    QCOMPARE(f.RadioGroup1->itemIndex(), 5); // 17 is the sixth weighting
    QCOMPARE(f.EditorOptionCount, 6);
    pick(f.RadioGroup1, 1);
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(ui.received("#1P44=64\r"));
    QCOMPARE(f.RadioGroup1->items().size(), 0); // every opening starts empty
    QCOMPARE(f.EditorOptionCount, 0);
    QVERIFY(f.RadioGroup1->isHidden());

    // A value beyond the last option selects the last one.
    ui.fx.com1->withDrive(1, [](sim::Drive &d) { d.values["P1029"] = "9"; });
    QVERIFY(ui.read());
    QVERIFY(ui.clickRow("P1029"));
    QCOMPARE(f.RadioGroup1->items().size(), 4);
    QCOMPARE(f.RadioGroup1->itemIndex(), 3);
    QTest::mouseClick(f.Button10, Qt::LeftButton);
    QCOMPARE(f.RadioGroup1->items().size(), 0);
}

void TestParameterEditors::signedOutputLists()
{
    ParameterUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) {
        line.withDrive(1, [](sim::Drive &d) {
            d.values["P1025"] = "-3";
            d.values["P1125"] = "-1";
        });
    }));
    TForm1 &f = *ui.f;
    QVERIFY(ui.clickRow("P1025"));
    QCOMPARE(f.RadioGroup1->items().size(), 16);
    QCOMPARE(f.RadioGroup1->columns(), 2);
    QCOMPARE(f.RadioGroup1->itemIndex(), 11);
    QVERIFY(f.Panel2->isVisible());
    QCOMPARE(f.RadioGroup1->title(), fromCp1252(f.Texte[1][130] + " 1"));
    QCOMPARE(f.RadioGroup1->items().at(1), fromCp1252("O1 : " + f.Texte[1][132]));
    QCOMPARE(f.RadioGroup1->items().at(9), fromCp1252("O1: " + f.Texte[1][133]));
    QCOMPARE(f.RadioGroup1->items().at(5), fromCp1252(f.Texte[1][134] + "1 : " + f.Texte[1][132]));
    savePicture(f, "parameter-option-editor.png");
    pick(f.RadioGroup1, 8);
    QCOMPARE(f.RadioGroup1->itemIndex(), 8);
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(ui.received("#1P1025=0\r"));
    QVERIFY(f.Panel2->isHidden());
    QVERIFY(ui.clickRow("P1025"));
    QCOMPARE(f.RadioGroup1->itemIndex(), 0); // the grid holds "0", which opens at the first "aus"
    pick(f.RadioGroup1, 15);
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(ui.received("#1P1025=-7\r"));

    QVERIFY(ui.clickRow("P1125"));
    QCOMPARE(f.RadioGroup1->items().size(), 10);
    QCOMPARE(f.RadioGroup1->itemIndex(), 6);
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(ui.received("#1P1125=-1\r"));
}

void TestParameterEditors::bitSetsSendTheBitsTheyUse()
{
    ParameterUi ui;
    QVERIFY(ui.start(value("P1022", "5")));
    TForm1 &f = *ui.f;
    QVERIFY(ui.clickRow("P1022"));
    QVERIFY(f.GroupBox1->isVisible());
    QCOMPARE(f.GroupBox1->height(), 114);
    QVERIFY(f.CheckBox[1]->isChecked());
    QVERIFY(!f.CheckBox[2]->isChecked());
    QVERIFY(f.CheckBox[3]->isChecked());
    QVERIFY(f.CheckBox[10]->isHidden()); // eight boxes
    QCOMPARE(f.CheckBox[6]->text(), fromCp1252("I6 : max. 64 Progr. / " + f.Texte[1][123] + " L64"));
    // Every box ticked: bits 6 and 7 are not this parameter's.
    for (int box = 1; box <= 8; ++box) {
        if (!f.CheckBox[box]->isChecked())
            QTest::mouseClick(f.CheckBox[box], Qt::LeftButton, {}, QPoint(4, 4));
    }
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(ui.received("#1P1022=63\r"));

    // P1021 uses bits 0 to 7.
    QVERIFY(ui.clickRow("P1021"));
    QCOMPARE(f.CheckBox[8]->text(), QStringLiteral("I8 : START Programm"));
    for (int box = 1; box <= 8; ++box)
        f.CheckBox[box]->setChecked(box == 8 || box == 1);
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(ui.received("#1P1021=129\r"));
}

void TestParameterEditors::sixteenBoxesLabelledFromTheListing()
{
    ParameterUi ui;
    QVERIFY(ui.start(value("P1064", "257")));
    TForm1 &f = *ui.f;
    const int row = ui.rowOf("P1064");
    QVERIFY(row > 0);
    // With the rows not indexed (a basic view was shown since), the editor
    // shows all parameters first and makes the row of P1064 current.
    f.Parameters.AllViewRowsIndexed = 0;
    QVERIFY(ui.clickRow("P1064"));
    QCOMPARE(f.Parameters.AllViewRowsIndexed, 1);
    QCOMPARE(f.Parameters.MaskParameterRows[4], row);
    QCOMPARE(f.StringGrid2->currentRow(), row);
    QVERIFY(f.CheckBox[10]->isVisible());
    QCOMPARE(f.CheckBox[1]->width(), params::kNarrowBoxWidth);
    QCOMPARE(f.CheckBox[1]->text(), fromCp1252(f.Parameters.ListingDesignations[65]));
    QCOMPARE(f.CheckBox[17]->text(), fromCp1252(f.Parameters.ListingDesignations[80]));
    QVERIFY(f.CheckBox[1]->isChecked());  // bit 0
    QVERIFY(f.CheckBox[10]->isChecked()); // bit 8
    // Eleven characters fit the narrow boxes whole.
    for (int box : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 17})
        QVERIFY2(f.CheckBox[size_t(box)]->sizeHint().width() <= f.CheckBox[size_t(box)]->width(),
                 qPrintable(f.CheckBox[size_t(box)]->text()));
    savePicture(f, "parameter-bit-editor.png");
    QTest::mouseClick(f.CheckBox[17], Qt::LeftButton, {}, QPoint(4, 4)); // bit 15
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(ui.received("#1P1064=33025\r"));
    QVERIFY(f.CheckBox[10]->isHidden()); // back to eight boxes
    QCOMPARE(f.CheckBox[1]->width(), params::kWideBoxWidth);
}

void TestParameterEditors::threePairsAndCancel()
{
    ParameterUi ui;
    QVERIFY(ui.start(value("P147", "5")));
    TForm1 &f = *ui.f;
    QVERIFY(ui.clickRow("P147"));
    QCOMPARE(f.RadioGroup1->items(), (QStringList {"Positiv", "Negativ"}));
    QCOMPARE(f.RadioGroup2->title(), fromCp1252(f.Texte[1][164]));
    QCOMPARE(f.RadioGroup3->items().size(), 2);
    QCOMPARE(f.RadioGroup1->itemIndex(), 1);
    QCOMPARE(f.RadioGroup2->itemIndex(), 0);
    QCOMPARE(f.RadioGroup3->itemIndex(), 1);
    QCOMPARE(f.RadioGroup1->height(), 49);
    QTest::mouseClick(f.Button10, Qt::LeftButton);
    QVERIFY(f.RadioGroup2->items().isEmpty());
    QVERIFY(f.RadioGroup3->items().isEmpty());
    QVERIFY(f.RadioGroup2->isHidden());

    const qsizetype before = ui.fx.com1->receivedCommands().size();
    QVERIFY(ui.clickRow("P147"));
    QCOMPARE(f.RadioGroup2->items().size(), 2);
    pick(f.RadioGroup2, 1);
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(ui.received("#1P147=7\r"));
    QCOMPARE(ui.sentSince(before), QList<QByteArray> {"#1P147=7\r"}); // Cancel sent nothing
    QVERIFY(f.RadioGroup3->items().isEmpty());
}

void TestParameterEditors::p1004AsksTwice()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    f.Core->FoundAddresses[0] = 1;
    f.Core->FoundAddresses[1] = 1;
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    ui.answers = {QMessageBox::No};
    QVERIFY(ui.clickRow("P1004"));
    QCOMPARE(ui.messages, QStringList {fromCp1252(f.Texte[1][102])});
    ui.answers = {QMessageBox::Yes, QMessageBox::Cancel};
    QVERIFY(ui.clickRow("P1004"));
    QCOMPARE(ui.messages.size(), 3);
    QCOMPARE(ui.messages.last(), fromCp1252(f.Texte[1][103]));
    QTest::qWait(200);
    QCOMPARE(ui.sentSince(before), QList<QByteArray> {});
    ui.answers = {QMessageBox::Yes, QMessageBox::Ok};
    QVERIFY(ui.clickRow("P1004"));
    QVERIFY(ui.received("#1P1004=3\r"));
    QVERIFY(f.GroupBox2->isHidden()); // no editor
    QVERIFY(f.StringGrid2->isEnabled());
}

void TestParameterEditors::enterResendsPlainNumericRows()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    auto enterOn = [&](const QByteArray &designation) {
        const int row = ui.rowOf(designation);
        QVERIFY(row > 0);
        f.StringGrid2->setCurrentCell(row, params::ColValue);
        QTest::keyClick(f.StringGrid2, Qt::Key_Return);
    };
    enterOn("P1096 (B)");
    enterOn("P1080 (R0)");
    enterOn("P47 (W)");
    enterOn("P41");
    QVERIFY(ui.received("#1P41=3000\r"));
    // A short name goes out under its number; B and R0 are not sent again.
    QCOMPARE(ui.sentSince(before), (QList<QByteArray> {"#1P47=100.000\r", "#1P41=3000\r"}));
    f.Parameters.Grid[size_t(ui.rowOf("P41"))][params::ColValue].clear();
    enterOn("P41");
    QTest::qWait(200);
    QCOMPARE(ui.sentSince(before).size(), 2);
}

void TestParameterEditors::rowsWithoutEditorOpenNothing()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    for (const QByteArray &designation : {QByteArray("P20"), QByteArray("P0"), QByteArray("P134")}) {
        QVERIFY(ui.clickRow(designation));
        QVERIFY(f.GroupBox2->isHidden());
        QVERIFY(f.RadioGroup1->isHidden());
        QVERIFY(f.GroupBox1->isHidden());
        QVERIFY(f.StringGrid2->isEnabled());
    }
    QCOMPARE(f.StringGrid2->property("helpContext").toInt(), 2);
    QVERIFY(ui.clickRow("P47 (W)"));
    QTest::mouseClick(f.Button10, Qt::LeftButton);
    QCOMPARE(f.StringGrid2->property("helpContext").toInt(), 2); // a "P" designation
}

void TestParameterEditors::p1002TakesItsValue()
{
    // Its editor is a number field like any other: the number typed is sent,
    // never an empty assignment.
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    QVERIFY(ui.clickRow("P1002"));
    f.Edit1->setText(QStringLiteral("12"));
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QVERIFY(ui.received("#1P1002=12\r"));
    // An empty field sends nothing and keeps the value shown.
    QVERIFY(ui.clickRow("P1002"));
    f.Edit1->clear();
    QTest::mouseClick(f.Button9, Qt::LeftButton);
    QTest::qWait(200);
    QCOMPARE(ui.sentSince(before), QList<QByteArray> {"#1P1002=12\r"});
    QCOMPARE(f.StringGrid2->item(ui.rowOf("P1002"), params::ColValue)->text(), QStringLiteral("12"));
}

void TestParameterEditors::gridFromTheKeyboard()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 &f = *ui.f;
    QVERIFY(QTest::qWaitForWindowActive(&f));
    const int row = ui.rowOf("P41");
    QVERIFY(row > 1);
    f.StringGrid2->setFocus();
    f.StringGrid2->setCurrentCell(row - 1, params::ColDescription);
    // The arrow keys move the selected row.
    QTest::keyClick(f.StringGrid2, Qt::Key_Down);
    QCOMPARE(f.StringGrid2->currentRow(), row);
    QVERIFY(f.StringGrid2->selectionModel()->isRowSelected(row, {}));
    QVERIFY(!f.StringGrid2->selectionModel()->isRowSelected(row - 1, {}));

    // F2 opens the row's editor, which names the parameter and its unit.
    const qsizetype before = ui.fx.com1->receivedCommands().size();
    QTest::keyClick(f.StringGrid2, Qt::Key_F2);
    QVERIFY(f.GroupBox2->isVisible());
    QCOMPARE(QApplication::focusWidget(), f.Edit1);
    const params::GridRow &cells = f.Parameters.Grid[size_t(row)];
    QVERIFY(f.EditName->toolTip().startsWith(QStringLiteral("P41  ")));
    QVERIFY(f.EditName->toolTip().endsWith(fromCp1252(cells[params::ColDescription].trimmed())));
    QCOMPARE(f.EditUnit->text(), fromCp1252(cells[params::ColUnit].trimmed()));
    QVERIFY(!f.EditUnit->text().isEmpty());
    // Escape cancels: nothing goes out, the cell keeps its value, and the
    // keyboard is back in the grid.
    f.Edit1->selectAll();
    QTest::keyClicks(f.Edit1, QStringLiteral("999"));
    QTest::keyClick(f.Edit1, Qt::Key_Escape);
    QVERIFY(f.GroupBox2->isHidden());
    QVERIFY(f.StringGrid2->isEnabled());
    QCOMPARE(QApplication::focusWidget(), f.StringGrid2);
    QCOMPARE(f.StringGrid2->item(row, params::ColValue)->text(), QStringLiteral("3000"));
    QTest::qWait(300);
    QCOMPARE(ui.sentSince(before), QList<QByteArray> {});

    // Enter sends the row's value; F2 on a row without an editor opens none.
    QTest::keyClick(f.StringGrid2, Qt::Key_Return);
    QVERIFY(ui.received("#1P41=3000\r"));
    f.StringGrid2->setCurrentCell(ui.rowOf("P20"), params::ColDescription);
    QTest::keyClick(f.StringGrid2, Qt::Key_F2);
    QVERIFY(f.GroupBox2->isHidden());
    QVERIFY(f.StringGrid2->isEnabled());
    // An option list closes on Escape as well.
    f.StringGrid2->setCurrentCell(ui.rowOf("P44"), params::ColDescription);
    QTest::keyClick(f.StringGrid2, Qt::Key_F2);
    QVERIFY(f.RadioGroup1->isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(f.RadioGroup1->isHidden());
    QCOMPARE(f.RadioGroup1->items().size(), 0);
    QTest::qWait(300);
    QCOMPARE(ui.sentSince(before), QList<QByteArray> {"#1P41=3000\r"});
}

QTEST_MAIN(TestParameterEditors)
#include "test_parametereditors.moc"
