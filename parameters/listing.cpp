// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/listing.h"

#include <QRegularExpression>

#include "parameters/designations.h"

#include <QByteArrayView>

#include <algorithm>
#include <limits>

namespace params {

namespace {

// The status lines a listing may carry in place of an entry, tested in this
// order at the start of the rest: the word, the value and designation its row
// takes, and how many characters it takes up with its line end.
struct StatusLine {
    const char *word;
    const char *value;
    const char *designation;
    int length;
};
const StatusLine kStatusLines[] = {
    {"ON", "ON", "P134", 3},     {"OFF", "OFF", "P134", 4},   {"RS", "RS", "P1031", 3},
    {"LS", "LS", "P1031", 3},    {"RF", "RF", "P1031", 3},    {"LF", "LF", "P1031", 3},
    {"POSR", "0", "P1043", 5},   {"POS0", "0", "P1043", 5},
};

constexpr int kFullListing = kGridRows + 1;   // ListingRow once every grid row is filled
constexpr int kDesignationSearch = 8;         // "=" further in is not a designation's end
constexpr int kCounterLimit = std::numeric_limits<int>::max() / 2;

bool isValueCharacter(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == '-';
}

void countUp(int &counter)
{
    if (counter < kCounterLimit)
        ++counter;
}

// The catalogue record a cursor stands on: the search never goes past 158, so
// a cursor beyond it (after designations no record matched) stays on 158,
// the record a designation found nowhere gets.
int catalogueRecord(int cursor)
{
    return std::clamp(cursor, 1, kGridRows);
}

// The parse of one answer: the rest of the answer is the text from pos on.
class AnswerParser {
public:
    AnswerParser(ParameterModel &model, int language, const QByteArray &answer)
        : m_model(model), m_language(tableLanguage(language)), m_text(answer)
    {
    }

    void skipEcho()
    {
        if (!m_text.contains(QByteArrayView("listp")))
            return;
        const qsizetype emptyLine = m_text.indexOf(QByteArrayView("\r\r"));
        if (emptyLine >= 0)
            m_pos = emptyLine + 2;
    }

    bool atEnd() const
    {
        return m_pos >= m_text.size() || m_text.sliced(m_pos).startsWith(QByteArrayView("ok"));
    }

    void parseEntry()
    {
        if (const StatusLine *status = statusLineHere()) {
            takeStatusLine(*status);
            // The pass goes on with the entry that follows, but not with an
            // "ok" that closes the answer (in a block it would leave an "ok"
            // row inside the list and put the descriptions one record
            // behind) nor with a second status line (read as an entry, it
            // would become a row without its designation).
            if (atEnd() || statusLineHere())
                return;
        }
        takeEntry();
    }

private:
    // The row the listing fills now; past the grid's rows a scratch row takes
    // the entry, so the parse goes on and nothing outside the grid is touched.
    GridRow &currentRow()
    {
        return inGrid() ? m_model.Grid[m_model.ListingRow] : m_scratch;
    }

    bool inGrid() const
    {
        return m_model.ListingRow >= 1 && m_model.ListingRow <= kGridRows;
    }

    void nameRow(int record)
    {
        currentRow()[ColDescription] = m_model.Records[m_language][record].Description;
        if (inGrid())
            m_model.RowNamePairs[m_model.ListingRow] = {m_model.Records[1][record].Description,
                                                        m_model.Records[2][record].Description};
    }

    void rememberDesignation(const QByteArray &designation)
    {
        const int entry = m_model.ListingLineCount;
        if (entry >= 1 && entry <= kListingEntries)
            m_model.ListingDesignations[entry] = designation.left(kDesignationLength);
    }

    const StatusLine *statusLineHere() const
    {
        const QByteArrayView rest = m_text.sliced(m_pos);
        for (const StatusLine &status : kStatusLines) {
            if (rest.startsWith(QByteArrayView(status.word)))
                return &status;
        }
        return nullptr;
    }

    void takeStatusLine(const StatusLine &status)
    {
        GridRow &row = currentRow();
        row[ColValue] = status.value;
        row[ColDesignation] = status.designation;
        rememberDesignation(status.designation);
        nameRow(catalogueRecord(m_model.DescriptionCursor));
        m_pos = std::min(m_pos + status.length, m_text.size());
        countUp(m_model.ListingLineCount);
        m_model.ListingRow = std::min(m_model.ListingRow + 1, kFullListing);
        countUp(m_model.DescriptionCursor);
    }

    void takeEntry()
    {
        GridRow &row = currentRow();

        // A last line without its end runs to the end of the answer.
        qsizetype lineEnd = m_text.indexOf('\r', m_pos);
        if (lineEnd < 0)
            lineEnd = m_text.size();

        // The designation ends at an "=" among the first eight characters of
        // the line. Not past its end: a short line without "=" (an empty one,
        // a word the program does not know) would join the next line into a
        // designation with a line end inside, which the write-back would send
        // to the drive as two commands.
        const qsizetype window = std::min<qsizetype>(kDesignationSearch, lineEnd - m_pos);
        const qsizetype equals = m_text.sliced(m_pos, window).indexOf('=');
        if (equals >= 0) {
            row[ColDesignation] = m_text.sliced(m_pos, equals).toByteArray();
            m_pos += equals + 1;
        }

        // Value and unit up to the line end.
        qsizetype digits = 0;
        while (m_pos + digits < lineEnd && isValueCharacter(m_text.at(m_pos + digits)))
            ++digits;
        if (digits > 0) {
            row[ColValue] = m_text.sliced(m_pos, digits).toByteArray();
            row[ColUnit] = m_text.sliced(m_pos + digits, lineEnd - m_pos - digits).toByteArray();
        } else {
            row[ColValue] = m_text.sliced(m_pos, lineEnd - m_pos).toByteArray();
        }
        m_pos = std::min(lineEnd + 1, m_text.size());

        nameRow(searchDescription(row[ColDesignation]));

        QByteArray shown = row[ColDesignation];
        std::array<uint8_t, kKeyParameters> unkept {};
        check_Parameter(shown, m_model.ListingRow, inGrid() ? m_model.KeyParameterRows : unkept);
        row[ColDesignation] = shown;
        rememberDesignation(shown);
        check2_Parameter(shown, m_model.ListingRow);
        m_model.ListingRow = std::min(m_model.ListingRow, kFullListing);

        countUp(m_model.ListingLineCount);
        countUp(m_model.DescriptionCursor);
    }

    // Forward only: from the cursor to the first record whose key or
    // alternative key is the designation as listed, or to record 158.
    int searchDescription(const QByteArray &listed)
    {
        int record = catalogueRecord(m_model.DescriptionCursor);
        const auto &half = m_model.Records[m_language];
        while (half[record].Designation != listed && half[record].Unit != listed && record < kGridRows)
            ++record;
        m_model.DescriptionCursor = record;
        return record;
    }

    ParameterModel &m_model;
    const int m_language;
    const QByteArrayView m_text;
    qsizetype m_pos = 0;
    GridRow m_scratch;
};

} // namespace

bool isListingKind(int kind)
{
    return kind == ListingSingle || kind == ListingBlockFirst || kind == ListingBlockMiddle
        || kind == ListingBlockLast;
}

bool isFinalListing(int kind)
{
    return kind == ListingSingle || kind == ListingBlockLast;
}

void startListing(ParameterModel &model)
{
    for (int row = 1; row <= kGridRows; ++row) {
        model.Grid[row][ColDesignation].clear();
        model.Grid[row][ColUnit].clear();
        model.Grid[row][ColValue].clear();
    }
    model.ListingRow = 1;
    model.ListingLineCount = 1;
    model.DescriptionCursor = 1;
}

int roundedPercent(qint64 part, qint64 whole)
{
    if (whole <= 0)
        return 0;
    // Far beyond any listing; keeps part * 100 inside the integer.
    part = std::clamp<qint64>(part, 0, qint64(1) << 40);
    const qint64 scaled = part * 100;
    qint64 quotient = scaled / whole;
    const qint64 twiceRest = 2 * (scaled % whole);
    if (twiceRest > whole || (twiceRest == whole && quotient % 2 == 1))
        ++quotient;
    return int(std::min<qint64>(quotient, std::numeric_limits<int>::max()));
}

int loadProgress(qsizetype receivedLength)
{
    return roundedPercent(receivedLength, kExpectedListingLength);
}

int blockProgress(int listingLineCount)
{
    return roundedPercent(listingLineCount, kGridRows);
}

bool listingAnswerComplete(const QByteArray &received)
{
    return received.contains("ok");
}

void parseListingAnswer(ParameterModel &model, int kind, int language, const QByteArray &answer)
{
    AnswerParser parser(model, language, answer);
    parser.skipEcho();
    if (kind == ListingSingle || kind == ListingBlockFirst) {
        model.ListingRow = 1;
        model.ListingLineCount = 1;
        model.DescriptionCursor = 1;
    }
    while (!parser.atEnd())
        parser.parseEntry();
}

void completeListing(ParameterModel &model)
{
    int last = std::clamp(model.ListingRow - 1, 1, kGridRows);
    while (last > 1 && model.Grid[last][ColValue] == "ok")
        --last;
    model.ListingRow = last;
    model.ParameterRowCount = last + 1;
    model.GridRowCount = model.ParameterRowCount;
    countUp(model.ListingLineCount);

    for (int record = 1; record <= kRecords; ++record) {
        for (int language = 1; language <= kLanguages; ++language) {
            ParameterRecord &target = model.Records[language][record];
            if (record > last) {
                target = ParameterRecord();
                continue;
            }
            const GridRow &row = model.Grid[record];
            target.Description = cutField(language == 1 ? model.RowNamePairs[record].first
                                                        : model.RowNamePairs[record].second);
            target.Designation = cutField(row[ColDesignation]);
            target.Unit = cutField(row[ColUnit]);
            target.Value = cutField(row[ColValue]);
        }
    }
}

int malformedRow(const ParameterModel &model)
{
    static const QRegularExpression designation(QStringLiteral("^(P[0-9]{1,5}|[A-Z][A-Z0-9]{0,4})( \\([A-Z][A-Z0-9]{0,4}\\))?$"));
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]*)?$|^-?\\.[0-9]+$"));
    const int last = std::min(model.ParameterRowCount - 1, kGridRows);
    for (int r = 1; r <= last; ++r) {
        const GridRow &row = model.Grid[size_t(r)];
        const QString d = QString::fromLatin1(row[ColDesignation]);
        const QByteArray v = row[ColValue].trimmed();
        bool statusWord = false;
        for (const StatusLine &status : kStatusLines)
            statusWord = statusWord || (v == status.value && row[ColDesignation] == status.designation);
        if (!designation.match(d).hasMatch() || (!statusWord && !number.match(QString::fromLatin1(v)).hasMatch()))
            return r;
    }
    return 0;
}

} // namespace params
