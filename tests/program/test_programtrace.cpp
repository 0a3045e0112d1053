// SPDX-License-Identifier: GPL-3.0-or-later
// Running the program through the editor's buttons: start, stop, a single
// line, trace mode and its steps, and closing the editor, on the wire.
#include "programfixture.h"

#include <QAction>

class TestProgramTrace : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void runAndStop();
    void runAndStopWithoutLink();
    void executeLine_data();
    void executeLine();
    void executeLineWithoutDrive();
    void traceOnStepOff();
    void traceOfAnEmptyProgram();
    void traceAnswersInPieces();
    void closeWhileTracing();
    void closeWithoutTrace();
    void closeParameterEditor();

private:
    // Reads the drive's program, which shows the trace switch.
    bool openFromDrive();
    void switchTraceOn();

    ProgramFixture *fx = nullptr;
    TForm1 *f = nullptr;
};

void TestProgramTrace::init()
{
    fx = new ProgramFixture;
    const QByteArray test = QTest::currentTestFunction();
    auto prepare = [test](sim::SimLine &line) {
        if (test == "traceOfAnEmptyProgram")
            line.addDrive(1).program.setLines({});
        if (test == "traceAnswersInPieces")
            line.setChunking(1, 2, 11);
    };
    QVERIFY2(fx->start(prepare), "could not start the window with the simulated drive");
    f = fx->f;
}

void TestProgramTrace::cleanup()
{
    delete fx;
    fx = nullptr;
    f = nullptr;
}

bool TestProgramTrace::openFromDrive()
{
    f->ZYNTffnen1->trigger();
    QElapsedTimer clock;
    clock.start();
    while (f->Core->Owner.holds(line::Activity::ProgramRead) && clock.elapsed() < kWait)
        QTest::qWait(5);
    if (f->Core->Owner.holds(line::Activity::ProgramRead) || !fx->idle())
        return false;
    fx->line().clearReceived();
    return f->Button12->isVisible();
}

void TestProgramTrace::switchTraceOn()
{
    QTest::mouseClick(f->Button12, Qt::LeftButton);
    QVERIFY(fx->idle());
}

void TestProgramTrace::runAndStop()
{
    f->BitBtn1->click();
    QTest::mouseClick(f->Button1, Qt::LeftButton);
    QTest::mouseClick(f->Button2, Qt::LeftButton);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1run\r", "#1s\r"}));
}

void TestProgramTrace::runAndStopWithoutLink()
{
    f->BitBtn1->click();
    f->Core->DriveConnected = 0;
    QTest::mouseClick(f->Button1, Qt::LeftButton); // needs a drive
    QTest::mouseClick(f->Button2, Qt::LeftButton); // needs only the port
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1s\r"}));

    f->Core->DriveConnected = 1;
    f->Serial1->setActive(false);
    QTest::mouseClick(f->Button1, Qt::LeftButton);
    QTest::mouseClick(f->Button2, Qt::LeftButton);
    QVERIFY(!f->Core->Queue.head());
}

void TestProgramTrace::executeLine_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<int>("rowAfter");
    QTest::newRow("own address") << 3 << QByteArray("#2G100") << QByteArray("#2G100\r") << 4;
    QTest::newRow("no address") << 3 << QByteArray("T50") << QByteArray("#T50\r") << 4;
    QTest::newRow("empty line") << 7 << QByteArray() << QByteArray("#\r") << 8;
    QTest::newRow("last row") << 299 << QByteArray("#1s") << QByteArray("#1s\r") << 299;
}

void TestProgramTrace::executeLine()
{
    QFETCH(int, row);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, sent);
    QFETCH(int, rowAfter);

    f->BitBtn1->click();
    f->Program[size_t(row)] = line;
    f->showProgram();
    fx->clickCell(row, 1);
    QTest::mouseClick(f->Button4, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(fx->sent().size(), 1, kWait);
    QCOMPARE(fx->sent().first(), sent);
    QCOMPARE(f->StringGrid1->currentRow(), rowAfter);
    QCOMPARE(f->Program[size_t(row)], line); // the grid is not changed
}

void TestProgramTrace::executeLineWithoutDrive()
{
    f->BitBtn1->click();
    fx->setLines({"ref", "e"});
    f->Core->DriveConnected = 0;
    fx->clickCell(1, 1);
    QTest::mouseClick(f->Button4, Qt::LeftButton);
    QCOMPARE(f->StringGrid1->currentRow(), 2); // the row moves on all the same
    QTest::qWait(200);
    QVERIFY(fx->sent().isEmpty());
}

void TestProgramTrace::traceOnStepOff()
{
    QVERIFY(openFromDrive());
    QCOMPARE(f->Button12->text(), fx->shell.german(155));

    switchTraceOn();
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1TRON\r", "#1RUN\r", "#1List.\r"}));
    QVERIFY(f->Core->TraceMode);
    QCOMPARE(f->Button12->text(), fx->shell.german(156));
    QCOMPARE(f->Button12->toolTip(), fx->shell.german(157));
    for (QWidget *w : std::initializer_list<QWidget *> {f->Button14, f->Label9, f->Label10, f->Label12, f->Label13})
        QVERIFY(w->isVisible());
    QCOMPARE(f->Label9->text(), QStringLiteral("ref")); // the first command to come
    QCOMPARE(f->Label12->text(), QString());

    fx->line().clearReceived();
    QTest::mouseClick(f->Button14, Qt::LeftButton);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1TR\r", "#1List.\r", "#1List-\r"}));
    QCOMPARE(f->Label12->text(), QStringLiteral("ref"));
    QCOMPARE(f->Label9->text(), QStringLiteral("V=500"));
    // The current line is highlighted in the grid as the trace moves.
    const QColor traced(0xC8, 0xF0, 0xC8);
    QCOMPARE(f->StringGrid1->item(1, 1)->background().color(), traced);
    QCOMPARE(f->StringGrid1->currentRow(), 1);
    QTest::mouseClick(f->Button14, Qt::LeftButton);
    QVERIFY(fx->idle());
    QCOMPARE(f->Label12->text(), QStringLiteral("V=500"));
    QCOMPARE(f->Label9->text(), QStringLiteral("A=100"));
    QCOMPARE(f->StringGrid1->item(2, 1)->background().color(), traced);
    QCOMPARE(f->StringGrid1->item(1, 1)->background().style(), Qt::NoBrush);
    QVERIFY(!f->ProgramEdited); // a highlight is no edit

    // The trace display as the user sees it.
    QTest::qWait(50);
    const QImage shot = f->grab().toImage();
    const QString path = qEnvironmentVariable("ZYNT_BINARY_DIR") + "/tests/program-trace.png";
    QVERIFY2(shot.save(path), qPrintable(path));

    fx->line().clearReceived();
    QTest::mouseClick(f->Button12, Qt::LeftButton);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1STROFF\r"}));
    QVERIFY(!f->Core->TraceMode);
    QCOMPARE(f->StringGrid1->item(2, 1)->background().style(), Qt::NoBrush);
    QCOMPARE(f->Button12->text(), fx->shell.german(155));
    QCOMPARE(f->Button12->toolTip(), fx->shell.german(153));
    for (QWidget *w : std::initializer_list<QWidget *> {f->Button14, f->Label9, f->Label10, f->Label12, f->Label13})
        QVERIFY(w->isHidden());
    bool driveTraces = true;
    fx->line().withDrive(1, [&driveTraces](sim::Drive &d) { driveTraces = d.program.traceMode(); });
    QVERIFY(!driveTraces);
}

void TestProgramTrace::traceOfAnEmptyProgram()
{
    QVERIFY(openFromDrive());
    f->Label9->setText(QStringLiteral("stale"));
    switchTraceOn();
    QCOMPARE(f->Label9->text(), QString()); // no command to come
    QVERIFY(f->Core->ReceiveBuffer.isEmpty());
}

void TestProgramTrace::traceAnswersInPieces()
{
    QVERIFY(openFromDrive());
    switchTraceOn();
    QTest::mouseClick(f->Button14, Qt::LeftButton);
    QVERIFY(fx->idle());
    QCOMPARE(f->Label12->text(), QStringLiteral("ref"));
    QCOMPARE(f->Label9->text(), QStringLiteral("V=500"));
}

void TestProgramTrace::closeWhileTracing()
{
    QVERIFY(openFromDrive());
    switchTraceOn();
    fx->line().clearReceived();
    QTest::mouseClick(f->Button5, Qt::LeftButton);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1TROFF\r", "#1s\r"}));
    QVERIFY(!f->Core->TraceMode);
    QCOMPARE(f->Button12->text(), fx->shell.german(155));
    for (QWidget *w : std::initializer_list<QWidget *> {f->StringGrid1, f->Liste_Speichern, f->Button4, f->Button1,
                                                        f->Button2, f->Button12, f->Button14, f->Label9, f->Label10,
                                                        f->Label11, f->Label12, f->Label13, f->Button5, f->Button6,
                                                        f->Button7, f->Button16})
        QVERIFY(w->isHidden());
    QCOMPARE(f->HelpContext, 1);
}

void TestProgramTrace::closeWithoutTrace()
{
    f->BitBtn1->click();
    fx->setLines({"ref"});
    QTest::mouseClick(f->Button5, Qt::LeftButton);
    QVERIFY(fx->idle());
    QCOMPARE(fx->sent(), (QList<QByteArray> {"#1TROFF\r"}));
    QVERIFY(f->StringGrid1->isHidden());
    QCOMPARE(f->Program[1], QByteArray("ref")); // kept while hidden
}

void TestProgramTrace::closeParameterEditor()
{
    f->StringGrid1->hide();
    f->StringGrid2->show();
    f->Button5->show();
    f->Button3->show();
    QTest::mouseClick(f->Button5, Qt::LeftButton);
    QVERIFY(f->StringGrid2->isHidden());
    QVERIFY(f->Button5->isHidden());
    QVERIFY(f->Button3->isHidden());
    QTest::qWait(200);
    QVERIFY(fx->sent().isEmpty()); // nothing for the drive
}

QTEST_MAIN(TestProgramTrace)
#include "test_programtrace.moc"
