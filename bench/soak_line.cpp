// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/soak_line.h"

#include "bench/benchline.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace soak {

const char *const kFaultNames[kFaultCount] = {"split",   "drop",    "delay",  "garbage",
                                              "error line", "silence", "hang-up", "cable pulled"};

const char *prepareHome(const QString &dir)
{
    const QDir home(dir);
    if (!QDir::setCurrent(dir))
        return "no working folder";
    for (const char *name : {"XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CONFIG_HOME"}) {
        const QString folder = home.filePath(QString::fromLatin1(name).section(QLatin1Char('_'), 1, 1).toLower());
        qputenv(name, QFile::encodeName(folder));
    }
    QFile settings(home.filePath(QStringLiteral("ZYNT.ini")));
    if (!settings.open(QIODevice::WriteOnly))
        return "no settings file";
    const QByteArray bytes = "ZYNT Schnittstellendaten:\r\nAutoscan=0\r\nCOMPort=1\r\nBaudrate=38400\r\n"
                             "Hardwarehandshake=0\r\nAnzahl ZYNT=1\r\nZYNTNr=1\r\n";
    if (settings.write(bytes) != bytes.size() || !settings.flush())
        return "the settings file cannot be written";
    return nullptr;
}

bool SoakLine::open()
{
    if (!m_clock.isValid())
        m_clock.start();
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
    line->setSilent(cableOut()); // a new adapter on a cable still pulled
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
    const QList<sim::Change> changes = m_line->takeChanges();
    for (const sim::Change &change : changes) {
        if (change.kind == sim::ChangeKind::Motion && change.command == "s")
            ++m_stops;
    }
    m_changes += changes;
}

int SoakLine::stopsCarriedOut()
{
    collect();
    return m_stops;
}

void SoakLine::pullCable(qint64 ms, QObject *owner)
{
    ++m_pulls;
    const qint64 back = m_clock.elapsed() + ms;
    if (back <= m_cableBack)
        return;
    m_cableBack = back;
    m_line->setSilent(true);
    plugBackLater(owner);
}

void SoakLine::plugBackLater(QObject *owner)
{
    // A timer may come a little early: it looks again until the time is up.
    const qint64 left = m_cableBack - m_clock.elapsed();
    QTimer::singleShot(int(std::max<qint64>(left, 1)), owner, [this, owner] {
        if (cableOut())
            plugBackLater(owner);
        else
            m_line->setSilent(false);
    });
}

bool SoakLine::inEntry()
{
    bool entry = false;
    m_line->withDrive(1, [&entry](sim::Drive &d) { entry = d.program.inEntry(); });
    return entry;
}

QList<QByteArray> SoakLine::takeReceived()
{
    collect();
    return std::exchange(m_received, {});
}

QList<QByteArray> SoakLine::lastReceived(int count)
{
    collect();
    return m_received.mid(std::max<qsizetype>(0, m_received.size() - count));
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
        line.pullCable(ms, owner);
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
    case Fault::CablePulled: {
        // Out for a few hundred ms (nothing notices but a lost answer) up to
        // past every watchdog; pulled once the drive has said a few more
        // bytes, or after a second and a half at the latest.
        const int ms = rng.bounded(3u) == 0 ? 300 + int(rng.bounded(1700)) : 2000 + int(rng.bounded(6000));
        const qint64 said = sim.bytesSent() + rng.bounded(800u);
        auto *watch = new QTimer(owner);
        line.armPull(1);
        QElapsedTimer armed;
        armed.start();
        QObject::connect(watch, &QTimer::timeout, owner, [watch, armed, said, ms, &line, owner] {
            if (line.line().bytesSent() < said && armed.elapsed() < 1500)
                return;
            watch->deleteLater();
            watch->stop();
            line.pullCable(ms, owner);
            line.armPull(-1);
        });
        watch->start(2);
        return 0;
    }
    }
    return 0;
}

} // namespace soak
