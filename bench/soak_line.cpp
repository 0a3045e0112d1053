// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/soak_line.h"

#include "bench/benchline.h"

#include <QTimer>

#include <cstdio>

namespace soak {

const char *const kFaultNames[kFaultCount] = {"split", "drop", "delay", "garbage", "error line", "silence", "hang-up"};

bool SoakLine::open()
{
    const std::set<pid_t> before = bench::threadIds();
    auto line = std::make_unique<sim::SimLine>();
    if (line->openPty().isEmpty() || !line->makeLink(m_link))
        return false;
    line->setBaud(38400);
    line->addDrive(1);
    if (m_line) {
        collect();
        sim::Drive kept;
        m_line->withDrive(1, [&kept](sim::Drive &d) { kept = d; });
        line->withDrive(1, [&kept](sim::Drive &d) { d = kept; });
    }
    line->setLineEmulation(true, 1000);
    if (!line->start())
        return false;
    for (pid_t tid : bench::threadIds()) {
        if (!before.count(tid))
            m_simThreads.insert(tid);
    }
    m_line = std::move(line); // the old line (hung up) goes
    return true;
}

void SoakLine::collect()
{
    m_received += m_line->receivedCommands();
    m_line->clearReceived();
    m_changes += m_line->takeChanges();
}

QList<QByteArray> SoakLine::takeReceived()
{
    collect();
    return std::exchange(m_received, {});
}

QList<sim::Change> SoakLine::takeChanges()
{
    collect();
    return std::exchange(m_changes, {});
}

QList<QByteArray> SoakLine::program()
{
    QList<QByteArray> lines;
    m_line->withDrive(1, [&lines](sim::Drive &d) { lines = d.program.lines(); });
    return lines;
}

qint64 startFault(Fault fault, QRandomGenerator &rng, SoakLine &line, QObject *owner)
{
    sim::SimLine &sim = line.line();
    switch (fault) {
    case Fault::Split: {
        const int ms = 5000 + int(rng.bounded(5000));
        sim.setChunking(1, 3, rng.generate());
        QTimer::singleShot(ms, owner, [&line] { line.line().setChunking(0, 0, 0); });
        return ms;
    }
    case Fault::Drop:
        sim.dropAnswers(1 + int(rng.bounded(3)));
        return 0;
    case Fault::Delay: {
        const int ms = 4000 + int(rng.bounded(4000));
        sim.setLineEmulation(true, 3000 * 1000); // answers come after the watchdog
        QTimer::singleShot(ms, owner, [&line] { line.line().setLineEmulation(true, 1000); });
        return ms + 3000; // what was asked meanwhile is still answered late
    }
    case Fault::Garbage: {
        QByteArray noise(1 + int(rng.bounded(4000)), Qt::Uninitialized);
        for (char &c : noise)
            c = char(rng.bounded(256));
        sim.sendRaw(noise);
        return 0;
    }
    case Fault::ErrorLine:
        sim.setNextErrorLine("Wert ungueltig");
        return 0;
    case Fault::Silence: {
        const int ms = 3000 + int(rng.bounded(6000));
        sim.setSilent(true);
        QTimer::singleShot(ms, owner, [&line] { line.line().setSilent(false); });
        return ms;
    }
    case Fault::HangUp: {
        const int ms = 2000 + int(rng.bounded(4000));
        sim.hangUp();
        QTimer::singleShot(ms, owner, [&line] {
            if (!line.open())
                std::fprintf(stderr, "soak: the line did not come back\n");
        });
        return ms;
    }
    }
    return 0;
}

} // namespace soak
