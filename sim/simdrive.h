// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated drive: one serial line (the master side of a pseudo-terminal,
// or a given device) with one or more ZYNT drives on it.
//
// It runs on a thread of its own, so that tests and the benchmark can use it
// in-process next to the program's event loop, and it is the core of the
// stand-alone zynt-sim program. The protocol is table-driven: later features
// add commands with addCommand.
#pragma once

#include "sim/changes.h"
#include "sim/motion.h"
#include "sim/programmemory.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace sim {

// One drive on the line.
struct Drive {
    int address = 1;
    int statusDigit = -1;                       // 0..4 after "ok"; -1 for a bare "ok"
    std::map<QByteArray, QByteArray> values;    // queried and assigned names ("P265", "O1", ...)
    std::map<QByteArray, QByteArray> stored;    // the values "psave" made permanent
    // Values the drive keeps within a bound: an assignment above it stores
    // the bound (the name as stored: "P41", "W").
    std::map<QByteArray, double> maximum;
    // What "listp" lists, in order: a status word ("ON", "OFF", ...) or a
    // name whose current value (and unit, if any) is listed as name=value.
    std::vector<QByteArray> listing;
    std::set<QByteArray> statusWords;
    std::map<QByteArray, QByteArray> units;
    QByteArray version = "Version 041200";      // the line "ver" answers (firmware 120400)
    ProgramMemory program;
    Motion motion;
};

// What a command handler returns: the answer text that follows the echo, or
// nothing when the command is not its own.
using CommandHandler = std::function<std::optional<QByteArray>(Drive &drive, const QByteArray &command)>;

class SimLine {
public:
    SimLine();
    ~SimLine();                                 // stops the thread and closes the line

    // Opens a new pseudo-terminal; returns its slave path (empty on failure).
    QString openPty();
    // Uses an existing device instead (the other end of a null-modem cable).
    bool openDevice(const QString &path);
    // Makes (replaces) a symbolic link at linkPath that points to the slave.
    bool makeLink(const QString &linkPath);
    // Removes the link made by makeLink if it still points to the slave
    // (the destructor does this too).
    void removeLink();
    QString slavePath() const;

    // Drives answer only while the line runs at this rate (read from the
    // terminal settings the program set on the slave side).
    void setBaud(int bitsPerSecond);
    Drive &addDrive(int address);               // call before start()
    // Runs change on the drive at address (added if need be) under the
    // line's lock: the way to change a drive while the line runs.
    void withDrive(int address, const std::function<void(Drive &)> &change);
    void addCommand(CommandHandler handler);    // tried before the built-in table, in the order added;
                                                // runs on the line's thread with its lock held

    // Every byte the drive sends or receives takes 10 bit times at the set
    // rate, and each answer starts latencyUs after its command was complete.
    void setLineEmulation(bool on, int latencyUs = 0);
    // A USB serial adapter on the program's side: the drive's bytes are
    // held until ms milliseconds have passed since the first byte held, or
    // 62 bytes are held (0: none, the default).
    void setAdapterLatency(int ms);

    // Fault injection.
    void setChunking(int minBytes, int maxBytes, uint32_t seed); // answers in random pieces
    void dropAnswers(int count);                // the next count commands to a drive here get no answer at all
    int answersToDrop() const;                  // how many of them are still to come
    // No answer to anything, and what arrives meanwhile never reaches the
    // drives: a cut cable (the drives keep their state, program entry too).
    void setSilent(bool silent);
    void sendRaw(const QByteArray &bytes);      // garbage or anything else, at once (in pieces when chunking is set)
    void setNextErrorLine(const QByteArray &text); // next command answered with "**" + text + "\r"
    void hangUp();                              // closes the line for good and removes its link (the adapter is pulled)

    // While the drives run in master mode (after "#0RUN"), the master drive
    // talks on the line by itself: these pieces, one every intervalMs, in
    // turn, until "#*s" or "#200S" ends it. Empty pieces: it stays quiet.
    void setMasterTraffic(const QList<QByteArray> &pieces, int intervalMs);

    bool start();
    void stop();

    // Bytes written to the line so far; it only grows.
    qint64 bytesSent() const;
    // True when nothing is waiting to be sent (no answer due, no piece queued).
    bool outputIdle() const;

    // What the line received: every complete command ("#1ver\r" ...), in order.
    QList<QByteArray> receivedCommands() const;
    void clearReceived();
    // What the drives carried out that changes their state, in order, since
    // the last call (commands answered with an injected fault or dropped
    // were not carried out and are not in it; see changes.h).
    QList<Change> takeChanges();
    // Waits (up to timeoutMs) until at least count commands were received.
    bool waitForCommands(int count, int timeoutMs) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace sim
