// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the link: how fast commands go round through queue, dispatcher
// and port; how close to the physical line time they get with the line
// emulated; and what an open, idle port costs in CPU time.
#include "bench/bench_cli.h"
#include "bench/bench_floor.h"
#include "bench/bench_input.h"
#include "bench/benchline.h"
#include "bench/bench_manual.h"
#include "bench/bench_parameters.h"
#include "bench/bench_program.h"
#include "serial/tserial.h"
#include "shell/window/tform1.h"
#include "sim/simdrive.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using bench::processCpuSeconds;

namespace {

// Queues count plain commands and runs the event loop until all are
// answered. Returns the seconds taken, or a negative value on time-out.
double timeRoundTrips(TForm1 &form, int count, int timeoutMs)
{
    QTimer wake; // bounds the wait when the line goes quiet
    wake.start(100);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i)
        form.Core->Senden_Zeichensatz("#1s\r");
    while (form.Core->Queue.head()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (clock.elapsed() > timeoutMs)
            return -1;
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Bytes on the wire for one plain command: the command, its echo and
// "\nok\n\r".
constexpr int kCommandBytes = 4;
constexpr int kAnswerBytes = 4 + 5;

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);

    // --poll: only the poll's CPU time, without and with the plot, twice each
    // in turn (the machine's load moves from minute to minute).
    if (app.arguments().contains(QStringLiteral("--poll"))) {
        for (int round = 0; round < 2; ++round) {
            const double plain = bench::statusPoll38400(1000, 10).cpuPercent;
            const double plotted = bench::statusPoll38400(1000, 10, true).cpuPercent;
            std::printf("polling_cpu_percent %.3f\nplotting_cpu_percent %.3f\n", plain, plotted);
        }
        return 0;
    }

    // The program's round trips and the pseudo-terminal's floor in turn, so
    // that both see the same minute of a machine whose floor moves.
    constexpr int kRounds = 5, kPerRound = 2000;
    double roundTrips = 0, usPerCommand = 0, floorTrips = 0;
    {
        bench::BenchLine line;
        if (!line.open(38400, -1)) {
            std::fprintf(stderr, "cannot open the simulated line\n");
            return 1;
        }
        timeRoundTrips(*line.form, 200, 120000); // settle
        std::vector<double> program, floor;
        for (int round = 0; round < kRounds; ++round) {
            floor.push_back(bench::ptyFloorRoundTripsPerSecond(kPerRound));
            const double s = timeRoundTrips(*line.form, kPerRound, 120000);
            if (s < 0 || floor.back() < 0) {
                std::fprintf(stderr, "round trips timed out\n");
                return 1;
            }
            program.push_back(kPerRound / s);
        }
        roundTrips = median(program);
        floorTrips = median(floor);
        usPerCommand = 1e6 / roundTrips;
    }

    struct Emulated { int baud; int count; double achieved = 0, ideal = 0; };
    Emulated emulated[] = {{9600, 150}, {38400, 500}};
    for (Emulated &e : emulated) {
        bench::BenchLine line;
        if (!line.open(e.baud, 0)) {
            std::fprintf(stderr, "cannot open the emulated line\n");
            return 1;
        }
        e.achieved = timeRoundTrips(*line.form, e.count, 120000);
        if (e.achieved < 0) {
            std::fprintf(stderr, "emulated line timed out\n");
            return 1;
        }
        e.ideal = double(e.count) * (kCommandBytes + kAnswerBytes) * 10.0 / e.baud;
    }

    // A 299-line program write with 1 ms drive latency per command.
    const bench::ProgramWriteFigures programWrite = bench::programWrite(38400, 1000);
    // The same behind a USB adapter with the usual default latency timer,
    // and with the 1 ms that the low-latency request gives.
    const bench::ProgramWriteFigures adapter16 = bench::programWrite(38400, 1000, 16);
    const bench::ProgramWriteFigures adapter1 = bench::programWrite(38400, 1000, 1);
    if (programWrite.achieved < 0 || adapter16.achieved < 0 || adapter1.achieved < 0) {
        std::fprintf(stderr, "program write failed\n");
        return 1;
    }

    double idlePercent = 0;
    {
        bench::BenchLine line;
        if (!line.open(38400, -1)) {
            std::fprintf(stderr, "cannot open the idle line\n");
            return 1;
        }
        const double cpu0 = processCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        QEventLoop idle;
        QTimer::singleShot(10000, &idle, &QEventLoop::quit);
        idle.exec();
        const double cpu = processCpuSeconds() - cpu0;
        idlePercent = 100.0 * cpu / (double(clock.nsecsElapsed()) / 1e9);
    }

    const bench::PollFigures poll = bench::statusPoll38400(1000, 10);
    const bench::PollFigures plotted = bench::statusPoll38400(1000, 10, true);
    if (poll.cyclesPerSecond < 0) {
        std::fprintf(stderr, "the status poll did not run\n");
        return 1;
    }

    const bench::ListingFigure listing9600 = bench::singleListing(9600, 1000);
    const bench::ListingFigure listing38400 = bench::singleListing(38400, 1000);
    if (listing9600.achieved < 0 || listing38400.achieved < 0) {
        std::fprintf(stderr, "the parameter listing did not complete\n");
        return 1;
    }

    const bench::BackupFigures backup = bench::cliBackup38400();
    if (backup.achieved < 0 || backup.tenDrives < 0) {
        std::fprintf(stderr, "zynt-cli backup failed\n");
        return 1;
    }

    const double noise64k = bench::noiseSeconds(64 << 10);
    const double noise512k = bench::noiseSeconds(512 << 10);
    const double noise4m = bench::noiseSeconds(4 << 20);
    const double textEntry = bench::longTextEntrySeconds(4 << 20);

    std::printf("%-44s %14s %10s\n", "figure", "value", "aim");
    std::printf("%-44s %14.0f %10s\n", "(a) round trips per second, median of 5x2000", roundTrips, ">= 5000");
    std::printf("%-44s %14.1f %10s\n", "(a) microseconds per command", usPerCommand, "");
    std::printf("%-44s %14.0f %10s\n", "(a) pty floor, round trips per second", floorTrips, "");
    std::printf("%-44s %14.3f %10s\n", "(a) round trips / floor", roundTrips / floorTrips, ">= 0.7");
    for (const Emulated &e : emulated) {
        std::printf("(b) %5d baud, %4d commands: achieved %.3f s, line time %.3f s\n", e.baud, e.count,
                    e.achieved, e.ideal);
        std::printf("%-44s %14.3f %10s\n",
                    e.baud == 9600 ? "(b) line time / achieved time at 9600" : "(b) line time / achieved time at 38400",
                    e.ideal / e.achieved, ">= 0.90");
    }
    std::printf("(f) 299-line program write at 38400, %d commands, %lld bytes: achieved %.3f s, line time %.3f s\n",
                programWrite.commands, static_cast<long long>(programWrite.bytes), programWrite.achieved,
                programWrite.ideal);
    std::printf("%-44s %14.3f %10s\n", "(f) program write: line time / achieved", programWrite.ideal / programWrite.achieved,
                ">= 0.95");
    for (const auto &[ms, w] : {std::pair {16, adapter16}, std::pair {1, adapter1}})
        std::printf("(f) the same behind a USB adapter with a %2d ms latency timer: achieved %.3f s, line time / achieved %.3f\n",
                    ms, w.achieved, w.ideal / w.achieved);
    std::printf("%-44s %14.3f %10s\n", "(c) CPU of an idle open port, % of one core", idlePercent, "< 1");
    for (const auto &[baud, l] : {std::pair {9600, listing9600}, std::pair {38400, listing38400}}) {
        std::printf("(g) %5d baud, one listing: achieved %.3f s, line time %.3f s\n", baud, l.achieved, l.ideal);
        std::printf("%-44s %14.3f %10s\n",
                    baud == 9600 ? "(g) listing line time / achieved at 9600" : "(g) listing line time / achieved at 38400",
                    l.ideal / l.achieved, ">= 0.95");
    }
    std::printf("(h) status poll at 38400: %.2f cycles/s, ideal %.2f cycles/s\n", poll.cyclesPerSecond,
                poll.idealPerSecond);
    std::printf("%-44s %14.3f %10s\n", "(h) poll cycles / ideal cycles", poll.ratio, ">= 0.95");
    std::printf("%-44s %14.3f %10s\n", "(h) CPU while polling, % of one core", poll.cpuPercent, "< 2");
    std::printf("%-44s %14.3f %10s\n", "(h) the same with the live plot shown", plotted.cpuPercent, "+ < 0.5");
    std::printf("(i) zynt-cli backup at 38400, one drive: %.3f s, line time %.3f s; ten drives: %.3f s\n",
                backup.achieved, backup.ideal, backup.tenDrives);
    std::printf("%-44s %14.3f %10s\n", "(i) backup: line time / time taken", backup.ideal / backup.achieved, ">= 0.9");
    std::printf("%-44s %14.3f %10s\n", "(d) noise in flight, 64 KB in 64-byte pieces, s", noise64k, "");
    std::printf("%-44s %14.3f %10s\n", "(d) noise in flight, 512 KB, s", noise512k, "8 x 64 KB");
    std::printf("%-44s %14.3f %10s\n", "(d) noise in flight, 4 MB, s", noise4m, "64 x 64 KB");
    std::printf("%-44s %14.3f %10s\n", "(e) text file with a 4 MiB entry, s", textEntry, "");
    std::printf("\n");
    std::printf("roundtrips_per_s %.0f\n", roundTrips);
    std::printf("us_per_command %.1f\n", usPerCommand);
    std::printf("pty_floor_roundtrips_per_s %.0f\n", floorTrips);
    std::printf("roundtrip_floor_ratio %.3f\n", roundTrips / floorTrips);
    std::printf("line_ratio_9600 %.3f\n", emulated[0].ideal / emulated[0].achieved);
    std::printf("line_ratio_38400 %.3f\n", emulated[1].ideal / emulated[1].achieved);
    std::printf("program_write_ratio_38400 %.3f\n", programWrite.ideal / programWrite.achieved);
    std::printf("program_write_ratio_38400_adapter16 %.3f\n", adapter16.ideal / adapter16.achieved);
    std::printf("program_write_ratio_38400_adapter1 %.3f\n", adapter1.ideal / adapter1.achieved);
    std::printf("idle_cpu_percent %.3f\n", idlePercent);
    std::printf("listing_ratio_9600 %.3f\n", listing9600.ideal / listing9600.achieved);
    std::printf("listing_ratio_38400 %.3f\n", listing38400.ideal / listing38400.achieved);
    std::printf("poll_cycles_per_s_38400 %.2f\n", poll.cyclesPerSecond);
    std::printf("poll_ratio_38400 %.3f\n", poll.ratio);
    std::printf("polling_cpu_percent %.3f\n", poll.cpuPercent);
    std::printf("plotting_cpu_percent %.3f\n", plotted.cpuPercent);
    std::printf("backup_ratio_38400 %.3f\n", backup.ideal / backup.achieved);
    std::printf("backup_ten_drives_s %.3f\n", backup.tenDrives);
    std::printf("noise_64k_s %.3f\n", noise64k);
    std::printf("noise_512k_s %.3f\n", noise512k);
    std::printf("noise_4m_s %.3f\n", noise4m);
    std::printf("text_entry_4mib_s %.3f\n", textEntry);
    return 0;
}
