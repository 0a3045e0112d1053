// SPDX-License-Identifier: GPL-3.0-or-later
// Every window but the main one fits its screen as it shows: a window laid
// out for a larger screen, or enlarged by a scale factor, is made smaller
// and moved onto the screen instead of reaching past its edge.
#pragma once

namespace windowfit {

// Takes effect for the whole application; a second call changes nothing.
void install();

} // namespace windowfit
