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
    QByteArray line = reader.next();
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

        while (!line.isEmpty()) {
            const qsizetype quote = line.indexOf('"');
            if (quote < 0) {
                // A rest without quotes: a continuation mark still counts.
                if (!line.contains('+')) {
                    line.clear();
                    break;
                }
            } else {
                line.remove(0, quote + 1);
                qsizetype end = line.indexOf('"');
                if (end < 0)
                    end = line.size();
                text += line.left(end);
                line.remove(0, end + 2); // the piece, its closing quote and the character after it
            }
            if (line.contains('+')) {
                text += '\r';
                if (line.contains("++"))
                    text += '\r';
                line = reader.next();
            }
        }
        line = reader.next();
    }
    return table;
}

QByteArray helpFileName(int language)
{
    return language == 1 ? QByteArrayLiteral("ZYNT_HILFE.HLP") : QByteArrayLiteral("ZYNT_HELP.HLP");
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
