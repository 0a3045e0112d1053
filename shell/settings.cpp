// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/settings.h"

#include "shell/textlines.h"

#include <algorithm>

namespace settings {

namespace {

std::optional<int> decimal(const QByteArray &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<QByteArray> valueOf(const QByteArray &line, const char *key)
{
    if (!line.startsWith(key))
        return std::nullopt;
    return line.mid(qsizetype(qstrlen(key)));
}

} // namespace

const std::array<DriveRate, 6> &driveRates()
{
    // By hand, 2400 baud keeps the poll period of the settings file and the
    // watchdog as it is, while 1200 and 4800 baud get the slow watchdog.
    static const std::array<DriveRate, 6> rates = {{
        {br_001200, 1200, 800, 3000, "1200 baud", "  1200 baud - address", 500, 400, 3000},
        {br_002400, 2400, 400, 3000, "2400 baud", "  2400 baud - address", 400, 400, 0},
        {br_004800, 4800, 300, 0, "4800 baud", "  4800 baud - address", 400, 300, 3000},
        {br_009600, 9600, 250, 0, "9600 baud", "  9600 baud - address", 400, 250, 0},
        {br_019200, 19200, 200, 0, "19200 baud (Standard)", " 19200 baud - address", 400, 200, 0},
        {br_038400, 38400, 100, 0, "38400 baud", " 38400 baud - address", 400, 100, 0},
    }};
    return rates;
}

const DriveRate *driveRate(int baud)
{
    for (const DriveRate &rate : driveRates()) {
        if (rate.baud == baud)
            return &rate;
    }
    return nullptr;
}

const DriveRate *driveRate(TBaudrate value)
{
    for (const DriveRate &rate : driveRates()) {
        if (rate.rate == value)
            return &rate;
    }
    return nullptr;
}

int pollInterval(int baud)
{
    const DriveRate *rate = driveRate(baud);
    return rate ? rate->pollInterval : 0;
}

QByteArray interfaceDescription(int port, int baud)
{
    return "COM" + QByteArray::number(port) + ':' + QByteArray::number(baud) + " Baud - address ";
}

void read(const QByteArray &bytes, State &state)
{
    TextLines lines(bytes);
    lines.next(); // title

    // A value that is not a number means no search, as any number but 1 does.
    state.autoscan = 0;
    if (const auto rest = valueOf(lines.next(), "Autoscan="))
        state.autoscan = decimal(*rest) == 1 ? 1 : 0;
    const bool fromFile = state.autoscan == 0;

    const QByteArray portLine = lines.next();
    if (fromFile) {
        if (const auto rest = valueOf(portLine, "COMPort=")) {
            if (const auto port = decimal(*rest)) {
                state.port = *port;
                state.interfaceDescription = "COM" + QByteArray::number(*port) + ':';
            }
        }
    }

    const QByteArray baudLine = lines.next();
    int baudNumber = 0;
    if (fromFile) {
        if (const auto rest = valueOf(baudLine, "Baudrate=")) {
            baudNumber = decimal(*rest).value_or(0);
            // Any other value is taken as the drives' standard rate.
            const DriveRate *rate = driveRate(baudNumber);
            state.baudrate = rate ? rate->rate : br_019200;
            state.interfaceDescription += *rest + " Baud - address ";
        }
    }

    const QByteArray handshakeLine = lines.next();
    if (fromFile) {
        if (const auto rest = valueOf(handshakeLine, "Hardwarehandshake=")) {
            if (const auto value = decimal(*rest))
                state.handshake = *value == 1;
        }
    }

    int &count = state.addresses[0];
    const QByteArray countLine = lines.next();
    if (fromFile && !countLine.isEmpty()) {
        if (const auto rest = valueOf(countLine, "Anzahl ZYNT=")) {
            if (const auto value = decimal(*rest))
                count = std::clamp(*value, 0, kMaxAddresses);
        }
        if (count > 1)
            state.timer8 = count * 500;
        if (const int poll = pollInterval(baudNumber)) {
            state.interfaceDescription = interfaceDescription(state.port.value_or(1), baudNumber);
            state.timer3 = poll;
        }
        // A count of 0 would leave these at 0 ms, and a timer of 0 ms fires
        // without pause; the intervals are those of one drive then.
        const int drives = std::max(count, 1);
        state.timer3 *= drives;
        state.timer11 = drives * 2000;
        state.timer9 = drives * 2000;
    }

    const QByteArray addressLine = lines.next();
    if (fromFile) {
        if (auto rest = valueOf(addressLine, "ZYNTNr=")) {
            auto add = [&state](int index, int address) {
                state.addresses[index] = address;
                if (address == 200)
                    state.masterAddress = 1;
                state.addedItems.append(QByteArray::number(address));
            };
            for (int i = 1; i <= count; ++i) {
                QByteArray entry;
                const qsizetype comma = rest->indexOf(',');
                if (comma >= 0) {
                    entry = rest->left(comma);
                    rest->remove(0, comma + 1);
                } else {
                    entry = *rest;
                    count = i;
                }
                const auto address = decimal(entry);
                if (!address || *address < 0 || *address > kHighestAddress) {
                    // The list ends here; an entry without an address does
                    // not count, except that an empty list stands for one
                    // drive (which the next step makes address 1).
                    state.addresses[i] = 0;
                    count = std::max(i - 1, 1);
                    break;
                }
                add(i, *address);
            }
            if (count > 0 && state.addresses[1] == 0)
                add(1, 1);
            state.driveAddress = QByteArray::number(state.addresses[1]);
        }
    }
}

QByteArray write(int port, int baud, bool handshake, const std::vector<int> &addresses)
{
    const int count = addresses.empty() ? 0 : std::clamp(addresses[0], 0, int(addresses.size()) - 1);
    QByteArray list;
    if (count == 1) {
        list = QByteArray::number(addresses[1]);
    } else {
        for (int i = 1; i <= count; ++i)
            list += QByteArray::number(addresses[i]) + ',';
    }
    QByteArray file;
    file += "ZYNT Schnittstellendaten:\r\n";
    file += "Autoscan=0\r\n";
    file += "COMPort=" + QByteArray::number(port) + "\r\n";
    file += "Baudrate=" + QByteArray::number(baud) + "\r\n";
    file += QByteArray("Hardwarehandshake=") + (handshake ? "1" : "0") + "\r\n";
    file += "Anzahl ZYNT=" + QByteArray::number(count) + "\r\n";
    file += "ZYNTNr=" + list + "\r\n";
    return file;
}

} // namespace settings
