// SPDX-License-Identifier: GPL-3.0-or-later
// The interface's language beyond the numbered text table: the program's own
// texts (German in the source, English from the program's catalogue), Qt's
// standard buttons and Qt's own dialogs.
#pragma once

#include <QString>

namespace translation {

// Qt's German catalogue where Debian's qt6-translations-l10n puts it.
QString germanCatalogue();

// The program's own catalogue of a language (1 German, 2 English), built
// into the program.
QString programCatalogue(int language);

// Installs the program's catalogue of the language on the application and
// removes the other one; for German it also installs Qt's catalogue, when
// it is there, for Qt's own dialogs. Installing again what is installed
// does nothing, so the language switch may call it every time. Returns
// false when the program's catalogue cannot be loaded (the texts then stay
// German) or Qt's German catalogue is missing (Qt's file dialogs then stay
// English; the standard buttons still follow from the program's catalogue).
bool follow(int language);

// As follow, without Qt's catalogue: what a machine without
// qt6-translations-l10n sees.
bool followWithoutQt(int language);

} // namespace translation
