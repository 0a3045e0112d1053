// SPDX-License-Identifier: GPL-3.0-or-later
// The drive's parameter list as plain data: the two-language record table,
// the grid's cells (the widget only shows them), and the state of a listing.
// Every rule of the parameter subsystem is a function on this data.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <utility>

namespace params {

constexpr int kLanguages = 2;       // 1 German, 2 English
constexpr int kRecords = 200;       // records per language
constexpr int kGridRows = 158;      // parameter rows the grid prepares (rows 1..158)
constexpr int kListingEntries = 159; // listing entries remembered (1..159)
constexpr int kFieldLength = 50;    // a record field holds at most this many characters
constexpr int kDesignationLength = 11; // a remembered listing designation, likewise
constexpr int kKeyParameters = 14;
constexpr int kMaskParameters = 9;  // P1060 .. P1068

// The text cut to what a record field holds.
QByteArray cutField(const QByteArray &text);

// The language index as a table index: 1 German, 2 English; any other value
// (the state never holds one) reads as German rather than off the table.
constexpr int tableLanguage(int language)
{
    return language == 2 ? 2 : 1;
}

struct ParameterRecord {
    QByteArray Description;
    QByteArray Designation;
    QByteArray Unit;
    QByteArray Value;
    bool operator==(const ParameterRecord &) const = default;
};

// [language 1..2][record 1..200]; index 0 of both is unused.
using ParameterRecordTable = std::array<std::array<ParameterRecord, kRecords + 1>, kLanguages + 1>;

// One grid row: description, designation, unit, value.
enum Column { ColDescription = 0, ColDesignation = 1, ColUnit = 2, ColValue = 3 };
using GridRow = std::array<QByteArray, 4>;
// Rows 0 (the header) .. kRecords; the widget shows the first GridRowCount of them.
using GridCells = std::array<GridRow, kRecords + 1>;

// The designations whose rows the manual operation window reads, in the
// order of KeyParameterRows.
enum KeyParameter {
    KeyW, KeyV, KeyA, KeyP1003, KeyP41, KeyP42, KeyP1019, KeyP1020, KeyP1018, KeyP108,
    KeyO1, KeyO2, KeyO3, KeyO4
};
inline constexpr const char *kKeyDesignations[kKeyParameters] = {
    "W", "V", "A", "P1003", "P41", "P42", "P1019", "P1020", "P1018", "P108", "O1", "O2", "O3", "O4"};

struct ParameterModel {
    ParameterRecordTable Records;
    GridCells Grid;
    int GridRowCount = kGridRows;
    // German and English description of each grid row 1..158.
    std::array<std::pair<QByteArray, QByteArray>, kGridRows + 1> RowNamePairs;
    std::array<uint8_t, kKeyParameters> KeyParameterRows {};
    // The designation of each listing entry 1..159, as shown.
    std::array<QByteArray, kListingEntries + 1> ListingDesignations;
    int ListingRow = 1;
    int ListingLineCount = 1;
    int DescriptionCursor = 1;
    int ParameterRowCount = kGridRows + 1;
    int BasicViewSelected = 1;
    int AllViewRowsIndexed = 1;
    std::array<int, kMaskParameters> MaskParameterRows {};
    bool SingleDriveListing = true;
};

} // namespace params
