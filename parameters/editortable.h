// SPDX-License-Identifier: GPL-3.0-or-later
// The value editor of each parameter as data: which editor a parameter number
// opens (numeric entry, option list, bit check boxes, the three option pairs
// of P147, or the confirmation of P1004), its captions and options, how the
// current value selects an option or ticks boxes, and how the choice becomes
// the value text sent to the drive. The window shows what this table says.
#pragma once

#include "parameters/parametermodel.h"
#include "shell/texttable.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <cstdint>
#include <optional>

namespace params {

enum class EditorKind {
    Numeric,    // GroupBox2 with Edit1
    Options,    // RadioGroup1
    Bits,       // GroupBox1 with the check boxes
    ThreePairs, // RadioGroup1 to RadioGroup3 (P147)
    Confirm,    // two questions, then a fixed command (P1004)
};

// A text of the text table, or a literal that is the same in both languages.
struct Label {
    int text = 0;
    const char *literal = nullptr;
};

// Where the options of an option list come from.
enum class OptionSource {
    Listed,          // the labels of the entry
    Inputs,          // "I1" .. "I8"
    OutputsAndFlags, // 16 outputs and flags, each at high and at low level
    Outputs,         // 10 outputs, each at high and at low level
};

// How a selected option and a value text correspond.
enum class ValueMapping {
    Index,        // option i is the value i
    Weighting,    // 0, 64, 2, 66, 1, 17
    ZyntType,     // 1, 2, 6
    IndexPlusOne, // option i is the value i + 1
    Signed,       // the second half of the list holds the negative values
};

// Where the labels of the check boxes come from.
enum class BoxSource {
    Listed,              // the labels of the entry
    ProgramSelection,    // "I1 : max. 2 Progr. / " text 123 " L2" ...
    InputToLabel,        // "I1 -> L1" ...
    ListingDesignations, // the designations of the drive's listing, 16 per mask
    LabelNumbers,        // "L1" ... , 16 per mask
};

constexpr int kMaxListedLabels = 10;

// Help context of the editor control: the parameter number itself, a fixed
// number, or the one the control already has.
constexpr int kHelpOwnNumber = 0;
constexpr int kHelpUnchanged = -1;

// Geometry the window resets to before each opening.
constexpr int kOptionGroupTop = 240;
constexpr int kOptionGroupHeight = 129;
constexpr int kBitGroupTop = 224;
constexpr int kNarrowBoxWidth = 85;  // 16-box layout
constexpr int kWideBoxWidth = 175;   // 8-box layout

struct EditorRule {
    int first = 0; // the entry covers the parameter numbers first .. last
    int last = 0;
    EditorKind kind = EditorKind::Numeric;

    // Options, Bits, ThreePairs
    int hint = 0;                    // text number; 0: no hint (Options clear it)
    int caption = 0;                 // text number
    const char *captionSuffix = "";
    OptionSource options = OptionSource::Listed;
    BoxSource boxes = BoxSource::Listed;
    std::array<Label, kMaxListedLabels> labels {}; // up to the first empty one
    int columns = 1;
    ValueMapping mapping = ValueMapping::Index;
    bool focusOnGroup = false;       // the option group takes the focus

    // Bits
    int boxCount = 0;                // boxes that carry a label
    uint16_t bitsUsed = 0;           // bits the ticked boxes may set
    bool sixteenBoxes = false;
    int widenedBoxes = 0;            // the first boxes get widenedWidth
    int widenedWidth = 0;

    // Group geometry while open; 0: the default one.
    int groupTop = 0;
    int groupHeight = 0;

    int helpContext = kHelpOwnNumber;

    // Numeric: Enter on the grid row re-sends the value; OK takes the entry
    // even when it is empty or the port is closed.
    bool resendOnEnter = false;
    bool takesAnyEntry = false;

    // Confirm: question text, warning text and the command sent on consent.
    int question = 0;
    int warning = 0;
    const char *command = nullptr;
};

// The editor of a parameter number; nullptr: the number opens nothing.
const EditorRule *editorFor(int number);

// The number whose editor a click on a row with this designation opens
// (the designation rule and the number rule); nullopt: the click opens
// nothing ("P0", an empty designation, or one that is neither a "P"
// designation nor one of "V", "W", "A", "B").
std::optional<int> clickedParameterNumber(const QByteArray &designation);

// The help context the grid takes after a click on a row with this designation.
int gridHelpContext(const QByteArray &designation);

// The help context of the editor control for a parameter number; nullopt:
// leave it as it is.
std::optional<int> editorHelpContext(int number);

// What Enter on a grid row sends: the assignment "P" number "=" value (without
// address and line end), or nullopt when the row is not re-sent. The caller
// still checks that the key was Enter, the drive is connected and the port open.
std::optional<QByteArray> resendAssignment(const QByteArray &designation, const QByteArray &value);

// The text of a text number in a language (any language but 2 reads as
// German); empty for a number out of range.
QByteArray text(const TextTable &texts, int language, int number);
QByteArray labelText(const Label &label, const TextTable &texts, int language);

// Texts of an editor in a language.
QByteArray captionText(const EditorRule &rule, const TextTable &texts, int language);
QByteArray hintText(const EditorRule &rule, const TextTable &texts, int language); // empty: clear the hint

// Option lists (kind Options).
int optionCount(const EditorRule &rule);
QList<QByteArray> optionTexts(const EditorRule &rule, const TextTable &texts, int language);
bool showsPanel2(const EditorRule &rule); // the output lists

// The current value of a parameter read as a number: decimal, blanks around
// it ignored; nullopt for anything else.
std::optional<int> valueNumber(const QByteArray &valueText);

// The option selected when the editor opens on this value text; nullopt: none.
std::optional<int> optionForValue(const EditorRule &rule, const QByteArray &valueText);

// The value text of a selected option; nullopt when the index is no option
// (nothing selected): then there is nothing to store or send.
std::optional<QByteArray> valueForOption(const EditorRule &rule, int index);

// Bit sets (kind Bits). Boxes are named by their check box number: 1 to 8
// carry bits 0 to 7, 10 to 17 bits 8 to 15; 0 and 9 are unused.
using CheckBoxes = std::array<bool, 18>;

// The labels of the boxes in box order (bit 0 first), boxCount of them.
// listing: the designations of the drive's listing entries 1..159.
QList<QByteArray> boxLabels(const EditorRule &rule, int number, const TextTable &texts, int language,
                            const std::array<QByteArray, kListingEntries + 1> &listing);

// The flags a value text stands for: its low 16 bits; 0 when it is no number.
uint16_t valueFlags(const QByteArray &valueText);

// checkbox_werte: every box cleared, then box k ticked for each set bit k.
CheckBoxes checkbox_werte(uint16_t flags);
int checkBoxOfBit(int bit);          // 1..8, 10..17; 0 for no bit of the set
uint16_t tickedFlags(const CheckBoxes &boxes);

// The value text of the ticked boxes: the sum of the bits the editor uses.
QByteArray bitSetValue(const EditorRule &rule, const CheckBoxes &boxes);

// P147: three option pairs.
struct PairGroup {
    QByteArray hint;    // group 1 only
    QByteArray caption;
    std::array<QByteArray, 2> options;
};
constexpr int kPairGroupTop = 224;    // RadioGroup1 while P147 is open
constexpr int kPairGroupHeight = 49;
std::array<PairGroup, 3> threePairGroups(const TextTable &texts, int language);
// The options selected for a value text: bits 0, 1, 2 of a value 0..7;
// the first option of all three for anything else.
std::array<int, 3> threePairSelection(const QByteArray &valueText);
// group1 + 2 x group2 + 4 x group3; nullopt when a group has no option selected.
std::optional<QByteArray> threePairValue(const std::array<int, 3> &selection);

// An entry a numeric editor must refuse: text that is no number ("abc",
// "12a", "1,5"). A number is an optional "-", digits and an optional "."
// with digits, blanks around it allowed. Editors that take any entry, and
// an empty entry (which takes nothing anyway), are no refusal.
bool refusesNumericEntry(const EditorRule &rule, const QByteArray &entry);

// The value a numeric entry gives on OK; nullopt: nothing to store or send.
// connected: the drive-connected flag; portOpen: the serial port is open.
std::optional<QByteArray> numericEntryValue(const EditorRule &rule, const QByteArray &entry, bool connected,
                                            bool portOpen);

} // namespace params
