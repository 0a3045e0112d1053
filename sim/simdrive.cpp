// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simdrive.h"
#include "sim/adapter.h"
#include "sim/linerate.h"
#include "sim/driveanswers.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <random>
#include <tuple>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::nanoseconds;

// Smallest sleep between two slices of paced output: waking for every byte at
// 38400 baud would only burn the CPU.
constexpr nanoseconds kMinSlice = std::chrono::milliseconds(1);

struct Piece {
    QByteArray data;
    qsizetype written = 0;
    Clock::time_point notBefore;
    nanoseconds gapBefore{0};   // pause after the previous piece (chunking)
    nanoseconds byteTime{0};    // 0: unpaced
    bool started = false;
    Clock::time_point startTime;
};

// What the drive keeps up to date by itself: position, in-position, the
// on/off state, the analogue value, inputs, error and warning words.
bool ownedByDrive(const QByteArray &name)
{
    static const char *const owned[] = {"P51", "P336", "P134", "ADC", "P1300", "P11", "P12"};
    return std::any_of(std::begin(owned), std::end(owned), [&name](const char *o) { return name == o; });
}

bool changedSettings(const std::map<QByteArray, QByteArray> &before, const std::map<QByteArray, QByteArray> &after)
{
    for (const auto &[name, value] : after) {
        if (ownedByDrive(name))
            continue;
        const auto it = before.find(name);
        if (it == before.end() || it->second != value)
            return true;
    }
    return false;
}

struct PendingCommand {
    QByteArray line;
    Clock::time_point due;
    bool cut = false;   // some of its bytes came while the line was cut: the drive never had it whole
};


} // namespace

struct SimLine::Impl {
    mutable std::mutex mutex;
    mutable std::condition_variable received;   // receivedCommands grew
    std::condition_variable hungUpCv;

    int master = -1;
    int slaveHold = -1;     // our own slave fd: the master never sees a hang-up
    int wakeFd = -1;
    bool isPty = false;
    QString slave;
    QString link;

    std::thread thread;
    bool running = false;
    bool stopRequested = false;
    bool hangUpRequested = false;
    bool dead = false;

    int baud = 38400;
    std::map<int, Drive> drives;
    int lastAddressed = -1;
    std::vector<CommandHandler> handlers;

    bool emulate = false;
    int latencyUs = 0;
    AdapterHold adapter;
    Clock::time_point rxLineFree;
    Clock::time_point txLineFree;

    int chunkMin = 0;
    int chunkMax = 0;
    std::mt19937 rng;
    int dropCount = 0;
    bool silent = false;
    std::optional<QByteArray> nextError;

    QByteArray input;
    bool inputCut = false;
    qint64 sent = 0;
    QList<QByteArray> masterPieces = {"#0R", "#7P51?\r"};
    nanoseconds masterInterval = std::chrono::milliseconds(200);
    bool masterRunning = false;
    qsizetype masterNext = 0;
    Clock::time_point masterDue;
    std::deque<PendingCommand> pending;
    std::deque<Piece> output;
    QList<QByteArray> commands;
    QList<Change> changes;

    nanoseconds byteTime() const
    {
        // Start bit, 8 data bits, stop bit.
        return nanoseconds(10LL * 1'000'000'000LL / std::max(baud, 1));
    }

    void closeLine()
    {
        if (master >= 0)
            ::close(master);
        if (slaveHold >= 0)
            ::close(slaveHold);
        master = slaveHold = -1;
    }

    void wake()
    {
        if (wakeFd >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(wakeFd, &one, sizeof one);
        }
    }

    // Bytes from the line: split into commands at "\r"; with line emulation a
    // command counts as received once all its bytes could have crossed the line.
    void feed(const char *bytes, ssize_t count, Clock::time_point now)
    {
        for (ssize_t i = 0; i < count; ++i) {
            input += bytes[i];
            inputCut = inputCut || silent;
            Clock::time_point due = now;
            if (emulate) {
                rxLineFree = std::max(rxLineFree, now) + byteTime();
                due = rxLineFree;
            }
            if (bytes[i] == '\r') {
                pending.push_back({input, due, inputCut});
                input.clear();
                inputCut = false;
            }
        }
    }

    QByteArray answerFor(Drive &drive, const QByteArray &command, Clock::time_point now)
    {
        // Whether a line is the program's depends on the entry it arrives in.
        const std::optional<ChangeKind> kind = changeKindOf(command, drive.program.inEntry());
        const bool assignment = kind == ChangeKind::Assignment || kind == ChangeKind::Output;
        const std::map<QByteArray, QByteArray> before = assignment ? drive.values : std::map<QByteArray, QByteArray>();
        QByteArray answer = answerOf(drive, command, now);
        // An assignment counts when it changed a value the drive does not
        // keep up to date by itself.
        if (kind && (!assignment || changedSettings(before, drive.values)))
            changes.append({drive.address, command, *kind});
        return answer;
    }

    QByteArray answerOf(Drive &drive, const QByteArray &command, Clock::time_point now)
    {
        for (const auto &handler : handlers) {
            if (std::optional<QByteArray> answer = handler(drive, command))
                return *answer;
        }
        return driveAnswer(drive, command, now);
    }

    void process(QByteArray line, Clock::time_point due, Clock::time_point now, bool cut = false)
    {
        // Anything in front of the "#" is line noise, not part of the command.
        const qsizetype hash = line.indexOf('#');
        if (hash > 0)
            line = line.mid(hash);
        commands.append(line);
        received.notify_all();

        if (line == "#0RUN\r") {
            masterRunning = !masterPieces.isEmpty();
            masterDue = now + masterInterval;
            return;
        }
        if (line == "#*s\r" || line == "#200S\r")
            masterRunning = false;

        if (hash < 0 || drives.empty())
            return;
        const QByteArray body = line.mid(1).chopped(1);     // without "#" and "\r"
        qsizetype pos = 0;
        std::vector<Drive *> targets;
        if (body.startsWith('*')) {
            pos = 1;
            for (auto &[address, drive] : drives)
                targets.push_back(&drive);
        } else {
            while (pos < body.size() && std::isdigit(static_cast<unsigned char>(body[pos])))
                ++pos;
            if (pos > 9)
                return;
            // A command without an address is for the drive addressed last
            // (the status poll sends all but its first query so).
            const int address = pos == 0 ? lastAddressed : body.left(pos).toInt();
            if (pos == 0 && body.isEmpty())
                return;
            const auto it = drives.find(address);
            if (it == drives.end())
                return;
            targets.push_back(&it->second);
            lastAddressed = address;
        }
        const QByteArray command = body.mid(pos);

        // A drive at another rate sees only garbage and says nothing.
        if (isPty && lineRate(master) != baud)
            return;
        if (silent || cut)
            return;
        if (dropCount > 0) {
            --dropCount;
            return;
        }
        QByteArray answer;
        if (nextError) {
            answer = "\n**" + *nextError + "\r";
            nextError.reset();
        } else {
            // A broadcast reaches every drive; only the first one answers.
            answer = answerFor(*targets.front(), command, now);
            for (size_t i = 1; i < targets.size(); ++i)
                answerFor(*targets[i], command, now);
        }
        // The answer is timed from when the command was complete, not from
        // when this thread woke to see it: a late wake-up is made up by
        // sending what is overdue at once.
        const Clock::time_point start = emulate ? due + std::chrono::microseconds(latencyUs) : now;
        queueOutput(line + answer, start);
    }

    void queueOutput(const QByteArray &bytes, Clock::time_point start)
    {
        const nanoseconds paced = emulate ? byteTime() : nanoseconds(0);
        if (chunkMax <= 0) {
            output.push_back({bytes, 0, start, nanoseconds(0), paced, false, {}});
            return;
        }
        std::uniform_int_distribution<int> size(chunkMin, chunkMax);
        std::uniform_int_distribution<int> gapUs(1000, 3000);
        qsizetype pos = 0;
        bool first = true;
        while (pos < bytes.size()) {
            const qsizetype n = std::min<qsizetype>(size(rng), bytes.size() - pos);
            const nanoseconds gap = first ? nanoseconds(0) : nanoseconds(std::chrono::microseconds(gapUs(rng)));
            output.push_back({bytes.mid(pos, n), 0, start, gap, paced, false, {}});
            pos += n;
            first = false;
        }
    }

    // Writes what is due, through the adapter where there is one. Returns
    // the time of the next due byte (or max()), and sets needWritable when
    // the line is full.
    Clock::time_point flush(Clock::time_point now, bool &needWritable)
    {
        needWritable = false;
        if (!adapter.present() && adapter.idle())
            return pace(now, needWritable);
        // While the program leaves the adapter's bytes unread, nothing more
        // comes off the line, as a full line stops the drive.
        if (!writePassedOn(now, needWritable))
            return Clock::time_point::max();
        const Clock::time_point next = pace(now, needWritable);
        writePassedOn(now, needWritable);
        return std::min(next, adapter.nextPassOn());
    }

    // The bytes of p from its written count on leave the drive: to the
    // program, or into the adapter, each at the time it is off the line.
    // Returns how many were taken, as write does.
    ssize_t toLine(const Piece &p, qsizetype count, Clock::time_point now)
    {
        if (!adapter.present())
            return ::write(master, p.data.constData() + p.written, size_t(count));
        for (qsizetype i = p.written; i < p.written + count; ++i)
            adapter.hold(p.data[i], p.byteTime.count() > 0 ? p.startTime + static_cast<long>(i + 1) * p.byteTime : now);
        return ssize_t(count);
    }

    // Writes what the adapter passed on; false while some of it waits for room.
    bool writePassedOn(Clock::time_point now, bool &needWritable)
    {
        QByteArray &out = adapter.passedOn(now);
        if (master < 0)
            out.clear();    // the line is gone
        while (!out.isEmpty()) {
            const ssize_t n = ::write(master, out.constData(), size_t(out.size()));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    needWritable = true;
                else
                    out.clear();    // the line is gone
                break;
            }
            out.remove(0, n);
            sent += n;
        }
        return out.isEmpty();
    }

    // Moves what is due from the pieces onto the line. Returns the time of
    // the next due byte (or max()), and sets needWritable when the line is full.
    Clock::time_point pace(Clock::time_point now, bool &needWritable)
    {
        while (!output.empty()) {
            if (master < 0) {
                output.clear();
                adapter.clear();
                break;
            }
            Piece &p = output.front();
            if (!p.started) {
                if (now < p.notBefore)
                    return p.notBefore;
                p.started = true;
                p.startTime = p.byteTime.count() > 0 ? std::max(p.notBefore, txLineFree) : now;
            }
            qsizetype allowed = p.data.size();
            if (p.byteTime.count() > 0) {
                // A byte leaves only when its ten bit times have passed.
                allowed = std::min<qsizetype>(allowed, (now - p.startTime) / p.byteTime);
                if (allowed <= p.written) {
                    // Wake in slices, but never past the piece's last byte:
                    // the answer must be complete exactly when the line says.
                    const Clock::time_point nextByte = p.startTime + static_cast<long>(p.written + 1) * p.byteTime;
                    const Clock::time_point lastByte = p.startTime + static_cast<long>(p.data.size()) * p.byteTime;
                    return std::max(nextByte, std::min(now + kMinSlice, lastByte));
                }
            }
            const qsizetype want = allowed - p.written;
            const ssize_t n = toLine(p, want, now);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    needWritable = true;
                } else if (errno != EINTR) {
                    output.clear();     // the line is gone
                }
                break;
            }
            p.written += n;
            if (!adapter.present())
                sent += n;
            if (p.written == p.data.size()) {
                if (p.byteTime.count() > 0)
                    txLineFree = p.startTime + static_cast<long>(p.data.size()) * p.byteTime;
                output.pop_front();
                if (!output.empty() && output.front().gapBefore.count() > 0)
                    output.front().notBefore = std::max(output.front().notBefore,
                                                        now + output.front().gapBefore);
            } else if (n < want) {
                needWritable = true;
                break;
            }
        }
        return Clock::time_point::max();
    }

    void run()
    {
        // Paced output wakes on the byte time; the default 50 us of timer
        // slack would stretch every answer at high rates.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        std::unique_lock lock(mutex);
        char buffer[4096];
        while (!stopRequested) {
            if (hangUpRequested) {
                closeLine();
                output.clear();
                adapter.clear();
                pending.clear();
                hangUpRequested = false;
                dead = true;
                hungUpCv.notify_all();
            }
            Clock::time_point now = Clock::now();
            while (!pending.empty() && pending.front().due <= now) {
                PendingCommand command = std::move(pending.front());
                pending.pop_front();
                process(std::move(command.line), command.due, now, command.cut);
            }
            if (masterRunning && !silent && now >= masterDue) {
                queueOutput(masterPieces[masterNext++ % masterPieces.size()], now);
                masterDue = now + masterInterval;
            }
            bool needWritable = false;
            Clock::time_point next = flush(now, needWritable);
            if (masterRunning)
                next = std::min(next, masterDue);
            if (!pending.empty())
                next = std::min(next, pending.front().due);

            pollfd fds[2] = {{wakeFd, POLLIN, 0}, {master, POLLIN, 0}};
            if (needWritable)
                fds[1].events |= POLLOUT;
            const nfds_t count = master >= 0 ? 2 : 1;
            timespec timeout {};
            timespec *timeoutPtr = nullptr;     // idle: sleep until something happens
            if (next != Clock::time_point::max()) {
                // From the time now: the work above must not push the wake-up on.
                const auto wait = std::max(nanoseconds(0), std::chrono::duration_cast<nanoseconds>(next - Clock::now()));
                timeout.tv_sec = time_t(wait.count() / 1'000'000'000);
                timeout.tv_nsec = long(wait.count() % 1'000'000'000);
                timeoutPtr = &timeout;
            }
            lock.unlock();
            const int ready = ::ppoll(fds, count, timeoutPtr, nullptr);
            lock.lock();
            if (ready <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                uint64_t value;
                [[maybe_unused]] ssize_t n = ::read(wakeFd, &value, sizeof value);
            }
            if (count == 2 && master >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
                bool gone = false;
                for (;;) {
                    const ssize_t n = ::read(master, buffer, sizeof buffer);
                    if (n > 0) {
                        feed(buffer, n, Clock::now());
                        // A short read took everything; the next look
                        // would only come back empty.
                        if (n < ssize_t(sizeof buffer))
                            break;
                        continue;
                    }
                    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                        gone = true;
                    break;
                }
                if (gone && !(fds[1].revents & POLLIN)) {
                    // Only a device can get here (our slave fd keeps a pty up):
                    // nothing more will come, so do not spin on it.
                    closeLine();
                    dead = true;
                }
            }
        }
    }
};

SimLine::SimLine()
    : d(std::make_unique<Impl>())
{
}

SimLine::~SimLine()
{
    stop();
    removeLink();
    std::lock_guard lock(d->mutex);
    d->closeLine();
}

QString SimLine::openPty()
{
    std::lock_guard lock(d->mutex);
    if (d->master >= 0 || d->dead)
        return {};
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return {};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        ::close(master);
        return {};
    }
    char name[256];
    if (::ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        return {};
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        ::close(master);
        return {};
    }
    // Raw before the program opens it; the program sets its rate itself.
    termios tio {};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    d->master = master;
    d->slaveHold = slave;
    d->isPty = true;
    d->slave = QString::fromLocal8Bit(name);
    return d->slave;
}

bool SimLine::openDevice(const QString &path)
{
    std::lock_guard lock(d->mutex);
    if (d->master >= 0 || d->dead)
        return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    termios tio {};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    d->master = fd;
    d->isPty = false;
    d->slave = path;
    return true;
}

bool SimLine::makeLink(const QString &linkPath)
{
    std::lock_guard lock(d->mutex);
    if (d->slave.isEmpty() || !d->isPty)
        return false;
    const QByteArray path = QFile::encodeName(linkPath);
    ::unlink(path.constData());
    if (::symlink(QFile::encodeName(d->slave).constData(), path.constData()) != 0)
        return false;
    d->link = linkPath;
    return true;
}

void SimLine::removeLink()
{
    std::lock_guard lock(d->mutex);
    if (d->link.isEmpty())
        return;
    // Someone else may have replaced it meanwhile; that one is not ours.
    const QByteArray link = QFile::encodeName(d->link);
    char target[512];
    const ssize_t n = ::readlink(link.constData(), target, sizeof target);
    if (n > 0 && QByteArray(target, n) == QFile::encodeName(d->slave))
        ::unlink(link.constData());
    d->link.clear();
}

QString SimLine::slavePath() const
{
    std::lock_guard lock(d->mutex);
    return d->slave;
}

void SimLine::setBaud(int bitsPerSecond)
{
    std::lock_guard lock(d->mutex);
    d->baud = bitsPerSecond;
}

Drive &SimLine::addDrive(int address)
{
    std::lock_guard lock(d->mutex);
    auto [it, added] = d->drives.try_emplace(address);
    if (added) {
        it->second.address = address;
        setDefaults(it->second);
    }
    return it->second;
}

void SimLine::withDrive(int address, const std::function<void(Drive &)> &change)
{
    std::lock_guard lock(d->mutex);
    auto [it, added] = d->drives.try_emplace(address);
    if (added) {
        it->second.address = address;
        setDefaults(it->second);
    }
    change(it->second);
}

void SimLine::addCommand(CommandHandler handler)
{
    std::lock_guard lock(d->mutex);
    d->handlers.push_back(std::move(handler));
}

void SimLine::setLineEmulation(bool on, int latencyUs)
{
    std::lock_guard lock(d->mutex);
    d->emulate = on;
    d->latencyUs = std::max(0, latencyUs);
}

void SimLine::setAdapterLatency(int ms)
{
    std::lock_guard lock(d->mutex);
    d->adapter.setLatency(std::chrono::milliseconds(std::max(0, ms)));
    d->wake();
}

void SimLine::setChunking(int minBytes, int maxBytes, uint32_t seed)
{
    std::lock_guard lock(d->mutex);
    d->chunkMin = std::max(1, minBytes);
    d->chunkMax = maxBytes <= 0 ? 0 : std::max(d->chunkMin, maxBytes);
    d->rng.seed(seed);
}

void SimLine::setMasterTraffic(const QList<QByteArray> &pieces, int intervalMs)
{
    std::lock_guard lock(d->mutex);
    d->masterPieces = pieces;
    d->masterInterval = std::chrono::milliseconds(std::max(1, intervalMs));
}

void SimLine::dropAnswers(int count)
{
    std::lock_guard lock(d->mutex);
    d->dropCount = std::max(0, count);
}

int SimLine::answersToDrop() const
{
    std::lock_guard lock(d->mutex);
    return d->dropCount;
}

void SimLine::setSilent(bool silent)
{
    std::lock_guard lock(d->mutex);
    d->silent = silent;
}

void SimLine::sendRaw(const QByteArray &bytes)
{
    std::lock_guard lock(d->mutex);
    d->queueOutput(bytes, Clock::now());
    d->wake();
}

qint64 SimLine::bytesSent() const
{
    std::lock_guard lock(d->mutex);
    return d->sent;
}

bool SimLine::outputIdle() const
{
    std::lock_guard lock(d->mutex);
    return d->output.empty() && d->pending.empty() && d->adapter.idle();
}

void SimLine::setNextErrorLine(const QByteArray &text)
{
    std::lock_guard lock(d->mutex);
    d->nextError = text;
}

void SimLine::hangUp()
{
    // A pulled adapter takes its device name with it; a line that comes
    // back later (perhaps on the same pseudo-terminal number) makes its own.
    removeLink();
    std::unique_lock lock(d->mutex);
    if (!d->running) {
        d->closeLine();
        d->dead = true;
        return;
    }
    d->hangUpRequested = true;
    d->wake();
    d->hungUpCv.wait(lock, [this] { return d->dead || !d->running; });
}

bool SimLine::start()
{
    std::lock_guard lock(d->mutex);
    if (d->running || d->master < 0)
        return false;
    if (!d->isPty)
        setLineRate(d->master, d->baud);    // a real line runs at the drive's rate
    d->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (d->wakeFd < 0)
        return false;
    d->stopRequested = false;
    d->running = true;
    d->thread = std::thread([this] { d->run(); });
    return true;
}

void SimLine::stop()
{
    {
        std::lock_guard lock(d->mutex);
        if (!d->running)
            return;
        d->stopRequested = true;
        d->wake();
    }
    d->thread.join();
    std::lock_guard lock(d->mutex);
    d->running = false;
    ::close(d->wakeFd);
    d->wakeFd = -1;
    d->hungUpCv.notify_all();
}

QList<QByteArray> SimLine::receivedCommands() const
{
    std::lock_guard lock(d->mutex);
    return d->commands;
}

QList<Change> SimLine::takeChanges()
{
    std::lock_guard lock(d->mutex);
    return std::exchange(d->changes, {});
}

void SimLine::clearReceived()
{
    std::lock_guard lock(d->mutex);
    d->commands.clear();
}

bool SimLine::waitForCommands(int count, int timeoutMs) const
{
    std::unique_lock lock(d->mutex);
    return d->received.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [this, count] { return d->commands.size() >= count; });
}

} // namespace sim
