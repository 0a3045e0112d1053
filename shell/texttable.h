// SPDX-License-Identifier: GPL-3.0-or-later
// The numbered user-interface texts in German and English, and the grammar of
// the text file they come from.
#pragma once

#include <QByteArray>

#include <array>

// [language 1 German, 2 English][number 1..229]; index 0 of both is unused.
using TextTable = std::array<std::array<QByteArray, 230>, 3>;

namespace texts {

constexpr int kLanguages = 2;
constexpr int kTexts = 229;

// Parses the bytes of a text file: line 1 is a title; every further line up
// to the first empty one is an entry "[language,number]" with one or more
// quoted pieces; "+" after a piece continues the entry on the next line with
// a carriage return in between ("++": two). Entries out of range are skipped,
// repeated ones append.
TextTable parseTextFile(const QByteArray &bytes);

// The help file of a language, without directory.
QByteArray helpFileName(int language);

// The language that the drive's answer to "P265?" selects, once the answer
// holds the value line; 0 while it does not yet.
int languageFromAnswer(const QByteArray &answer);

} // namespace texts
