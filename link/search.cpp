// The drive search: first the port and rate that answer a broadcast, then the
// addresses 1 to 10 at that port and rate; then the connect sequence and the
// parameter listing for every drive found.
#include "shell/tform1.h"

#include "link/searchplan.h"
#include "manual/tform2.h"
#include "shell/cp1252.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

void TForm1::Timer1Timer()
{
    if (LinkState == 1) {
        ++ScanStep;
        Serial1->setActive(false);
        ReceiveBuffer.clear();
        applyScanStep();
        if (ScanStep >= search::kFailedStep) {
            searchFailed();
            return;
        }
        // A port that cannot be opened stays closed, and the probe goes nowhere.
        openPort();
        Serial1->WriteString("#*\r");
        return;
    }
    // Link state 4 (a drive answered at the last address but one) goes on
    // like any address search, so that the search ends and the window opens.
    if (LinkState != 2 && LinkState != 4)
        return;
    if (ScanAddress >= HighestScanAddress) {
        endSearch();
        return;
    }
    if (Serial1->Baudrate() == br_038400)
        Timer1->setInterval(100);
    if (ScanAddress == 1 && !FirstAddressRepeat) {
        ScanAddress = 0;
        FirstAddressRepeat = 1;
    }
    ++ScanAddress;
    DriveAddress = QByteArray::number(ScanAddress);
    Serial1->WriteString('#' + DriveAddress + '\r');
    Timer1->start();
}

void TForm1::applyScanStep()
{
    const search::StepChange change = search::changeAtStep(ScanStep);
    if (change.port)
        Serial1->setCOMPort(*change.port);
    if (change.rate)
        Serial1->setBaudrate(*change.rate);
    if (change.timer1)
        Timer1->setInterval(*change.timer1);
}

void TForm1::searchFailed()
{
    errorBox(text(176));
    Button11->show();
    setBackground(Label2, Qt::red);
    Label2->setText(fromCp1252(text(74)));
    Image2->hide();
    Timer1->stop();
    LinkState = 0;
    Image1->hide();
    for (QPushButton *b : {BitBtn1, BitBtn2, BitBtn3})
        b->show();
    setWindowSize(650, 480);
    Position->show();
    setEnabled(true);
}

void TForm1::Port_Baudrate_Antwort_pruefen()
{
    ScanAnswer = ReceiveBuffer;
    if (!ScanAnswer.contains('#') || !ScanAnswer.contains("ok"))
        return;
    if (const auto pair = search::pairOfStep(ScanStep)) {
        InterfaceDescription = pair->description;
        const search::Timing timing = search::timingOf(pair->rate);
        Timer3->setInterval(timing.timer3);
        setLinkWatchdog(timing.timer9 ? *timing.timer9 : Timer9->interval());
        Timer11->setInterval(2000);
    }
    setBackground(Label2, windowColour());
    Label2->setText(fromCp1252(InterfaceDescription));
    Image2->show();

    LinkState = 2;
    ReceiveBuffer.clear();
    ++ScanAddress;
    DriveAddress = QByteArray::number(ScanAddress);

    Timer1->stop();
    Serial1->WriteString('#' + DriveAddress + '\r');
    if (Serial1->Baudrate() == br_038400)
        Timer1->setInterval(800);
    Timer1->start();
}

void TForm1::Adresse_Antwort_pruefen()
{
    const QByteArray address = DriveAddress;
    if (!search::addressAnswered(ReceiveBuffer, address))
        return;
    int &count = FoundAddresses[0];
    // Address 1 is probed twice; a drive there is still one drive.
    const bool known = std::find(FoundAddresses.begin() + 1, FoundAddresses.begin() + 1 + count, ScanAddress)
                       != FoundAddresses.begin() + 1 + count;
    if (!known && count < settings::kMaxAddresses) {
        ++count;
        addAddressItem(address);
        FoundAddresses[count] = ScanAddress;
        if (ScanAddress == HighestScanAddress - 1) {
            LinkState = 4;
            Timer11->setInterval(count == 1 ? 10000 : 1000 * count);
            if (count > 1) {
                Timer8->setInterval(500 * count);
                setLinkWatchdog(2000 * count);
            }
        }
    }
    Label6->setText(QString::fromLatin1(address));
    ReceiveBuffer.clear();
    Button11->hide();
}

void TForm1::endSearch()
{
    const int count = FoundAddresses[0];
    LinkState = 0;
    Timer1->stop();
    if (count > 0)
        DriveConnected = 1;

    Image1->hide();
    for (QPushButton *b : {BitBtn1, BitBtn2, BitBtn3})
        b->show();
    setWindowSize(650, 480);
    if (!Serial1->Active())
        openPort();

    if (count > 0) {
        DriveAddress = QByteArray::number(FoundAddresses[1]);
        Label6->setText(QString::fromLatin1(DriveAddress));
        ComboBox1->setEditText(QString::fromLatin1(DriveAddress));
        if (Form2)
            Form2->ComboBox1->setEditText(QString::fromLatin1(DriveAddress));
        // Each drive is polled in turn. Without a drive the intervals stay
        // as they are: multiplied by 0 they would fire without pause.
        Timer3->setInterval(Timer3->interval() * count);
        Timer11->setInterval(2000 * count);
        setLinkWatchdog(2000 * count);
    }
    if (count == 1) {
        ComboBox1->setEnabled(false);
    } else if (count > 1 && Form2) {
        Form2->ComboBox1->show();
        Form2->Label31->show();
    }
    Parameters.SingleDriveListing = count <= 1;

    if (DriveConnected != 1) {
        setEnabled(true);
        ReceiveBuffer.clear();
        errorBox(text(170) + QByteArray::number(HighestScanAddress) + '\r' + text(171));
        // The search goes on with the next port and rate, and where that
        // answers, the addresses are searched from the first one again.
        ScanAddress = 0;
        FirstAddressRepeat = 0;
        LinkState = 1;
        Timer1->start();
        return;
    }

    ReceiveBuffer.clear();
    for (int i = 1; i <= count; ++i) {
        const QByteArray address = QByteArray::number(FoundAddresses[i]);
        queueCommandTo(address, "quit", CommandKind::Plain);
        queueCommandTo(address, "P265?", CommandKind::Language);
    }
    for (int i = 1; i <= count; ++i)
        queueDriveSettings(QByteArray::number(FoundAddresses[i]));
    DriveAddress = QByteArray::number(FoundAddresses[1]);
    queueListingRequest(DriveAddress);
    Label17->setText(QStringLiteral("0%"));
    Label17->show();
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    Timer2->stop();
    Timer11->start();
    // The listing's completion connects again and opens the window.
    DriveConnected = 0;
}
