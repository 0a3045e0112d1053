// Where the program finds the files it reads: the user's own copy in the
// given folder first, else the copy shipped with the program.
#pragma once

#include <QByteArray>
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

} // namespace datafiles
