// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/editortable.h"

#include "parameters/designations.h"

#include <algorithm>
#include <iterator>

namespace params {

namespace {

using enum EditorKind;
using enum ValueMapping;

constexpr Label T(int number) { return {number, nullptr}; }
constexpr Label L(const char *literal) { return {0, literal}; }

// Texts first .. last in order.
constexpr std::array<Label, kMaxListedLabels> textRange(int first, int last)
{
    std::array<Label, kMaxListedLabels> labels {};
    for (int n = first; n <= last && n - first < kMaxListedLabels; ++n)
        labels[size_t(n - first)] = T(n);
    return labels;
}

constexpr EditorRule numeric(int first, int last, bool resend = true)
{
    EditorRule rule;
    rule.first = first;
    rule.last = last;
    rule.kind = Numeric;
    rule.resendOnEnter = resend;
    return rule;
}

// Sorted by number. Numbers between the entries open nothing.
constexpr EditorRule kEditors[] = {
    numeric(0, 0),
    numeric(41, 42),
    {.first = 44, .last = 44, .kind = Options, .hint = 78, .caption = 79, .labels = textRange(80, 85),
     .mapping = Weighting, .focusOnGroup = true},
    numeric(47, 47),
    numeric(51, 51),
    {.first = 76, .last = 76, .kind = Options, .hint = 78, .caption = 86, .labels = textRange(87, 92),
     .mapping = Weighting, .focusOnGroup = true},
    numeric(91, 91),
    numeric(100, 103),
    numeric(108, 108),
    numeric(121, 123),
    numeric(138, 138),
    {.first = 147, .last = 147, .kind = ThreePairs, .hint = 100, .caption = 101,
     .labels = {L("Positiv"), L("Negativ"), T(166), T(167), T(168), T(169)}, .groupTop = kPairGroupTop,
     .groupHeight = kPairGroupHeight},
    {.first = 160, .last = 160, .kind = Options, .hint = 78, .caption = 93, .labels = textRange(94, 99),
     .mapping = Weighting, .focusOnGroup = true},
    {.first = 1001, .last = 1001, .kind = Options, .caption = 216, .labels = {T(131), T(217), T(218), T(219)}},
    // Shown like every numeric parameter and written with the value typed,
    // as the write-back writes it from a file.
    numeric(1002, 1002, false),
    numeric(1003, 1003),
    {.first = 1004, .last = 1004, .kind = Confirm, .question = 102, .warning = 103, .command = "P1004=3"},
    numeric(1005, 1008),
    {.first = 1009, .last = 1009, .kind = Options, .hint = 104, .caption = 105,
     .labels = {L("Sinus"), L("QM56/QM87"), L("Sinus*Sinus"), L("QM107")}},
    numeric(1010, 1010),
    {.first = 1011, .last = 1011, .kind = Bits, .caption = 106, .labels = textRange(107, 109), .boxCount = 3,
     .bitsUsed = 0x0007, .widenedBoxes = 3, .widenedWidth = 205, .groupTop = 304, .groupHeight = 64},
    numeric(1012, 1012),
    {.first = 1014, .last = 1014, .kind = Options, .hint = 124, .caption = 110,
     .labels = {T(111), T(112), T(113), T(197)}},
    {.first = 1017, .last = 1017, .kind = Options, .caption = 114,
     .labels = {L("RS232/V24 - Pins 2,3,5,7,8"), L("RS232 - Pins 2,3,5"), L("RS485 - Pins 2,3,5")}},
    numeric(1018, 1020),
    {.first = 1021, .last = 1021, .kind = Bits, .caption = 115,
     .labels = {T(116), T(117), T(118), T(119), T(120), T(121), L("I7 : STOP"), L("I8 : START Programm")},
     .boxCount = 8, .bitsUsed = 0x00ff, .groupHeight = 145},
    {.first = 1022, .last = 1022, .kind = Bits, .caption = 122, .boxes = BoxSource::ProgramSelection,
     .boxCount = 6, .bitsUsed = 0x003f, .groupHeight = 114},
    {.first = 1023, .last = 1023, .kind = Options, .hint = 125, .caption = 126, .labels = {T(127), T(128)}},
    numeric(1024, 1024),
    {.first = 1025, .last = 1025, .kind = Options, .hint = 129, .caption = 130, .captionSuffix = " 1",
     .options = OptionSource::OutputsAndFlags, .columns = 2, .mapping = Signed},
    numeric(1026, 1026),
    {.first = 1027, .last = 1027, .kind = Options, .hint = 129, .caption = 130, .captionSuffix = " 2",
     .options = OptionSource::OutputsAndFlags, .columns = 2, .mapping = Signed, .helpContext = 1025},
    {.first = 1029, .last = 1029, .kind = Options, .caption = 173, .labels = {T(131), T(174), T(175), T(192)}},
    numeric(1030, 1030),
    {.first = 1032, .last = 1032, .kind = Options, .hint = 135, .caption = 136, .labels = {T(137), L("Sinus")}},
    {.first = 1033, .last = 1033, .kind = Options, .caption = 138, .labels = {T(139), T(140), T(190)}},
    {.first = 1034, .last = 1034, .kind = Options, .caption = 224,
     .labels = {L("ZYNT 01"), L("ZYNT 02"), L("ZYNT 06 / ZYNT 12")}, .mapping = ZyntType},
    {.first = 1036, .last = 1036, .kind = Options, .hint = 141, .caption = 142, .options = OptionSource::Outputs,
     .columns = 2, .mapping = Signed},
    numeric(1037, 1037),
    numeric(1039, 1041),
    numeric(1044, 1044),
    {.first = 1045, .last = 1045, .kind = Options, .caption = 143, .options = OptionSource::Inputs, .columns = 2,
     .mapping = IndexPlusOne},
    {.first = 1053, .last = 1053, .kind = Options, .caption = 179,
     .labels = {T(131), T(180), T(181), T(182), T(183), T(184), T(185), T(186), T(187), T(228)}, .groupTop = 190,
     .groupHeight = 179},
    numeric(1054, 1055),
    {.first = 1058, .last = 1058, .kind = Options, .caption = 189, .labels = {T(131), T(188)}},
    numeric(1059, 1059),
    {.first = 1060, .last = 1068, .kind = Bits, .caption = 144, .boxes = BoxSource::ListingDesignations,
     .boxCount = 16, .bitsUsed = 0xffff, .sixteenBoxes = true, .groupHeight = 145, .resendOnEnter = true},
    {.first = 1070, .last = 1073, .kind = Bits, .caption = 145, .boxes = BoxSource::LabelNumbers, .boxCount = 16,
     .bitsUsed = 0xffff, .sixteenBoxes = true, .groupHeight = 145, .resendOnEnter = true},
    numeric(1080, 1085, false),
    {.first = 1092, .last = 1092, .kind = Options, .caption = 205, .labels = {T(131), T(206)}},
    {.first = 1093, .last = 1093, .kind = Options, .caption = 207, .labels = {T(208), T(209)}},
    {.first = 1094, .last = 1094, .kind = Options, .caption = 210, .labels = {T(211), T(212)}},
    {.first = 1095, .last = 1095, .kind = Options, .caption = 213, .labels = {T(214), T(215)}},
    {.first = 1096, .last = 1096, .kind = Numeric, .takesAnyEntry = true},
    {.first = 1098, .last = 1098, .kind = Bits, .caption = 198, .boxes = BoxSource::InputToLabel, .boxCount = 8,
     .bitsUsed = 0x00ff, .groupHeight = 145},
    {.first = 1101, .last = 1103, .kind = Options, .caption = 221, .labels = {T(133), T(132)}, .helpContext = 1201},
    {.first = 1117, .last = 1117, .kind = Options, .caption = 199, .labels = {T(200), T(201)}},
    {.first = 1121, .last = 1121, .kind = Options, .caption = 202, .labels = {T(203), T(204)}},
    {.first = 1125, .last = 1125, .kind = Options, .caption = 226, .options = OptionSource::Outputs, .columns = 2,
     .mapping = Signed, .helpContext = kHelpUnchanged},
    {.first = 1126, .last = 1126, .kind = Options, .caption = 227, .options = OptionSource::Outputs, .columns = 2,
     .mapping = Signed, .helpContext = kHelpUnchanged},
    {.first = 1201, .last = 1216, .kind = Options, .caption = 220, .labels = {T(133), T(132)}, .helpContext = 1201},
};

constexpr bool sortedAndDisjoint()
{
    for (size_t i = 0; i < std::size(kEditors); ++i) {
        if (kEditors[i].first > kEditors[i].last)
            return false;
        if (i > 0 && kEditors[i].first <= kEditors[i - 1].last)
            return false;
    }
    return true;
}
static_assert(sortedAndDisjoint(), "every number has at most one editor");

// P147: captions of the second and third option pair; their options follow
// the two of the first pair in the entry's labels.
constexpr int kPairCaptions[2] = {164, 165};

constexpr int kWeightings[] = {0, 64, 2, 66, 1, 17};
// Options count from 0 here as in every list: a weighting the list lacks
// opens at the third option, the value 2.
constexpr int kWeightingDefaultOption = 2;
constexpr int kZyntTypes[] = {1, 2, 6};
constexpr int kInputCount = 8;
constexpr int kBitsPerSet = 16;

// Help contexts the grid takes from a designation: a prefix or the whole text.
struct GridHelp {
    const char *designation;
    bool prefix;
    int context;
};
constexpr GridHelp kGridHelp[] = {
    {"R", true, 1080}, {"D", true, 1100}, {"O", true, 1201}, {"A", false, 138},
    {"V", false, 91},  {"W", false, 47},  {"B", false, 1096},
};
constexpr int kGridHelpOther = 2;

int listedCount(const EditorRule &rule)
{
    int count = 0;
    while (count < kMaxListedLabels && (rule.labels[size_t(count)].text || rule.labels[size_t(count)].literal))
        ++count;
    return count;
}

int half(const EditorRule &rule)
{
    return optionCount(rule) / 2;
}

// The output lists: "off", the outputs (and for the 16-option list the
// flags) at high level, then the same at low level. The outputs of the low
// half are spelled "O1: ", without the blank of the high half.
QList<QByteArray> outputOptions(bool withFlags, const TextTable &table, int language)
{
    const QByteArray off = text(table, language, 131);
    const QByteArray high = text(table, language, 132);
    const QByteArray low = text(table, language, 133);
    const QByteArray flag = text(table, language, 134);
    QList<QByteArray> options;
    auto addHalf = [&](const char *outputSeparator, const QByteArray &level) {
        options << off;
        for (int output = 1; output <= 4; ++output)
            options << 'O' + QByteArray::number(output) + outputSeparator + level;
        if (withFlags) {
            for (int marker = 1; marker <= 3; ++marker)
                options << flag + QByteArray::number(marker) + " : " + level;
        }
    };
    addHalf(" : ", high);
    addHalf(": ", low);
    return options;
}

bool isBlank(const QByteArray &text)
{
    return text.trimmed().isEmpty();
}

} // namespace

const EditorRule *editorFor(int number)
{
    const auto found = std::find_if(std::begin(kEditors), std::end(kEditors),
                                    [number](const EditorRule &rule) { return number <= rule.last; });
    if (found == std::end(kEditors) || number < found->first)
        return nullptr;
    return found;
}

std::optional<int> clickedParameterNumber(const QByteArray &designation)
{
    if (designation == "P0")
        return std::nullopt;
    const bool opens = designation.startsWith('P') || designation == "V" || designation == "W" ||
                       designation == "A" || designation == "B";
    if (!opens)
        return std::nullopt;
    return parameterNumber(designation);
}

int gridHelpContext(const QByteArray &designation)
{
    for (const GridHelp &rule : kGridHelp) {
        if (rule.prefix ? designation.startsWith(rule.designation) : designation == rule.designation)
            return rule.context;
    }
    return kGridHelpOther;
}

std::optional<int> editorHelpContext(int number)
{
    const EditorRule *rule = editorFor(number);
    if (!rule || rule->helpContext == kHelpOwnNumber)
        return number;
    if (rule->helpContext == kHelpUnchanged)
        return std::nullopt;
    return rule->helpContext;
}

std::optional<QByteArray> resendAssignment(const QByteArray &designation, const QByteArray &value)
{
    if (designation == "P0" || value.isEmpty())
        return std::nullopt;
    if (!designation.startsWith('P') && designation != "A" && designation != "V" && designation != "W")
        return std::nullopt;
    const EditorRule *rule = editorFor(parameterNumber(designation));
    if (!rule || !rule->resendOnEnter)
        return std::nullopt;
    // Sent under the plain number, as OK and the write-back send it, not
    // under the shown form "P47 (W)".
    QByteArray plain = designation;
    Parameter_wert_check(plain);
    return plain + '=' + value;
}

QByteArray text(const TextTable &texts, int language, int number)
{
    if (number < 1 || number > texts::kTexts)
        return {};
    return texts[size_t(tableLanguage(language))][size_t(number)];
}

QByteArray labelText(const Label &label, const TextTable &texts, int language)
{
    return label.literal ? QByteArray(label.literal) : text(texts, language, label.text);
}

QByteArray captionText(const EditorRule &rule, const TextTable &texts, int language)
{
    if (!rule.caption)
        return {};
    return text(texts, language, rule.caption) + rule.captionSuffix;
}

QByteArray hintText(const EditorRule &rule, const TextTable &texts, int language)
{
    return rule.hint ? text(texts, language, rule.hint) : QByteArray();
}

int optionCount(const EditorRule &rule)
{
    if (rule.kind != Options)
        return 0;
    switch (rule.options) {
    case OptionSource::Listed: return listedCount(rule);
    case OptionSource::Inputs: return kInputCount;
    case OptionSource::OutputsAndFlags: return 16;
    case OptionSource::Outputs: return 10;
    }
    return 0;
}

QList<QByteArray> optionTexts(const EditorRule &rule, const TextTable &texts, int language)
{
    QList<QByteArray> options;
    if (rule.kind != Options)
        return options;
    switch (rule.options) {
    case OptionSource::Listed:
        for (int i = 0; i < listedCount(rule); ++i)
            options << labelText(rule.labels[size_t(i)], texts, language);
        break;
    case OptionSource::Inputs:
        for (int input = 1; input <= kInputCount; ++input)
            options << 'I' + QByteArray::number(input);
        break;
    case OptionSource::OutputsAndFlags:
        options = outputOptions(true, texts, language);
        break;
    case OptionSource::Outputs:
        options = outputOptions(false, texts, language);
        break;
    }
    return options;
}

bool showsPanel2(const EditorRule &rule)
{
    return rule.kind == Options &&
           (rule.options == OptionSource::OutputsAndFlags || rule.options == OptionSource::Outputs);
}

std::optional<int> valueNumber(const QByteArray &valueText)
{
    bool ok = false;
    const int value = valueText.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<int> optionForValue(const EditorRule &rule, const QByteArray &valueText)
{
    const int count = optionCount(rule);
    const std::optional<int> value = valueNumber(valueText);
    if (count == 0 || !value)
        return std::nullopt;
    const long long v = *value;
    long long index = v;
    switch (rule.mapping) {
    case Index:
        break;
    case Weighting: {
        const auto found = std::find(std::begin(kWeightings), std::end(kWeightings), v);
        index = found == std::end(kWeightings) ? kWeightingDefaultOption : found - std::begin(kWeightings);
        break;
    }
    case ZyntType: {
        const auto found = std::find(std::begin(kZyntTypes), std::end(kZyntTypes), v);
        if (found != std::end(kZyntTypes))
            index = found - std::begin(kZyntTypes);
        break;
    }
    case IndexPlusOne:
        index = v - 1;
        break;
    case Signed:
        index = v < 0 ? half(rule) - v : v;
        break;
    }
    if (index < 0)
        return std::nullopt;
    return int(std::min<long long>(index, count - 1));
}

std::optional<QByteArray> valueForOption(const EditorRule &rule, int index)
{
    if (index < 0 || index >= optionCount(rule))
        return std::nullopt;
    switch (rule.mapping) {
    case Index:
        return QByteArray::number(index);
    case Weighting:
        return QByteArray::number(kWeightings[index]);
    case ZyntType:
        return QByteArray::number(kZyntTypes[index]);
    case IndexPlusOne:
        return QByteArray::number(index + 1);
    case Signed:
        if (index < half(rule))
            return QByteArray::number(index);
        if (index == half(rule))
            return QByteArrayLiteral("0");
        return '-' + QByteArray::number(index - half(rule));
    }
    return std::nullopt;
}

QList<QByteArray> boxLabels(const EditorRule &rule, int number, const TextTable &texts, int language,
                            const std::array<QByteArray, kListingEntries + 1> &listing)
{
    QList<QByteArray> labels;
    if (rule.kind != Bits || number < rule.first || number > rule.last)
        return labels;
    const int mask = number - rule.first; // the 16 boxes of mask m cover entries 16m + 1 .. 16m + 16
    for (int box = 1; box <= rule.boxCount; ++box) {
        switch (rule.boxes) {
        case BoxSource::Listed:
            labels << labelText(rule.labels[size_t(box - 1)], texts, language);
            break;
        case BoxSource::ProgramSelection: {
            const QByteArray programs = QByteArray::number(1 << box);
            labels << 'I' + QByteArray::number(box) + " : max. " + programs + " Progr. / " +
                          text(texts, language, 123) + " L" + programs;
            break;
        }
        case BoxSource::InputToLabel:
            labels << 'I' + QByteArray::number(box) + " -> L" + QByteArray::number(box);
            break;
        case BoxSource::ListingDesignations: {
            const int entry = kBitsPerSet * mask + box;
            labels << (entry <= kListingEntries ? listing[size_t(entry)] : QByteArray());
            break;
        }
        case BoxSource::LabelNumbers:
            labels << 'L' + QByteArray::number(kBitsPerSet * mask + box);
            break;
        }
    }
    return labels;
}

uint16_t valueFlags(const QByteArray &valueText)
{
    // The boxes hold 16 bits; a negative value shows its low 16 bits, as the
    // drive stores it.
    return uint16_t(valueNumber(valueText).value_or(0));
}

int checkBoxOfBit(int bit)
{
    if (bit < 0 || bit >= kBitsPerSet)
        return 0;
    return bit < 8 ? bit + 1 : bit + 2;
}

CheckBoxes checkbox_werte(uint16_t flags)
{
    CheckBoxes boxes {};
    for (int bit = 0; bit < kBitsPerSet; ++bit) {
        if (flags & (1u << bit))
            boxes[size_t(checkBoxOfBit(bit))] = true;
    }
    return boxes;
}

uint16_t tickedFlags(const CheckBoxes &boxes)
{
    uint16_t flags = 0;
    for (int bit = 0; bit < kBitsPerSet; ++bit) {
        if (boxes[size_t(checkBoxOfBit(bit))])
            flags |= uint16_t(1u << bit);
    }
    return flags;
}

QByteArray bitSetValue(const EditorRule &rule, const CheckBoxes &boxes)
{
    return QByteArray::number(tickedFlags(boxes) & rule.bitsUsed);
}

std::array<PairGroup, 3> threePairGroups(const TextTable &texts, int language)
{
    const EditorRule &rule = *editorFor(147);
    std::array<PairGroup, 3> groups;
    groups[0].hint = hintText(rule, texts, language);
    groups[0].caption = captionText(rule, texts, language);
    groups[1].caption = text(texts, language, kPairCaptions[0]);
    groups[2].caption = text(texts, language, kPairCaptions[1]);
    for (size_t group = 0; group < groups.size(); ++group) {
        for (size_t option = 0; option < 2; ++option)
            groups[group].options[option] = labelText(rule.labels[2 * group + option], texts, language);
    }
    return groups;
}

std::array<int, 3> threePairSelection(const QByteArray &valueText)
{
    const int value = valueNumber(valueText).value_or(-1);
    if (value < 0 || value > 7)
        return {0, 0, 0};
    return {value & 1, (value >> 1) & 1, (value >> 2) & 1};
}

std::optional<QByteArray> threePairValue(const std::array<int, 3> &selection)
{
    int value = 0;
    for (size_t group = 0; group < selection.size(); ++group) {
        if (selection[group] != 0 && selection[group] != 1)
            return std::nullopt;
        value += selection[group] << group;
    }
    return QByteArray::number(value);
}

bool refusesNumericEntry(const EditorRule &rule, const QByteArray &entry)
{
    if (rule.kind != Numeric || rule.takesAnyEntry || isBlank(entry))
        return false;
    const QByteArray text = entry.trimmed();
    qsizetype i = text.startsWith('-') ? 1 : 0;
    const qsizetype digitsFrom = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    bool digits = i > digitsFrom;
    if (i < text.size() && text[i] == '.') {
        const qsizetype fractionFrom = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == fractionFrom)
            return true; // "5." is no number the drive writes
        digits = true;
    }
    return !digits || i != text.size();
}

std::optional<QByteArray> numericEntryValue(const EditorRule &rule, const QByteArray &entry, bool connected,
                                            bool portOpen)
{
    if (rule.kind != Numeric)
        return std::nullopt;
    if (rule.takesAnyEntry || !connected)
        return entry;
    // An empty entry, or one that cannot reach the drive, would wipe the
    // shown value and send an empty assignment: nothing is taken then.
    if (!portOpen || isBlank(entry))
        return std::nullopt;
    return entry;
}

} // namespace params
