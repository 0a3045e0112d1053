// SPDX-License-Identifier: GPL-3.0-or-later
// The program against a simulated drive for a set time while faults are
// injected at random: answers split, dropped, delayed past the watchdogs,
// garbage, error lines, silence, a hang-up and the line coming back. A user
// confirms what is shown. At the end: how long the link stayed unrecovered
// after a fault at most, the memory, and the CPU time.
//
// With --user the user acts as well (soak_steps.h), and the invariants are
// checked after every step; --replay S --steps N runs the first N steps of
// seed S again.
//
//   zynt-soak [--minutes N] [--seed S] [--user]
//   zynt-soak --replay S --steps N
#include "bench/benchline.h"
#include "bench/soak_line.h"
#include "bench/soak_steps.h"
#include "serial/tserial.h"
#include "shell/window/tform1.h"
#include "sim/simdrive.h"
#include "program/window/tokbottomdlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <vector>

using bench::processCpuSeconds;
using bench::threadCpuSeconds;
using bench::residentMegabytes;
using bench::threadIds;

namespace {

using soak::Fault;
using soak::kFaultNames;

class Soak : public QObject {
public:
    Soak(int minutes, quint32 seed) : m_minutes(minutes), m_rng(seed) {}

    int run()
    {
        if (!m_dir.isValid())
            return fail("no working folder");
        if (const char *error = soak::prepareHome(m_dir.path()))
            return fail(error);
        const QString link = m_dir.filePath(QStringLiteral("COM1"));
        qputenv("ZYNT_COM1", link.toLocal8Bit());
        m_line = std::make_unique<soak::SoakLine>(link);
        if (!m_line->open())
            return fail("no simulated line");
        serialports::reinitialisePortTable();

        m_form = std::make_unique<TForm1>();
        m_form->FormCreate();
        m_form->show();

        QTimer user;        // what a user at the screen does
        QTimer watch;       // recovery after a fault, memory
        QTimer faults;      // the next fault
        QObject::connect(&user, &QTimer::timeout, this, [this] { actAsUser(); });
        QObject::connect(&watch, &QTimer::timeout, this, [this] { watchRecovery(); });
        faults.setSingleShot(true);
        QObject::connect(&faults, &QTimer::timeout, this, [this, &faults] { nextFault(faults); });
        user.start(100);
        watch.start(50);
        faults.start(15000); // the start-up and the first list come first

        m_clock.start();
        m_cpu0 = processCpuSeconds();
        QEventLoop loop;
        QTimer::singleShot(m_minutes * 60 * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = double(m_clock.nsecsElapsed()) / 1e9;
        const double cpu = processCpuSeconds() - m_cpu0 - simCpuSeconds();
        report(wall, cpu);
        m_form->close();
        return 0;
    }

private:
    int fail(const char *why)
    {
        std::fprintf(stderr, "soak: %s\n", why);
        return 1;
    }

    double simCpuSeconds() const
    {
        double total = 0;
        for (pid_t tid : m_line->simThreads())
            total += threadCpuSeconds(tid);
        return total;
    }

    void actAsUser()
    {
        // Boxes are read and confirmed; a drive's message after a moment.
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ++m_boxes;
            box->buttons().constFirst()->click();
            return;
        }
        if (m_form->OKBottomDlg->isVisible() && m_form->OKBottomDlg->showsDriveError()) {
            if (++m_dialogTicks >= 5) {
                ++m_confirmations;
                m_dialogTicks = 0;
                m_form->OKBottomDlg->OKBtn->click();
            }
        } else {
            m_dialogTicks = 0;
        }
    }

    // Poll cycles ended so far: the line's list of received commands is
    // emptied as it is counted, so that the soak's own memory stays flat.
    qsizetype cyclesEnded()
    {
        m_cycles += m_line->takeReceived().count("#P1300?\r");
        m_line->takeChanges();
        return m_cycles;
    }

    bool linkHealthy() const
    {
        return m_form->Core->DriveConnected == 1 && !m_form->Core->Timer10->isActive() && m_form->isEnabled() &&
               !m_form->Serial1->HungUp();
    }

    void watchRecovery()
    {
        const qint64 now = m_clock.elapsed();
        if (now - m_lastMemory >= 5000) {
            m_lastMemory = now;
            const double rss = residentMegabytes();
            m_peakRss = std::max(m_peakRss, rss);
            if (now >= 60000 && m_firstRss == 0)
                m_firstRss = rss;
            m_lastRss = rss;
        }
        if (!m_awaiting)
            return;
        if (m_current == Fault::Drop && m_dropsPending) {
            // Dropping lasts until the last answer to drop has been dropped.
            if (m_line->line().answersToDrop() > 0)
                return;
            m_dropsPending = false;
            m_faultEnd = now;
            m_cyclesAtEnd = cyclesEnded();
        }
        if (now < m_faultEnd)
            return;
        // Recovered: a whole poll cycle ended after the fault, and the link
        // is as it should be.
        if (cyclesEnded() > m_cyclesAtEnd && linkHealthy()) {
            const double seconds = double(now - m_faultEnd) / 1000.0;
            if (seconds > m_longest) {
                m_longest = seconds;
                m_longestFault = m_current;
            }
            m_awaiting = false;
        }
    }

    void endFaultAt(qint64 when)
    {
        m_faultEnd = when;
        QTimer::singleShot(int(std::max<qint64>(0, when - m_clock.elapsed())), this,
                           [this] { m_cyclesAtEnd = cyclesEnded(); });
    }

    void nextFault(QTimer &faults)
    {
        if (m_awaiting && m_clock.elapsed() - m_faultEnd < 60000) {
            faults.start(500); // the last one first
            return;
        }
        if (m_awaiting) {
            ++m_unrecovered;
            std::fprintf(stderr, "soak: not recovered after %s: connected %d, re-probing %d, enabled %d, hung up %d, "
                                 "cycles %lld (at the end %lld), poll %d\n",
                         kFaultNames[int(m_current)], m_form->Core->DriveConnected, m_form->Core->Timer10->isActive(),
                         m_form->isEnabled(), m_form->Serial1->HungUp(), (long long)cyclesEnded(),
                         (long long)m_cyclesAtEnd, m_form->Core->Timer3->isActive());
        }
        const Fault fault = Fault(m_rng.bounded(7));
        m_current = fault;
        ++m_count[fault];
        m_awaiting = true;
        const qint64 now = m_clock.elapsed();
        m_cyclesAtEnd = cyclesEnded();
        const qint64 length = soak::startFault(fault, m_rng, *m_line, this);
        if (fault == Fault::Drop) {
            m_dropsPending = true;
            m_faultEnd = now;
        } else {
            endFaultAt(now + length);
        }
        faults.start(6000 + int(m_rng.bounded(6000)));
    }

    void report(double wall, double cpu)
    {
        if (m_awaiting && m_clock.elapsed() - m_faultEnd > 60000)
            ++m_unrecovered;
        int total = 0;
        std::printf("soak over %.0f s (seed given with --seed)\n", wall);
        for (const auto &[fault, count] : m_count) {
            std::printf("  %-12s %4d\n", kFaultNames[int(fault)], count);
            total += count;
        }
        const double watchdog = m_form->Core->Timer9->interval() / 1000.0;
        std::printf("\n");
        std::printf("faults_injected %d\n", total);
        std::printf("crashes 0\n");
        std::printf("unrecovered_faults %d\n", m_unrecovered);
        std::printf("longest_unrecovered_s %.2f\n", m_longest);
        std::printf("longest_after_fault %s\n", kFaultNames[int(m_longestFault)]);
        std::printf("watchdog_period_s %.1f\n", watchdog);
        std::printf("messages_confirmed %d\n", m_boxes + m_confirmations);
        std::printf("rss_after_1min_mb %.1f\n", m_firstRss);
        std::printf("rss_at_end_mb %.1f\n", m_lastRss);
        std::printf("rss_peak_mb %.1f\n", m_peakRss);
        std::printf("cpu_seconds_per_hour %.1f\n", cpu / wall * 3600.0);
        std::printf("cpu_percent %.3f\n", 100.0 * cpu / wall);
    }

    int m_minutes;
    QRandomGenerator m_rng;
    QTemporaryDir m_dir;
    std::unique_ptr<soak::SoakLine> m_line;
    std::unique_ptr<TForm1> m_form;
    QElapsedTimer m_clock;
    double m_cpu0 = 0;

    std::map<Fault, int> m_count;
    Fault m_current = Fault::Split;
    Fault m_longestFault = Fault::Split;
    bool m_awaiting = false;
    bool m_dropsPending = false;
    qint64 m_faultEnd = 0;
    qsizetype m_cyclesAtEnd = 0;
    qsizetype m_cycles = 0;
    double m_longest = 0;
    int m_unrecovered = 0;
    int m_boxes = 0;
    int m_confirmations = 0;
    int m_dialogTicks = 0;

    qint64 m_lastMemory = -5000;
    double m_firstRss = 0, m_lastRss = 0, m_peakRss = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    int minutes = 10;
    quint32 seed = 1;
    bool user = false;
    soak::UserSoakOptions options;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const bool valued = i + 1 < args.size();
        if (args[i] == QLatin1String("--user")) {
            user = true;
        } else if (args[i] == QLatin1String("--minutes") && valued) {
            minutes = std::max(1, args[++i].toInt());
        } else if (args[i] == QLatin1String("--seconds") && valued) {
            options.seconds = std::max(1, args[++i].toInt()); // the user soak's length, finer than minutes
            user = true;
        } else if ((args[i] == QLatin1String("--seed") || args[i] == QLatin1String("--replay")) && valued) {
            user = user || args[i] == QLatin1String("--replay");
            seed = args[++i].toUInt();
        } else if (args[i] == QLatin1String("--steps") && valued) {
            options.steps = std::max(1, args[++i].toInt());
        } else {
            std::fprintf(stderr, "usage: zynt-soak [--minutes N] [--seed S] [--user] [--seconds N]\n"
                                 "       zynt-soak --replay S --steps N\n");
            return 2;
        }
    }
    if (user) {
        options.seed = seed;
        if (options.seconds == 600 && minutes != 10)
            options.seconds = qint64(minutes) * 60;
        return soak::runUserSoak(options);
    }
    Soak soak(minutes, seed);
    return soak.run();
}
