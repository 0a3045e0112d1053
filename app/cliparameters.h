// SPDX-License-Identifier: GPL-3.0-or-later
// The drive's parameters on the command line: their descriptions, and the
// list as a parameter file.
#pragma once

#include "app/clisession.h"
#include "parameters/parametermodel.h"

#include <QByteArray>

namespace cli::steps {

// The descriptions of both languages, from the files the window reads.
void loadDescriptions(Session &s);
// The drive's list as a parameter file, every parameter in it.
QByteArray parameterFileOf(const params::ParameterModel &model);
int parameterCount(const params::ParameterModel &model);

} // namespace cli::steps
