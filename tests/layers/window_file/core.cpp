// SPDX-License-Identifier: GPL-3.0-or-later
// A core file that includes a file of the window layer.
#include "shell/window/tform1.h"
