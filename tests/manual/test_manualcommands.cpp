// SPDX-License-Identifier: GPL-3.0-or-later
// The manual operation window's tables: value fields, command buttons, speed
// override, output toggle and address choice.
#include "manual/manualcommands.h"

#include <QtTest>

#include <set>

class TestManualCommands : public QObject {
    Q_OBJECT
private slots:
    void valueFields_data();
    void valueFields();
    void everyFieldOnce();
    void fieldAssignment();
    void buttons_data();
    void buttons();
    void noOtherButtons();
    void buttonsByCondition_data();
    void buttonsByCondition();
    void overridePosition_data();
    void overridePosition();
    void overrideCommand();
    void outputQuery();
    void outputAnswerComplete_data();
    void outputAnswerComplete();
    void outputToggle_data();
    void outputToggle();
    void addressChoice_data();
    void addressChoice();
};

void TestManualCommands::valueFields_data()
{
    QTest::addColumn<int>("edit");
    QTest::addColumn<QByteArray>("heading");
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("record");     // the key parameter's designation
    QTest::addColumn<QByteArray>("unitLabel");
    QTest::addColumn<QByteArray>("focus");
    auto row = [](int edit, const char *heading, const char *label, const char *command, const char *record,
                  const char *unit, const char *focus) {
        QTest::addRow("Edit%d", edit) << edit << QByteArray(heading) << QByteArray(label) << QByteArray(command)
                                      << QByteArray(record) << QByteArray(unit) << QByteArray(focus);
    };
    row(1, "Handfahren", "Geschw. langsam", "P1019", "P1019", "unit_v_hand_langsam", "Button4");
    row(4, "Handfahren", "Geschw. schnell", "P1020", "P1020", "unit_v_hand_schnell", "Button4");
    row(7, "Handfahren", "Beschleunigung", "P1018", "P1018", "unit_a_hand", "Button4");
    row(2, "Referenzfahren", "Geschw. langsam", "P1003", "P1003", "unit_v_ref_langsam", "Button9");
    row(5, "Referenzfahren", "Geschw. schnell", "P41", "P41", "unit_v_ref_schnell", "Button9");
    row(8, "Referenzfahren", "Beschleunigung", "P42", "P42", "unit_a_ref", "Button9");
    row(3, "Positionieren", "Geschwindigkeit v", "v", "V", "unit_v_auto", "Button11");
    row(6, "Positionieren", "Beschleunigung a", "a", "A", "unit_a_auto", "Button11");
    row(9, "Positionieren", "Weg/Position w", "w", "W", "unit_w", "Button11");
}

void TestManualCommands::valueFields()
{
    QFETCH(int, edit);
    QFETCH(QByteArray, heading);
    QFETCH(QByteArray, label);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, unitLabel);
    QFETCH(QByteArray, focus);
    const manual::ValueField *field = manual::fieldOf(edit);
    QVERIFY(field);
    QCOMPARE(QByteArray(field->heading), heading);
    QCOMPARE(QByteArray(field->label), label);
    QCOMPARE(QByteArray(field->command), command);
    QCOMPARE(QByteArray(params::kKeyDesignations[field->key]), record);
    QCOMPARE(QByteArray(field->unitLabel), unitLabel);
    QCOMPARE(QByteArray(field->focusButton), focus);
}

void TestManualCommands::everyFieldOnce()
{
    std::set<int> edits;
    std::set<int> keys;
    for (const manual::ValueField &field : manual::valueFields()) {
        edits.insert(field.edit);
        keys.insert(field.key);
    }
    QCOMPARE(edits, (std::set<int> {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    QCOMPARE(keys.size(), size_t(manual::kValueFields));
    QVERIFY(!manual::fieldOf(0));
    QVERIFY(!manual::fieldOf(10));
}

void TestManualCommands::fieldAssignment()
{
    // To the main window's drive address, whatever the manual address is.
    const auto p41 = manual::fieldAssignment(*manual::fieldOf(5), "3", "800");
    QCOMPARE(p41, std::optional<QByteArray>("#3P41=800\r"));
    const auto w = manual::fieldAssignment(*manual::fieldOf(9), "12", "-250");
    QCOMPARE(w, std::optional<QByteArray>("#12w=-250\r"));
    QVERIFY(!manual::fieldAssignment(*manual::fieldOf(1), "1", QByteArray()).has_value());
}

void TestManualCommands::buttons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QByteArray>("caption");
    QTest::addColumn<QByteArrayList>("commands");   // to manual address "*"
    QTest::addColumn<bool>("onlyWithOpenPort");
    auto row = [](int button, const char *caption, const QByteArrayList &commands, bool portOpen) {
        QTest::addRow("Button%d", button) << button << QByteArray(caption) << commands << portOpen;
    };
    row(2, "ON", {"#*ON\r"}, true);
    row(5, "OFF", {"#*OFF\r"}, true);
    row(4, "Links-langsam", {"#*ls\r"}, false);
    row(6, "Rechts-langsam", {"#*rs\r"}, false);
    row(7, "Links-schnell", {"#*lf\r"}, false);
    row(8, "Rechts-schnell", {"#*rf\r"}, false);
    row(9, "Referenzfahren", {"#*h\r"}, false);
    row(10, "Start Programm", {"#*run\r"}, false);
    row(11, "Start Weg", {"#*e\r"}, false);
    row(12, "Stop", {"#*s\r"}, false);
    row(13, "Reset Fehler", {"#*P11=0\r"}, false);
    row(14, "Reset Warnung", {"#*P12=0\r"}, false);
    row(1, "reset", {"#*s\r", "#*P51=0\r", "#*P12=0\r"}, true);
}

void TestManualCommands::buttons()
{
    QFETCH(int, button);
    QFETCH(QByteArray, caption);
    QFETCH(QByteArrayList, commands);
    QFETCH(bool, onlyWithOpenPort);
    const manual::CommandButton *b = manual::buttonOf(button);
    QVERIFY(b);
    QCOMPARE(QByteArray(b->caption), caption);
    QCOMPARE(manual::buttonPress(*b, "*", true), commands);
    QCOMPARE(manual::buttonPress(*b, "*", false), onlyWithOpenPort ? QByteArrayList() : commands);
    // The address is the one given, not a fixed one.
    QVERIFY(manual::buttonPress(*b, "4", true).first().startsWith("#4"));
}

void TestManualCommands::noOtherButtons()
{
    QCOMPARE(manual::commandButtons().size(), size_t(13));
    QVERIFY(!manual::buttonOf(3));
    QVERIFY(!manual::buttonOf(15));
}

void TestManualCommands::buttonsByCondition_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<bool>("driveOff");
    QTest::addColumn<bool>("linkLost");
    // Motion needs a drive that is ON; with the link lost only Stop is left.
    const struct {
        int button;
        bool off, lost;
    } rows[] = {
        {2, true, false},  {5, true, false},  {4, false, false}, {6, false, false}, {7, false, false},
        {8, false, false}, {9, false, false}, {10, false, false}, {11, false, false}, {12, true, true},
        {13, true, false}, {14, true, false}, {1, true, false},
    };
    for (const auto &r : rows)
        QTest::addRow("Button%d", r.button) << r.button << true << r.off << r.lost;
    QTest::newRow("no such button") << 3 << false << false << false;
}

void TestManualCommands::buttonsByCondition()
{
    QFETCH(int, button);
    QFETCH(bool, ready);
    QCOMPARE(manual::buttonAllowed(button, manual::Condition::Ready), ready);
    QFETCH(bool, driveOff);
    QFETCH(bool, linkLost);
    QCOMPARE(manual::buttonAllowed(button, manual::Condition::DriveOff), driveOff);
    QCOMPARE(manual::buttonAllowed(button, manual::Condition::LinkLost), linkLost);
}

void TestManualCommands::overridePosition_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("position");
    QTest::newRow("100") << QByteArray("100") << 100;
    QTest::newRow("0 shows as 1") << QByteArray("0") << 1;
    QTest::newRow("200") << QByteArray("200") << 200;
    QTest::newRow("above the maximum") << QByteArray("250") << 200;
    QTest::newRow("negative") << QByteArray("-5") << 1;
    QTest::newRow("empty") << QByteArray() << 1;
    QTest::newRow("with a unit") << QByteArray("75%") << 75;
}

void TestManualCommands::overridePosition()
{
    QFETCH(QByteArray, value);
    QFETCH(int, position);
    QCOMPARE(manual::overridePosition(value), position);
}

void TestManualCommands::overrideCommand()
{
    QCOMPARE(manual::overrideCommand("2", 150), QByteArray("#2P108=150\r"));
    QCOMPARE(manual::overrideCommand("*", 1), QByteArray("#*P108=1\r"));
    QCOMPARE(manual::overrideLabel(150), QByteArray("150%"));
}

void TestManualCommands::outputQuery()
{
    QCOMPARE(manual::outputQuery("1", 1), QByteArray("#1O1?\r"));
    QCOMPARE(manual::outputQuery("*", 4), QByteArray("#*O4?\r"));
}

void TestManualCommands::outputAnswerComplete_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<bool>("complete");
    QTest::newRow("echo") << QByteArray("#1O1?\r") << false;
    QTest::newRow("value line open") << QByteArray("#1O1?\rO1=1") << false;
    QTest::newRow("value line ended") << QByteArray("#1O1?\rO1=1\r") << true;
    QTest::newRow("ON without =") << QByteArray("#1O1?\rON\r") << false;
    QTest::newRow("= from the echo of an assignment") << QByteArray("#1O1=1\r") << false;
}

void TestManualCommands::outputAnswerComplete()
{
    QFETCH(QByteArray, buffer);
    QFETCH(bool, complete);
    QCOMPARE(manual::isOutputAnswerComplete(buffer), complete);
}

void TestManualCommands::outputToggle_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<int>("output");        // 0: nothing to queue
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("recordValue");
    QTest::newRow("on is switched off") << QByteArray("#1O1?\rO1=1\r") << 1 << QByteArray("O1=0") << QByteArray("0");
    QTest::newRow("off is switched on") << QByteArray("#1O1?\rO1=0\r") << 1 << QByteArray("O1=1") << QByteArray("1");
    QTest::newRow("other answer switches off") << QByteArray("#1O3?\rO3=x\r") << 3 << QByteArray("O3=0")
                                               << QByteArray("0");
    QTest::newRow("O4 off, all drives") << QByteArray("#*O4?\rO4=0\r") << 4 << QByteArray("O4=1") << QByteArray("1");
    // The value is the whole rest after the first "=": " 0" or "0ok" is not "0".
    QTest::newRow("blank before 0 switches off") << QByteArray("#1O2?\rO2= 0\r") << 2 << QByteArray("O2=0")
                                                 << QByteArray("0");
    QTest::newRow("text after the line switches off") << QByteArray("#1O2?\rO2=0\rok\r") << 2
                                                      << QByteArray("O2=0") << QByteArray("0");
    // The first of O1 .. O4 in the whole buffer wins.
    QTest::newRow("O1 named in the value of O3") << QByteArray("#1O3?\rO3=O1\r") << 1 << QByteArray("O1=0")
                                                 << QByteArray("0");
    QTest::newRow("none of the outputs") << QByteArray("#1P5?\rP5=0\r") << 0 << QByteArray() << QByteArray();
}

void TestManualCommands::outputToggle()
{
    QFETCH(QByteArray, buffer);
    QFETCH(int, output);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, recordValue);
    const auto toggle = manual::outputToggle(buffer);
    QCOMPARE(toggle.has_value(), output != 0);
    if (!toggle)
        return;
    QCOMPARE(toggle->output, output);
    QCOMPARE(toggle->command, command);
    QCOMPARE(toggle->recordValue, recordValue);
    QCOMPARE(QByteArray(params::kKeyDesignations[toggle->key]), "O" + QByteArray::number(output));
}

void TestManualCommands::addressChoice_data()
{
    QTest::addColumn<std::vector<int>>("found");
    QTest::addColumn<QByteArrayList>("items");
    QTest::addColumn<bool>("shown");
    QTest::newRow("none found") << std::vector<int> {0, 0, 0} << QByteArrayList {"*"} << false;
    QTest::newRow("empty list") << std::vector<int> {} << QByteArrayList {"*"} << false;
    QTest::newRow("one") << std::vector<int> {1, 5, 0} << QByteArrayList {"5", "*"} << false;
    QTest::newRow("three in found order") << std::vector<int> {3, 7, 2, 9, 0} << QByteArrayList {"7", "2", "9", "*"}
                                          << true;
    QTest::newRow("count beyond the list") << std::vector<int> {4, 1, 2} << QByteArrayList {"1", "2", "*"} << true;
}

void TestManualCommands::addressChoice()
{
    QFETCH(std::vector<int>, found);
    QFETCH(QByteArrayList, items);
    QFETCH(bool, shown);
    const manual::AddressChoice choice = manual::addressChoice(found);
    QCOMPARE(choice.items, items);
    QCOMPARE(choice.manualAddress, items.first());
    QCOMPARE(choice.shown, shown);
}

QTEST_APPLESS_MAIN(TestManualCommands)
#include "test_manualcommands.moc"
