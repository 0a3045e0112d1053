// SPDX-License-Identifier: GPL-3.0-or-later
// What the parameter tests share: the simulated drive's list as the drive
// sends it, the shipped description files, and a model to run them through.
#pragma once

#include "parameters/descriptions.h"
#include "parameters/listing.h"
#include "sim/parameterlist.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <memory>

namespace fixture {

using List = std::vector<sim::ListedParameter>;

// Entries first..first+count-1 (1-based) of the list, each with its line end.
inline QByteArray entries(const List &list, int first = 1, int count = 1000)
{
    QByteArray text;
    for (int k = first; k < first + count && k <= int(list.size()); ++k)
        text += sim::listedLine(list[size_t(k - 1)]) + '\r';
    return text;
}

// The answer to "listp" or "listpF.20" as the dispatcher hands it on.
inline QByteArray singleAnswer(const List &list)
{
    return "#1listp\r\r" + entries(list) + "ok\r";
}
inline QByteArray blockAnswer(const List &list, int first)
{
    return "#1listp" + QByteArray::number(first) + ".20\r\r" + entries(list, first, 20) + "ok\r";
}

// A shipped data file, from the source tree the tests were built from.
inline QByteArray dataFile(const char *name)
{
    QString root = qEnvironmentVariable("ZYNT_SOURCE_DIR");
    if (root.isEmpty())
        root = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../..");
    QFile file(root + QStringLiteral("/data/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline std::unique_ptr<params::ParameterModel> shippedCatalogue()
{
    auto model = std::make_unique<params::ParameterModel>();
    params::LoadParameterDescriptions(*model, dataFile("Par-dt.ini"), dataFile("Par-engl.ini"));
    return model;
}

// A read as the window runs it: start, one answer per kind, completion.
inline void readSingle(params::ParameterModel &model, const QByteArray &answer, int language = 1)
{
    params::startListing(model);
    params::parseListingAnswer(model, params::ListingSingle, language, answer);
    params::completeListing(model);
}

inline void readBlocks(params::ParameterModel &model, const List &list, int language = 1)
{
    params::startListing(model);
    for (int block = 0; block < 10; ++block) {
        const int kind = block == 0 ? params::ListingBlockFirst
            : block == 9            ? params::ListingBlockLast
                                    : params::ListingBlockMiddle;
        params::parseListingAnswer(model, kind, language, blockAnswer(list, 20 * block + 1));
        if (params::isFinalListing(kind))
            params::completeListing(model);
    }
}

// Everything a listing writes, compared field by field so that a failure
// names the row.
inline void compareListings(const params::ParameterModel &a, const params::ParameterModel &b)
{
    for (int row = 0; row <= params::kRecords; ++row) {
        for (int column = 0; column < 4; ++column)
            QCOMPARE(a.Grid[row][column], b.Grid[row][column]);
    }
    for (int language = 1; language <= params::kLanguages; ++language) {
        for (int record = 1; record <= params::kRecords; ++record) {
            const params::ParameterRecord &x = a.Records[language][record];
            const params::ParameterRecord &y = b.Records[language][record];
            QCOMPARE(x.Description, y.Description);
            QCOMPARE(x.Designation, y.Designation);
            QCOMPARE(x.Unit, y.Unit);
            QCOMPARE(x.Value, y.Value);
        }
    }
    QVERIFY(a.RowNamePairs == b.RowNamePairs);
    QVERIFY(a.ListingDesignations == b.ListingDesignations);
    QVERIFY(a.KeyParameterRows == b.KeyParameterRows);
    QCOMPARE(a.ListingRow, b.ListingRow);
    QCOMPARE(a.ListingLineCount, b.ListingLineCount);
    QCOMPARE(a.DescriptionCursor, b.DescriptionCursor);
    QCOMPARE(a.ParameterRowCount, b.ParameterRowCount);
    QCOMPARE(a.GridRowCount, b.GridRowCount);
}

} // namespace fixture
