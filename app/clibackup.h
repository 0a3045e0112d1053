// SPDX-License-Identifier: GPL-3.0-or-later
// Backups on the command line: the folders of whole drives, checked before
// anything is used from them, and the copy a command saves of what it is
// about to overwrite.
#pragma once

#include "app/clirules.h"
#include "app/clisession.h"
#include "parameters/parameterfile.h"
#include "program/programlines.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>

#include <utility>

namespace cli::steps {

// Checks a backup folder's files against its drive.ini (sizes, SHA-256,
// counts, whole last lines); says what is wrong and gives kFileError, or
// warns that an older backup without sums cannot be checked.
int checkBackupFolder(Session &s, const QDir &folder, const DriveInfo &info, const params::LoadedParameterFile &par,
                      const program::ProgramLines &program, const QList<std::pair<QString, QByteArray>> &files);
// Saves what a command is about to overwrite; nothing is written when that fails.
int saveBeforeChange(Session &s, bool list, bool program);

} // namespace cli::steps
