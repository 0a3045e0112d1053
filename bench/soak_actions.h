// SPDX-License-Identifier: GPL-3.0-or-later
// What the soak's user reaches and does: the controls it may use (shown,
// enabled, nothing modal in front), and one function per kind of action.
// Each returns whether the window offers the action now and, when run is
// set, takes it, noting in the step what the drive may take for it.
#pragma once

#include "bench/soak_user.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QAction;
class QTableWidget;
class QWidget;

namespace soak {

class SoakLine;

struct ActionContext {
    TForm1 *f;
    QRandomGenerator &rng;
    StepNotes &notes;
    QString folder;
    QString &nextFile;
    SoakLine *line;                     // the cable, for what is done while it is out
    QObject *owner;                     // of the timers that plug it back
    QList<QByteArray> before;           // the drive's program when the step began
    std::function<void()> stopPressed;  // the user presses the manual window's Stop now

    int pick(int n) { return n <= 0 ? 0 : int(rng.bounded(quint32(n))); }
    bool coin() { return rng.bounded(2u) == 1; }
};

bool nothingModal();
bool usable(const QWidget *w);
bool usable(const QAction *a);
void click(QAbstractButton *b);
QByteArray cellText(QTableWidget *grid, int row, int column);
// The grid shows a parameter known by two names as "P1084 (R4)": the
// first is the one it is written under.
QByteArray designationName(const QByteArray &cell);
void clickCell(QTableWidget *grid, int row, int column);
QStringList filesWith(const QString &folder, const QString &suffix);
// The connect sequence that an address choice or a search starts.
void allowConnect(Allowance &a);
// Leaving trace mode (before a load, on closing the editor) stops the drive.
void allowTraceEnd(Allowance &a);
// A program write of what the grid shows: its lines noted as written, and
// what the drive may take for it (the backup too, which a cut write's
// offer may write back).
QList<QByteArray> notedWrite(ActionContext &c);

// Parameters and the program.
bool readList(ActionContext &c, bool run);
bool editValue(ActionContext &c, bool run);
bool saveParameters(ActionContext &c, bool run);
bool loadParameters(ActionContext &c, bool run);
bool writeBack(ActionContext &c, bool run);
bool permanentSave(ActionContext &c, bool run);
bool readProgram(ActionContext &c, bool run);
bool openProgramEditor(ActionContext &c, bool run);
bool editProgramLine(ActionContext &c, bool run);
bool insertLine(ActionContext &c, bool run);
bool deleteLine(ActionContext &c, bool run);
bool writeProgram(ActionContext &c, bool run);
bool saveProgram(ActionContext &c, bool run);
bool loadProgram(ActionContext &c, bool run);
bool execution(ActionContext &c, bool run);
bool executeLine(ActionContext &c, bool run);

// The manual window, the terminal, the link and the language.
bool openManual(ActionContext &c, bool run);
bool closeManual(ActionContext &c, bool run);
bool manual(ActionContext &c, bool run);
bool output(ActionContext &c, bool run);
bool override(ActionContext &c, bool run);
bool openTerminal(ActionContext &c, bool run);
bool typeInTerminal(ActionContext &c, bool run);
bool stopStartPoll(ActionContext &c, bool run);
bool closeTerminal(ActionContext &c, bool run);
bool chooseAddress(ActionContext &c, bool run);
bool search(ActionContext &c, bool run);
bool language(ActionContext &c, bool run);

// While the cable is out or a write is under way.
bool addressWhileSilent(ActionContext &c, bool run);
bool configureCancelled(ActionContext &c, bool run);
bool closeDuringWrite(ActionContext &c, bool run);
bool stopDuringLoss(ActionContext &c, bool run);

} // namespace soak
