// SPDX-License-Identifier: GPL-3.0-or-later
// zynt-sim: simulated ZYNT drives on a pseudo-terminal (or a real line), for
// trying the program without hardware.
#include "sim/simdrive.h"
#include "zyntversion.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <pthread.h>

namespace {

const char kUsage[] =
    "usage: zynt-sim [--pty | --device PATH] [--link PATH] [--baud N]\n"
    "                [--address LIST] [--status-digit D] [--line-rate] [--latency-us N]\n"
    "       zynt-sim --help | --version\n";

const char kHelp[] =
    "\n"
    "Simulated ZYNT drives on a serial line, for trying zynt and zynt-cli without\n"
    "hardware. Prints the line's device and runs until SIGINT or SIGTERM.\n"
    "\n"
    "  --pty             a new pseudo-terminal (the default)\n"
    "  --device PATH     answer on this serial device instead\n"
    "  --link PATH       a symbolic link to the line's device, removed at the end\n"
    "                    (point zynt at it with ZYNT_COM1=PATH)\n"
    "  --baud N          the drives' rate (default 38400); other rates go unheard\n"
    "  --address LIST    the drives' addresses, e.g. 1 or 1,2,5 (default 1)\n"
    "  --status-digit D  the digit 0 to 9 every status answer carries (default: none)\n"
    "  --line-rate       answer no faster than the bytes would take at the rate\n"
    "  --latency-us N    wait N microseconds before each answer\n"
    "  --help            this text\n"
    "  --version         the program's version\n"
    "\n"
    "Example: zynt-sim --link /tmp/COM1 & ZYNT_COM1=/tmp/COM1 zynt\n";

// Wrong arguments: the usage on standard error, exit status 2.
void usage()
{
    std::fputs(kUsage, stderr);
}

bool toInt(const char *text, int &value)
{
    bool ok = false;
    value = QByteArray(text).toInt(&ok);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QString device;
    QString link;
    int baud = 38400;
    QList<int> addresses{1};
    int statusDigit = -1;
    bool lineRate = false;
    int latencyUs = 0;

    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0) {
            std::puts("zynt-sim " ZYNT_VERSION);
            return 0;
        }
        if (std::strcmp(arg, "--pty") == 0) {
            device.clear();
        } else if (std::strcmp(arg, "--device") == 0 && hasValue) {
            device = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(arg, "--link") == 0 && hasValue) {
            link = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(arg, "--baud") == 0 && hasValue) {
            if (!toInt(argv[++i], baud) || baud <= 0) {
                usage();
                return 2;
            }
        } else if (std::strcmp(arg, "--address") == 0 && hasValue) {
            addresses.clear();
            for (const QString &part : QString::fromLocal8Bit(argv[++i]).split(',', Qt::SkipEmptyParts)) {
                bool ok = false;
                const int address = part.trimmed().toInt(&ok);
                if (!ok || address < 0) {
                    usage();
                    return 2;
                }
                addresses.append(address);
            }
            if (addresses.isEmpty()) {
                usage();
                return 2;
            }
        } else if (std::strcmp(arg, "--status-digit") == 0 && hasValue) {
            if (!toInt(argv[++i], statusDigit) || statusDigit < -1 || statusDigit > 9) {
                usage();
                return 2;
            }
        } else if (std::strcmp(arg, "--line-rate") == 0) {
            lineRate = true;
        } else if (std::strcmp(arg, "--latency-us") == 0 && hasValue) {
            if (!toInt(argv[++i], latencyUs) || latencyUs < 0) {
                usage();
                return 2;
            }
        } else {
            usage();
            return 2;
        }
    }

    // Block the signals before the line's thread exists, so that it inherits
    // the mask and only sigwait below ever takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::SimLine line;
    QString slave;
    if (device.isEmpty()) {
        slave = line.openPty();
        if (slave.isEmpty()) {
            std::fprintf(stderr, "zynt-sim: cannot open a pseudo-terminal\n");
            return 1;
        }
    } else {
        if (!line.openDevice(device)) {
            std::fprintf(stderr, "zynt-sim: cannot open %s\n", qPrintable(device));
            return 1;
        }
        slave = device;
    }
    line.setBaud(baud);
    line.setLineEmulation(lineRate, latencyUs);
    for (int address : addresses)
        line.addDrive(address).statusDigit = statusDigit;
    if (!link.isEmpty() && !line.makeLink(link)) {
        std::fprintf(stderr, "zynt-sim: cannot make the link %s\n", qPrintable(link));
        return 1;
    }
    if (!line.start()) {
        std::fprintf(stderr, "zynt-sim: cannot start the line\n");
        return 1;
    }

    std::printf("ZYNT simulated drive on %s\n", qPrintable(slave));
    if (!link.isEmpty())
        std::printf("linked as %s\n", qPrintable(link));
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    line.stop();
    line.removeLink();
    return 0;
}
