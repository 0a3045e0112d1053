// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clifiles.h"

#include "shell/datafiles.h"

namespace cli::steps {

bool saveFile(Session &s, const QString &path, const QByteArray &bytes)
{
    // Written aside and renamed: a failure never leaves half a file.
    const QString error = datafiles::saveFile(path, bytes);
    if (!error.isEmpty())
        s.say(error);
    return error.isEmpty();
}

std::optional<QByteArray> loadFile(Session &s, const QString &path)
{
    const datafiles::ReadResult read =
        datafiles::readUserFile(path, datafiles::kMaxUserFileBytes, datafiles::kMaxUserLineLength);
    if (!read.error.isEmpty()) {
        s.say(read.error);
        return std::nullopt;
    }
    // A backup with its sum beside it is checked against it; one that does
    // not match is never used.
    if (const QString fault = datafiles::checkAgainstSumFile(path, read.bytes); !fault.isEmpty()) {
        s.say(fault + QStringLiteral("\nnothing was used from it"));
        return std::nullopt;
    }
    return read.bytes;
}

} // namespace cli::steps
