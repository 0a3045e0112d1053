// SPDX-License-Identifier: GPL-3.0-or-later
// Watching the axis: the live plot and the recording, both fed by the status
// poll, and the manual window while the link is lost.
#include "tests/manual/manualfixture.h"
#include "tests/shell/picture.h"

#include "manual/window/tplotwindow.h"
#include "manual/window/tform2.h"

#include <QFile>
#include <QLineSeries>
#include <QSignalSpy>
#include <QStatusBar>

class TestLivePlot : public QObject {
    Q_OBJECT
private slots:
    void plotTakesEachCycleAndPauses();
    void recordingHasARowPerCycle();
    void manualWindowWhileTheLinkIsLost();
    void escapeStops();
};

namespace {

// The poll's cycles counted where the core reports them answered.
int endedCycles(const QSignalSpy &answers)
{
    int cycles = 0;
    for (const QList<QVariant> &args : answers)
        cycles += args.at(0).value<status::Update>().display == status::Display::Inputs;
    return cycles;
}

} // namespace

void TestLivePlot::plotTakesEachCycleAndPauses()
{
    ManualUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) { line.withDrive(1, [](sim::Drive &d) { d.values["P1020"] = "3000"; }); }));
    QVERIFY(ui.open());
    TForm1 *f = ui.f;
    TForm2 *w = ui.w;
    QTest::mouseClick(w->PlotButton, Qt::LeftButton);
    TPlotWindow *plot = f->PlotWindow;
    QVERIFY(QTest::qWaitForWindowExposed(plot));
    plot->SpanBox->setCurrentIndex(plot->SpanBox->findData(30));
    plot->SpanBox->activated(plot->SpanBox->currentIndex());
    QCOMPARE(plot->span(), 30);

    // One point per cycle, none per single answer.
    QSignalSpy answers(f->Core, &DriveCore::statusAnswered);
    const size_t before = plot->history().points().size();
    QVERIFY(ui.cycles(3));
    QCOMPARE(plot->history().points().size() - before, size_t(endedCycles(answers)));
    QTRY_VERIFY_WITH_TIMEOUT(plot->positionSeries()->count() == int(plot->history().points().size()), ManualUi::kWait);

    // Back and forth, as in the picture.
    QTest::mouseClick(w->Button8, Qt::LeftButton); // Rechts-schnell
    QTRY_VERIFY_WITH_TIMEOUT(w->Label5->text().toLongLong() > 3000, ManualUi::kWait);
    QTest::mouseClick(w->Button7, Qt::LeftButton); // Links-schnell
    QTRY_VERIFY_WITH_TIMEOUT(w->Label5->text().toLongLong() < 1000, ManualUi::kWait);
    QTest::mouseClick(w->Button12, Qt::LeftButton); // Stop
    QVERIFY(ui.cycles(2));
    plot->refresh();
    // The last point drawn is the position the window shows.
    QTRY_COMPARE_WITH_TIMEOUT(plot->positionSeries()->at(plot->positionSeries()->count() - 1).y(),
                              w->Label5->text().toDouble(), ManualUi::kWait);
    qreal highest = 0;
    for (const QPointF &p : plot->positionSeries()->points())
        highest = std::max(highest, p.y());
    QVERIFY(highest > 3000);
    QVERIFY(savePicture(plot, "live-plot.png"));

    // Paused, the picture stands while the cycles go on; resumed, it has them.
    QTest::mouseClick(plot->PauseButton, Qt::LeftButton);
    QVERIFY(plot->paused());
    const int drawn = plot->positionSeries()->count();
    const size_t kept = plot->history().points().size();
    QVERIFY(ui.cycles(3));
    plot->refresh();
    QCOMPARE(plot->positionSeries()->count(), drawn);
    QVERIFY(plot->history().points().size() >= kept + 3);
    QTest::mouseClick(plot->PauseButton, Qt::LeftButton);
    QVERIFY(!plot->paused());
    QTRY_VERIFY_WITH_TIMEOUT(plot->positionSeries()->count() >= drawn + 3, ManualUi::kWait);

    // The picture saved as the user asks.
    const QString file = ui.fx.dir.filePath(QStringLiteral("plot.png"));
    f->AskFileName = [&](const FileDialogRequest &request) {
        return request.save && request.defaultSuffix == QStringLiteral("png") ? file : QString();
    };
    QTest::mouseClick(plot->SaveButton, Qt::LeftButton);
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.read(8) == QByteArray("\x89PNG\r\n\x1a\n"));
    QVERIFY(f->statusBar()->currentMessage().contains(file));
}

void TestLivePlot::recordingHasARowPerCycle()
{
    ManualUi ui;
    QVERIFY(ui.start([](sim::SimLine &line) {
        line.withDrive(1, [](sim::Drive &d) {
            d.values["P12"] = "4";
            d.values["O2"] = "1";
            d.motion.setInputs(0x24);
        });
    }));
    QVERIFY(ui.open());
    TForm1 *f = ui.f;
    TForm2 *w = ui.w;
    QTest::mouseClick(w->Button6, Qt::LeftButton); // Rechts-langsam: the position moves
    QTest::mouseClick(w->RecordButton, Qt::LeftButton);
    QVERIFY(f->Recorder.running());
    QVERIFY(f->statusBar()->currentMessage().contains(ui.fx.recordingFolder()));
    // Stopped with the button right after the fiftieth cycle was written.
    QObject::connect(f->Core, &DriveCore::cycleSampled, w, [&] {
        if (f->Recorder.running() && f->Recorder.rows() == 50)
            QTest::mouseClick(w->RecordButton, Qt::LeftButton);
    });
    QTRY_VERIFY_WITH_TIMEOUT(!f->Recorder.running(), 60000);
    QTest::mouseClick(w->Button12, Qt::LeftButton);

    const QStringList files = QDir(ui.fx.recordingFolder()).entryList(QDir::Files);
    QCOMPARE(files.size(), 1); // the part file is gone
    QVERIFY(files[0].endsWith(QStringLiteral("-address1.csv")));
    QVERIFY(f->statusBar()->currentMessage().contains(files[0]));
    QFile file(ui.fx.recordingFolder() + QLatin1Char('/') + files[0]);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.takeLast(), QByteArray());
    QCOMPARE(lines.size(), 51);
    QCOMPARE(lines.takeFirst(), QByteArray("time_ms,time,position,P336,P11,P12,O1,O2,O3,O4,P1300,ADC,state,link\r"));
    qint64 lastTime = -1, lastPosition = -1;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> v = line.chopped(1).split(',');
        QCOMPARE(v.size(), 14);
        QVERIFY(v[0].toLongLong() >= lastTime);
        lastTime = v[0].toLongLong();
        QVERIFY(QDateTime::fromString(QString::fromLatin1(v[1]), Qt::ISODateWithMs).isValid());
        // The drive moves right: the position never goes back.
        QVERIFY2(v[2].toLongLong() >= lastPosition, line.constData());
        lastPosition = v[2].toLongLong();
        QCOMPARE(v[3], QByteArray("0"));   // moving, not in position
        QCOMPARE(v[5], QByteArray("4"));   // the warning the drive holds
        QCOMPARE(v[7], QByteArray("1"));   // O2
        QCOMPARE(v[10].toInt() & 0xFE, 0x24); // the inputs; bit 0 is the reference switch
        bool number = false;
        v[11].toInt(&number);
        QVERIFY(number);                   // ADC
        QCOMPARE(v[12], QByteArray("ON"));
        QCOMPARE(v[13], QByteArray("ok"));
    }
    QVERIFY(lastPosition > 0);
}

void TestLivePlot::manualWindowWhileTheLinkIsLost()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    TForm1 *f = ui.f;
    TForm2 *w = ui.w;
    QVERIFY(ui.cycles());
    QVERIFY(w->Button6->isEnabled());
    QTest::mouseClick(w->RecordButton, Qt::LeftButton);
    QTest::mouseClick(w->Button6, Qt::LeftButton); // the drive moves on through the gap
    QVERIFY(ui.cycles(3));
    ui.fx.com1->setSilent(true);
    const int watchdog = f->Core->Timer9->interval();
    f->Core->Timer9->setInterval(300); // the watchdog speaks sooner
    QTRY_VERIFY_WITH_TIMEOUT(!w->Button6->isEnabled(), ManualUi::kWait);
    // Back to its own period: on a loaded machine a slow answer after the
    // gap would otherwise count as a second loss.
    f->Core->Timer9->setInterval(watchdog);
    // Only Stop is left; the displays are grey and say why.
    QVERIFY(w->Button12->isEnabled());
    for (QPushButton *b : {w->Button2, w->Button5, w->Button1, w->Button13, w->Out[1]})
        QVERIFY(!b->isEnabled());
    QVERIFY(!w->Edit[1]->isEnabled());
    QVERIFY(!w->TrackBar1->isEnabled());
    QVERIFY(!w->Label5->isEnabled());
    QVERIFY(!w->I[1]->isEnabled());
    QVERIFY(w->StateNote->isVisible());
    QVERIFY(w->StateNote->text().contains(QStringLiteral("Verbindung")));
    QVERIFY(savePicture(w, "manual-link-lost.png"));

    ui.fx.com1->setSilent(false);
    QTRY_VERIFY_WITH_TIMEOUT(w->Button6->isEnabled(), ManualUi::kWait);
    QVERIFY(w->Label5->isEnabled());
    QVERIFY(w->Edit[1]->isEnabled());
    QVERIFY(!w->StateNote->isVisible());

    // The recording and the plot know the gap from the core: the first
    // cycle after it is marked, in the file and as a break in the line.
    QVERIFY(ui.cycles(2));
    QTest::mouseClick(w->RecordButton, Qt::LeftButton);
    QVERIFY(!f->Recorder.running());
    const QStringList files = QDir(ui.fx.recordingFolder()).entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QFile file(ui.fx.recordingFolder() + QLatin1Char('/') + files[0]);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArrayList marks;
    for (const QByteArray &line : file.readAll().split('\n').mid(1, -1)) {
        if (!line.isEmpty())
            marks << line.chopped(1).split(',').last();
    }
    QCOMPARE(marks.count("ok"), marks.size() - 1);
    QByteArrayList lost;
    std::copy_if(marks.begin(), marks.end(), std::back_inserter(lost),
                 [](const QByteArray &mark) { return mark.startsWith("lost "); });
    QCOMPARE(lost.size(), 1);
    QVERIFY2(lost[0].endsWith(" s") && lost[0].mid(5).chopped(2).toDouble() >= 0.3, lost[0].constData());
    int breaks = 0;
    for (const plot::Point &point : f->PlotWindow->history().points())
        breaks += point.afterGap ? 1 : 0;
    QCOMPARE(breaks, 1);
    QTest::mouseClick(w->PlotButton, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(f->PlotWindow->positionPieces().size(), 2, ManualUi::kWait);
    f->PlotWindow->setSpan(30);
    QVERIFY(QTest::qWaitForWindowExposed(f->PlotWindow));
    QTest::qWait(500); // the legend is laid out by the event loop
    QVERIFY(savePicture(f->PlotWindow, "plot-gap.png"));
}

void TestLivePlot::escapeStops()
{
    ManualUi ui;
    QVERIFY(ui.start());
    QVERIFY(ui.open());
    const qsizetype from = ui.mark();
    // Wherever the focus is in the window, a value field too.
    ui.w->Edit[3]->setFocus();
    QTest::keyClick(ui.w->Edit[3], Qt::Key_Escape);
    QVERIFY(ui.receivedSince(from, "#1s\r"));
}

QTEST_MAIN(TestLivePlot)
#include "test_liveplot.moc"
