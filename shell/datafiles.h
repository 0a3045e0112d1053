// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program finds the files it reads: the user's own copy in the
// given folder first, else the copy shipped with the program.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

class QIODevice;

namespace datafiles {

// The folder of the shipped files: "data" next to the executable (or one
// level up, for programs built into a subfolder), else the installed share
// folder. Empty when none exists.
QString shippedDirectory();

// folder/name when that file exists, else the shipped copy when that exists,
// else empty.
QString locate(const QString &folder, const QString &name);
// What to tell the user when locate found nothing: the file and the
// folders it was looked for in.
QString missingFileText(const QString &folder, const QString &name);

// What reading a file gave: its bytes up to where reading stopped, and the
// reason when it stopped early (empty when the whole file was read).
struct ReadResult {
    QByteArray bytes;
    QString error;
};
ReadResult readFile(QIODevice &device);
// Opens and reads the file; a failure's reason names the file.
ReadResult readFile(const QString &path);

// The message for a file that could not be read or written: its name and
// the system's reason.
QString fileError(const QString &path, const QString &reason);

// A file the user chose to open: refused, with the file and the reason, when
// it is not a regular file, is larger than maxBytes, or has a line longer
// than maxLineLength (named by its number).
ReadResult readUserFile(const QString &path, qint64 maxBytes, int maxLineLength);
// The bounds of a parameter or program file: far above any real one.
constexpr qint64 kMaxUserFileBytes = 1 << 20;
constexpr int kMaxUserLineLength = 1024;

// Writes a file aside and renames it into place, so that a failure leaves
// the old file as it was. Each write, the sync and the close are checked
// before the rename. Empty when it worked, otherwise the message with the
// system's reason.
QString saveFile(const QString &path, const QByteArray &bytes);
// The same; Exclusive fails (with the system's reason) where the name is
// taken already, also when another writer took it a moment ago.
enum class Placing { Replace, Exclusive };
QString writeAside(const QString &path, const QByteArray &bytes, Placing placing);
// Makes a folder (and those above it) and tries a file in it, so that a
// target that cannot take files is named with the system's reason before
// any work is done for it. Empty when files can go there.
QString prepareFolder(const QString &path);
// A file's SHA-256 as 64 lower-case hex digits.
QString sha256(const QByteArray &bytes);

// Writes a folder of files as a whole: into a hidden folder beside it
// (".<name>.XXXXXX", so that nothing takes it for the folder), each file
// written, synced and read back, then put into place at once; a folder of
// that name is exchanged with it and then removed. Whatever fails, the
// folder's name never holds half of it. Empty when it worked, otherwise
// the message with the system's reason.
struct NamedFile {
    QString name;
    QByteArray bytes;
};
QString saveFolder(const QString &path, const QList<NamedFile> &files);

// Where what a write is about to overwrite in a drive is saved first:
// ~/.local/share/zynt/backups (the window and the command line alike).
QString backupFolder();
// A name for one backup there, by time and address ("20261209-093012-
// address7"), that no file in the folder has yet (".par" or ".prg").
QString backupStem(const QDateTime &time, const QByteArray &address);
QString uniqueBackupStem(const QString &folder, const QDateTime &time, const QByteArray &address);
// A backup's stem with the port as well ("20261209-093012-COM1-address7";
// a device path gives its file name): two lines' drives never share one.
QString backupStem(const QDateTime &time, const QString &port, const QByteArray &address);
// Saves a backup under stem + suffix, or, where that name is taken (also by
// another process a moment ago), stem + "-2" + suffix and so on; the file is
// read back and compared, and its size and SHA-256 go into "<name>.sha256"
// beside it. path: the name it got. Empty when it worked, else the message.
QString saveBackupFile(const QString &stem, const QString &suffix, const QByteArray &bytes, QString *path);
// The side file's text, and what is wrong with a backup against it (empty
// when nothing; nothing to say when it has no side file).
QByteArray sumFileText(const QByteArray &bytes);
QString checkAgainstSumFile(const QString &path, const QByteArray &bytes);

} // namespace datafiles
