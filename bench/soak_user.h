// SPDX-License-Identifier: GPL-3.0-or-later
// The soak's user: acts through the real widgets of the main window and the
// manual window, only on controls that are shown and enabled, and answers
// what the program asks (message boxes, the overwrite question, the
// comparison before a write-back, a drive's error). Each action says what
// it may change on the drive.
#pragma once

#include "bench/soak_invariants.h"

#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QObject;
class TForm1;

namespace soak {

// What one step of the user did, for the invariants and the report.
struct StepNotes {
    Allowance allowed;                           // what the drive may take for it
    std::optional<QList<QByteArray>> programWritten; // the lines a program write sent
    QStringList told;                            // what the program said meanwhile
    QStringList answers;                         // how the user answered
    QString detail;                              // what exactly was done
    bool windowClosed = false;                   // the user closed the main window: it starts again
};

class SoakLine;

class User {
public:
    User(TForm1 *form, QString folder);
    // The main window started again.
    void setForm(TForm1 *form) { m_form = form; }

    static int kindCount();
    static const char *kindName(int kind);
    static bool startsTransfer(int kind);
    // A kind drawn by how often a user does it.
    static int drawKind(QRandomGenerator &rng);

    // The action of this kind, when the window offers it now; false (and
    // nothing done) when its control is hidden or disabled.
    // line: the cable, pulled by actions done while it is out (owner owns
    // its timers); before: the drive's program when the step began;
    // stopPressed: called as the user presses the manual window's Stop.
    bool act(int kind, QRandomGenerator &rng, StepNotes &notes, SoakLine *line, QObject *owner,
             const QList<QByteArray> &before, const std::function<void()> &stopPressed);

    // Answers what waits for the user; called every few milliseconds, with
    // the step's generator for the choices. True when something waits.
    bool answerWaiting(QRandomGenerator &rng, StepNotes &notes, qint64 nowMs);

    // What the program's file dialogs are answered with.
    QString fileAnswer(bool save, const QString &filter);

private:
    TForm1 *m_form;
    QString m_folder;
    QString m_nextFile;         // the file dialog's next answer
    qint64 m_errorSince = -1;   // a drive's error shown since
};

} // namespace soak
