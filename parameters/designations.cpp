// SPDX-License-Identifier: GPL-3.0-or-later
#include "parameters/designations.h"

#include <QList>

#include <iterator>

namespace params {

namespace {

struct ShortName {
    const char *listed;
    const char *shown;
};

// Exact designations the drive lists under a short name.
const ShortName kShortNames[] = {
    {"W", "P47 (W)"},       {"V", "P91 (V)"},       {"A", "P138 (A)"},      {"C1", "P100 (C1)"},
    {"C2", "P101 (C2)"},    {"C3", "P102 (C3)"},    {"R0", "P1080 (R0)"},   {"R1", "P1081 (R1)"},
    {"R2", "P1082 (R2)"},   {"R3", "P1083 (R3)"},   {"R4", "P1084 (R4)"},   {"R5", "P1085 (R5)"},
    {"B", "P1096 (B)"},     {"M1", "P1101 (M1)"},   {"M2", "P1102 (M2)"},   {"M3", "P1103 (M3)"},
    {"LP", "P1042 (LP)"},   {"X", "P1047 (X)"},     {"ADC", "P1046 (ADC)"}, {"POS", "P336 (POS)"},
    {"D", "P1100 (D)"},     {"O1", "P1201 (O1)"},   {"O2", "P1202 (O2)"},   {"O3", "P1203 (O3)"},
    {"O4", "P1204 (O4)"},   {"O5", "P1205 (O5)"},   {"O6", "P1206 (O6)"},   {"O7", "P1207 (O7)"},
    {"O8", "P1208 (O8)"},   {"O9", "P1209 (O9)"},   {"O10", "P1210 (O10)"}, {"O11", "P1211 (O11)"},
    {"O12", "P1212 (O12)"}, {"O13", "P1213 (O13)"}, {"O14", "P1214 (O14)"}, {"O15", "P1215 (O15)"},
    {"O16", "P1216 (O16)"},
};

// Parts of a designation that hide its row.
const char *const kHidingParts[] = {"WA", "WR", "WP", "P1099", "P1097", "P1013", "Z"};

// A designation containing "contains" (and none of "unless") becomes "number".
// The order matters: "P138 (A)" must meet "A" before "ADC" or "D" are tried,
// and only the first rule that applies is taken.
struct NumberRule {
    const char *contains;
    const char *unless;
    const char *number;
};
const NumberRule kNumberRules[] = {
    {"W", nullptr, "P47"},     {"V", nullptr, "P91"},     {"A", "ADC", "P138"},      {"B", nullptr, "P1096"},
    {"C1", nullptr, "P100"},   {"C2", nullptr, "P101"},   {"C3", nullptr, "P102"},   {"POS", nullptr, "P336"},
    {"ADC", nullptr, "P1046"}, {"D", nullptr, "P1100"},   {"LP", nullptr, "P1042"},  {"X", nullptr, "P1047"},
    {"R0", nullptr, "P1080"},  {"R1", nullptr, "P1081"},  {"R2", nullptr, "P1082"},  {"R3", nullptr, "P1083"},
    {"R4", nullptr, "P1084"},  {"R5", nullptr, "P1085"},  {"M1", nullptr, "P1101"},  {"M2", nullptr, "P1102"},
    {"M3", nullptr, "P1103"},  {"P1201", nullptr, "P1201"}, {"O2", nullptr, "P1202"}, {"O3", nullptr, "P1203"},
    {"O4", nullptr, "P1204"},  {"O5", nullptr, "P1205"},  {"O6", nullptr, "P1206"},  {"O7", nullptr, "P1207"},
    {"O8", nullptr, "P1208"},  {"O9", nullptr, "P1209"},  {"O10", nullptr, "P1210"}, {"O11", nullptr, "P1211"},
    {"O12", nullptr, "P1212"}, {"O13", nullptr, "P1213"}, {"O14", nullptr, "P1214"}, {"O15", nullptr, "P1215"},
    {"O16", nullptr, "P1216"},
};

} // namespace

QByteArray displayDesignation(const QByteArray &listed)
{
    for (const ShortName &name : kShortNames) {
        if (listed == name.listed)
            return name.shown;
    }
    return listed;
}

void check_Parameter(QByteArray &designation, int row, std::array<uint8_t, kKeyParameters> &keyRows)
{
    for (int key = 0; key < kKeyParameters; ++key) {
        if (designation == kKeyDesignations[key]) {
            keyRows[size_t(key)] = uint8_t(row);
            break;
        }
    }
    designation = displayDesignation(designation);
}

bool isHiddenDesignation(const QByteArray &designation)
{
    if (designation.size() <= 2 && designation.contains("P2"))
        return true;
    for (const char *part : kHidingParts) {
        if (designation.contains(part))
            return true;
    }
    return false;
}

void check2_Parameter(const QByteArray &designation, int &row)
{
    if (!isHiddenDesignation(designation))
        ++row;
}

void Parameter_wert_check(QByteArray &designation)
{
    for (const NumberRule &rule : kNumberRules) {
        if (designation.contains(rule.contains) && !(rule.unless && designation.contains(rule.unless))) {
            designation = rule.number;
            return;
        }
    }
}

int parameterNumber(const QByteArray &designation)
{
    QByteArray plain = designation;
    Parameter_wert_check(plain);
    bool ok = false;
    const int number = plain.mid(1).toInt(&ok, 10);
    return ok ? number : 0;
}

} // namespace params
