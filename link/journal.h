// SPDX-License-Identifier: GPL-3.0-or-later
// The journal of writes in progress. Before the first program line or
// assignment of a write goes to a drive, a record says which drive (the
// device behind the port and the address), what is written, where the
// backup of what it overwrites lies, and how far the drive has taken it. A
// write that ends complete and verified removes its record; any other end
// leaves it, so that the next contact with that drive, from the window or
// the command line, can say what the drive holds and offer the way back.
//
// The window and the command line share the records: they live in
// $XDG_STATE_HOME/zynt (~/.local/state/zynt), one file per drive,
// Windows-1252 with CRLF like the program's other files.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace journal {

enum class Kind { Program, Parameters };

struct Record {
    QString device;             // the stable name of the device behind the port
    QByteArray address;
    Kind kind = Kind::Program;
    int total = 0;              // program lines or assignments the write sends
    int acknowledged = 0;       // of them, what the drive acknowledged so far
    QString backup;             // the backup of what the write overwrites
    qint64 backupSize = -1;
    QString backupSha256;
    QDateTime time;             // when the write began
    // What is written: the program's lines as sent, or the assignments
    // ("P41=3000") in the order sent.
    QList<QByteArray> written;
};

// The record as its file holds it, and back; nothing for a file that is
// not a record (or is cut short: its last line must end with CRLF).
QByteArray format(const Record &record);
std::optional<Record> parse(const QByteArray &bytes);

// The parameter names a cut write-back may have changed ("P41" of
// "P41=3000"): those acknowledged and the one on its way.
QList<QByteArray> changedNames(const Record &record);

// Where the records live: $XDG_STATE_HOME/zynt, else ~/.local/state/zynt.
QString folder();
// The file of one drive's record.
QString recordPath(const QString &device, const QByteArray &address);

// Whether the backup the record names is there, of its size and sum.
bool backupHolds(const Record &record);
// The backup's bytes when it holds, else nothing.
std::optional<QByteArray> readBackup(const Record &record);

// A new record; refused (the reason) where the drive has one already, so
// that two writers never both believe they hold the drive.
QString create(const Record &record);
// The record with its progress; written aside and renamed like every file.
QString update(const Record &record);
// The record of a drive, if it has one. A file that cannot be read or is
// not a record is reported in error (when given) and taken as a record
// without details, so that a damaged record still stops a silent commit.
std::optional<Record> find(const QString &device, const QByteArray &address, QString *error = nullptr);
// Every record in the folder, ordered by address.
QList<Record> all();
// Removes a drive's record; the reason when it could not be removed.
QString remove(const QString &device, const QByteArray &address);

} // namespace journal
