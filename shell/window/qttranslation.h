// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts (the standard buttons of message boxes, the file dialogs)
// in the interface's language.
#pragma once

#include <QString>

namespace qttranslation {

// Qt's German catalogue where Debian's qt6-translations-l10n puts it.
QString germanCatalogue();

// Installs Qt's German texts on the application for language 1 (German) and
// removes them for any other. Installing again what is already installed
// does nothing, so the language switch may call it every time. Returns false
// when German is asked for and the catalogue cannot be loaded: Qt's texts
// then stay English, as Qt has them built in.
bool follow(int language);

} // namespace qttranslation
