// SPDX-License-Identifier: GPL-3.0-or-later
// Opens every window of the program but the main one, each as the program
// opens it, on the display it is given, and prints for each its frame and
// the free area of its screen:
//   <name>|<frame x y w h>|<available x y w h>
// test_screenfit runs it on screens of several sizes and judges the lines.
#include "tests/shell/picture.h"
#include "tests/shell/shellfixture.h"

#include "manual/window/tform2.h"
#include "manual/window/tplotwindow.h"
#include "parameters/window/writeback_dialog.h"
#include "program/window/tokbottomdlg.h"
#include "serial/window/tserstddlg.h"
#include "shell/window/helpviewer.h"
#include "shell/window/tstatusline.h"
#include "shell/window/tterminalwindow.h"

#include <QScreen>
#include <QTextStream>

namespace {

QString rect(const QRect &r)
{
    return QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// A long text as drives and files give them.
QByteArray longText(int n)
{
    return "Beschreibung " + QByteArray::number(n)
         + " eines Parameters mit einem sehr langen Text, wie ihn die Beschreibungsdatei liefert";
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    // Started as the user starts it, with a drive on COM1: the windows show
    // the texts and the help file of the language.
    ShellFixture fx;
    const auto drive = [](sim::SimLine &line) {
        line.setBaud(38400);
        line.addDrive(1);
    };
    if (!fx.start(drive, {}, ShellFixture::settings(1, 38400, "1", "1"))
        || !QTest::qWaitFor([&] { return fx.form->isEnabled() && !fx.form->Core->Queue.head(); }, 60000)) {
        out << "error|the main window could not be started\n";
        return 1;
    }
    TForm1 &f = *fx.form;
    f.show();
    if (!QTest::qWaitForWindowExposed(&f, 60000)) {
        out << "error|the main window did not show\n";
        return 1;
    }

    QList<params::CompareRow> rows;
    QList<params::Difference> differing;
    for (int n = 1; n <= 200; ++n) {
        const QByteArray name = "P" + QByteArray::number(n);
        rows.append({n, name, longText(n), "100", "2000000", true, true, params::Live::None, name + "=2000000"});
        differing.append({name, "100", "2000000"});
    }
    WriteBackDialog comparison;
    WriteBackReport report;
    TFormSerSel portSelection(&f);
    TSerStdForm portSettings(QStringLiteral("COM1"), &f);
    QMessageBox question(QMessageBox::Question, f.windowTitle(), QString::fromUtf8(longText(1).repeated(6)),
                         QMessageBox::Yes | QMessageBox::No, &f);
    question.setWindowModality(Qt::NonModal); // shown, not answered
    for (int n = 1; n <= statusline::History::kCapacity; ++n)
        f.StatusLine->note(QString::fromUtf8(longText(n)));

    const std::pair<const char *, std::function<QWidget *()>> windows[] = {
        {"manual window", [&] { f.Form2->show(); return f.Form2; }},
        {"plot window", [&] { f.showPlot(); return f.PlotWindow; }},
        {"terminal window", [&] { f.Terminal->show(); return f.Terminal; }},
        {"program question", [&] { f.OKBottomDlg->show(); return f.OKBottomDlg; }},
        {"drive error", [&] {
             f.OKBottomDlg->hide();
             f.OKBottomDlg->showDriveError(QStringLiteral("** Fehler in Zeile 12"), true);
             return f.OKBottomDlg;
         }},
        {"comparison", [&] { comparison.setRows(rows); comparison.show(); return &comparison; }},
        {"write-back report", [&] { report.show(200, differing); return &report; }},
        {"port selection", [&] { portSelection.show(); return &portSelection; }},
        {"port settings", [&] { portSettings.show(); return &portSettings; }},
        {"help", [&] { f.Hilfedatei1->trigger(); return HelpViewer::of(&f); }},
        {"status history", [&] { f.StatusLine->showHistory(); return f.StatusLine->HistoryWindow; }},
        {"question box", [&] { question.show(); return &question; }},
    };
    int failures = 0;
    for (const auto &[name, open] : windows) {
        QWidget *window = open();
        if (!window || !QTest::qWaitForWindowExposed(window, 60000)) {
            out << "error|" << name << " did not show\n";
            ++failures;
            continue;
        }
        QTest::qWait(50); // a window that lays itself out once shown has done so
        out << name << '|' << rect(window->frameGeometry()) << '|' << rect(window->screen()->availableGeometry())
            << '\n';
        out.flush();
    }
    // The plot window as it fits this screen: its lanes and its time axis.
    const QScreen *screen = f.PlotWindow->screen();
    const QByteArray picture = QStringLiteral("plot-fitted-%1x%2-x%3.png")
                                   .arg(screen->size().width())
                                   .arg(screen->size().height())
                                   .arg(screen->devicePixelRatio())
                                   .toLatin1();
    if (!savePicture(f.PlotWindow, picture.constData())) {
        out << "error|the plot window's picture was not saved\n";
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
