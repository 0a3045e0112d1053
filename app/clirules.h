// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's rules as plain functions: its arguments, its exit
// statuses, how long a command may take, how backups and drive folders are
// named, and the drive description file "drive.ini".
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

// What the command line tells the shell.
enum Exit {
    kDone = 0,          // done, and the drive equals what was asked
    kDiffers = 1,       // a difference remains, a value was refused, the version check failed
    kNoDrive = 2,       // no drive answered, a command timed out, the link was lost
    kFileError = 3,     // a file could not be read or written
    kCutWrite = 4,      // a cut write waits for a decision (recover)
    kUsage = 64,        // the arguments are wrong
    kInterrupted = 130, // Ctrl+C
};

struct Options {
    QString port;               // "COM1".."COM4" or a device path; empty: the settings file
    std::optional<int> baud;
    QList<int> addresses;       // --address, repeatable or "1,3"
    bool json = false;
    bool quiet = false;
    bool all = false;           // backup: every drive found or configured
    bool force = false;         // restore: another version is accepted
    bool save = false;          // set: "psave" after the assignments
    bool noBackup = false;
    bool keep = false;          // recover: end the entry as it is, write nothing back
    bool writeType = false;     // restore: the drive type too, where it differs
    bool truncate = false;      // program write: up to the first gap of the file
    bool dryRun = false;        // restore: say what would be written, write nothing
    QString backupTo;           // instead of the user's backup folder
    int language = 1;           // descriptions in a backup: 1 German, 2 English
    QString command;            // ports, scan, backup, restore, diff, get, set, program, recover
    QStringList arguments;      // what follows the command
};

struct Parsed {
    std::optional<Options> options; // nothing when the arguments are wrong or help was asked
    QString error;                  // what is wrong with them
    bool help = false;
    bool version = false;
};

// The arguments without the program's name.
Parsed parseArguments(const QStringList &arguments);
QString usage();

// What to try when a drive stays silent at the configured rate and address;
// bytes that came without making an answer point at two drives on one
// address.
QString noAnswerHint(int baud, int address, qsizetype bytesHeard);

// The rates a drive may run at, fastest first.
const QList<int> &driveRates();

// The time a command of this many bytes and its answer may take: three
// times its line time at the rate (10 bit times a byte), at least 2 s.
int commandTimeoutMs(qsizetype bytes, int baud);
// How long a probe of the scan waits for its answer.
int probeWaitMs(int baud);

// A port as the command line names it: "COM1" .. "COM4", or the file name
// of a device path ("ttyUSB0" for "/dev/ttyUSB0").
QString portLabel(const QString &port);
// The exact command line that takes a cut write's way back.
QString recoverCommand(const QString &port, int baud, const QByteArray &address);
// A drive's folder in a backup: "<port>-<address>".
QString driveFolderName(const QString &port, int address);

// "drive.ini": a [ZYNT] section, Windows-1252 with CRLF line ends, and a
// [Files] section with each file's size and SHA-256.
struct FileSum {
    QString name;
    qint64 size = -1;
    QString sha256;

    bool operator==(const FileSum &) const = default;
};
struct DriveInfo {
    QString port;
    int baud = 0;
    QByteArray address;
    QByteArray version;         // the firmware's version, without the word "Version"
    QByteArray type;            // the drive type, P1034
    QDateTime time;
    int parameters = 0;
    int programLines = 0;
    bool complete = true;       // the drive's program fitted whole
    QList<FileSum> files;       // none in a backup made before the sums were kept
};
// The version as a drive says it ("Version 041200") or as older backups
// kept it, without the word: "041200".
QByteArray versionNumber(const QByteArray &version);
// What is wrong with a backup's files against its drive.ini: a file whose
// size or SHA-256 differs, counts that differ (parameters and programLines
// as found in the files), a last line without its line end. Empty when
// nothing is. files: each file's name and bytes.
QStringList backupFaults(const DriveInfo &info, const QList<std::pair<QString, QByteArray>> &files, int parameters,
                         int programLines);
QByteArray formatDriveInfo(const DriveInfo &info);
// Nothing when the [ZYNT] section or its Address= is missing.
std::optional<DriveInfo> parseDriveInfo(const QByteArray &bytes);

// A string as JSON writes it, quotes included.
QByteArray jsonString(const QString &text);

} // namespace cli
