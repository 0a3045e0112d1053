// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/bench_floor.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <thread>

namespace bench {

namespace {

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// The drive's side: plain blocking reads, a command found at its carriage
// return byte by byte, and its echo with the acknowledgement in one write.
void answer(int master, int count)
{
    QByteArray line;
    char buffer[256];
    for (int answered = 0; answered < count;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            return;
        for (ssize_t i = 0; i < n; ++i) {
            line += buffer[i];
            if (buffer[i] != '\r')
                continue;
            line += "\nok\n\r";
            if (!writeAll(master, line.constData(), line.size()))
                return;
            line.clear();
            ++answered;
        }
    }
}

} // namespace

double ptyFloorRoundTripsPerSecond(int count)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return -1;
    char name[256];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        return -1;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        ::close(master);
        return -1;
    }
    // Raw, as the program sets its port: no echo, no line editing.
    termios tio {};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B38400);
    ::cfsetospeed(&tio, B38400);
    ::tcsetattr(slave, TCSANOW, &tio);

    std::thread drive(answer, master, count);

    static constexpr char kCommand[] = "#1s\r";
    char buffer[256];
    bool ok = true;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; ok && i < count; ++i) {
        ok = writeAll(slave, kCommand, 4);
        for (int returns = 0; ok && returns < 2;) {
            const ssize_t n = ::read(slave, buffer, sizeof buffer);
            ok = n > 0;
            for (ssize_t j = 0; j < n; ++j)
                returns += buffer[j] == '\r';
        }
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    // A drive still waiting for a command reads end of line once the
    // program's side is closed.
    ::close(slave);
    drive.join();
    ::close(master);
    return ok && seconds > 0 ? count / seconds : -1;
}

} // namespace bench
