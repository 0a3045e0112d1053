// SPDX-License-Identifier: GPL-3.0-or-later
// The drive search: first the port and rate that answer a broadcast, then the
// addresses 1 to 10 at that port and rate; then the connect sequence and the
// parameter listing for every drive found.
#include "link/drivecore.h"

#include "link/searchplan.h"

#include <QTimer>

#include <algorithm>

using line::Activity;

void DriveCore::startSearch()
{
    if (!Owner.begin(Activity::Search))
        return;
    m_entryAddresses.clear();
    // A lost link is not looked for any more: the search finds it, or another.
    Timer10->stop();
    ScanAnswer.clear();
    LinkState = 1;
    ScanStep = 0;
    openPort();
    writeDirect("#*\r");
    Timer1->setInterval(100);
    Timer1->start();
}

void DriveCore::Timer1Timer()
{
    if (LinkState == 1) {
        ++ScanStep;
        Serial1->setActive(false);
        ReceiveBuffer.clear();
        applyScanStep();
        if (ScanStep >= search::kFailedStep) {
            endSearchFailed();
            return;
        }
        // A port that cannot be opened stays closed, and the probe goes nowhere.
        openPort();
        writeDirect("#*\r");
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
    writeDirect('#' + DriveAddress + '\r');
    Timer1->start();
}

void DriveCore::applyScanStep()
{
    const search::StepChange change = search::changeAtStep(ScanStep);
    if (change.port)
        Serial1->setCOMPort(*change.port);
    if (change.rate)
        Serial1->setBaudrate(*change.rate);
    if (change.timer1)
        Timer1->setInterval(*change.timer1);
}

void DriveCore::endSearchFailed()
{
    Timer1->stop();
    LinkState = 0;
    Owner.end(Activity::Search);
    emit searchFailed();
}

void DriveCore::Port_Baudrate_Antwort_pruefen()
{
    ScanAnswer = ReceiveBuffer;
    // A drive in program entry answers the broadcast with "pgm": it is there.
    if (!ScanAnswer.contains('#') || (!ScanAnswer.contains("ok") && !ScanAnswer.contains("pgm")))
        return;
    if (const auto pair = search::pairOfStep(ScanStep)) {
        InterfaceDescription = pair->description;
        const search::Timing timing = search::timingOf(pair->rate);
        Timer3->setInterval(timing.timer3);
        setLinkWatchdog(timing.timer9 ? *timing.timer9 : Timer9->interval());
        Timer11->setInterval(2000);
    }
    emit searchPairFound();

    LinkState = 2;
    ReceiveBuffer.clear();
    ++ScanAddress;
    DriveAddress = QByteArray::number(ScanAddress);

    Timer1->stop();
    writeDirect('#' + DriveAddress + '\r');
    if (Serial1->Baudrate() == br_038400)
        Timer1->setInterval(800);
    Timer1->start();
}

void DriveCore::Adresse_Antwort_pruefen()
{
    const QByteArray address = DriveAddress;
    // A drive in program entry answers its probe with "pgm": it is found,
    // and its entry waits for the user (endSearch).
    const bool inEntry = search::addressInEntry(ReceiveBuffer, address);
    if (!inEntry && !search::addressAnswered(ReceiveBuffer, address))
        return;
    if (inEntry && !m_entryAddresses.contains(address))
        m_entryAddresses << address;
    int &count = FoundAddresses[0];
    // Address 1 is probed twice; a drive there is still one drive.
    const bool known = std::find(FoundAddresses.begin() + 1, FoundAddresses.begin() + 1 + count, ScanAddress)
                       != FoundAddresses.begin() + 1 + count;
    if (!known && count < settings::kMaxAddresses) {
        ++count;
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
    ReceiveBuffer.clear();
    emit searchAddressFound(address, !known);
}

void DriveCore::endSearch()
{
    const int count = FoundAddresses[0];
    LinkState = 0;
    Timer1->stop();
    if (count > 0)
        DriveConnected = 1;
    if (!Serial1->Active())
        openPort();

    if (count > 0) {
        DriveAddress = QByteArray::number(FoundAddresses[1]);
        // Each drive is polled in turn. Without a drive the intervals stay
        // as they are: multiplied by 0 they would fire without pause.
        Timer3->setInterval(Timer3->interval() * count);
        Timer11->setInterval(2000 * count);
        setLinkWatchdog(2000 * count);
    }
    Parameters.SingleDriveListing = count <= 1;

    if (DriveConnected != 1) {
        ReceiveBuffer.clear();
        emit searchEnded(0);
        emit errorMessage(text(170) + QByteArray::number(HighestScanAddress) + '\r' + text(171));
        // The search goes on with the next port and rate, and where that
        // answers, the addresses are searched from the first one again.
        ScanAddress = 0;
        FirstAddressRepeat = 0;
        LinkState = 1;
        Timer1->start();
        return;
    }

    ReceiveBuffer.clear();
    emit searchEnded(count);
    endSearchConnect();
}

void DriveCore::endSearchConnect()
{
    const int count = FoundAddresses[0];
    // A drive in program entry, or one whose write was cut, is decided
    // first: its connect sequence would begin with "quit". One at a time;
    // each resolution comes back here.
    for (int i = 1; i <= count; ++i) {
        const QByteArray address = QByteArray::number(FoundAddresses[i]);
        const bool inEntry = m_entryAddresses.removeAll(address) > 0;
        if (inEntry || recordOf(address)) {
            Owner.end(Activity::Search);
            DriveAddress = address;
            DriveConnected = 1;
            holdForCut(address, inEntry, AfterCut::SearchEnd);
            return;
        }
    }
    m_entryAddresses.clear();
    for (int i = 1; i <= count; ++i) {
        const QByteArray address = QByteArray::number(FoundAddresses[i]);
        queueCommandTo(address, "quit", CommandKind::Plain);
        queueCommandTo(address, "P265?", CommandKind::Language);
    }
    for (int i = 1; i <= count; ++i)
        queueDriveSettings(QByteArray::number(FoundAddresses[i]));
    DriveAddress = QByteArray::number(FoundAddresses[1]);
    queueListingRequest(DriveAddress);
    // The listing holds the line now; its completion connects again and
    // opens the window.
    if (Owner.holds(Activity::Search))
        Owner.handOver(Activity::Search, Activity::Listing);
    else
        Owner.begin(Activity::Listing);
    Timer11->start();
    DriveConnected = 0;
}
