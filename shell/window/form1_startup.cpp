// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, state reset, connection start, window lock and shutdown of the
// main window.
#include "shell/window/tform1.h"

#include "shell/window/tterminalwindow.h"
#include "manual/window/tplotwindow.h"

#include <QSettings>

#include "manual/window/tform2.h"
#include "program/window/tokbottomdlg.h"
#include "shell/cp1252.h"
#include "shell/settings.h"
#include "shell/window/tradiogroup.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

void TForm1::FormCreate()
{
    setWindowSize(650, 480);
    StartDirectory = QDir::currentPath();
    // At the first start these are the design placeholders.
    if (ComboBox1->count() > 0)
        ComboBox1->removeItem(0);
    delete ListBox1->takeItem(0);
    init_Texte();
    init_daten();
    INI_Prozedur();
}

void TForm1::init_daten()
{
    ParameterListBuffer = QByteArray();
    ParameterListBuffer.reserve(10000);
    Core->resetLink();
    Label14->setText(QStringLiteral("0"));
    ConfirmOverwrite = false;
    EditorOptionCount = 0;
    Parameters.ParameterRowCount = 159;
    Parameters.BasicViewSelected = 1;
    SettingsSavePending = 0;
    SearchRequested = 0;
    TerminalOpen = false;
    InfoRestore = {};
    AnimationStep = 0;

    setBackground(Label6, windowColour());
    Label6->setText(QString());
    Label2->setText(QStringLiteral("baudrate"));
    Label6->raise();
    Label2->raise();
    Sprachauswahl(Sprache, true);
    StringGrid2->resize(505, StringGrid2->height());
    Parameters.GridRowCount = params::kGridRows;
    showParameterGrid();
    ON1->setVisible(true);
    OFF1->setVisible(false);
    ListBox1->resize(ListBox1->width(), 0);
}

void TForm1::INI_Prozedur()
{
    HelpContext = 1;
    StringGrid1->setColumnWidth(0, 33);
    StringGrid1->setColumnWidth(1, 250);
    StringGrid2->setColumnWidth(0, 270);
    StringGrid2->setColumnWidth(1, 80);
    StringGrid2->setColumnWidth(2, 50);
    StringGrid2->setColumnWidth(3, 80);
    StringGrid1->verticalHeader()->setDefaultSectionSize(16);

    for (int row = 1; row <= 300; ++row) {
        const QString number = QString::number(row);
        const QString pad = row < 10 ? QStringLiteral("    ") : row < 100 ? QStringLiteral("  ") : QString();
        StringGrid1->setItem(row, 0, new QTableWidgetItem(pad + number + QStringLiteral(":#")));
    }
    StringGrid1->setItem(0, 1, new QTableWidgetItem(QStringLiteral("ZYNT-Programm")));

    Sprache = 1;
    for (int column = 0; column < 4; ++column)
        StringGrid2->setItem(0, column, new QTableWidgetItem(fromCp1252(text(64 + column))));

    ZYNT_Daten_Initialisieren();
}

void TForm1::ZYNT_Daten_Initialisieren()
{
    // Both address boxes are filled anew by the settings file or the search.
    ListBox1->clear();
    ComboBox1->clear();
    Parameters.AllViewRowsIndexed = 1;
    Image1->show();
    Image1->raise();
    for (QPushButton *b : {BitBtn1, BitBtn2, BitBtn3})
        b->hide();
    Core->prepareConnection();
    MasterAddress = 0;

    if (!SearchRequested)
        ZYNT_ini_file_lesen();

    if (Autoscan == 1) {
        // The drive search takes over from here; it holds the line and
        // locks the window until it ends.
        Core->startSearch();
    }

    openPort();
    Timer5->stop();
    Terminal->setOpen(false);

    // Master mode needs a master on the line: address 200 configured.
    MasterMenuAllowed = MasterAddress != 0;
    if (!MasterMenuAllowed)
        Master1->setEnabled(false);

    if (Autoscan == 1) {
        applyLock();
        return;
    }

    Core->connectConfigured();
    SettingsSavePending = 0;
    Timer12->start();
    applyLock();
    Image1->show();
    for (QPushButton *b : {BitBtn1, BitBtn2, BitBtn3})
        b->hide();
    const int port = Serial1->COMPort();
    if (port >= 1 && port <= 4)
        Label2->setText(fromCp1252(Core->InterfaceDescription));
    showDriveHeader();
}

void TForm1::Window_enable(bool enabled)
{
    StringGrid2->setEnabled(enabled);
    if (Form2)
        Form2->setEnabled(enabled);
    for (QPushButton *b : {Button3, Button5, Button8})
        b->setEnabled(enabled);
    for (QMenu *m : {Sprache1, Datei1, Parameter1})
        m->setEnabled(enabled);
    // The unlock gives Master back only where the connection start left it.
    Master1->setEnabled(enabled && MasterMenuAllowed);
    for (QAction *a : {Manuell1, Achse1, Terminal1, Beenden2})
        a->setEnabled(enabled);
}

void TForm1::endSplash()
{
    Image1->hide();
    for (QWidget *w : std::initializer_list<QWidget *> {BitBtn1, BitBtn2, BitBtn3, Label5, Position})
        w->show();
}

void TForm1::Timer6Timer()
{
    Image1->hide();
    Image1->repaint();
    // What the info display hid comes back.
    if (InfoRestore[0]) {
        for (QWidget *w : std::initializer_list<QWidget *> {StringGrid1, Button5, Button6, Button7, Button16,
                                                            Liste_Speichern, Button4, Button1, Button2, Button12,
                                                            Label11})
            w->show();
        InfoRestore[0] = false;
    } else if (InfoRestore[1]) {
        for (QWidget *w : std::initializer_list<QWidget *> {Label7, StringGrid2, Button5, Button3})
            w->show();
        InfoRestore[1] = false;
    }
    if (InfoRestore[2]) {
        Terminal->setOpen(true);
        InfoRestore[2] = false;
    }
    endSplash();
    Timer6->stop();
}

void TForm1::Timer12Timer()
{
    // Three seconds after the connection start: splash off, parameters in.
    Timer6Timer();
    setBackground(Label2, windowColour());
    Label6->setText(QString::fromLatin1(Core->DriveAddress));
    showDriveHeader();
    Timer12->stop();
    // A cut write waits for the user: the parameters are read once it is decided.
    if (Core->PendingCut) {
        ListingAfterCut = true;
        return;
    }
    Core->Owner.resumePoll();
    neulesen1Click();
}

void TForm1::Button11Click()
{
    FormCreate();
}

void TForm1::beep()
{
    QApplication::beep();
}

void TForm1::Panel1Click()
{
    HelpContext = 1;
}

void TForm1::Beenden2Click()
{
    Serial1->setActive(false);
    close();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // A program write under way is not cut without asking.
    if (!mayCloseDuringWrite() || !mayCloseWithStopOutstanding()) {
        event->ignore();
        return;
    }
    Terminal->setOpen(false);
    // Nothing runs on after the window: the core's timers, the window's
    // and the port stop, and what was queued is dropped.
    for (QTimer *t : {Timer2, Timer4, Timer5, Timer6, Timer12, Timer14})
        t->stop();
    // A comparison still open writes nothing now; windows of their own
    // would otherwise keep the program running.
    if (CompareDialog && CompareDialog->isVisible())
        CompareDialog->reject();
    if (VerifyReport)
        VerifyReport->close();
    Core->shutDown();
    ParameterListBuffer = QByteArray();
    if (Form2)
        Form2->close();
    if (PlotWindow)
        PlotWindow->close();
    // A recording ends whole, under its name.
    if (Recorder.running())
        toggleRecording();
    if (WindowSettings)
        WindowSettings->sync();
    if (OKBottomDlg)
        OKBottomDlg->close();
    event->accept();
}
