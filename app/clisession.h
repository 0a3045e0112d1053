// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's session with one line: the drive core without a window,
// driven one step at a time. Each step waits for its end in the event loop,
// and none waits for ever: a command whose answer does not come within its
// time-out, a watchdog of the core or Ctrl+C ends the wait. The steps that
// read and write the drive are defined beside the commands that use them
// (app/cliparameters.cpp, app/cliprogram.cpp, app/clirecover.cpp).
#pragma once

#include "app/clirules.h"
#include "link/drivecore.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <utility>

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

// Ctrl+C, SIGTERM and SIGHUP end the session's step where that is safe; a
// reader that went away (SIGPIPE) ends the command at its next result.
void catchSignals(Session &session);
// Lets what is still on its way out leave the port, then shuts the core down.
void endSession(Session &session);

namespace steps {

// Where the command line talks: a port, a rate and the drive addresses.
struct Target {
    QString port = QStringLiteral("COM1");
    int baud = 38400;
    QList<int> addresses;
};

// The results, as lines or as one JSON array at the end.
class Report {
public:
    explicit Report(Session &session) : m_session(session) {}
    ~Report()
    {
        if (m_session.options.json)
            m_session.print(QStringLiteral("[") + QString::fromUtf8(m_objects.join(",")) + QStringLiteral("]"));
    }
    // fields: name and JSON value pairs.
    void add(const QString &line, const QList<std::pair<const char *, QByteArray>> &fields)
    {
        if (!m_session.options.json) {
            m_session.print(line);
            return;
        }
        QByteArrayList parts;
        for (const auto &[name, value] : fields)
            parts << jsonString(QString::fromLatin1(name)) + ':' + value;
        m_objects << '{' + parts.join(',') + '}';
    }

private:
    Session &m_session;
    QByteArrayList m_objects;
};

QByteArray json(const QString &text);
QByteArray json(const QByteArray &cp1252);
QByteArray json(int number);

int exitOf(Outcome outcome);
// Says what went wrong in a step and gives its exit status.
int failed(Session &s, Outcome outcome, const QString &what);
// The port, rate and addresses the options give, the rest from the
// settings file of the current folder as the window reads it.
Target target(const Options &options);

// Opens the line and sends the connect sequence to one drive. Where the
// drive's last write was cut (or it answers from program entry), this says
// so and gives kCutWrite, unless the command decides it by writing the
// drive's program (program write, restore: the entry is ended as it is
// first) or is recover (which finds core.PendingCut set).
int connectTo(Session &s, const Target &t, int address, QByteArray *version);

} // namespace steps

} // namespace cli
