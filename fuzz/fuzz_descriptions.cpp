// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter description files "Par-dt.ini" and "Par-engl.ini": one input
// is parsed on its own, and split at byte 0x1f into the German and the
// English file loaded into a catalogue.
#include "fuzzbytes.h"
#include "parameters/descriptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    for (const params::ParameterRecord &record : params::parseDescriptionFile(bytes)) {
        fuzz::check(record.Description.size() <= params::kFieldLength && record.Designation.size() <= params::kFieldLength
                        && record.Unit.size() <= params::kFieldLength,
                    "fields cut to what a record holds");
        fuzz::check(record.Value.isEmpty(), "a description has no value");
    }

    const QByteArrayList files = fuzz::pieces(bytes, '\x1f', 2);
    static params::ParameterModel model; // large: kept, and wholly reloaded each time
    const auto german = files[0].isEmpty() ? std::nullopt : std::optional<QByteArray>(files[0]);
    params::LoadParameterDescriptions(model, german, files[1]);
    params::RelabelDescriptions(model, 1 + (size & 1));
    const auto entries = params::parseDescriptionFile(files[1]);
    for (int record = 1; record <= params::kGridRows; ++record) {
        const bool loaded = size_t(record) <= entries.size();
        fuzz::check(model.Records[2][record].Designation
                        == (loaded ? entries[size_t(record - 1)].Designation : QByteArray()),
                    "record n holds the n-th entry or nothing");
    }
    return 0;
}
