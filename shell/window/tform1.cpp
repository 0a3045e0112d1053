// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/tform1.h"

#include "manual/window/tform2.h"
#include "program/window/tokbottomdlg.h"
#include "shell/cp1252.h"
#include "shell/window/controls.h"
#include "shell/datafiles.h"
#include "shell/porthint.h"
#include "shell/window/tradiogroup.h"
#include "shell/window/tstatusline.h"
#include "shell/window/windowfit.h"
#include "shell/window/tterminalwindow.h"
#include "manual/window/tplotwindow.h"
#include "zyntversion.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>

#include <cstdio>

using controls::newButton;
using controls::newLabel;
using controls::newPicture;

namespace {

// The maker's notice in the status bar.
const char kNotice[] = "HEXWALD Antriebstechnik  -  ZYNT Programmiersoftware V " ZYNT_VERSION;

} // namespace

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent)
    , Core(new DriveCore(this))
    , Serial1(Core->Serial1)
{
    setWindowTitle(QStringLiteral("HEXWALD - ZYNT Ansteuerung"));
    QFont font(QStringLiteral("MS Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button)); // the system menu colour
    setPalette(pal);
    setCentralWidget(new QWidget(this));
    centralWidget()->installEventFilter(this);
    windowfit::install();
    StatusLine = new TStatusLine(this);
    setStatusBar(StatusLine);
    statusBar()->showMessage(QString::fromLatin1(kNotice));

    createControls();
    createMenu();
    createTimers();
    setWindowSize(650, 480);
    Form2 = new TForm2(*this, QMainWindow::font());
    OKBottomDlg = new TOKBottomDlg(*this);
    connectControls();
    connectLinkReports();
    connectParameterControls();
    connectProgramControls();
    connectManualControls();
    connectInfoControls();
    createGrowth();
    createShortcuts();
    // Until the connection start has run, the window takes no input.
    setEnabled(false);
}

TForm1::~TForm1()
{
    delete OKBottomDlg;
    delete Form2;
    delete PlotWindow;
    delete CompareDialog;
    delete VerifyReport;
    delete ReadFailedBox; // a window of its own, like the message boxes
    // The terminal's input tells the core when it loses the focus, as it
    // does when it goes: it goes while the core is still there.
    delete Terminal;
    Terminal = nullptr;
    // The core and its port go before the controls, so that nothing it
    // reports reaches a half-destroyed window.
    delete Core;
}

void TForm1::createControls()
{
    QWidget *area = centralWidget();

    // Top line: view buttons, interface and address, notices, drive symbol.
    BitBtn1 = newButton(area, QString(), 46, 0, 22, 22);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    BitBtn1->setToolTip(QStringLiteral("Programmeditor aktivieren"));
    BitBtn3 = newButton(area, QString(), 104, 0, 22, 22);
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    BitBtn3->setToolTip(QStringLiteral("Neu aus ZYNT laden"));
    BitBtn2 = newButton(area, QString(), 124, 0, 22, 22);
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    BitBtn2->setToolTip(QStringLiteral("Parametereditor aktivieren"));
    for (QPushButton *b : {BitBtn1, BitBtn2, BitBtn3})
        b->hide();

    Label2 = newLabel(area, QStringLiteral("Baudrate"), 152, 4, 186, 15);
    Label2->setAutoFillBackground(true);
    Label6 = newLabel(area, QStringLiteral("Adresse"), 340, 4, 34, 15);
    Label6->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    Label6->setAutoFillBackground(true);
    Label18 = newLabel(area, QString(), 152, 2, 220, 18);
    Label18->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));
    Label18->hide();

    Label3 = newLabel(area, QStringLiteral("Bitte warten - Parameter werden geladen"), 378, 4, 226, 15);
    Label4 = newLabel(area, QStringLiteral("Bitte warten - Programm wird in ZYNT geschrieben"), 378, 4, 226, 15);
    Label8 = newLabel(area, QStringLiteral("Bitte warten - Parameter werden in ZYNT geschrieben"), 378, 4, 226, 15);
    Label19 = newLabel(area, QStringLiteral("Master running"), 378, 4, 226, 15);
    for (QLabel *l : {Label3, Label4, Label8, Label19}) {
        l->setAutoFillBackground(true);
        setBackground(l, Qt::cyan); // the blinking notices start in aqua
        l->hide();
    }
    ProgressBar1 = new QProgressBar(area);
    ProgressBar1->setGeometry(152, 22, 200, 12); // under the interface, clear of the position
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    Label17 = newLabel(area, QStringLiteral("0%"), 356, 20, 40, 15);
    Label17->hide();

    ListBox1 = new QListWidget(area);
    ListBox1->setGeometry(291, 0, 27, 0);
    ListBox1->addItem(QStringLiteral("1")); // design placeholder, removed at start
    ListBox1->hide();
    ComboBox1 = new QComboBox(area);
    ComboBox1->setGeometry(240, 0, 50, 21);
    ComboBox1->setEditable(true);
    ComboBox1->addItem(QStringLiteral("1")); // design placeholder, removed at start
    ComboBox1->hide();
    Label15 = newLabel(area, QStringLiteral("Bitte Antriebsadresse eingeben"), 322, 24, 200, 15);
    Label15->hide();

    Image2 = newPicture(area, QStringLiteral(":/images/drive1.png"), 608, 10, 34, 34);
    Image3 = newPicture(area, QStringLiteral(":/images/drive2.png"), 608, 10, 34, 34);
    Image4 = newPicture(area, QStringLiteral(":/images/drive3.png"), 608, 10, 34, 34);
    Image5 = newPicture(area, QStringLiteral(":/images/drive4.png"), 608, 10, 34, 34);
    Image6 = newPicture(area, QStringLiteral(":/images/drive5.png"), 608, 10, 34, 34);
    for (QLabel *image : {Image2, Image3, Image4, Image5, Image6})
        image->hide();

    Position = newLabel(area, QStringLiteral("Position"), 515, 24, 44, 15);
    Label5 = newLabel(area, QString(), 560, 24, 46, 15);
    QFont positionFont = QMainWindow::font();
    positionFont.setBold(true);
    Label5->setFont(positionFont);
    Position->hide();
    Label5->hide();

    // Offered only when a search found nothing or the listing timed out again.
    Button11 = newButton(area, QStringLiteral("ZYNT suchen"), 530, 380, 110, 25);
    Button11->hide();

    // Interface configuration.
    Panel3 = new QFrame(area);
    Panel3->setGeometry(150, 40, 330, 200);
    Panel3->setFrameShape(QFrame::Panel);
    Panel3->setFrameShadow(QFrame::Raised);
    Panel3->setAutoFillBackground(true);
    Panel3->installEventFilter(this);
    Label16 = newLabel(area, QString(), 160, 46, 310, 15);
    Label16->setStyleSheet(QStringLiteral("font-weight: bold;"));
    RadioGroup5 = new TRadioGroup(QStringLiteral("Baudrate"), area);
    RadioGroup5->setGeometry(160, 66, 310, 90);
    RadioGroup5->setColumns(2);
    RadioGroup6 = new TRadioGroup(QStringLiteral("Hardwarehandshake"), area);
    RadioGroup6->setGeometry(160, 160, 200, 70);
    Button15 = newButton(area, QStringLiteral("OK"), 380, 200, 90, 25);
    for (QWidget *w : std::initializer_list<QWidget *> {Panel3, Label16, RadioGroup5, RadioGroup6, Button15})
        w->hide();

    // Terminal, in a window of its own.
    Terminal = new TTerminalWindow(this);
    MemoTxD = Terminal->MemoTxD;
    MemoRxD = Terminal->MemoRxD;
    Button13 = Terminal->Button13;
    Button18 = Terminal->Button18;
    Terminal->setOpen(false);

    createProgramEditor(area);
    createParameterEditor(area);

    // Queue display.
    Label13 = newLabel(area, QStringLiteral("Aktuelles Kommando :"), 4, 404, 110, 15);
    Label12 = newLabel(area, QString(), 116, 404, 130, 15);
    Label10 = newLabel(area, QStringLiteral("Nächstes Kommando :"), 250, 404, 110, 15);
    Label9 = newLabel(area, QString(), 362, 404, 130, 15);
    Label14 = newLabel(area, QStringLiteral("0"), 496, 404, 14, 15);
    for (QLabel *l : {Label13, Label12, Label10, Label9, Label14})
        l->hide();

    createDriveHeader(area);

    // The splash picture lies on top of everything until the start-up ends.
    Image1 = newPicture(area, QStringLiteral(":/images/splash.png"), 2, -32, 640, 482);
    Image1->raise();
}

void TForm1::connectControls()
{
    connect(Button11, &QPushButton::clicked, this, &TForm1::Button11Click);
    connect(Button15, &QPushButton::clicked, this, &TForm1::Button15Click);
    // A click on the list chooses as a double click does.
    connect(ListBox1, &QListWidget::itemClicked, this, &TForm1::ListBox1DblClick);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TForm1::ListBox1DblClick);
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, [this] { ComboBox1KeyPress('\r'); });
    connect(ComboBox1, &QComboBox::activated, this, [this] {
        if (ComboBox1->isEnabled())
            ComboBox1KeyPress('\r');
    });
}

void TForm1::createMenu()
{
    QMenuBar *bar = menuBar();
    auto item = [this](QMenu *menu, const char *caption, void (TForm1::*handler)()) {
        QAction *action = menu->addAction(QString::fromUtf8(caption));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto topItem = [this, bar](const char *caption, void (TForm1::*handler)()) {
        QAction *action = bar->addAction(QString::fromUtf8(caption));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    Sprache1 = bar->addMenu(QStringLiteral("Sprache"));
    Deutsch1 = item(Sprache1, "Deutsch", &TForm1::Deutsch1Click);
    english1 = item(Sprache1, "english", &TForm1::english1Click);

    Datei1 = bar->addMenu(QStringLiteral("&Programm"));
    Fileffnen1 = item(Datei1, "&Neu", &TForm1::Fileffnen1Click);
    ZYNTffnen1 = item(Datei1, "&ZYNT öffnen", &TForm1::ZYNTffnen1Click);
    FileSpeichern1 = item(Datei1, "File Speichern", &TForm1::FileSpeichern1Click);
    N1 = item(Datei1, "&File öffnen", &TForm1::N1Click);

    Parameter1 = bar->addMenu(QStringLiteral("&Parameter"));
    Schnittstelle1 = Parameter1->addMenu(QStringLiteral("&Schnittstelle"));
    Automatisch1 = item(Schnittstelle1, "ZYNT &Automatisch suchen", &TForm1::Automatisch1Click);
    ManuellKonfigurieren1 = item(Schnittstelle1, "Manuell Konfigurieren", &TForm1::ManuellKonfigurieren1Click);
    ZYNT1 = Parameter1->addMenu(QStringLiteral("ZY&NT Parameter"));
    nachFunktionSortieren1 = item(ZYNT1, "Grundparameter anzeigen", &TForm1::nachFunktionSortieren1Click);
    ffnen1 = item(ZYNT1, "Alle Parameter Anzeigen", &TForm1::ffnen1Click);
    neulesen1 = item(ZYNT1, "neu aus ZYNT Lesen", &TForm1::neulesen1Click);
    ParameterSpeichern1 = item(Parameter1, "Parameter in File Spei&chern", &TForm1::ParameterSpeichern1Click);
    Parameterffnen1 = item(Parameter1, "Parameter-&File öffnen", &TForm1::Parameterffnen1Click);

    Manuell1 = topItem("&Manuell", &TForm1::Manuell1Click);
    Master1 = bar->addMenu(QStringLiteral("Master"));
    ON1 = item(Master1, "ON", &TForm1::ON1Click);
    OFF1 = item(Master1, "OFF", &TForm1::OFF1Click);
    OFF1->setVisible(false);
    Achse1 = topItem("&Antriebsadr.", &TForm1::Achse1Click);
    Terminal1 = topItem("&Terminal", &TForm1::Terminal1Click);
    Beenden2 = topItem("B&eenden", &TForm1::Beenden2Click);
    Info1 = bar->addMenu(QStringLiteral("Info"));
    Hilfedatei1 = item(Info1, "Hilfedatei", &TForm1::Hilfedatei1Click);
    ZYNTVersion1 = item(Info1, "ZYNT Firmware Version", &TForm1::ZYNTVersion1Click);
    Hexwald1 = item(Info1, "?", &TForm1::Hexwald1Click);
    Info1->addAction(QString()); // an empty item without action
}

void TForm1::createTimers()
{
    struct Design {
        QTimer **timer;
        int interval;
        bool running;
        void (TForm1::*tick)();
    };
    const Design designs[] = {
        {&Timer2, 300, false, &TForm1::Timer2Timer},   {&Timer4, 100, false, nullptr},
        {&Timer5, 2, true, &TForm1::Timer5Timer},      {&Timer6, 4000, true, &TForm1::Timer6Timer},
        {&Timer12, 3000, false, &TForm1::Timer12Timer}, {&Timer14, 4000, false, nullptr},
    };
    for (const Design &d : designs) {
        *d.timer = new QTimer(this);
        (*d.timer)->setInterval(d.interval);
        if (d.tick)
            connect(*d.timer, &QTimer::timeout, this, d.tick);
        if (d.running)
            (*d.timer)->start();
    }
}

QColor TForm1::windowColour() const
{
    return palette().color(QPalette::Base);
}

bool TForm1::askBeforeClosing(const QString &question)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), question);
    box.setWindowModality(Qt::ApplicationModal);
    QPushButton *wait = box.addButton(QMessageBox::Cancel);
    wait->setText(tr("Warten"));
    QPushButton *close = box.addButton(QMessageBox::Discard);
    close->setText(tr("Trotzdem schließen"));
    box.setDefaultButton(wait);
    box.setEscapeButton(wait);
    box.exec();
    return box.clickedButton() == close;
}

void TForm1::writeConfirmedProgram()
{
    ZYNT_Programm_Speichern();
}

void TForm1::driveErrorRead()
{
    if (Form2)
        Form2->setEnabled(true);
}

void TForm1::chooseAddress(const QByteArray &address)
{
    ComboBox1->setEditText(QString::fromLatin1(address));
    ComboBox1KeyPress('\r');
}

bool TForm1::recording() const
{
    return Recorder.running();
}

void TForm1::setBackground(QLabel *label, const QColor &colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::Window, colour);
    label->setPalette(p);
}

QByteArray TForm1::memoRxDText() const
{
    return toCp1252(MemoRxD->toPlainText());
}

void TForm1::appendToMemoRxD(const QByteArray &chunk)
{
    // The memo shows each carriage return as a line break.
    QByteArray shown = chunk;
    shown.replace("\r\n", "\n");
    shown.replace('\r', '\n');
    MemoRxD->moveCursor(QTextCursor::End);
    MemoRxD->insertPlainText(fromCp1252(shown));
}

void TForm1::errorBox(const QByteArray &message)
{
    // No parent: the main window is often locked while a search or a
    // transfer reports, and a locked parent would lock its message too.
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), fromCp1252(message),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

bool TForm1::confirm(QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButton yes,
                     QMessageBox::StandardButton no)
{
    // The poll waits while the user reads; the safe answer is the default.
    QMessageBox question(icon, windowTitle(), text, yes | no);
    question.setDefaultButton(no);
    Core->Owner.pause(line::Pause::Question);
    const bool accepted = question.exec() == yes;
    Core->Owner.resume(line::Pause::Question);
    return accepted;
}

void TForm1::openPort()
{
    Core->openPort();
}

QString TForm1::saveBackup(const QString &suffix, const QByteArray &bytes)
{
    const QString folder = datafiles::backupFolder();
    QString path, error;
    if (!QDir().mkpath(folder))
        error = datafiles::fileError(folder, QStringLiteral("the folder cannot be made"));
    else
        error = datafiles::saveBackupFile(
            QDir(folder).filePath(datafiles::backupStem(QDateTime::currentDateTime(),
                                                        QStringLiteral("COM%1").arg(Serial1->COMPort()),
                                                        Core->DriveAddress)),
            suffix, bytes, &path);
    if (!error.isEmpty()) {
        errorBox(toCp1252(error + QStringLiteral("\r\r") + tr("Es wurde nichts geschrieben.")));
        return {};
    }
    return path;
}

void TForm1::statusNote(const QString &text)
{
    StatusLine->note(text, 15000);
}

void TForm1::missingShippedFile(const QString &folder, const QString &name)
{
    const QString text = datafiles::missingFileText(folder, name);
    std::fprintf(stderr, "zynt: %s\n", qPrintable(text));
    StatusLine->note(text);
}

void TForm1::showPortHint(const QString &hint)
{
    if (hint.isEmpty()) {
        if (PortHintShown) {
            statusBar()->showMessage(QString::fromLatin1(kNotice));
            PortHintShown = false;
        }
        return;
    }
    // The port stays closed without a dialog; the status bar says why, and
    // where the user lacks the permission, how to get it.
    StatusLine->note(hint);
    PortHintShown = true;
}

QString TForm1::askFileName(const FileDialogRequest &request)
{
    return AskFileName ? AskFileName(request) : runFileDialog(request);
}

QString TForm1::askSaveName(const QString &title, const QString &suffix, const QString &kind)
{
    FileDialogRequest request;
    request.save = true;
    request.title = title;
    request.defaultSuffix = suffix;
    request.fileName = QStringLiteral("*.") + suffix;
    request.filter = QStringLiteral("%1 (*.%2)|*.%2|All files (*.*)|*.*").arg(kind, suffix);
    return askFileName(request);
}

void TForm1::reportSaved(const QString &path, const QString &error, const QString &saved)
{
    if (error.isEmpty())
        statusNote(saved + QStringLiteral(": ") + path);
    else
        errorBox(toCp1252(error));
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Terminal && event->type() == QEvent::Close && TerminalOpen)
        Button13Click();
    if (watched == StringGrid2 && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        ParameterSearch->setPlaceholderText(tr("Suchen"));
        ParameterSearch->setVisible(event->type() == QEvent::Show);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == centralWidget())
            beep();
        else if (watched == Panel1 || watched == Panel3)
            Panel1Click();
    } else if (event->type() == QEvent::Enter && watched == Button5) {
        Button5->setToolTip(fromCp1252(text(76)));
    }
    return QMainWindow::eventFilter(watched, event);
}
