// SPDX-License-Identifier: GPL-3.0-or-later
// The text file "ZYNT-Texte.ini" (the user may replace it) and the drive's
// answer that selects the language. The first byte chooses which; a parse of
// a long file costs its length once, so the fuzzer's time-outs catch a
// quadratic pass.
#include "fuzzbytes.h"
#include "shell/texttable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes = fuzz::bytesOf(data + 1, size - 1);
    if (data[0] & 1) {
        const TextTable table = texts::parseTextFile(bytes);
        qsizetype total = 0;
        for (const auto &language : table)
            for (const QByteArray &text : language)
                total += text.size();
        // Every kept byte came from the file, at most with a line end per "+".
        fuzz::check(total <= 2 * bytes.size(), "texts no longer than the file allows");
        fuzz::check(table[0][1].isEmpty() && table[1][0].isEmpty() && table[2][0].isEmpty(),
                    "unused entries stay empty");
    } else {
        const int language = texts::languageFromAnswer(bytes);
        fuzz::check(language >= 0 && language <= texts::kLanguages, "a language or none");
        if (language > 0)
            fuzz::check(!texts::helpFileName(language).isEmpty(), "a help file for the language");
    }
    return 0;
}
