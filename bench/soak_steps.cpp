// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/soak_steps.h"

#include "bench/benchline.h"
#include "bench/soak_invariants.h"
#include "bench/soak_line.h"
#include "bench/soak_user.h"

#include "link/drivecore.h"
#include "parameters/writeback_dialog.h"
#include "program/tokbottomdlg.h"
#include "serial/tserial.h"
#include "shell/tform1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <array>
#include <cstdio>
#include <map>
#include <memory>

namespace soak {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kChecked = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kChecked = true;
#else
constexpr bool kChecked = false;
#endif
#else
constexpr bool kChecked = false;
#endif

// How long a step may take to settle: the longest transfer with its
// time-outs, on a loaded machine, many times over.
constexpr qint64 kSettleMs = 180000;
// A fault now and then: about one step in four.
constexpr quint32 kFaultPercent = 25;

// One generator per step and purpose: what a step does does not depend on
// how many numbers the steps before it drew.
QRandomGenerator generator(quint32 seed, int step, quint32 purpose)
{
    const std::array<quint32, 3> seeds {seed, quint32(step), purpose};
    return QRandomGenerator(seeds.data(), qsizetype(seeds.size()));
}

struct Finding {
    int step;
    QString invariant;
    QString detail;
    QStringList actions;    // since the last healthy state
};

class UserSoak : public QObject {
public:
    explicit UserSoak(const UserSoakOptions &options) : m_options(options) {}

    int run()
    {
        if (!m_dir.isValid() || !QDir::setCurrent(m_dir.path()))
            return fail("no working folder");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
        qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("state"))));
        QFile settings(m_dir.filePath(QStringLiteral("ZYNT.ini")));
        if (!settings.open(QIODevice::WriteOnly))
            return fail("no settings file");
        settings.write("ZYNT Schnittstellendaten:\r\nAutoscan=0\r\nCOMPort=1\r\nBaudrate=38400\r\n"
                       "Hardwarehandshake=0\r\nAnzahl ZYNT=1\r\nZYNTNr=1\r\n");
        settings.close();
        // The texts and the parameter descriptions the program ships with.
        const QDir data(QStringLiteral(ZYNT_SOURCE_DIR "/data"));
        for (const QString &name : {QStringLiteral("ZYNT-Texte.ini"), QStringLiteral("Par-dt.ini"),
                                    QStringLiteral("Par-engl.ini")})
            QFile::copy(data.filePath(name), m_dir.filePath(name));
        const QString link = m_dir.filePath(QStringLiteral("COM1"));
        qputenv("ZYNT_COM1", link.toLocal8Bit());
        m_line = std::make_unique<SoakLine>(link);
        if (!m_line->open())
            return fail("no simulated line");
        serialports::reinitialisePortTable();
        const QString files = m_dir.filePath(QStringLiteral("files"));
        QDir().mkpath(files);

        m_form = std::make_unique<TForm1>();
        m_user = std::make_unique<User>(m_form.get(), files);
        m_form->AskFileName = [this](const FileDialogRequest &request) {
            return m_user->fileAnswer(request.save, request.filter);
        };
        DriveCore *core = m_form->Core;
        QObject::connect(core, &DriveCore::searchFailed, this, [this] { m_searchFoundNone = true; });
        QObject::connect(core, &DriveCore::searchEnded, this, [this](int found) { m_searchFoundNone = found == 0; });
        for (auto found : {&DriveCore::linkRestored, &DriveCore::addressAnswered, &DriveCore::listingCompleted})
            QObject::connect(core, found, this, [this] { m_searchFoundNone = false; });
        m_form->FormCreate();
        m_form->show();

        m_allowed = linkSettings();
        m_clock.start();
        QTimer monitor, answers;
        QObject::connect(&monitor, &QTimer::timeout, this, [this] { look(); });
        QObject::connect(&answers, &QTimer::timeout, this, [this] {
            m_user->answerWaiting(m_answerRng, m_notes, m_clock.elapsed());
        });
        monitor.start(50);
        answers.start(20);

        // The start-up: the connect sequence and the first list.
        m_notes = {};
        m_actions << QStringLiteral("start-up");
        m_notes.allowed.command(sim::ChangeKind::Execution, "TROFF"); // the list is read outside trace mode
        m_before = m_line->program();
        QTest::qWait(4000);
        settleAndCheck(0);

        for (int step = 1; m_options.steps > 0 ? step <= m_options.steps : m_clock.elapsed() < m_options.seconds * 1000;
             ++step) {
            m_steps = step;
            runStep(step);
        }
        monitor.stop();
        answers.stop();
        report();
        m_form->close();
        m_form.reset();
        return m_findings.isEmpty() ? 0 : 1;
    }

private:
    int fail(const char *why)
    {
        std::fprintf(stderr, "soak: %s\n", why);
        return 1;
    }

    void runStep(int step)
    {
        QRandomGenerator actionRng = generator(m_options.seed, step, 0);
        QRandomGenerator faultRng = generator(m_options.seed, step, 2);
        m_answerRng = generator(m_options.seed, step, 1);
        m_notes = {};
        m_before = m_line->program();

        QString line = QStringLiteral("step %1:").arg(step);
        if (faultRng.bounded(100u) < kFaultPercent) {
            const Fault fault = Fault(faultRng.bounded(quint32(kFaultCount)));
            ++m_faults[fault];
            const qint64 length = startFault(fault, faultRng, *m_line, this);
            m_faultOver = std::max(m_faultOver, m_clock.elapsed() + length);
            line += QStringLiteral(" fault %1;").arg(QLatin1String(kFaultNames[int(fault)]));
        }
        const int kind = User::drawKind(actionRng);
        if (m_user->act(kind, actionRng, m_notes)) {
            ++m_done[kind];
            line += QStringLiteral(" %1").arg(QLatin1String(User::kindName(kind)));
            if (!m_notes.detail.isEmpty())
                line += QStringLiteral(" (%1)").arg(m_notes.detail);
        } else {
            ++m_offered[kind]; // its control was not enabled: nothing done
            line += QStringLiteral(" %1 not offered").arg(QLatin1String(User::kindName(kind)));
        }
        m_actions << line;
        settleAndCheck(step);
    }

    // No fault lasts. Answers still to drop count only while the program
    // talks: a program that sends nothing has no line to wait for.
    bool lineUp()
    {
        const qint64 now = m_clock.elapsed();
        const qsizetype received = m_line->line().receivedCommands().size();
        if (received != m_receivedSeen) {
            m_receivedSeen = received;
            m_lastReceived = now;
        }
        return now >= m_faultOver && (m_line->line().answersToDrop() == 0 || now - m_lastReceived > 3000);
    }

    bool somethingWaits() const
    {
        TForm1 *f = m_form.get();
        return QApplication::activeModalWidget() || f->OKBottomDlg->isVisible()
            || (f->CompareDialog && f->CompareDialog->isVisible())
            || (f->VerifyReport && f->VerifyReport->isVisible());
    }

    bool waitLabelShown() const
    {
        TForm1 *f = m_form.get();
        return f->Label3->isVisible() || f->Label4->isVisible() || f->Label8->isVisible();
    }

    // Nothing more will happen by itself: no fault, no transfer, nothing
    // asked, the queue empty (the poll's cycles leave it empty between them).
    bool quiet()
    {
        TForm1 *f = m_form.get();
        return lineUp() && !somethingWaits() && !waitLabelShown() && f->Core->Owner.holds(line::Activity::None)
            && !f->Core->Owner.paused(line::Pause::LinkLost) && !f->Core->Timer8->isActive()
            && (onlyPollQueued() || stuckWhileStopped() || noDrive()) && m_line->line().outputIdle();
    }

    // After a search that found no drive nothing goes out: what the user
    // typed or clicked meanwhile waits in the queue until the next search
    // or address choice empties it.
    bool noDrive() const
    {
        return m_searchFoundNone && m_form->Core->DriveConnected == 0 && !m_form->Core->Timer10->isActive();
    }

    // With the poll stopped by the user nothing supervises the queue: a
    // lost answer holds it until the poll runs again, which is the user's
    // to do in a later step.
    bool stuckWhileStopped()
    {
        const CommandNode *head = m_form->Core->Queue.head();
        const qint64 now = m_clock.elapsed();
        if (head != m_stuckHead) {
            m_stuckHead = head;
            m_stuckSince = now;
        }
        return m_form->Core->Owner.paused(line::Pause::UserStopped) && now - m_stuckSince >= 5000;
    }

    // The poll's cycles follow one another: its queries are no work of the user's.
    bool onlyPollQueued() const
    {
        for (const CommandNode *node = m_form->Core->Queue.head(); node; node = node->Next) {
            if (node->Kind != CommandKind::Status)
                return false;
        }
        return true;
    }

    void settleAndCheck(int step)
    {
        QElapsedTimer waited;
        waited.start();
        qint64 quietSince = -1;
        while (waited.elapsed() < kSettleMs) {
            QTest::qWait(10);
            if (!quiet()) {
                quietSince = -1;
                continue;
            }
            if (quietSince < 0)
                quietSince = waited.elapsed();
            else if (waited.elapsed() - quietSince >= 300)
                break;
        }
        if (waited.elapsed() >= kSettleMs)
            found(step, QStringLiteral("the line settles"), describeState());
        // What the drive took, against what the user asked for; what the
        // step allowed also covers what it started and the next step finishes.
        m_allowed.merge(m_notes.allowed);
        for (const QString &change : unexpectedChanges(m_line->takeChanges(), m_allowed))
            found(step, QStringLiteral("nothing written that the user did not write"), change);
        if (m_notes.programWritten)
            m_programWritten = m_notes.programWritten;
        m_told += m_notes.told;
        const bool told = std::any_of(m_told.begin(), m_told.end(), [this](const QString &text) {
            const QString backup = QFileInfo(m_form->ProgramBackupFile).fileName();
            return !backup.isEmpty() && text.contains(backup);
        }) || m_driveErrorSeen;
        const QString verdict = programVerdict(m_before, m_programWritten,
                                               m_line->program(), told);
        if (!verdict.isEmpty())
            found(step, QStringLiteral("the drive's program is one the user knows of"), verdict);
        m_line->takeReceived(); // only counted while it is needed

        if (!m_notes.answers.isEmpty())
            m_actions.last() += QStringLiteral(" [") + m_notes.answers.join(QStringLiteral("; ")) + QLatin1Char(']');
        if (m_options.steps > 0) // a replay shows each step as it goes
            std::printf("%s\n", qPrintable(m_actions.last()));
        if (m_pending.isEmpty()) {
            m_actions.clear(); // a healthy state: the list starts afresh
        } else {
            for (Finding &finding : m_pending) {
                finding.actions = m_actions;
                print(finding);
                m_findings << finding;
            }
            m_pending.clear();
            m_actions.clear();
        }
        // What is still queued goes out later: its step's allowance goes on,
        // as does that of a Stop kept until the drive answers again.
        if (onlyPollQueued() && !m_form->Core->stopPending())
            m_allowed = linkSettings();
        m_programWritten.reset();
        m_told.clear();
        m_driveErrorSeen = false;
    }

    QString describeState() const
    {
        TForm1 *f = m_form.get();
        const LineOwner &o = f->Core->Owner;
        return QStringLiteral("activity %1, poll allowed %2, enabled %3, connected %4, re-probing %5, poll timer %6, "
                              "watchdog %7, queue %8, labels %9%10%11, waiting %12")
            .arg(int(o.activity()))
            .arg(o.pollAllowed())
            .arg(f->isEnabled())
            .arg(f->Core->DriveConnected)
            .arg(f->Core->Timer10->isActive())
            .arg(f->Core->Timer3->isActive())
            .arg(f->Core->Timer9->isActive())
            .arg(f->Core->Queue.head() ? QString::fromLatin1(f->Core->Queue.head()->Text.trimmed()) : QStringLiteral("empty"))
            .arg(f->Label3->isVisible())
            .arg(f->Label4->isVisible())
            .arg(f->Label8->isVisible())
            .arg(somethingWaits());
    }

    // Every 50 ms: the link comes back, no wait label stays, memory.
    void look()
    {
        TForm1 *f = m_form.get();
        const qint64 now = m_clock.elapsed();
        if (f->OKBottomDlg->isVisible() && f->OKBottomDlg->showsDriveError())
            m_driveErrorSeen = true;
        const LineOwner &o = f->Core->Owner;
        const bool up = lineUp();
        const bool lineFree = o.holds(line::Activity::None) || o.holds(line::Activity::ReProbe);
        bool userPause = false;
        for (line::Pause pause : {line::Pause::TerminalTyping, line::Pause::UserStopped, line::Pause::DriveError,
                                  line::Pause::AddressPrompt, line::Pause::ManualConfiguration, line::Pause::Question})
            userPause = userPause || o.paused(pause);
        // A search that found no drive leaves nothing to come back to: the
        // user searches again or chooses an address.
        const bool healthy = noDrive()
            || (f->isEnabled() && f->Core->DriveConnected == 1 && !f->Core->Timer10->isActive()
                && o.holds(line::Activity::None) && (f->Core->Timer3->isActive() || f->Core->Timer9->isActive()));
        m_linkBack.setBound(f->Core->Timer9->interval() + 2000);
        if (m_linkBack.look(up && lineFree && !userPause && !somethingWaits() && !healthy, now))
            pending(QStringLiteral("the link comes back within the watchdog's period + 2 s"), describeState());

        const qint64 bytes = m_line->line().bytesSent();
        const bool transfer = o.holds(line::Activity::Listing) || o.holds(line::Activity::WriteBack)
            || o.holds(line::Activity::ProgramRead) || o.holds(line::Activity::ProgramWrite);
        if (bytes != m_lastBytes) {
            m_lastBytes = bytes;
            m_lastProgress = now;
        }
        const bool progressing = transfer && now - m_lastProgress < 1000;
        struct Wait {
            QLabel *label;
            qint64 timeout;
            Deadline &deadline;
        };
        const qint64 transferTimeout = f->Core->TransferWatchdog->interval();
        const Wait waits[] = {
            {f->Label3, std::max<qint64>(f->Core->Timer11->interval(), DriveCore::kProgramListingSilenceMs),
             m_labelDeadlines[0]},
            {f->Label4, std::max<qint64>(f->Core->Timer7->interval(), transferTimeout), m_labelDeadlines[1]},
            {f->Label8, transferTimeout, m_labelDeadlines[2]},
        };
        for (const Wait &wait : waits) {
            wait.deadline.setBound(wait.timeout + 2000);
            if (wait.deadline.look(wait.label->isVisible() && up && !progressing && !somethingWaits(), now))
                pending(QStringLiteral("no wait label beyond its transfer's time-out"),
                        QStringLiteral("\"%1\" still shown; ").arg(wait.label->text()) + describeState());
        }

        if (now - m_lastMemory >= 5000) {
            m_lastMemory = now;
            m_lastRss = bench::residentMegabytes();
            m_peakRss = std::max(m_peakRss, m_lastRss);
            if (now >= 60000 && m_firstRss == 0)
                m_firstRss = m_lastRss;
        }
    }

    void pending(const QString &invariant, const QString &detail)
    {
        m_pending << Finding {m_steps, invariant, detail, {}};
    }

    void found(int step, const QString &invariant, const QString &detail)
    {
        m_pending << Finding {step, invariant, detail, {}};
    }

    void print(const Finding &finding) const
    {
        std::printf("BROKEN at step %d: %s\n  %s\n  seed %u; replay: zynt-soak --replay %u --steps %d\n"
                    "  actions since the last healthy state:\n",
                    finding.step, qPrintable(finding.invariant), qPrintable(finding.detail), m_options.seed,
                    m_options.seed, finding.step);
        for (const QString &action : finding.actions)
            std::printf("    %s\n", qPrintable(action));
        std::fflush(stdout);
    }

    void report()
    {
        const double wall = double(m_clock.elapsed()) / 1000.0;
        if (!kChecked && wall >= 300 && m_firstRss > 0 && m_lastRss > m_firstRss * 1.5 + 30)
            m_findings << Finding {m_steps, QStringLiteral("memory flat"),
                                   QStringLiteral("%1 MB after a minute, %2 MB at the end").arg(m_firstRss).arg(m_lastRss),
                                   {}};
        std::printf("user soak over %.0f s, seed %u, %d steps\n\nactions:\n", wall, m_options.seed, m_steps);
        int done = 0;
        for (int kind = 0; kind < User::kindCount(); ++kind) {
            std::printf("  %-18s %5d   (not offered %d)\n", User::kindName(kind), m_done[kind], m_offered[kind]);
            done += m_done[kind];
        }
        std::printf("\nfaults:\n");
        int faults = 0;
        for (int fault = 0; fault < kFaultCount; ++fault) {
            std::printf("  %-12s %5d\n", kFaultNames[fault], m_faults[Fault(fault)]);
            faults += m_faults[Fault(fault)];
        }
        std::printf("\nactions_done %d\nfaults_injected %d\ninvariants_broken %lld\n", done, faults,
                    (long long)m_findings.size());
        std::map<QString, int> byInvariant;
        for (const Finding &finding : m_findings)
            ++byInvariant[finding.invariant];
        for (const auto &[invariant, count] : byInvariant)
            std::printf("  %-60s %d\n", qPrintable(invariant), count);
        std::printf("rss_after_1min_mb %.1f\nrss_at_end_mb %.1f\nrss_peak_mb %.1f\n", m_firstRss, m_lastRss, m_peakRss);
        std::fflush(stdout);
    }

    UserSoakOptions m_options;
    QTemporaryDir m_dir;
    std::unique_ptr<SoakLine> m_line;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<User> m_user;
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
    std::array<Deadline, 3> m_labelDeadlines;
    qint64 m_lastBytes = -1;
    qint64 m_lastProgress = 0;

    QStringList m_actions;
    QList<Finding> m_pending;
    QList<Finding> m_findings;
    std::map<int, int> m_done, m_offered;
    std::map<Fault, int> m_faults;

    qint64 m_lastMemory = -5000;
    double m_firstRss = 0, m_lastRss = 0, m_peakRss = 0;
};

} // namespace

int runUserSoak(const UserSoakOptions &options)
{
    UserSoak soak(options);
    return soak.run();
}

} // namespace soak
