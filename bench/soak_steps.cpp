// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/soak_steps.h"

#include "bench/soak_usersoak.h"

#include "link/drivecore.h"
#include "parameters/window/writeback_dialog.h"
#include "program/window/tokbottomdlg.h"
#include "serial/tserial.h"
#include "shell/window/tform1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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
// And a transfer cut by a pulled cable more often than that chance gives.
constexpr quint32 kCutTransferPercent = 30;

// One generator per step and purpose: what a step does does not depend on
// how many numbers the steps before it drew.
QRandomGenerator generator(quint32 seed, int step, quint32 purpose)
{
    const std::array<quint32, 3> seeds {seed, quint32(step), purpose};
    return QRandomGenerator(seeds.data(), qsizetype(seeds.size()));
}

} // namespace

int UserSoak::fail(const char *why)
{
    std::fprintf(stderr, "soak: %s\n", why);
    return 1;
}

int UserSoak::run()
{
    if (!m_dir.isValid())
        return fail("no working folder");
    if (const char *error = prepareHome(m_dir.path()))
        return fail(error);
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
    m_files = m_dir.filePath(QStringLiteral("files"));
    QDir().mkpath(m_files);

    m_clock.start();
    startWindow();
    m_allowed = linkSettings();
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
    report();
    // Closing may ask (a Stop the drive has not confirmed); the answers go on until it is closed.
    m_form->close();
    answers.stop();
    m_form.reset();
    return m_findings.isEmpty() ? 0 : 1;
}

void UserSoak::startWindow()
{
    m_form.reset(); // a window the user closed goes first, as its program ended
    m_form = std::make_unique<TForm1>();
    if (m_user)
        m_user->setForm(m_form.get());
    else
        m_user = std::make_unique<User>(m_form.get(), m_files);
    m_form->AskFileName = [this](const FileDialogRequest &request) {
        return m_user->fileAnswer(request.save, request.filter);
    };
    DriveCore *core = m_form->Core;
    m_searchFoundNone = false;
    m_stuckHead = nullptr;
    QObject::connect(core, &DriveCore::searchFailed, this, [this] { m_searchFoundNone = true; });
    QObject::connect(core, &DriveCore::searchEnded, this, [this](int found) { m_searchFoundNone = found == 0; });
    for (auto found : {&DriveCore::linkRestored, &DriveCore::addressAnswered, &DriveCore::listingCompleted})
        QObject::connect(core, found, this, [this] { m_searchFoundNone = false; });
    m_form->FormCreate();
    m_form->show();
}

void UserSoak::runStep(int step)
{
    QRandomGenerator actionRng = generator(m_options.seed, step, 0);
    QRandomGenerator faultRng = generator(m_options.seed, step, 2);
    m_answerRng = generator(m_options.seed, step, 1);
    m_notes = {};
    m_before = m_line->program();

    QString line = QStringLiteral("step %1:").arg(step);
    const int kind = User::drawKind(actionRng);
    std::optional<Fault> fault;
    if (faultRng.bounded(100u) < kFaultPercent)
        fault = Fault(faultRng.bounded(quint32(kFaultCount)));
    else if (User::startsTransfer(kind) && faultRng.bounded(100u) < kCutTransferPercent)
        fault = Fault::CablePulled;
    if (fault) {
        ++m_faults[*fault];
        const qint64 length = startFault(*fault, faultRng, *m_line, this);
        m_faultOver = std::max(m_faultOver, m_clock.elapsed() + length);
        line += QStringLiteral(" fault %1;").arg(QLatin1String(kFaultNames[int(*fault)]));
    }
    const int pulls = m_line->pulls();
    const auto stopPressed = [this] { m_stop.pressed(m_line->stopsCarriedOut()); };
    if (m_user->act(kind, actionRng, m_notes, m_line.get(), this, m_before, stopPressed)) {
        ++m_done[kind];
        line += QStringLiteral(" %1").arg(QLatin1String(User::kindName(kind)));
        if (!m_notes.detail.isEmpty())
            line += QStringLiteral(" (%1)").arg(m_notes.detail);
    } else {
        ++m_offered[kind]; // its control was not enabled: nothing done
        line += QStringLiteral(" %1 not offered").arg(QLatin1String(User::kindName(kind)));
    }
    m_actionPulls += m_line->pulls() - pulls;
    if (m_notes.windowClosed) {
        // Started again as the user starts the program: the journal's
        // offer, if any, comes with the first contact.
        ++m_restarts;
        line += QStringLiteral("; started again");
        // A Stop not yet confirmed was given up by the user, who was asked
        // before the window closed.
        m_stop = StopWatch();
        startWindow();
    }
    m_actions << line;
    settleAndCheck(step);
}

void UserSoak::checkProgram(int step)
{
    ProgramFacts facts;
    facts.before = m_before;
    facts.written = m_programWritten;
    if (m_programWritten)
        facts.backup = m_before; // what the write read and saved first
    facts.told = m_told;
    // Told that the write left a part: a drive's error, or a text that
    // names the backup of the write.
    facts.toldShort = m_driveErrorSeen || std::any_of(m_told.begin(), m_told.end(), [](const QString &text) {
        return text.contains(QLatin1String("Sicherung: "));
    });
    const QString verdict = programVerdict(facts, m_line->program());
    if (!verdict.isEmpty())
        found(step, QStringLiteral("the drive's program is one the user knows of"), verdict);
}

void UserSoak::settleAndCheck(int step)
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
    checkProgram(step);
    m_line->takeReceived(); // only counted while it is needed

    if (!m_notes.answers.isEmpty())
        m_actions.last() += QStringLiteral(" [") + m_notes.answers.join(QStringLiteral("; ")) + QLatin1Char(']');
    if (m_options.steps > 0) { // a replay shows each step as it goes
        std::printf("%s\n", qPrintable(m_actions.last()));
        std::fflush(stdout);
    }
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
    // as does that of a Stop kept until the drive answers again, and that
    // of a read cut by a lost link, which is made again when the link
    // comes back.
    if (onlyPollQueued() && !m_form->Core->stopPending() && m_form->PendingRead == TForm1::ReadAgain::None)
        m_allowed = linkSettings();
    m_programWritten.reset();
    m_told.clear();
    m_driveErrorSeen = false;
}

void UserSoak::print(const Finding &finding) const
{
    std::printf("BROKEN at step %d: %s\n  %s\n  seed %u; replay: zynt-soak --replay %u --steps %d\n"
                "  actions since the last healthy state:\n",
                finding.step, qPrintable(finding.invariant), qPrintable(finding.detail), m_options.seed,
                m_options.seed, finding.step);
    for (const QString &action : finding.actions)
        std::printf("    %s\n", qPrintable(action));
    std::fflush(stdout);
}

void UserSoak::report()
{
    const double wall = double(m_clock.elapsed()) / 1000.0;
    if (!kChecked && wall >= 300 && m_firstRss > 0 && m_lastRss > m_firstRss * 1.5 + 30)
        m_findings << Finding {m_steps, QStringLiteral("memory flat"),
                               QStringLiteral("%1 MB after a minute, %2 MB at the end").arg(m_firstRss).arg(m_lastRss),
                               {}};
    std::printf("user soak over %.0f s, seed %u, %d steps\n\nactions:\n", wall, m_options.seed, m_steps);
    int done = 0;
    for (int kind = 0; kind < User::kindCount(); ++kind) {
        std::printf("  %-22s %5d   (not offered %d)\n", User::kindName(kind), m_done[kind], m_offered[kind]);
        done += m_done[kind];
    }
    std::printf("\nfaults:\n");
    int faults = 0;
    for (int fault = 0; fault < kFaultCount; ++fault) {
        std::printf("  %-12s %5d\n", kFaultNames[fault], m_faults[Fault(fault)]);
        faults += m_faults[Fault(fault)];
    }
    // The actions done while the cable is out pull it themselves.
    std::printf("  %-12s %5d   (by the actions done while it is out)\n", "cable pulled", m_actionPulls);
    std::printf("\nwindow_restarts %d\n", m_restarts);
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

int runUserSoak(const UserSoakOptions &options)
{
    UserSoak soak(options);
    return soak.run();
}

} // namespace soak
