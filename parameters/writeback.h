// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the whole grid back to the drive: which rows become assignments,
// in which order, and which parameter a failed assignment was about.
#pragma once

#include "parameters/parametermodel.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace params {

// The assignments ("P41=1000", without address and line end) for the grid's
// rows 1, 2, ... in grid order. Rows of status values, of read-only and
// hidden parameters, of outputs and rows with an empty designation or value
// are skipped; the batch ends after the row whose next row has no
// description, or at row ParameterRowCount.
QList<QByteArray> writeBackAssignments(const GridCells &cells, int ParameterRowCount);

// True when a row with this plain designation and value is not written.
bool skippedOnWriteBack(const QByteArray &plainDesignation, const QByteArray &value);

// The parameter a queued assignment was about, for the message when the
// drive rejects it: "#1P41=1000\r" names P41 with the value 1000. nullopt for
// a command that assigns no parameter ("TROFF", "s", "psave").
struct FailedAssignment {
    QByteArray parameter; // "P41"
    int number = 0;       // 41
    QByteArray value;     // "1000"
};
std::optional<FailedAssignment> failedAssignment(const QByteArray &command);

} // namespace params
