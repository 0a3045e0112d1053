#include "shell/tform1.h"

#include "program/tokbottomdlg.h"
#include "shell/cp1252.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

TForm1::TForm1(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("HEXWALD - ZYNT Ansteuerung"));
    resize(650, 480);
    setCentralWidget(new QWidget(this));

    Serial1 = new TSerial(this);
    Serial1->setActive(false);
    Serial1->setCOMPort(1);
    Serial1->setBaudrate(br_002400);
    Serial1->OnRxChar = [this](TSerial *sender) { Serial1EventChar(sender); };
    Serial1->OnTxEmpty = [this](TSerial *sender) { Serial1TxEmpty(sender); };

    createLinkControls();
    createTimers();
    OKBottomDlg = new TOKBottomDlg(this);
}

TForm1::~TForm1()
{
    // The port goes first, so that no receive event can reach a half-destroyed window.
    delete Serial1;
    Serial1 = nullptr;
    delete OKBottomDlg;
}

void TForm1::createLinkControls()
{
    QWidget *area = centralWidget();
    auto label = [area](const char *caption, int x, int y, int w, int h) {
        auto *l = new QLabel(QString::fromLatin1(caption), area);
        l->setGeometry(x, y, w, h);
        return l;
    };
    Label2 = label("Baudrate", 8, 8, 200, 16);
    Label2->setAutoFillBackground(true);
    Label6 = label("Adresse", 212, 8, 40, 16);
    Label6->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    Label6->setAutoFillBackground(true);
    Label4 = label("Bitte warten - Programm wird in ZYNT geschrieben", 8, 400, 400, 16);
    Label4->hide();
    Label8 = label("Bitte warten - Parameter werden in ZYNT geschrieben", 8, 420, 400, 16);
    Label8->hide();
    Label14 = label("0", 600, 8, 30, 16);
    Label14->hide();
    Image2 = label("", 260, 4, 32, 24);

    Button11 = new QPushButton(QStringLiteral("ZYNT suchen"), area);
    Button11->setGeometry(520, 4, 110, 25);

    MemoRxD = new QPlainTextEdit(area);
    MemoRxD->setReadOnly(true);
    MemoRxD->setGeometry(8, 32, 300, 120);
    MemoRxD->hide();

    StringGrid1 = new QTableWidget(301, 2, area);
    StringGrid1->setGeometry(8, 160, 620, 230);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->hide();
}

void TForm1::createTimers()
{
    struct Design {
        QTimer **timer;
        int interval;
        bool running;
    };
    const Design designs[] = {
        {&Timer1, 1000, true},  {&Timer2, 300, false},   {&Timer3, 50, false},
        {&Timer4, 100, false},  {&Timer5, 2, true},      {&Timer6, 4000, true},
        {&Timer7, 4000, false}, {&Timer8, 1000, false},  {&Timer9, 2000, false},
        {&Timer10, 1000, false}, {&Timer11, 20000, false}, {&Timer12, 3000, false},
        {&Timer13, 1000, false}, {&Timer14, 4000, false},
    };
    for (const Design &d : designs) {
        *d.timer = new QTimer(this);
        (*d.timer)->setInterval(d.interval);
        if (d.running)
            (*d.timer)->start();
    }
    connect(Timer5, &QTimer::timeout, this, &TForm1::Timer5Timer);
    connect(Timer13, &QTimer::timeout, this, &TForm1::Timer13Timer);
}

QByteArray TForm1::text(int number) const
{
    if (Sprache < 1 || Sprache > 2 || number < 1 || number > 229)
        return {};
    return Texte[Sprache][number];
}

void TForm1::Window_enable(bool enabled)
{
    menuBar()->setEnabled(enabled);
    if (Form2)
        Form2->setEnabled(enabled);
}

QColor TForm1::windowColour() const
{
    return palette().color(QPalette::Base);
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

void TForm1::closeEvent(QCloseEvent *event)
{
    for (QTimer *t : {Timer1, Timer2, Timer3, Timer4, Timer5, Timer6, Timer7, Timer8, Timer9,
                      Timer10, Timer11, Timer12, Timer13, Timer14})
        t->stop();
    Serial1->setActive(false);
    clearQueue();
    ReceiveBuffer.clear();
    event->accept();
}
