// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace bench {

// Seconds the receive handler takes for this much noise in 64-byte pieces
// while a status query waits for its answer.
double noiseSeconds(qsizetype bytes);

// Seconds the text file's reader takes for one entry of this many bytes.
double longTextEntrySeconds(qsizetype bytes);

} // namespace bench
