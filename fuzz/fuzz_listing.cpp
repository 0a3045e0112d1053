// SPDX-License-Identifier: GPL-3.0-or-later
// The drive's parameter listing: a whole read, as one answer ("listp") or as
// blocks ("listp1.20" ... "listp181.20"), the pieces of the input split at
// byte 0x1f, each parsed once it holds its "ok"; then the end of the listing.
// The first byte chooses single or blocks and the language. The same bytes
// are read as the answer to "ver".
#include "fuzzbytes.h"
#include "parameters/descriptions.h"
#include "parameters/listing.h"
#include "shell/firmware.h"

namespace {

// A small catalogue, so that the description search has keys to find.
const char kCatalogue[] = "Parameter\r\n"
                          "Status:P134\r\n"
                          "Weg:W,P47\r\n"
                          "Geschwindigkeit:V,P48\r\n"
                          "Referenzfahrt schnell:P41\r\n"
                          "Ausgang 1:O1\r\n"
                          "Override:P108\r\n";

void checkModel(const params::ParameterModel &model)
{
    fuzz::check(model.ListingRow >= 1 && model.ListingRow <= params::kGridRows + 1, "listing row within the grid");
    fuzz::check(model.ListingLineCount >= 1 && model.DescriptionCursor >= 1, "counters positive");
    for (const uint8_t row : model.KeyParameterRows)
        fuzz::check(row <= params::kGridRows, "key parameter rows within the grid");
    for (const int row : model.MaskParameterRows)
        fuzz::check(row >= 0 && row <= params::kGridRows, "mask rows within the grid");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const bool single = data[0] & 1;
    const int language = data[0] & 2 ? 2 : 1;
    const QByteArray bytes = fuzz::bytesOf(data + 1, size - 1);

    static params::ParameterModel model;
    model = params::ParameterModel();
    params::LoadParameterDescriptions(model, QByteArray(kCatalogue), QByteArray(kCatalogue));
    params::startListing(model);

    const QByteArrayList answers = single ? QByteArrayList {bytes} : bytes.split('\x1f');
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const QByteArray &answer = answers[i];
        const int kind = single ? params::ListingSingle
                         : i == 0 ? params::ListingBlockFirst
                         : i + 1 == answers.size() ? params::ListingBlockLast
                                                   : params::ListingBlockMiddle;
        fuzz::check(params::loadProgress(answer.size()) >= 0, "progress not negative");
        if (!params::listingAnswerComplete(answer))
            continue;
        params::parseListingAnswer(model, kind, language, answer);
        checkModel(model);
        const int progress = params::blockProgress(model.ListingLineCount);
        fuzz::check(progress >= 0, "block progress not negative");
        if (params::isFinalListing(kind)) {
            params::completeListing(model);
            checkModel(model);
            fuzz::check(model.ParameterRowCount >= 2 && model.ParameterRowCount <= params::kGridRows + 1,
                        "the list has one row at least and fits the grid");
            fuzz::check(model.GridRowCount == model.ParameterRowCount, "grid shows the list");
            for (int record = model.ParameterRowCount; record <= params::kRecords; ++record)
                fuzz::check(model.Records[1][record] == params::ParameterRecord(), "records past the list empty");
        }
    }

    if (const auto version = firmware::readVersion(bytes)) {
        fuzz::check(version->text.size() <= 14, "the version is one short line");
    }
    (void)firmware::answerComplete(bytes);
    return 0;
}
