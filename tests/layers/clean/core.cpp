// SPDX-License-Identifier: GPL-3.0-or-later
// A core file that includes nothing of the window layer.
#include <QString>
#include <QtCore/QDir>
#include "shell/cp1252.h"
#include "window_growth.h" // a name, not a folder
