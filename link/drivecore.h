// SPDX-License-Identifier: GPL-3.0-or-later
// The drive core: everything that talks to the drives, without a window.
// It owns the serial port, the command queue, the receive buffer, the link's
// state, the line owner and the supervision timers, and runs the drive
// search, the listing, the write-back and permanent save, the program's
// read and write and the status poll. It links Qt Core only, so that the
// window and the command line share it; what the user should see it reports
// through signals, and the confirmation of a drive error comes back through
// confirmDriveError.
//
// The handlers keep the names the drive's documentation gives them; each
// feature's part is defined in that feature's folder.
#pragma once

#include "link/commandqueue.h"
#include "link/journal.h"
#include "link/lineowner.h"
#include "manual/cyclesample.h"
#include "parameters/parametermodel.h"
#include "program/programlines.h"
#include "program/programtransfer.h"
#include "serial/tserial.h"
#include "shell/settings.h"
#include "shell/texttable.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QTimer;

namespace status {
struct Update;
}

class DriveCore : public QObject {
    Q_OBJECT
public:
    explicit DriveCore(QObject *parent = nullptr);
    ~DriveCore() override;

    // ---- Serial port ---------------------------------------------------------
    TSerial *Serial1 = nullptr;
    // Opens the port; when it stays closed, portHint says why.
    void openPort();

    // ---- Who holds the line, and its timers ---------------------------------
    LineOwner Owner;
    QTimer *const Timer3;               // status poll (the owner starts and stops it)
    QTimer *const Timer7;               // answer to a program line
    QTimer *const Timer9;               // link watchdog
    QTimer *const TransferWatchdog;     // the other commands of a transfer
    QTimer *Timer1 = nullptr;           // drive search steps
    QTimer *Timer8 = nullptr;           // answer of a newly chosen address
    QTimer *Timer10 = nullptr;          // re-probe of a lost link
    QTimer *Timer11 = nullptr;          // parameter listing watchdog
    QTimer *Timer13 = nullptr;          // a drive error is shown a moment after it is complete
    QTimer *ProgramListingTimer = nullptr; // the drive silent while a program is read
    static constexpr int kProgramListingSilenceMs = 5000;

    // ---- Command queue -------------------------------------------------------
    CommandQueue Queue;
    quint64 Released = 0;               // commands answered and let go so far; only grows
    // Queues text; sends it at once when nothing is in flight. A command
    // for a drive without an address ("#" and no digit or "*") is not
    // queued: false.
    bool Senden_Zeichensatz(const QByteArray &text);
    // Queues "#" + drive address + command + "\r" with the given kind;
    // false, and nothing queued, without an address.
    bool queueCommand(const QByteArray &command, uint8_t kind);
    bool queueCommandTo(const QByteArray &address, const QByteArray &command, uint8_t kind);
    // Queues text as the user wrote it (a terminal line, an executed editor
    // line): he addresses it himself, or leaves it to the drive addressed last.
    void queueText(const QByteArray &text);
    // Releases the command in flight and sends the next one.
    void Liste_aktualisieren();
    void clearQueue();
    // Writes straight to the port, past the queue (probes, master mode).
    void writeDirect(const QByteArray &text);
    // Runs the event loop until what was written has left the port, at most
    // ms: closing the port drops what it still holds (a last "quit").
    void drainOutput(int ms);

    // ---- Response dispatcher -------------------------------------------------
    QByteArray ReceiveBuffer;           // the drive's answer collected so far
    uint8_t DriveConnected = 0;         // 1 when a drive answered and may be sent to
    void Serial1EventChar(TSerial *sender);
    void dispatchChunk(QByteArray chunk);
    // The user has read the drive error: the failing command is let go.
    void confirmDriveError();

    // ---- Link state (drive search and supervision) ---------------------------
    // 0 operating, 1 port/rate search, 2 address search, 4 stopped at 9, 5
    // probes of the command line's scan (the buffer only collects).
    uint8_t LinkState = 0;
    uint8_t ScanStep = 0;
    int ScanAddress = 0;
    int HighestScanAddress = 10;
    uint8_t FirstAddressRepeat = 0;
    std::vector<int> FoundAddresses = std::vector<int>(settings::kMaxAddresses + 1, 0); // [0] = count
    QByteArray DriveAddress = "1";
    QByteArray PreviousAddress = "1";
    QByteArray InterfaceDescription;
    QByteArray ScanAnswer;
    bool FirstListingTimeout = true;    // cleared by the first listing time-out of the run

    // ---- Drive state the features share -------------------------------------
    QByteArray P1028Value = "8";
    int FirmwareNumber = 0;             // from the version answer; compared with 300
    bool TraceMode = false;             // the drive runs its program in trace mode
    params::ParameterModel Parameters;  // the drive's parameter list
    program::ProgramLines Program;      // the program being edited, read and written

    // What the drive held when it was last read from this address, for a
    // comparison before a write and the backup of what a write overwrites.
    // Anything sent that changes the drive makes its part stale.
    struct DriveSnapshot {
        QByteArray listAddress;      // the address each part was read from
        QByteArray programAddress;
        bool listFresh = false;
        params::GridCells list {};
        int listRows = 0;            // the list's ParameterRowCount
        bool programFresh = false;
        program::ProgramLines program {};
    };
    DriveSnapshot Snapshot;
    // The answers of the poll cycle under way.
    status::CycleCollector Cycles;
    // True when the snapshot's part was read from the drive address after
    // the drive's last change.
    bool listIsFresh() const { return Snapshot.listFresh && Snapshot.listAddress == DriveAddress; }
    bool programIsFresh() const { return Snapshot.programFresh && Snapshot.programAddress == DriveAddress; }
    // A lost link or a new connection may put another drive behind the address.
    void forgetSnapshot() { Snapshot.listFresh = Snapshot.programFresh = false; }

    // ---- Texts: [language 1 German, 2 English][number 1..229] ---------------
    int Sprache = 1;
    TextTable Texte;
    QByteArray text(int number) const;

    // ---- State reset and connection -------------------------------------------
    // The link's part of the state reset: queue, buffer, search state.
    void resetLink();
    // The end of the run: every timer stops, the port closes, the queue is dropped.
    void shutDown();
    // The link's part of a connection start: the search stopped, the port
    // closed and preset to COM1 at 38400 baud.
    void prepareConnection();
    // Takes what the settings file says (the state as settings::read left it).
    void applySettings(const settings::State &state);
    // The connect sequence of the configured drive (the first address of the
    // list): "quit", "P265?", "ver" and the drive settings.
    void connectConfigured();
    // The same sequence for one address, which becomes the drive address.
    void connectTo(const QByteArray &address);
    // The settings every connection sends a drive: "P1028=8", "p1035=0", "p1716=58120394".
    void queueDriveSettings(const QByteArray &address);
    // The address choice: the poll stops while the choice is offered.
    void offerAddressChoice();
    // The offer ends without a choice.
    void endAddressOffer();
    // A chosen address is probed (kind 8) and asked for its version; with
    // fullConnect the whole connect sequence follows.
    void chooseAddress(const QByteArray &chosen, bool fullConnect);
    // The interface configured by hand: the port closes until it is done,
    // or until the user cancels, which gives back the link as it was.
    bool beginManualConfiguration();
    void endManualConfiguration(const settings::DriveRate *rate);
    void cancelManualConfiguration();
    // Sets the link watchdog: the interval asked for, but at least what one
    // poll cycle needs at the port's rate (status::linkWatchdogMs).
    void setLinkWatchdog(int requestedMs);

    // ---- Drive search -----------------------------------------------------------
    void startSearch();
    void Timer1Timer();
    void Port_Baudrate_Antwort_pruefen();
    void Adresse_Antwort_pruefen();

    // ---- Supervision --------------------------------------------------------------
    void Timer7Timer();
    void Timer8Timer();
    void Timer9Timer();
    void Timer10Timer();
    void Timer11Timer();
    void Timer13Timer();
    void TransferWatchdogTimer();
    void StopWatchdogTimer();

    // ---- Parameters ---------------------------------------------------------------
    // Reads the parameter list; false when no drive is connected or the
    // line is held (refused then says why).
    bool ZYNT_Parameter_Neu_Lesen();
    void queueListingRequest(const QByteArray &address);
    void Parameterliste_Antwort();      // kinds 14, 16, 17, 18
    // Reads the drive's list into Snapshot without touching Parameters, the
    // grid or the listing's displays; driveListRead tells how it went.
    bool readDriveList();
    // Writes the grid back; false when it was refused.
    bool writeBack();
    // The write-back's batch for these assignments ("P41=3000"): "TROFF",
    // "s" in trace mode, the assignments, the last one ending the batch.
    bool writeParameters(const QList<QByteArray> &assignments, const QString &backup = QString());
    // "psave"; false when it was refused.
    bool permanentSave();

    // ---- Program ------------------------------------------------------------------
    // Reads the program into Program; false when no drive is connected or
    // the line is held.
    bool ZYNTffnen1Click();
    // Reads the drive's program into Snapshot without touching Program;
    // driveProgramRead tells how it went.
    bool readDriveProgram();
    // The grid row of the program line the drive refused in the last write
    // (by the index of the line sent), 0 for none.
    int RefusedProgramRow = 0;
    bool ProgramRefused = false;     // the drive refused the whole program ("label"): it keeps its own
    // The lines the last program listing held, those past the editor's rows
    // included: more than 299 cannot be kept, nor written back.
    int ProgramListedLines = 0;
    QByteArray programTooLongText(int total) const;
    void Programmliste_Antwort();       // kind 3
    void ProgramListingTimeout();
    // Writes Program to the drive; false when refused. backup: the file
    // that holds what the write overwrites (the journal names it; empty
    // when there is none).
    bool ZYNT_Programm_Speichern(const QString &backup = QString());
    // Ends a program write at once, as Timer7 ends it but without a word:
    // "quit" goes straight out and the rest of the program is dropped; the
    // journal keeps the record (programWriteCut).
    void abortProgramWrite();
    // The program lines the drive answered in the write under way or last cut.
    int programLinesAnswered() const;
    void Trace_Antwort();               // kind 12
    // Queues commands as they come, each with its kind.
    void queueCommands(const QList<program::QueuedCommand> &commands);

    // ---- Writes in progress and the way back after a cut one ---------------------
    // A program write and a write-back keep a record in the journal from
    // before their first line until they end complete and checked. A
    // record found at the next contact with its drive, or a drive that
    // answers from program entry, holds everything for that drive until
    // the user chose what to do.

    // The name the journal knows the line's device by.
    QString journalDevice() const;
    // The record of the write under way, or of the last one cut.
    std::optional<journal::Record> Journal;

    // What the next contact found, or what a write left behind.
    enum class CutReason : uint8_t {
        Recorded,   // the journal holds a write that did not end
        InEntry,    // the drive answers from program entry, and the journal holds nothing
        Refused,    // a write went on past lines the drive refused
    };
    struct CutWrite {
        CutReason reason = CutReason::Recorded;
        journal::Record record;     // device and address always; the rest with a record
        bool inEntry = false;       // the drive answered from program entry
        bool backupHolds = false;   // the record's backup is there, of its size and sum
        QList<int> refusedRows;     // the lines the drive refused
        QByteArrayList holds;       // what the drive holds, where it was read back
        bool holdsKnown = false;
        bool quiet = false;         // resolved without a word to the drive (its program was known)
    };
    // What a record says, for a message: where the write stopped, what the
    // drive took, the backup; atContact: said when the drive answers again.
    QString cutSummary(const journal::Record &record, bool atContact) const;
    // "eine Zeile", "3 Zeilen".
    static QString linesText(int count);
    std::optional<CutWrite> PendingCut;
    enum class CutChoice : uint8_t { RestoreBackup, WriteAgain, Keep };
    // Carries out the user's choice for the pending cut: the entry ends
    // ("quit"), the backup or the new program is written where chosen, and
    // the program is read back; cutWriteResolved says what the drive holds.
    // False (errorMessage said why) when it cannot be done now.
    bool resolveCutWrite(CutChoice choice);
    // Leaves a pending cut undecided and sends nothing (a scan goes on to
    // the next drive; the journal keeps the record).
    void leaveCutPending();
    // What a post-write read found.
    enum class WriteCheck : uint8_t { Equal, KeptOld, Differs, Unread };
    Q_ENUM(WriteCheck)
    // Single assignments sent one by one (the command line's "set") keep a
    // record too: begun before the first, told how many were answered, and
    // ended when all were.
    bool recordAssignments(const QList<QByteArray> &assignments, const QString &backup);
    void assignmentsAnswered(int count);
    void assignmentsDone();

    // ---- Status poll and manual operation -----------------------------------------
    void Timer3Timer();
    void Status_Antwort();              // kind 5
    void Ausgang_Antwort();             // kinds 6, 10
    // Asks for an output's state; its answer switches it over.
    void queryOutput(const QByteArray &address, const QByteArray &output, uint8_t kind);
    // Asks the drive for a value ("NAME?"); valueAnswered brings it.
    void query(const QByteArray &name);
    void Query_Antwort();               // kind 2

    // ---- The manual window's Stop -------------------------------------------------
    // A Stop ("s" to an address) goes ahead of the waiting status queries,
    // but behind every command the user gave before it. One that cannot go
    // out (the link is lost), or that the queue lost before the drive
    // answered it, is kept: it is pending until the drive answered it and is
    // sent first as soon as the drive answers again.
    void sendStop(const QByteArray &address);
    bool stopPending() const;
    // A Stop the drive has not confirmed yet: kept, or queued or on the
    // line without its answer.
    bool stopOutstanding() const;
    // Puts each kept Stop that is not queued at the front of the queue.
    void sendPendingStop();
    // A Stop waits in the queue or is on its way.
    bool stopInQueue() const;
signals:
    void stopPendingChanged(bool pending);
private:
    struct KeptStop {
        QByteArray address;
        bool pending = false;   // it could not go out, or the queue lost it
    };
    std::vector<KeptStop> m_stops;  // Stops asked for and not yet answered, one per address
    void queueStop(const QByteArray &address);
    // The queue let go of a node: a Stop it held was answered.
    void stopReleased(const CommandNode &node);
    // The queue was cleared: no Stop in it went out.
    void stopsDropped();
public:

    // ---- Terminal, master mode, language, version --------------------------------
    void sendKeystroke(char key);
    // The terminal's line mode: the line and "\r" as one command, let go at
    // once as a key is.
    void sendTerminalLine(const QByteArray &line);
    bool masterOn();
    void masterOff();
    void Sprache_Antwort();             // kind 9
    void Version_Antwort();             // kind 15

signals:
    // A command was queued behind others; count is the waiting count.
    void commandWaiting(int count);
    // A message box for the user (an error, a refusal), in the drive's code page.
    void errorMessage(const QByteArray &text);
    // The port could not be opened (the reason), or opened again (empty).
    void portHint(const QString &hint);
    // What the terminal shows of the line; commandInFlight for its clearing
    // rule, pollTraffic when the command in flight is one of the poll's.
    // The piece comes as it came, line feeds and all.
    void terminalEcho(const QByteArray &chunk, bool commandInFlight, bool pollTraffic);
    // What the program wrote to the port; pollTraffic for the poll's queries.
    void wrote(const QByteArray &text, bool pollTraffic);
    // Master mode: a piece the drives said, relayed.
    void masterEcho(const QByteArray &piece);
    // A poll cycle ended while the terminal or the user paused the poll.
    void pollPausedAfterCycle();
    void statusAnswered(const status::Update &update);
    // A whole poll cycle, for the plot and the recording.
    void cycleSampled(const status::CycleSample &sample);
    void versionRead(const QByteArray &text);
    void languageAnswered(int language);
    // A drive error, ready to be shown (the receive buffer holds the message).
    void driveErrorShown(const QByteArray &message);

    // The link is lost (Label2 red) and found again.
    void linkLost();
    void linkRestored();
    // A chosen address answered.
    void addressAnswered();
    // The chosen address did not answer.
    void addressSilent();

    // The search: a port and rate answered, an address answered, the end.
    void searchPairFound();
    void searchAddressFound(const QByteArray &address, bool isNew);
    void searchEnded(int found);
    void searchFailed();

    // The parameter listing.
    void listingStarted();
    void listingProgress(int percent);
    void listingUpdated();
    void listingCompleted();
    // The listing ended without its last answer; the model is as it was
    // before it. boxed: the window shows its box (not for the first time-out
    // of the run, nor for a listing the drive refused, whose error was shown).
    void listingFailed(bool boxed);
    void writeBackStarted();
    // Commands of the write-back answered so far, of all of its commands.
    void writeBackProgress(int done, int total);
    // The write-back's last assignment was answered (the list is read anew next).
    void writeBackEnded();
    // A write-back or a program write ended early (the window opens again).
    void transferEnded();

    // The program.
    void programChanged();
    void programReadStarted();
    void programReadEnded(bool complete);
    // The read ended because the drive stopped answering or talked nonsense
    // (after programReadEnded(false)); the editor shows what it showed before.
    void programReadFailed();
    void programWriteStarted();
    void programWriteEnded();
    // A program line (or "new") was answered with "pgm".
    void programLineAcknowledged();
    // The value a query asked for.
    void valueAnswered(const QByteArray &name, const QByteArray &value);
    // The progress of a quiet read of the drive's list, in percent.
    void driveListProgress(int percent);
    // A quiet read of the drive's list or program ended; ok: it got to its end.
    void driveListRead(bool ok);
    void driveProgramRead(bool ok);
    // The drive acknowledged "psave".
    void permanentSaveConfirmed();
    // The drive refused this row of a program write.
    void programLineRefused(int row);
    // A read found more lines than the editor holds (total: all of them).
    void programTooLong(int total);
    void traceAnswered(program::TraceTarget target, const QByteArray &text);

    // A contact found a cut write or a drive in program entry (PendingCut):
    // nothing goes to that drive until resolveCutWrite.
    void cutWriteFound();
    // The choice was carried out; readBack: the program was read back
    // (PendingCut's holds, now in Journal's place, says what it is).
    void cutWriteResolved(bool readBack, const QByteArrayList &holds);
    // A program write ended early (no answer, Ctrl+C, the window closed):
    // the record says how far the drive took it.
    void programWriteCut(const journal::Record &record);
    // The read after a program write: what the drive holds.
    void programWriteChecked(DriveCore::WriteCheck result, const QByteArrayList &holds);
    // A write-back ended early: the record names what was acknowledged.
    void writeBackCut(const journal::Record &record);

private:
    void createTimers();
    // Appends to the queue and writes the text when it became the head;
    // true when it waits behind others.
    bool enqueue(const QByteArray &text);
    // Every write to the port goes through here, so that the terminal's log
    // sees the bytes as they went; poll when they are the poll's query.
    void writeLine(const QByteArray &text, bool poll);
    bool m_pollBatch = false;           // the poll's cycle is being queued
    // The poll cycle's queries: they change only with the address and the
    // firmware, so they are made once for both.
    QByteArrayList m_cycleQueries;
    QByteArray m_cycleAddress;
    int m_cycleFirmware = -1;
    // The concerns of dispatchChunk: the relay in master mode, the answers
    // a search waits for, the answer of the command in flight, and what is
    // left in the buffer after it (text nobody asked for, a keystroke's
    // echo, the drive's error line).
    void relayMaster(QByteArray chunk);
    void searchAnswer(QByteArray &chunk);
    void answerHead(CommandNode &head);
    void settleBuffer(int errorPos);
    void completeAcknowledged(uint8_t kind);
    void showDriveError();
    bool bufferOverflow();
    void endSearch();
    void endSearchFailed();
    void applyScanStep();
    void completeListing();
    // Ends a listing that did not get to its end: its commands still queued
    // go, the model is given back. boxed as in listingFailed.
    void abandonListing(bool boxed);
    // While the user reads a drive error, the core's own watchdogs wait too;
    // they go on after his confirmation where their activity still holds.
    void holdWatchdogs();
    void resumeWatchdogs();
    struct HeldWatchdogs {
        bool listing = false, programRead = false, address = false;
    } m_held;
    // The command a drive error stopped, by the releases and the clears of
    // the queue before it: the confirmation lets go of that one only.
    quint64 m_queueClears = 0;
    quint64 m_errorReleased = 0, m_errorClears = 0;
    void endWriteBack();
    // A listing or program read; a quiet one fills only the snapshot.
    bool beginListing(bool quiet);
    bool beginProgramRead(bool quiet);
    // A program write of these rows; editorLines: they are the editor's,
    // which shows them as sent.
    bool beginProgramWrite(program::ProgramLines rows, const QString &backup, bool editorLines);
    void endProgramListing(bool complete);
    void abandonProgramListing(bool sayWhy);
    // A refusal of the owner, told to the user; true when refused. While a
    // cut write waits for the user, nothing else may begin.
    bool refused(line::Activity activity, line::Request request);
    QString cutWaitsText() const;
    // The assignments of the write-back under way the drive answered.
    int writeBackAnswered() const;

    // A read of the drive's own, which leaves what the windows show alone.
    bool m_quietList = false, m_quietProgram = false;
    // What the model held when the listing began: a listing that does not
    // get to its end gives it back, and a quiet one gives it back in any case.
    params::ParameterModel m_modelBeforeListing;
    bool m_listingBackedUp = false; // the listing under way began with that copy
    // "pgm" answers of the program write under way ("new" included).
    int m_programAnswers = 0;
    // "new" went out: from here on the drive's program is at stake.
    bool m_entryBegun = false;
    // The write-back's commands, and the releases before it began.
    int m_writeBackTotal = 0;
    quint64 m_writeBackBase = 0;
    // A command that changes the drive makes what was read of it stale.
    void noteSent(const QByteArray &text);
    // The acknowledgement of the head, whatever its kind.
    void acknowledged(const CommandNode &head);
    void endQuietList(bool ok);

    qint64 m_listingStart = 0, m_listingReceived = 0;
    // Released when the commands queued ahead of a program read had gone
    // (its own answers count from there), and the read's answers at the
    // last look of its watchdog.
    quint64 m_listingBase = 0, m_listingAnswered = 0;
    bool m_reprobeBeforeConfiguration = false; // a lost link was probed when the configuration began

    // The journal's side (link/drivecore_cutwrite.cpp).
    // Begins the record of a write; false (errorMessage said why) when it
    // cannot be written: then nothing is sent. replace: the record of a
    // cut write is taken over by the write that mends it.
    bool beginJournal(journal::Kind kind, const QList<QByteArray> &written, const QString &backup, bool replace);
    // How far the drive took the write; written to the file at most a few
    // times a second, and at once by flushJournal.
    void noteJournalProgress(int acknowledged);
    void flushJournal();
    void endJournal();
    QTimer *m_journalTimer = nullptr;
    bool m_journalDirty = false;
    // What is held back while a cut write waits for the user, and carried
    // out once it is resolved.
    enum class AfterCut : uint8_t { None, Connect, RestoreLink, AddressChosen, SearchEnd };
    AfterCut m_afterCut = AfterCut::None;
    // A contact with address finds a cut write (its record) or, inEntry, a
    // drive in program entry: the decision is asked for and after waits.
    // False when there is nothing to decide.
    bool holdForCut(const QByteArray &address, bool inEntry, AfterCut after);
    // The record of a drive, or nothing.
    std::optional<journal::Record> recordOf(const QByteArray &address) const;
    // The steps of a resolution and of the check after a write.
    enum class CutStep : uint8_t { None, EndEntry, Write, ReadBack };
    CutStep m_cutStep = CutStep::None;
    CutChoice m_cutChoice = CutChoice::Keep;
    bool m_resolving = false;       // the write under way mends a cut one
    bool m_checkingWrite = false;   // the quiet read under way checks a write
    void cutStepDone(bool ok);
    void finishResolution(bool readBack);
    void continueAfterCut();
    // The post-write read and what it found.
    void checkProgramWrite();
    void programReadForCheck(bool ok);
    // The program lines of a backup file, when it holds.
    std::optional<program::ProgramLines> backupProgram(const journal::Record &record) const;
    // Lines the drive refused in the write under way.
    QList<int> m_refusedRows;
    QByteArray m_afterAddress;      // the address whose connection waits
    // The search found these drives in program entry.
    QList<QByteArray> m_entryAddresses;
    void endSearchConnect();
    // A bare probe was answered (from program entry or not).
    void probeAnswered(uint8_t kind, bool inEntry);
    // A "label" refusal ended a program write: it is checked once confirmed.
    bool m_checkAfterConfirm = false;
    program::ProgramLines m_programBeforeRead; // given back when a read ends without its listing
};
