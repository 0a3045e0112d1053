// SPDX-License-Identifier: GPL-3.0-or-later
// The commissioning report: what every drive of a machine holds, made from
// the backup folders alone (DIR/<port>-<address>/, each checked against its
// drive.ini), as one self-contained HTML text. Plain data and functions on
// it, Qt Core only: the command line writes the HTML as it is, the window
// lays it out as PDF.
#pragma once

#include "app/clirules.h"
#include "parameters/parameterfile.h"
#include "program/programlines.h"
#include "shell/datafiles.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace report {

// How far a drive folder can be trusted.
enum class Check : uint8_t {
    Good,      // every file matches the size and SHA-256 its drive.ini lists
    Unchecked, // made before backups kept their sums
    Failed,    // a file differs, is missing or cannot be read: nothing of it is shown
};

struct DriveFolder {
    QString name;                   // the folder's own name ("COM1-1")
    cli::DriveInfo info;
    Check check = Check::Failed;
    QStringList faults;             // why it failed
    QList<params::GridRow> rows;    // parameters.par, in the drive's order
    QByteArrayList program;         // program.prg, rows 1.. up to the last line that holds text
    QList<cli::FileSum> sums;       // each file's SHA-256: drive.ini's where it holds, else as read
};

// What is wrong with a backup folder's files against its drive.ini (see
// cli::backupFaults), the counts taken from the files as read; empty when nothing.
QStringList folderFaults(const cli::DriveInfo &info, const params::LoadedParameterFile &par,
                         const program::ProgramLines &program, const QList<std::pair<QString, QByteArray>> &files);
// One drive folder read and checked; a folder that cannot be read is a
// failed one that says why.
DriveFolder readDriveFolder(const QString &path);
// Every drive folder in dir (a folder that holds a drive.ini, a parameters.par
// or a program.prg), by name.
QList<DriveFolder> readBackup(const QString &dir);

// The files a backup folder of a drive holds, its drive.ini last with each
// other file's size and SHA-256 (put into info.files).
QList<datafiles::NamedFile> backupFolderFiles(cli::DriveInfo &info, const QByteArray &parameters,
                                              const QByteArray &program);

// ---- Against an older backup ----------------------------------------------------

// A parameter whose value changed (or that only one of the two lists).
struct ValueChange {
    QByteArray designation;
    QByteArray description;
    QByteArray unit;
    std::optional<QByteArray> before, after; // nothing where that backup lacks it
    bool live = false;              // the machine's live state
};
// A program line added, removed or changed: its number before and after (0 where it has none).
struct LineChange {
    int before = 0, after = 0;
    QByteArray was, is;
};
struct DriveChanges {
    QList<ValueChange> values;
    QList<LineChange> lines;
    bool empty() const { return values.isEmpty() && lines.isEmpty(); }
};
QList<ValueChange> valueChanges(const QList<params::GridRow> &before, const QList<params::GridRow> &after);
// The lines of the shortest edit from before to after; a removal next to
// an addition is one changed line.
QList<LineChange> lineChanges(const QByteArrayList &before, const QByteArrayList &after);

// Drives of the two backups paired by address and drive type (a USB adapter
// may come back under another port), the same port first. Indexes into the
// two lists; -1 where a drive has no partner (added or missing).
struct Pair {
    int now = -1, before = -1;
};
QList<Pair> pairDrives(const QList<DriveFolder> &now, const QList<DriveFolder> &before);

// ---- The report -----------------------------------------------------------------

struct Request {
    QString title;
    QString by;
    QDateTime made;                 // when the report was made (shown in its foot)
    QList<DriveFolder> drives;
    std::optional<QList<DriveFolder>> against;
};

// The fingerprint of the drives shown: a SHA-256 over their folders' own
// sums, so that a printed copy can be matched to its folders whatever its
// title and date.
QString fingerprint(const QList<DriveFolder> &drives);
// The newest backup's time among the drives shown; invalid when none.
QDateTime newestBackup(const QList<DriveFolder> &drives);
// The whole report as HTML, in the language the program's catalogue follows.
QString html(const Request &request);
// Who makes a report when nobody is named: the login name.
QString loginName();
// True when a folder failed its check (the exit status says so).
bool anyFailed(const QList<DriveFolder> &drives);

} // namespace report
