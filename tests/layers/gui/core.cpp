// SPDX-License-Identifier: GPL-3.0-or-later
// A core file that includes a header of Qt Gui by its module.
#include <QtGui/QColor>
