// SPDX-License-Identifier: GPL-3.0-or-later
// The user soak's run: the steps and their checks (soak_steps.cpp), and
// the monitor that looks at the window every 50 ms (soak_monitor.cpp).
#pragma once

#include "bench/soak_invariants.h"
#include "bench/soak_line.h"
#include "bench/soak_steps.h"
#include "bench/soak_user.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <map>
#include <memory>
#include <optional>

class TForm1;
struct CommandNode;

namespace soak {

struct Finding {
    int step;
    QString invariant;
    QString detail;
    QStringList actions;    // since the last healthy state
};

class UserSoak : public QObject {
public:
    explicit UserSoak(const UserSoakOptions &options) : m_options(options) {}

    int run();

private:
    int fail(const char *why);
    // The main window as the program starts it, again after the user closed it.
    void startWindow();
    void runStep(int step);
    void settleAndCheck(int step);
    // What the step leaves known of the drive's program, held against it.
    void checkProgram(int step);
    void report();
    void print(const Finding &finding) const;

    // ---- The monitor (soak_monitor.cpp) -------------------------------------
    // No fault lasts, and no cable is out.
    bool lineUp();
    bool somethingWaits() const;
    bool waitLabelShown() const;
    bool quiet();
    bool noDrive() const;
    bool stuckWhileStopped();
    bool onlyPollQueued() const;
    // The user holds the poll: a dialog, "RS232 Stop", the terminal's
    // typing, the address offer, the cut write's offer.
    bool userHolds() const;
    bool shownLost() const;
    QString describeState() const;
    // Every 50 ms: the link comes back, the poll runs or the link is shown
    // lost, a Stop reaches the drive, no wait label stays, memory.
    void look();
    void pending(const QString &invariant, const QString &detail);
    void found(int step, const QString &invariant, const QString &detail);

    UserSoakOptions m_options;
    QTemporaryDir m_dir;
    std::unique_ptr<SoakLine> m_line;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<User> m_user;
    QString m_files;
    QElapsedTimer m_clock;
    QRandomGenerator m_answerRng;
    StepNotes m_notes;
    int m_steps = 0;
    qint64 m_faultOver = 0;
    bool m_searchFoundNone = false;
    qsizetype m_receivedSeen = -1;
    qint64 m_lastReceived = 0;
    const CommandNode *m_stuckHead = nullptr;
    qint64 m_stuckSince = 0;

    // What the step allowed and did, up to its check.
    Allowance m_allowed;
    std::optional<QList<QByteArray>> m_programWritten;
    QList<QByteArray> m_before;
    QStringList m_told;
    bool m_driveErrorSeen = false;

    Deadline m_linkBack;
    Deadline m_pollOrLost;
    StopWatch m_stop;
    std::array<Deadline, 3> m_labelDeadlines;
    qint64 m_lastBytes = -1;
    qint64 m_lastProgress = 0;

    QStringList m_actions;
    QList<Finding> m_pending;
    QList<Finding> m_findings;
    std::map<int, int> m_done, m_offered;
    std::map<Fault, int> m_faults;
    int m_actionPulls = 0;      // cables pulled by the actions done while it is out
    int m_restarts = 0;

    qint64 m_lastMemory = -5000;
    double m_firstRss = 0, m_lastRss = 0, m_peakRss = 0;
};

} // namespace soak
