// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's session with one line: the drive core without a window,
// driven one step at a time. Each step waits for its end in the event loop,
// and none waits for ever: a command whose answer does not come within its
// time-out, a watchdog of the core or Ctrl+C ends the wait.
#pragma once

#include "app/clirules.h"
#include "link/drivecore.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

namespace cli {

// How a step ended.
enum class Outcome {
    Ok,
    Refused,     // the drive refused a command with an error line (confirmed)
    TimedOut,    // no answer within the time-out, or a watchdog of the core gave up
    Interrupted, // Ctrl+C
    Failed,      // the step could not begin (the line is held, the port is closed)
};

class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(const Options &options);

    DriveCore core;
    const Options options;

    // Opens a port ("COM1".."COM4" or a device path) at a rate; false when
    // it cannot be opened (lastError says why).
    bool openLine(const QString &port, int baud);
    QString port() const { return m_port; }
    int baud() const { return m_baud; }

    // The connect sequence for one address; the version text the drive gave.
    Outcome connectDrive(int address, QByteArray *version = nullptr);
    // The parameter list into core.Parameters, the program into core.Program.
    Outcome readList();
    Outcome readProgram();
    // The write-back's batch of these assignments. written: how many of
    // them the drive took (a refused one does not count).
    Outcome writeAssignments(const QList<QByteArray> &assignments, QList<QByteArray> *written,
                             const QString &backup = QString());
    Outcome permanentSave();
    // Writes core.Program and reads it back; lines: how many program lines
    // the drive took; inFlight: the line on its way when the write was
    // interrupted; backup: the file that holds what it overwrites. check
    // says what the read-back found (Unread where the write did not end).
    Outcome writeProgram(int *lines, QByteArray *inFlight = nullptr, const QString &backup = QString());
    DriveCore::WriteCheck check = DriveCore::WriteCheck::Unread;
    QByteArrayList holds;       // what the read-back found
    // Carries out the choice for the cut write the contact found, and the
    // connection it held back; holds says what the drive has now.
    Outcome resolveCut(DriveCore::CutChoice choice, bool *readBack);
    Outcome query(const QByteArray &name, QByteArray *value);
    // One assignment as the editors send it.
    Outcome assign(const QByteArray &assignment);

    // What went wrong in the last step, for a message.
    QString lastError;
    // What the core said last (an error message), once.
    QString coreError();
    // The drive's error lines met in the last step, and the commands they
    // answered.
    QList<QByteArray> refusals;
    QList<QByteArray> refusedCommands;
    // Where the last backup of what a command overwrites went (without its ending).
    QString lastBackup;
    // The files the last backups went to (empty: none).
    QString backupPar, backupPrg;

    // Ctrl+C: the step under way ends as soon as it safely can.
    void interrupt();
    bool interrupted() const { return m_interrupted; }

    // Messages to standard error (always), notes there too (not with
    // --quiet), results to standard output.
    void say(const QString &message) const;
    void note(const QString &message) const;
    void print(const QString &line);
    // A progress bar on standard error, only where that is a terminal.
    void progress(const QString &what, int percent);

private:
    Outcome readListOnce();
    // Runs the event loop until done() holds; see Outcome.
    Outcome waitUntil(const std::function<bool()> &done);
    void endProgress();

    QString m_port;
    int m_baud = 0;
    bool m_interrupted = false;
    bool m_outputClosed = false;    // standard output failed: nobody reads the results
    bool m_showProgress = false;
    bool m_progressShown = false;
    QString m_coreError;        // a watchdog of the core spoke
    int m_lines = 0;            // "pgm" answers of the program write under way
};

} // namespace cli
