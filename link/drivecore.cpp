// SPDX-License-Identifier: GPL-3.0-or-later
// The drive core's frame: its timers, the port, the queue's side of sending,
// the texts, and the state reset and connection start of the link.
#include "link/drivecore.h"

#include "link/answerrules.h"
#include "manual/statusrules.h"
#include "shell/cp1252.h"
#include "shell/porthint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cctype>

DriveCore::DriveCore(QObject *parent)
    : QObject(parent)
    , Owner(this)
    , Timer3(Owner.Timer3)
    , Timer7(Owner.Timer7)
    , Timer9(Owner.Timer9)
    , TransferWatchdog(Owner.TransferWatchdog)
{
    Serial1 = new TSerial(this);
    Serial1->setActive(false);
    Serial1->setCOMPort(1);
    Serial1->setBaudrate(br_002400);
    Serial1->OnRxChar = [this](TSerial *sender) { Serial1EventChar(sender); };
    createTimers();
}

DriveCore::~DriveCore()
{
    // The port goes first, so that no receive event reaches a core half taken down.
    delete Serial1;
    Serial1 = nullptr;
}

void DriveCore::createTimers()
{
    struct Design {
        QTimer **timer;
        int interval;
        void (DriveCore::*tick)();
    };
    const Design designs[] = {
        {&Timer1, 1000, &DriveCore::Timer1Timer},   {&Timer8, 1000, &DriveCore::Timer8Timer},
        {&Timer10, 1000, &DriveCore::Timer10Timer}, {&Timer11, 20000, &DriveCore::Timer11Timer},
        {&Timer13, 1000, &DriveCore::Timer13Timer},
        {&ProgramListingTimer, kProgramListingSilenceMs, &DriveCore::ProgramListingTimeout},
    };
    for (const Design &d : designs) {
        *d.timer = new QTimer(this);
        (*d.timer)->setInterval(d.interval);
        connect(*d.timer, &QTimer::timeout, this, d.tick);
    }
    connect(Timer3, &QTimer::timeout, this, &DriveCore::Timer3Timer);
    connect(Timer7, &QTimer::timeout, this, &DriveCore::Timer7Timer);
    connect(Timer9, &QTimer::timeout, this, &DriveCore::Timer9Timer);
    connect(TransferWatchdog, &QTimer::timeout, this, &DriveCore::TransferWatchdogTimer);
    connect(Owner.StopWatchdog, &QTimer::timeout, this, &DriveCore::StopWatchdogTimer);
    m_journalTimer = new QTimer(this);
    m_journalTimer->setSingleShot(true);
    connect(m_journalTimer, &QTimer::timeout, this, &DriveCore::flushJournal);
}

// ---- Port and queue ---------------------------------------------------------------

void DriveCore::openPort()
{
    Serial1->setActive(true);
    if (Serial1->Active()) {
        emit portHint(QString());
        return;
    }
    // The port stays closed without a dialog; the hint says why, and where
    // the user lacks the permission, how to get it.
    emit portHint(porthint::text(QStringLiteral("COM%1").arg(Serial1->COMPort()), Serial1->DevicePath(),
                                 Serial1->LastErrorCode(), Serial1->LastError()));
}

bool DriveCore::Senden_Zeichensatz(const QByteArray &text)
{
    // A command for a drive without its address ("#P41=1234") would go to
    // whichever drive was addressed last, or to none: a lost link leaves
    // no address, and whatever asks then gets nothing queued.
    if (text.size() >= 2 && text[0] == '#' && !std::isdigit(static_cast<unsigned char>(text[1])) && text[1] != '*')
        return false;
    queueText(text);
    return true;
}

void DriveCore::queueText(const QByteArray &text)
{
    noteSent(text);
    if (enqueue(text))
        emit commandWaiting(Queue.waitingCount());
}

bool DriveCore::enqueue(const QByteArray &text)
{
    if (!Queue.append(text))
        return true;
    if (Serial1->Active())
        writeLine(text, m_pollBatch);
    Owner.queueBusy();
    return false;
}

void DriveCore::noteSent(const QByteArray &text)
{
    // An assignment changes the list; "new" begins to replace the program.
    const QByteArray body = answer::commandBody(text + (text.endsWith('\r') ? "" : "\r"), DriveAddress);
    // p1028 only sets the listing's format, which every read sets itself.
    if (body.contains('=') && !body.endsWith('?') && !body.toLower().startsWith("p1028="))
        Snapshot.listFresh = false;
    if (body == "new")
        Snapshot.programFresh = false;
}

bool DriveCore::queueCommand(const QByteArray &command, uint8_t kind)
{
    return queueCommandTo(DriveAddress, command, kind);
}

bool DriveCore::queueCommandTo(const QByteArray &address, const QByteArray &command, uint8_t kind)
{
    if (address.isEmpty() || !Senden_Zeichensatz('#' + address + command + '\r'))
        return false;
    Queue.lastQueued()->Kind = kind;
    return true;
}

void DriveCore::queueCommands(const QList<program::QueuedCommand> &commands)
{
    for (const program::QueuedCommand &command : commands) {
        if (Senden_Zeichensatz(command.text))
            Queue.lastQueued()->Kind = command.kind;
    }
}

void DriveCore::Liste_aktualisieren()
{
    if (Queue.head()) {
        ++Released;
        stopReleased(*Queue.head());
    }
    if (Owner.holds(line::Activity::WriteBack)) {
        emit writeBackProgress(int(Released - m_writeBackBase), m_writeBackTotal);
        noteJournalProgress(writeBackAnswered());
    }
    CommandNode *next = Queue.releaseHead();
    Owner.stopQueued(stopInQueue());
    if (!next) {
        Owner.queueIdle();
        return;
    }
    if (next->Kind == CommandKind::ProgramLine && Owner.holds(line::Activity::ProgramWrite))
        m_entryBegun = true;
    writeLine(next->Text, next->Kind == CommandKind::Status);
    Owner.commandSent(next->Kind);
}

void DriveCore::clearQueue()
{
    Queue.clear();
    stopsDropped();
    Owner.stopQueued(false);
    ++m_queueClears;
    Owner.queueIdle();
}

void DriveCore::writeDirect(const QByteArray &text)
{
    writeLine(text, false);
}

void DriveCore::writeLine(const QByteArray &text, bool poll)
{
    Serial1->WriteString(text);
    emit wrote(text, poll);
}

void DriveCore::drainOutput(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (Serial1->Active() && Serial1->OutQueueCount() > 0 && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    // A pseudo-terminal does not tell how much its other end has yet to
    // read: the last command gets its line time too.
    const int baud = std::max(baudRateValue(Serial1->Baudrate()), 1200);
    const qint64 lineTimeMs = std::max<qint64>(50, 3 * 16 * 10 * 1000 / baud);
    QElapsedTimer settle;
    settle.start();
    while (Serial1->Active() && settle.elapsed() < lineTimeMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

// ---- Texts ----------------------------------------------------------------------------

QByteArray DriveCore::text(int number) const
{
    if (Sprache < 1 || Sprache > 2 || number < 1 || number > 229)
        return {};
    return Texte[Sprache][number];
}

bool DriveCore::refused(line::Activity activity, line::Request request)
{
    if (Owner.paused(line::Pause::CutWrite) && !m_resolving && activity != line::Activity::Recovery
        && activity != line::Activity::Search) {
        // The drive may still be in program entry: whatever went out now
        // would become a line of its program.
        emit errorMessage(toCp1252(cutWaitsText()));
        return true;
    }
    const std::optional<line::Refusal> refusal = Owner.refusal(activity);
    if (!refusal)
        return false;
    emit errorMessage(toCp1252(line::refusalText(*refusal, Owner.activity(), request)));
    return true;
}

// ---- State reset and connection start --------------------------------------------------

void DriveCore::resetLink()
{
    // A connection start looks for cut writes afresh: what was pending is
    // found again in the journal.
    flushJournal();
    Journal.reset();
    PendingCut.reset();
    m_afterCut = AfterCut::None;
    m_cutStep = CutStep::None;
    m_resolving = m_checkingWrite = m_checkAfterConfirm = false;
    m_entryAddresses.clear();
    forgetSnapshot();
    clearQueue();
    ReceiveBuffer.clear();
    DriveConnected = 0;
    LinkState = 0;
    ScanAddress = 0;
    std::fill(FoundAddresses.begin(), FoundAddresses.end(), 0);
    HighestScanAddress = 10;
    FirstAddressRepeat = 0;
    TraceMode = false;
    P1028Value = "8";
    // A connection start begins anew: nothing of the old link is watched or
    // probed any more.
    for (QTimer *t : {Timer1, Timer8, Timer10, Timer11, Timer13, ProgramListingTimer})
        t->stop();
    m_held = {};
    m_listingBackedUp = false;
    Owner.reset();
}

void DriveCore::shutDown()
{
    flushJournal();
    for (QTimer *t : {Timer1, Timer8, Timer10, Timer11, Timer13, ProgramListingTimer})
        t->stop();
    Owner.reset();
    Serial1->setActive(false);
    clearQueue();
    ReceiveBuffer.clear();
}

void DriveCore::prepareConnection()
{
    Timer1->stop();
    Serial1->setActive(false);
    Serial1->setCOMPort(1);
    Serial1->setBaudrate(br_038400);
}

void DriveCore::applySettings(const settings::State &state)
{
    if (state.port)
        Serial1->setCOMPort(*state.port);
    if (state.baudrate)
        Serial1->setBaudrate(*state.baudrate);
    if (state.handshake)
        Serial1->setHandshakeRtsCts(*state.handshake);
    InterfaceDescription = state.interfaceDescription;
    FoundAddresses = state.addresses;
    Timer3->setInterval(state.timer3);
    Timer8->setInterval(state.timer8);
    Timer11->setInterval(state.timer11);
    setLinkWatchdog(state.timer9);
    if (state.driveAddress)
        DriveAddress = *state.driveAddress;
}

void DriveCore::connectConfigured()
{
    const int count = FoundAddresses[0];
    const QByteArray address = QByteArray::number(count > 0 ? FoundAddresses[1] : 0);
    if (address == "200") {
        // The master drive is woken first.
        writeDirect('#' + address + "s\r");
        writeDirect('#' + address + '\r');
    }
    Parameters.SingleDriveListing = count <= 1;
    connectTo(address);

    const int port = Serial1->COMPort();
    if (port >= 1 && port <= 4) {
        // The drives' rates get their name; any other rate none.
        const int baud = baudRateValue(Serial1->Baudrate());
        InterfaceDescription = settings::pollInterval(baud) ? settings::interfaceDescription(port, baud)
                                                            : "COM" + QByteArray::number(port) + ':';
    }
}

QString DriveCore::cutWaitsText() const
{
    return tr("Für ZYNT %1 wartet eine unterbrochene Übertragung auf eine Entscheidung: bis dahin wird nichts an "
              "sie gesendet.")
        .arg(QString::fromLatin1(PendingCut ? PendingCut->record.address : DriveAddress));
}

void DriveCore::connectTo(const QByteArray &address)
{
    forgetSnapshot();
    DriveAddress = address;
    DriveConnected = 1;
    // A write this drive did not finish is decided first; and a drive in
    // program entry would take the "quit" below as the end of the entry,
    // keeping whatever part of a program it holds: the probe asks first.
    if (holdForCut(address, false, AfterCut::Connect))
        return;
    queueCommand(QByteArray(), CommandKind::ContactProbe);
    queueCommand("quit", CommandKind::ConnectQuit);
    queueCommand("P265?", CommandKind::Language);
    queueCommand("ver", CommandKind::Version);
    queueDriveSettings(DriveAddress);
}

void DriveCore::queueDriveSettings(const QByteArray &address)
{
    queueCommandTo(address, "P1028=" + P1028Value, CommandKind::Plain);
    queueCommandTo(address, "p1035=0", CommandKind::Plain);
    queueCommandTo(address, "p1716=58120394", CommandKind::Plain);
}

void DriveCore::setLinkWatchdog(int requestedMs)
{
    Timer9->setInterval(status::linkWatchdogMs(requestedMs, baudRateValue(Serial1->Baudrate()), Timer3->interval()));
}

// ---- Address choice and the interface configured by hand --------------------------------

void DriveCore::offerAddressChoice()
{
    Owner.pause(line::Pause::AddressPrompt);
}

void DriveCore::endAddressOffer()
{
    // A chosen address still being probed keeps the poll paused until it answers.
    if (!Timer8->isActive())
        Owner.resume(line::Pause::AddressPrompt);
}

void DriveCore::chooseAddress(const QByteArray &chosen, bool fullConnect)
{
    if (Owner.holds(line::Activity::ReProbe)) {
        // No drive answers: the re-probe goes on with the last good address,
        // or with the one chosen now, and restores the link where it answers.
        if (!chosen.isEmpty())
            PreviousAddress = chosen;
        return;
    }
    Owner.pause(line::Pause::AddressPrompt); // until the choice answers
    if (!DriveAddress.isEmpty())
        PreviousAddress = DriveAddress;
    // An empty choice keeps the address; where a lost link left none, the
    // last one that answered.
    DriveAddress = !chosen.isEmpty() ? chosen : PreviousAddress;
    queueCommand(QByteArray(), CommandKind::AddressProbe);
    queueCommand("ver", CommandKind::Version);
    Timer8->start();
    if (!fullConnect)
        return;
    queueCommand("quit", CommandKind::Plain);
    queueCommand("P265?", CommandKind::Language);
    queueDriveSettings(DriveAddress);
}

bool DriveCore::beginManualConfiguration()
{
    if (Owner.activity() != line::Activity::None && !Owner.holds(line::Activity::ReProbe)) {
        emit errorMessage(toCp1252(line::refusalText(line::Refusal::Busy, Owner.activity(),
                                                     line::Request::InterfaceConfiguration)));
        return false;
    }
    // The port is closed while the user chooses; a lost link's probes wait
    // for his choice (they would open the port again).
    m_reprobeBeforeConfiguration = Timer10->isActive();
    Timer10->stop();
    Serial1->setActive(false);
    Owner.pause(line::Pause::ManualConfiguration);
    return true;
}

void DriveCore::cancelManualConfiguration()
{
    // Nothing was chosen: the old interface is back, and a lost link is
    // looked for again.
    openPort();
    if (m_reprobeBeforeConfiguration)
        Timer10->start();
    m_reprobeBeforeConfiguration = false;
    Owner.resume(line::Pause::ManualConfiguration);
}

void DriveCore::endManualConfiguration(const settings::DriveRate *rate)
{
    // A new interface: the old link is not looked for any more.
    m_reprobeBeforeConfiguration = false;
    if (Owner.holds(line::Activity::ReProbe))
        Owner.restoreLink();
    openPort();
    DriveConnected = 1;
    if (rate) {
        Timer1->setInterval(rate->manualTimer1);
        Timer3->setInterval(rate->manualTimer3);
        // The rates that keep the watchdog keep it at least as long as the
        // poll needs at this rate.
        setLinkWatchdog(rate->manualTimer9 ? rate->manualTimer9 : Timer9->interval());
        Timer11->setInterval(2000);
    }
    Owner.resume(line::Pause::ManualConfiguration);
}
