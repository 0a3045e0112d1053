// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/views.h"

#include <algorithm>

namespace params {

namespace {

// One row of the basic view: a group title (text number), a lookup of a
// designation, or neither (an empty row between groups).
struct BasicRow {
    int title;
    const char *lookup;
};
constexpr BasicRow kGap {0, nullptr};
constexpr BasicRow title(int text) { return {text, nullptr}; }
constexpr BasicRow show(const char *designation) { return {0, designation}; }

const BasicRow kBasicView[kBasicViewRows - 1] = {
    title(193), show("P1010"), show("P1011"), show("P1014"), show("P147"), kGap,
    title(194), show("P76"), show("P44"), show("P160"), kGap,
    title(222), show("P121"), show("P122"), show("P123"), show("P1037"), kGap,
    title(195), show("P91 (V)"), show("P41"), show("P1003"), show("P1019"), show("P1020"), kGap,
    title(196), show("P138 (A)"), show("P1030"), show("P42"), show("P1018"), kGap,
    title(223), show("P1021"), show("P1022"), show("P1098"),
};

const char *const kMaskDesignations[kMaskParameters] = {"P1060", "P1061", "P1062", "P1063", "P1064",
                                                         "P1065", "P1066", "P1067", "P1068"};

int lookupRecord(const ParameterModel &model, const char *designation)
{
    for (int record = 1; record <= kGridRows; ++record) {
        if (model.Records[1][record].Designation == designation)
            return record;
    }
    return kEmptyRecord;
}

GridRow rowOf(const ParameterRecord &record)
{
    return {record.Description, record.Designation, record.Unit, record.Value};
}

// Rows 1..34 by the basic layout; lookup gives the row shown for a designation.
template <typename Lookup>
void fillBasicView(ParameterModel &model, int language, const TextTable &texts, Lookup lookup)
{
    const int half = tableLanguage(language);
    for (int row = 1; row < kBasicViewRows; ++row) {
        const BasicRow &layout = kBasicView[row - 1];
        if (layout.lookup)
            model.Grid[row] = lookup(layout.lookup);
        else if (layout.title)
            model.Grid[row] = {texts[half][layout.title], {}, {}, {}};
        else
            model.Grid[row] = {};
    }
    model.GridRowCount = kBasicViewRows;
    model.AllViewRowsIndexed = 0;
}

void recordMaskRows(ParameterModel &model)
{
    if (model.AllViewRowsIndexed != 0)
        return;
    for (int mask = 0; mask < kMaskParameters; ++mask) {
        int found = 0;
        for (int row = 1; row <= kGridRows && !found; ++row) {
            if (model.Grid[row][ColDesignation] == kMaskDesignations[mask])
                found = row;
        }
        model.MaskParameterRows[size_t(mask)] = found;
    }
    model.AllViewRowsIndexed = 1;
}

} // namespace

void Grundparameter_Anzeigen(ParameterModel &model, int language, const TextTable &texts)
{
    const int half = tableLanguage(language);
    fillBasicView(model, language, texts, [&model, half](const char *designation) {
        return rowOf(model.Records[half][lookupRecord(model, designation)]);
    });
}

void Alle_Parameter_Anzeigen(ParameterModel &model, int language)
{
    const int half = tableLanguage(language);
    for (int row = 1; row <= kGridRows; ++row)
        model.Grid[row] = rowOf(model.Records[half][row]);
    recordMaskRows(model);
    // The grid holds rows 0..200; a row count from elsewhere stays inside it.
    model.GridRowCount = std::clamp(model.ParameterRowCount, 1, kRecords + 1);
}

void Parameterwert_in_Par_Text(ParameterModel &model, int language, const QByteArray &rowDesignation,
                               const QByteArray &value)
{
    // An empty designation (a title or gap row) would match an unused record.
    if (rowDesignation.isEmpty())
        return;
    auto &half = model.Records[tableLanguage(language)];
    for (int record = 1; record <= kGridRows; ++record) {
        if (half[record].Designation == rowDesignation) {
            half[record].Value = cutField(value);
            return;
        }
    }
}

QList<GridRow> relabelledFileRows(const ParameterModel &model, int language, const QList<GridRow> &rows)
{
    // The file was saved in whichever language; the drive's list knows the
    // parameters it lists in both.
    const auto &half = model.Records[tableLanguage(language)];
    QList<GridRow> relabelled = rows;
    for (GridRow &row : relabelled) {
        if (row[ColDesignation].isEmpty())
            continue;
        for (int record = 1; record <= kGridRows; ++record) {
            if (half[record].Designation == row[ColDesignation]) {
                if (!half[record].Description.isEmpty())
                    row[ColDescription] = half[record].Description;
                break;
            }
        }
    }
    return relabelled;
}

void showFileRows(ParameterModel &model, int language, const QList<GridRow> &rows)
{
    const QList<GridRow> shown = relabelledFileRows(model, language, rows);
    const int count = std::min(int(shown.size()), kGridRows);
    for (int row = 1; row <= kRecords; ++row)
        model.Grid[row] = row <= count ? shown[row - 1] : GridRow {};
    recordMaskRows(model);
    model.GridRowCount = count + 1;
}

void showFileBasicView(ParameterModel &model, int language, const TextTable &texts, const QList<GridRow> &rows)
{
    const QList<GridRow> shown = relabelledFileRows(model, language, rows);
    fillBasicView(model, language, texts, [&shown](const char *designation) {
        for (const GridRow &row : shown) {
            if (row[ColDesignation] == designation)
                return row;
        }
        return GridRow {};
    });
}

std::array<int, 4> gridColumnWidths(int growth, int room)
{
    int used = 0;
    for (const int width : kColumnWidths)
        used += width;
    const int extra = std::max(0, room + std::max(0, growth) - used);
    std::array<int, 4> widths = kColumnWidths;
    widths[ColDescription] += extra - extra / 4;
    widths[ColValue] += extra / 4;
    return widths;
}

} // namespace params
