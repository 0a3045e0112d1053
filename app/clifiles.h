// SPDX-License-Identifier: GPL-3.0-or-later
// The user's files on the command line: read within their limits and
// checked against a sum beside them, written whole or not at all.
#pragma once

#include "app/clisession.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace cli::steps {

bool saveFile(Session &s, const QString &path, const QByteArray &bytes);
std::optional<QByteArray> loadFile(Session &s, const QString &path);

} // namespace cli::steps
