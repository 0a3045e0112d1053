// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/texttable.h"

#include "shell/textlines.h"

namespace texts {

namespace {

// A decimal number; anything else counts as 0, which no range accepts.
int number(const QByteArray &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

TextTable parseTextFile(const QByteArray &bytes)
{
    TextTable table;
    TextLines reader(bytes);
    reader.next(); // title

    // The line is read through a position rather than cut from the front,
    // and "the rest of the line holds a +" is answered from the last "+" of
    // the line: a long line of many pieces then costs its length once.
    QByteArray line;
    qsizetype pos = 0, lastPlus = -1, lastDoublePlus = -1;
    auto take = [&](QByteArray next) {
        line = std::move(next);
        pos = 0;
        lastPlus = line.lastIndexOf('+');
        lastDoublePlus = line.lastIndexOf("++");
    };
    auto restHasPlus = [&] { return lastPlus >= pos; };

    take(reader.next());
    while (!line.isEmpty()) {
        const qsizetype open = line.indexOf('[');
        const qsizetype comma = line.indexOf(',');
        const qsizetype close = line.indexOf(']');
        int language = 0;
        int textNumber = 0;
        if (open >= 0 && comma > open)
            language = number(line.mid(open + 1, comma - open - 1));
        if (comma >= 0 && close > comma)
            textNumber = number(line.mid(comma + 1, close - comma - 1));
        const bool kept = language >= 1 && language <= kLanguages && textNumber >= 1 && textNumber <= kTexts;
        QByteArray dropped;
        QByteArray &text = kept ? table[language][textNumber] : dropped;

        while (pos < line.size()) {
            const qsizetype quote = line.indexOf('"', pos);
            if (quote < 0) {
                // A rest without quotes: a continuation mark still counts.
                if (!restHasPlus()) {
                    pos = line.size();
                    break;
                }
            } else {
                pos = quote + 1;
                qsizetype end = line.indexOf('"', pos);
                if (end < 0)
                    end = line.size();
                text += QByteArrayView(line).sliced(pos, end - pos);
                pos = end + 2; // the piece, its closing quote and the character after it
            }
            if (restHasPlus()) {
                text += '\r';
                if (lastDoublePlus >= pos)
                    text += '\r';
                take(reader.next());
            }
        }
        take(reader.next());
    }
    return table;
}

QByteArray helpFileName(int language)
{
    return language == 1 ? QByteArrayLiteral("ZYNT_HILFE.html") : QByteArrayLiteral("ZYNT_HELP.html");
}

int languageFromAnswer(const QByteArray &answer)
{
    if (!answer.contains('=') || !answer.contains("P265") || answer.count('\r') < 2)
        return 0;
    QByteArray value = answer.mid(answer.indexOf('=') + 1);
    // The value ends at its line end; what follows it ("ok" and the rest of
    // the answer, when it came in the same piece) is not part of it.
    const qsizetype cr = value.indexOf('\r');
    if (cr >= 0)
        value.truncate(cr);
    return value == "0" ? 1 : 2;
}

} // namespace texts
