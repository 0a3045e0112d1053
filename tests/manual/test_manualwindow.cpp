// SPDX-License-Identifier: GPL-3.0-or-later
// The manual operation window worked as a user works it, with what reaches
// the simulated drive: activation from the parameter table, the value
// fields, the buttons, the outputs, the speed override and the address
// choice, and jogging held to run (the Stop that must reach the drive has
// a file of its own).
#include "tests/manual/manualfixture.h"
#include "tests/shell/picture.h"

#include "manual/manualcommands.h"
#include "shell/cp1252.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>

namespace {

params::ParameterRecord &record(TForm1 *f, params::KeyParameter key)
{
    return f->Parameters.Records[1][f->Parameters.KeyParameterRows[key]];
}

// Everything in the queue, head first.
QByteArrayList queued(const TForm1 *f)
{
    QByteArrayList texts;
    for (const CommandNode *node = f->Core->Queue.head(); node; node = node->Next)
        texts << node->Text;
    return texts;
}

bool moving(ManualUi &ui)
{
    bool running = false;
    ui.drive(1, [&running](sim::Drive &d) { running = d.motion.isMoving(); });
    return running;
}

QCheckBox *holdBox(const TForm2 *w)
{
    return w->findChild<QCheckBox *>(QStringLiteral("HoldToRun"));
}

QLabel *stopNote(const TForm2 *w)
{
    return w->findChild<QLabel *>(QStringLiteral("StopNote"));
}

// The queries of a poll cycle waiting behind the one in flight.
int waitingQueries(const TForm1 *f)
{
    const CommandNode *head = f->Core->Queue.head();
    if (!head || head->Kind != CommandKind::Status)
        return 0;
    int count = 0;
    for (const CommandNode *node = head->Next; node; node = node->Next)
        count += node->Kind == CommandKind::Status ? 1 : 0;
    return count;
}

} // namespace

class TestManualWindow : public QObject {
    Q_OBJECT
private slots:
    void activation();
    void enterInEmptyField();
    void enterInEdit5();
    void leavingAField();
    void lockingTheWindowLeavesNoField();
    void buttons_data();
    void buttons();
    void closedPort();
    void allDrives();
    void otherDrive();
    void overrideThrottle();
    void overrideStoredAsZero();
    void outputToggle_data();
    void outputToggle();
    void analogueByFirmware_data();
    void analogueByFirmware();
    void activationReplacesUnconfirmedValue();
    void holdToRun();
    void holdToRunRemembered();
};

void TestManualWindow::activation()
{
    ManualUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) {
        line.withDrive(1, [](sim::Drive &d) {
            d.values["P1020"] = "2500";
            d.values["P108"] = "75";
        });
    }));
    TForm2 *w = ui.w;
    QCOMPARE(w->Edit[1]->text(), QStringLiteral("0")); // design state until shown
    QCOMPARE(w->UnitLabel[7]->text(), QStringLiteral("U/s2"));
    ui.f->Core->Timer3->stop();
    QVERIFY(ui.open());
    QCOMPARE(w->x(), 0);

    // Fields and units from the German records of their parameters.
    for (const manual::ValueField &field : manual::valueFields()) {
        const params::ParameterRecord &r = record(ui.f, field.key);
        QVERIFY2(!r.Value.isEmpty(), field.command);
        QCOMPARE(w->Edit[size_t(field.edit)]->text(), fromCp1252(r.Value));
        QCOMPARE(w->UnitLabel[size_t(field.edit)]->text(), fromCp1252(r.Unit));
    }
    QCOMPARE(w->Edit[4]->text(), QStringLiteral("2500"));
    QCOMPARE(w->UnitLabel[4]->text(), QStringLiteral("U/min"));
    QCOMPARE(w->UnitLabel[9]->text(), QStringLiteral("mm"));
    QCOMPARE(w->TrackBar1->value(), 75);
    QCOMPARE(w->Label26->text(), QStringLiteral("75%"));

    // The texts of the current language.
    QCOMPARE(w->Button4->text(), ui.german(29));
    QCOMPARE(w->Button14->text(), ui.german(36));
    QCOMPARE(w->Label16->text(), ui.german(46));
    QCOMPARE(w->windowTitle(), ui.german(63));
    QCOMPARE(w->Edit[9]->toolTip(), ui.german(225));

    // One drive: the choice holds it and "*", and stays hidden.
    QCOMPARE(w->ComboBox1->count(), 2);
    QCOMPARE(w->ComboBox1->itemText(0), QStringLiteral("1"));
    QCOMPARE(w->ComboBox1->itemText(1), QStringLiteral("*"));
    QCOMPARE(w->ManualAddress, QByteArray("1"));
    QVERIFY(w->ComboBox1->isHidden());
    // With a drive connected the status poll runs again.
    QVERIFY(ui.f->Core->Timer3->isActive());
}

void TestManualWindow::enterInEmptyField()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QLineEdit *edit = ui.w->Edit[5];
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    edit->clear();
    const qsizetype from = ui.mark();
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(edit->hasFocus());
    QVERIFY(ui.cycles()); // time for anything that was queued to go out
    QCOMPARE(ui.commandsSince(from), QList<QByteArray>());
    QCOMPARE(record(ui.f, params::KeyP41).Value, QByteArray("3000"));
}

void TestManualWindow::enterInEdit5()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QLineEdit *edit = ui.w->Edit[5];
    QTest::mouseClick(edit, Qt::LeftButton);
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    const qsizetype from = ui.mark();
    QTest::keyClicks(edit, QStringLiteral("800"));
    QTest::keyClick(edit, Qt::Key_Return);

    QVERIFY(ui.w->Button9->hasFocus());
    QCOMPARE(record(ui.f, params::KeyP41).Value, QByteArray("800"));
    QVERIFY(ManualUi::until([&] { return ui.commandsSince(from).size() >= 2; }));
    QVERIFY(ui.cycles());
    // To the main window's drive address, twice: once from leaving the field,
    // once from Enter.
    QCOMPARE(ui.commandsSince(from), (QList<QByteArray> {"#1P41=800\r", "#1P41=800\r"}));
    QByteArray stored;
    ui.drive(1, [&](sim::Drive &d) { stored = d.values["P41"]; });
    QCOMPARE(stored, QByteArray("800"));
}

void TestManualWindow::leavingAField()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QLineEdit *edit = ui.w->Edit[9];
    QTest::mouseClick(edit, Qt::LeftButton);
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("-250"));
    const qsizetype from = ui.mark();
    QTest::mouseClick(ui.w->Edit[3], Qt::LeftButton); // on to the next field
    QTRY_VERIFY(ui.w->Edit[3]->hasFocus());
    QVERIFY(ui.receivedSince(from, "#1w=-250\r"));
    QVERIFY(ui.cycles());
    QCOMPARE(ui.commandsSince(from), QList<QByteArray> {"#1w=-250\r"});
    // Leaving sends but does not take the value into the table.
    QCOMPARE(record(ui.f, params::KeyW).Value, QByteArray("100.000"));

    // Leaving an emptied field sends nothing.
    ui.w->Edit[3]->clear();
    const qsizetype later = ui.mark();
    QTest::mouseClick(ui.w->Edit[6], Qt::LeftButton);
    QTRY_VERIFY(ui.w->Edit[6]->hasFocus());
    QVERIFY(ui.cycles());
    QCOMPARE(ui.commandsSince(later), QList<QByteArray>());
}

void TestManualWindow::lockingTheWindowLeavesNoField()
{
    // The main window locks the manual window while a parameter editor is
    // open; the field with the focus has not been left by the user.
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QLineEdit *edit = ui.w->Edit[2];
    QTest::mouseClick(edit, Qt::LeftButton);
    QTRY_VERIFY(edit->hasFocus());
    QVERIFY(ui.cycles());
    const qsizetype from = ui.mark();
    ui.f->Window_enable(false);
    ui.f->Window_enable(true);
    QVERIFY(ui.cycles());
    QCOMPARE(ui.commandsSince(from), QList<QByteArray>());
}

void TestManualWindow::buttons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArrayList>("commands");
    QTest::newRow("ON") << "Button2" << QByteArrayList {"#1ON\r"};
    QTest::newRow("OFF") << "Button5" << QByteArrayList {"#1OFF\r"};
    QTest::newRow("Links-langsam") << "Button4" << QByteArrayList {"#1ls\r"};
    QTest::newRow("Rechts-langsam") << "Button6" << QByteArrayList {"#1rs\r"};
    QTest::newRow("Links-schnell") << "Button7" << QByteArrayList {"#1lf\r"};
    QTest::newRow("Rechts-schnell") << "Button8" << QByteArrayList {"#1rf\r"};
    QTest::newRow("Referenzfahren") << "Button9" << QByteArrayList {"#1h\r"};
    QTest::newRow("Start Programm") << "Button10" << QByteArrayList {"#1run\r"};
    QTest::newRow("Start Weg") << "Button11" << QByteArrayList {"#1e\r"};
    QTest::newRow("Stop") << "Button12" << QByteArrayList {"#1s\r"};
    QTest::newRow("Reset Fehler") << "Button13" << QByteArrayList {"#1P11=0\r"};
    QTest::newRow("Reset Warnung") << "Button14" << QByteArrayList {"#1P12=0\r"};
    QTest::newRow("reset") << "Button1" << QByteArrayList {"#1s\r", "#1P51=0\r", "#1P12=0\r"};
}

void TestManualWindow::buttons()
{
    QFETCH(QString, button);
    QFETCH(QByteArrayList, commands);
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    auto *b = ui.w->findChild<QPushButton *>(button);
    QVERIFY(b);
    const qsizetype from = ui.mark();
    QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(ui.receivedSince(from, commands.last()));
    QVERIFY(ui.cycles());
    QCOMPARE(ui.commandsSince(from), commands);
}

void TestManualWindow::closedPort()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    // Between two poll cycles the queue is empty; the poll stops there.
    QVERIFY(ManualUi::until([&] { return !ui.f->Core->Queue.head() && ui.f->Core->Timer3->isActive(); }));
    ui.f->Core->Timer3->stop();
    ui.f->Serial1->setActive(false);

    for (QPushButton *b : {ui.w->Button2, ui.w->Button5, ui.w->Button1, ui.w->Out[1]})
        QTest::mouseClick(b, Qt::LeftButton);
    ui.w->Edit[1]->setFocus();
    QTest::keyClick(ui.w->Edit[1], Qt::Key_Return);
    QCOMPARE(queued(ui.f), QByteArrayList());

    // Motion, program, stop and resets wait in the queue for the port.
    for (QPushButton *b : {ui.w->Button4, ui.w->Button10, ui.w->Button12, ui.w->Button13})
        QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(queued(ui.f), (QByteArrayList {"#1ls\r", "#1run\r", "#1s\r", "#1P11=0\r"}));
}

void TestManualWindow::allDrives()
{
    ManualUi ui;
    QVERIFY(ui.start({}, 2));
    QVERIFY(ui.open());
    QComboBox *choice = ui.w->ComboBox1;
    QVERIFY(choice->isVisible());
    QVERIFY(ui.w->Label31->isVisible());
    QCOMPARE(choice->count(), 3);
    QCOMPARE(choice->itemText(2), QStringLiteral("*"));

    // Picked from the open list.
    choice->showPopup();
    QAbstractItemView *list = choice->view();
    QTRY_VERIFY(list->isVisible());
    const QRect star = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, star.center());
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(ui.w->ManualAddress, QByteArray("*"));
    QVERIFY(ui.w->Button2->hasFocus());

    const qsizetype from = ui.mark();
    QTest::mouseClick(ui.w->Button4, Qt::LeftButton);
    QVERIFY(ui.receivedSince(from, "#*ls\r"));
    QVERIFY(ui.cycles());
    QCOMPARE(ui.commandsSince(from), QList<QByteArray> {"#*ls\r"});
    QCOMPARE(ui.f->Core->DriveAddress, QByteArray("1"));
}

void TestManualWindow::otherDrive()
{
    ManualUi ui;
    QVERIFY(ui.start({}, 2));
    QVERIFY(ui.open());
    QComboBox *choice = ui.w->ComboBox1;
    choice->setFocus();
    QTRY_VERIFY(choice->hasFocus());
    const qsizetype from = ui.mark();
    QTest::keyClick(choice, Qt::Key_Down); // "2"
    QCOMPARE(ui.w->ManualAddress, QByteArray("2"));
    // The main window switches to drive 2 as if it had been typed there.
    QCOMPARE(ui.f->Core->DriveAddress, QByteArray("2"));
    QVERIFY(ui.receivedSince(from, "#2\r"));
    QVERIFY(ui.w->Button2->hasFocus());

    QTest::mouseClick(ui.w->Button6, Qt::LeftButton);
    QVERIFY(ui.receivedSince(from, "#2rs\r"));
    // The poll follows the main window's drive.
    QVERIFY(ui.receivedSince(from, "#2P51?\r"));
}

void TestManualWindow::overrideThrottle()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QSlider *slider = ui.w->TrackBar1;
    QCOMPARE(slider->value(), 100);
    QVERIFY(ManualUi::until([&] { return !ui.w->Timer1->isActive(); }));

    // A drag from 100 to 150, faster than the throttle's interval.
    const qsizetype from = ui.mark();
    slider->setSliderDown(true);
    for (int position = 101; position <= 150; ++position)
        slider->setSliderPosition(position);
    slider->setSliderDown(false);
    QCOMPARE(ui.w->Label26->text(), QStringLiteral("150%"));
    QCOMPARE(record(ui.f, params::KeyP108).Value, QByteArray("150"));
    QVERIFY(ui.receivedSince(from, "#1P108=101\r"));
    // The position the drag ended at follows when the interval is over: the
    // drive holds what the slider shows, and nothing in between was sent.
    QVERIFY(ui.receivedSince(from, "#1P108=150\r"));
    QVERIFY(ManualUi::until([&] { return !ui.w->Timer1->isActive(); }));
    QVERIFY(ui.cycles());
    QCOMPARE(ui.commandsSince(from), (QList<QByteArray> {"#1P108=101\r", "#1P108=150\r"}));

    // Once the interval is over, the next change goes out.
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(ui.w->Label26->text(), QStringLiteral("151%"));
    QVERIFY(ui.receivedSince(from, "#1P108=151\r"));
}

void TestManualWindow::overrideStoredAsZero()
{
    ManualUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) { line.withDrive(1, [](sim::Drive &d) { d.values["P108"] = "0"; }); }));
    QCOMPARE(record(ui.f, params::KeyP108).Value, QByteArray("0"));
    const qsizetype from = ui.mark();
    QVERIFY(ui.open());
    QCOMPARE(ui.w->TrackBar1->value(), 1);
    QCOMPARE(ui.w->Label26->text(), QStringLiteral("1%"));
    QVERIFY(ui.cycles());
    // Showing the stored value sends nothing.
    QCOMPARE(ui.commandsSince(from), QList<QByteArray>());
}

void TestManualWindow::outputToggle_data()
{
    QTest::addColumn<int>("output");
    QTest::addColumn<QByteArray>("reported");
    QTest::addColumn<QByteArray>("set");
    QTest::newRow("O1 on is switched off") << 1 << QByteArray("1") << QByteArray("0");
    QTest::newRow("O2 off is switched on") << 2 << QByteArray("0") << QByteArray("1");
    QTest::newRow("O3 other answer is switched off") << 3 << QByteArray("x") << QByteArray("0");
    QTest::newRow("O4 off is switched on") << 4 << QByteArray("0") << QByteArray("1");
}

void TestManualWindow::outputToggle()
{
    QFETCH(int, output);
    QFETCH(QByteArray, reported);
    QFETCH(QByteArray, set);
    const QByteArray name = 'O' + QByteArray::number(output);
    ManualUi ui;
    QVERIFY(ui.start([&](sim::SimLine &line) { line.withDrive(1, [&](sim::Drive &d) { d.values[name] = reported; }); }));
    QVERIFY(ui.open());
    const qsizetype from = ui.mark();
    QTest::mouseClick(ui.w->Out[size_t(output)], Qt::LeftButton);
    const QByteArray assignment = "#1" + name + '=' + set + '\r';
    QVERIFY(ui.receivedSince(from, assignment));
    const QList<QByteArray> sent = ui.sentSince(from);
    // The query goes first, to the manual address; the switch follows.
    const qsizetype query = sent.indexOf("#1" + name + "?\r");
    QVERIFY(query >= 0);
    QVERIFY(query < sent.indexOf(assignment));
    QCOMPARE(sent.count(assignment), 1);
    QCOMPARE(record(ui.f, params::KeyParameter(params::KeyO1 + output - 1)).Value, set);
    // The poll shows the new state.
    const QString caption = QString::fromLatin1(name + (set == "1" ? " ON" : " OFF"));
    QTRY_COMPARE_WITH_TIMEOUT(ui.w->Out[size_t(output)]->text(), caption, ManualUi::kWait);
}

void TestManualWindow::analogueByFirmware_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<int>("firmware");
    QTest::addColumn<bool>("shown");
    QTest::newRow("300: hidden") << QByteArray("Version 030000") << 300 << false;
    QTest::newRow("301: shown") << QByteArray("Version 030001") << 301 << true;
}

void TestManualWindow::analogueByFirmware()
{
    QFETCH(QByteArray, version);
    QFETCH(int, firmware);
    QFETCH(bool, shown);
    ManualUi ui;
    QVERIFY(ui.start([&](sim::SimLine &line) { line.withDrive(1, [&](sim::Drive &d) { d.version = version; }); }));
    QCOMPARE(ui.f->Core->FirmwareNumber, firmware);
    QVERIFY(ui.open());
    QCOMPARE(ui.w->Label29->isVisible(), shown);
    QCOMPARE(ui.w->Label30->isVisible(), shown);
    if (shown)
        QTRY_COMPARE_WITH_TIMEOUT(ui.w->Label30->text(), QStringLiteral("512"), ManualUi::kWait);
}

void TestManualWindow::activationReplacesUnconfirmedValue()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QLineEdit *edit = ui.w->Edit[1];
    QTest::mouseClick(edit, Qt::LeftButton);
    QTRY_VERIFY(edit->hasFocus());
    edit->selectAll();
    const qsizetype from = ui.mark();
    QTest::keyClicks(edit, QStringLiteral("999"));

    // Over to the main window and back: the typed value was neither
    // confirmed nor left, so the table's value comes back.
    ui.f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ui.f));
    QCOMPARE(edit->text(), QStringLiteral("999"));
    ui.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ui.w));
    QCOMPARE(edit->text(), QStringLiteral("300"));
    QVERIFY(ui.cycles());
    QCOMPARE(ui.commandsSince(from), QList<QByteArray>());

    // The menu (in the main window) while the window is open activates it
    // afresh as well.
    edit->setText(QStringLiteral("42"));
    ui.f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ui.f));
    ui.f->Manuell1Click();
    QTRY_COMPARE_WITH_TIMEOUT(edit->text(), QStringLiteral("300"), ManualUi::kWait);
    QVERIFY(ui.w->isVisible());
}

void TestManualWindow::holdToRun()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QCheckBox *hold = holdBox(ui.w);
    QVERIFY(hold);
    QVERIFY(!hold->isChecked()); // the jog buttons latch as users know them
    QVERIFY(hold->isVisible());
    // It stands in the window, clear of every other control.
    QVERIFY(ui.w->rect().contains(hold->geometry()));
    QVERIFY2(hold->sizeHint().width() <= hold->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(hold->sizeHint().width()).arg(hold->width())));
    for (QWidget *other : ui.w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (other != hold && other->isVisible())
            QVERIFY2(!other->geometry().intersects(hold->geometry()), qPrintable(other->objectName()));
    }
    QTest::mouseClick(hold, Qt::LeftButton, {}, QPoint(8, hold->height() / 2));
    QVERIFY(hold->isChecked());
    // Answers that take a while, so that a poll cycle is seen waiting.
    ui.fx.com1->setLineEmulation(true, 15000);

    // Held: the jog runs across poll cycles; released: "s" goes ahead of
    // the queries that wait.
    qsizetype from = ui.mark();
    QTest::mousePress(ui.w->Button6, Qt::LeftButton);
    QVERIFY(ui.receivedSince(from, "#1rs\r"));
    QVERIFY(ui.cycles());
    QVERIFY(moving(ui));
    QVERIFY(ManualUi::until([&] { return waitingQueries(ui.f) >= 4; }));
    const QByteArrayList waiting = queued(ui.f).mid(1);
    const QByteArray inFlight = ui.f->Core->Queue.head()->Text;
    const qsizetype released = ui.mark();
    QTest::mouseRelease(ui.w->Button6, Qt::LeftButton);
    QVERIFY(ui.receivedSince(released, waiting.last()));
    QList<QByteArray> sent = ui.sentSince(released);
    const qsizetype stop = sent.indexOf("#1s\r");
    QVERIFY2(stop == 0 || (stop == 1 && sent[0] == inFlight), sent.join(' ').constData());
    QCOMPARE(sent.mid(stop + 1, waiting.size()), waiting);
    QVERIFY(ManualUi::until([&] { return !moving(ui); }));
    QVERIFY(ui.cycles());
    QCOMPARE(ui.commandsSince(from), (QList<QByteArray> {"#1rs\r", "#1s\r"}));
    ui.fx.com1->setLineEmulation(false);

    // From the keyboard: the key's auto-repeat sends nothing more.
    from = ui.mark();
    ui.w->Button4->setFocus();
    QTest::keyPress(ui.w->Button4, Qt::Key_Space);
    QVERIFY(ui.receivedSince(from, "#1ls\r"));
    for (int i = 0; i < 5; ++i) {
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(ui.w->Button4, &up);
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(ui.w->Button4, &down);
        QTest::qWait(20);
    }
    QVERIFY(ui.cycles());
    QVERIFY(moving(ui));
    QCOMPARE(ui.commandsSince(from), QList<QByteArray> {"#1ls\r"});
    QTest::keyRelease(ui.w->Button4, Qt::Key_Space);
    QVERIFY(ui.receivedSince(from, "#1s\r"));
    QVERIFY(ManualUi::until([&] { return !moving(ui); }));
    QVERIFY(ui.cycles());
    QCOMPARE(ui.commandsSince(from), (QList<QByteArray> {"#1ls\r", "#1s\r"}));

    // The window loses the focus while the button is held: the axis stops,
    // and the release later sends nothing more.
    from = ui.mark();
    QTest::mousePress(ui.w->Button8, Qt::LeftButton);
    QVERIFY(ui.receivedSince(from, "#1rf\r"));
    ui.f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ui.f));
    QVERIFY(ui.receivedSince(from, "#1s\r"));
    QVERIFY(ManualUi::until([&] { return !moving(ui); }));
    QTest::mouseRelease(ui.w->Button8, Qt::LeftButton);
    QVERIFY(ui.cycles());
    QCOMPARE(ui.commandsSince(from), (QList<QByteArray> {"#1rf\r", "#1s\r"}));

    // The link is lost while the button is held: the stop is kept and
    // reaches the drive when it answers again.
    ui.w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(ui.w));
    from = ui.mark();
    QTest::mousePress(ui.w->Button7, Qt::LeftButton);
    QVERIFY(ui.receivedSince(from, "#1lf\r"));
    ui.fx.com1->setSilent(true);
    ui.f->Core->Timer9->setInterval(300); // the watchdog speaks sooner
    QVERIFY(ManualUi::until([&] { return ui.f->Core->Timer10->isActive(); }));
    QVERIFY(ManualUi::until([&] { return stopNote(ui.w)->isVisible(); }));
    QTest::mouseRelease(ui.w->Button7, Qt::LeftButton);
    const qsizetype back = ui.mark();
    ui.fx.com1->setSilent(false);
    QVERIFY(ui.receivedSince(back, "#1s\r"));
    QVERIFY(ManualUi::until([&] { return !moving(ui); }));
    QVERIFY(ManualUi::until([&] { return !stopNote(ui.w)->isVisible(); }));
    QCOMPARE(ui.sentSince(back).count("#1s\r"), 1);
    QVERIFY(!ui.sentSince(back).contains("#1lf\r"));
}

void TestManualWindow::holdToRunRemembered()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    QCheckBox *hold = holdBox(ui.w);
    QVERIFY(hold);
    QVERIFY(!hold->isChecked());
    QTest::mouseClick(hold, Qt::LeftButton, {}, QPoint(8, hold->height() / 2));
    QVERIFY(hold->isChecked());
    ui.f->close();

    // The next start of the window has it set, and its jog buttons hold to run.
    ui.fx.form = std::make_unique<TForm1>();
    ui.f = ui.fx.form.get();
    ui.w = ui.f->Form2;
    ui.f->FormCreate();
    QVERIFY(holdBox(ui.w)->isChecked());
    ui.f->show();
    ui.f->Timer12->stop();
    ui.f->Timer12Timer();
    QVERIFY(ManualUi::until([&] { return ui.f->Core->Timer3->isActive() && ui.f->isEnabled(); }));
    QVERIFY(ui.open());
    const qsizetype from = ui.mark();
    QTest::mousePress(ui.w->Button6, Qt::LeftButton);
    QVERIFY(ui.receivedSince(from, "#1rs\r"));
    QTest::mouseRelease(ui.w->Button6, Qt::LeftButton);
    QVERIFY(ui.receivedSince(from, "#1s\r"));

    // Cleared, it is cleared at the next start too.
    hold = holdBox(ui.w);
    QTest::mouseClick(hold, Qt::LeftButton, {}, QPoint(8, hold->height() / 2));
    QVERIFY(!hold->isChecked());
    ui.f->close();
    ui.fx.form = std::make_unique<TForm1>();
    QVERIFY(!holdBox(ui.fx.form->Form2)->isChecked());
}

QTEST_MAIN(TestManualWindow)
#include "test_manualwindow.moc"
