// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/clirules.h"

#include "shell/cp1252.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <algorithm>

namespace cli {

namespace {

// The options that take a value, and those that do not.
const QStringList kValueOptions = {"--port", "--baud", "--address", "--backup-to", "--language"};
const QStringList kFlags = {"--json", "--quiet", "--all", "--force", "--save", "--no-backup", "--keep", "--write-type", "--truncate", "--dry-run", "--help", "-h", "--version"};

// How many arguments each command takes: at least, at most (-1: any number).
struct CommandShape {
    const char *name;
    int least;
    int most;
};
const CommandShape kCommands[] = {
    {"scan", 0, 0}, {"backup", 1, 1}, {"restore", 1, 1}, {"diff", 1, 1},
    {"get", 1, -1}, {"set", 1, -1},   {"program", 2, 2}, {"recover", 0, 0}, {"ports", 0, 0},
};

std::optional<int> number(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

Parsed wrong(const QString &error)
{
    Parsed parsed;
    parsed.error = error;
    return parsed;
}

} // namespace

const QList<int> &driveRates()
{
    static const QList<int> rates = {38400, 19200, 9600, 4800, 2400, 1200};
    return rates;
}

Parsed parseArguments(const QStringList &arguments)
{
    Options options;
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--")) && argument != QLatin1String("-h")) {
            rest << argument; // the command and its arguments; options may come between them
            continue;
        }
        QString value;
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        if (equals > 0) {
            value = argument.mid(equals + 1);
            argument = argument.left(equals);
        }
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            Parsed parsed;
            parsed.help = true;
            return parsed;
        }
        if (argument == QLatin1String("--version")) {
            Parsed parsed;
            parsed.version = true;
            return parsed;
        }
        if (kFlags.contains(argument)) {
            if (equals > 0)
                return wrong(QStringLiteral("%1 takes no value").arg(argument));
            options.json |= argument == QLatin1String("--json");
            options.quiet |= argument == QLatin1String("--quiet");
            options.all |= argument == QLatin1String("--all");
            options.force |= argument == QLatin1String("--force");
            options.save |= argument == QLatin1String("--save");
            options.noBackup |= argument == QLatin1String("--no-backup");
            options.keep |= argument == QLatin1String("--keep");
            options.writeType |= argument == QLatin1String("--write-type");
            options.truncate |= argument == QLatin1String("--truncate");
            options.dryRun |= argument == QLatin1String("--dry-run");
            continue;
        }
        if (!kValueOptions.contains(argument))
            return wrong(QStringLiteral("unknown option %1").arg(argument));
        if (equals < 0) {
            if (i + 1 >= arguments.size())
                return wrong(QStringLiteral("%1 needs a value").arg(argument));
            value = arguments[++i];
        }
        if (argument == QLatin1String("--port")) {
            static const QStringList names = {"COM1", "COM2", "COM3", "COM4"};
            if (!names.contains(value.toUpper()) && !value.contains(QLatin1Char('/')))
                return wrong(QStringLiteral("--port takes COM1 to COM4 or a device path, not %1").arg(value));
            options.port = value.contains(QLatin1Char('/')) ? value : value.toUpper();
        } else if (argument == QLatin1String("--baud")) {
            const std::optional<int> baud = number(value);
            if (!baud || !driveRates().contains(*baud))
                return wrong(QStringLiteral("--baud takes 1200, 2400, 4800, 9600, 19200 or 38400, not %1").arg(value));
            options.baud = baud;
        } else if (argument == QLatin1String("--address")) {
            for (const QString &part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const std::optional<int> address = number(part);
                if (!address || *address < 1 || *address > 255)
                    return wrong(QStringLiteral("--address takes drive addresses 1 to 255, not %1").arg(part));
                if (!options.addresses.contains(*address))
                    options.addresses << *address;
            }
            if (options.addresses.isEmpty())
                return wrong(QStringLiteral("--address needs an address"));
        } else if (argument == QLatin1String("--backup-to")) {
            if (value.isEmpty())
                return wrong(QStringLiteral("--backup-to needs a folder"));
            options.backupTo = value;
        } else if (argument == QLatin1String("--language")) {
            if (value == QLatin1String("de"))
                options.language = 1;
            else if (value == QLatin1String("en"))
                options.language = 2;
            else
                return wrong(QStringLiteral("--language takes de or en, not %1").arg(value));
        }
    }
    if (rest.isEmpty())
        return wrong(QStringLiteral("no command given"));
    options.command = rest.takeFirst();
    options.arguments = rest;
    const auto shape = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&options](const CommandShape &c) { return options.command == c.name; });
    if (shape == std::end(kCommands))
        return wrong(QStringLiteral("unknown command %1").arg(options.command));
    const int count = int(options.arguments.size());
    if (count < shape->least || (shape->most >= 0 && count > shape->most))
        return wrong(QStringLiteral("%1: wrong number of arguments").arg(options.command));
    if (options.command == QLatin1String("program") && options.arguments[0] != QLatin1String("read")
        && options.arguments[0] != QLatin1String("write"))
        return wrong(QStringLiteral("program takes read FILE or write FILE"));
    if (options.command == QLatin1String("set")) {
        for (const QString &assignment : options.arguments) {
            if (assignment.indexOf(QLatin1Char('=')) < 1)
                return wrong(QStringLiteral("set takes NAME=VALUE, not %1").arg(assignment));
        }
    }
    Parsed parsed;
    parsed.options = options;
    return parsed;
}

QString usage()
{
    return QStringLiteral(
        "usage: zynt-cli [--port COM1..COM4|DEVICE] [--baud RATE] [--address N] [--json] [--quiet] COMMAND [ARGS]\n"
        "       zynt-cli --help | --version\n"
        "\n"
        "commands:\n"
        "  ports                   COM1 to COM4: the device behind each, whether it\n"
        "                          exists and whether this user may open it\n"
        "  scan                    every drive on COM1 to COM4 at every rate\n"
        "  backup DIR [--all]      parameters, program and drive.ini into DIR/<port>-<address>/\n"
        "  restore DIR|FILE.par [--force] [--write-type] [--dry-run]\n"
        "                          a drive folder (or a parameter file) back into the\n"
        "                          drive, checked after; --dry-run only says what it would write\n"
        "  diff FILE.par           the drive's list against a parameter file\n"
        "  get NAME ...            values as the drive answers them\n"
        "  set NAME=VALUE ... [--save]\n"
        "  program read FILE.prg | program write FILE.prg [--truncate]\n"
        "  recover [--keep]        a write that was cut: its backup written back, or\n"
        "                          with --keep the drive's program entry ended as it is\n"
        "\n"
        "options:\n"
        "  --language de|en        descriptions in a backup\n"
        "  --backup-to DIR         where what a command overwrites is saved first\n"
        "  --no-backup             save nothing first\n"
        "\n"
        "Without --port, --baud and --address the settings file ZYNT.ini of the current\n"
        "folder is used. Exit status: 0 done and equal, 1 a difference remains or a value\n"
        "was refused, 2 no drive answered or a command timed out, 3 a file could not be\n"
        "read or written, 4 a cut write waits for a decision (zynt-cli recover), 64 wrong\n"
        "arguments, 130 interrupted.\n");
}

QString noAnswerHint(int baud, int address, qsizetype bytesHeard)
{
    if (bytesHeard > 0) {
        return QStringLiteral("%1 bytes came from address %2 at %3 baud, but no answer could be read: two drives "
                              "may share this address, or they run at another rate (`zynt-cli scan` lists them)")
            .arg(bytesHeard)
            .arg(address)
            .arg(baud);
    }
    return QStringLiteral("no answer at %1 baud from address %2: `zynt-cli scan` finds drives at every rate")
        .arg(baud)
        .arg(address);
}

int commandTimeoutMs(qsizetype bytes, int baud)
{
    if (baud <= 0)
        return 2000;
    const qint64 lineMs = (qint64(bytes) * 10 * 1000 + baud - 1) / baud;
    return int(std::max<qint64>(2000, 3 * lineMs));
}

int probeWaitMs(int baud)
{
    // A probe and its answer are some twenty bytes: three times their line
    // time, and never less than a busy PC may take to hear them.
    if (baud <= 0)
        return 250;
    return std::max<int>(250, int(3 * 20 * 10 * 1000 / baud));
}

QString portLabel(const QString &port)
{
    return port.contains(QLatin1Char('/')) ? QFileInfo(port).fileName() : port;
}

QString recoverCommand(const QString &port, int baud, const QByteArray &address)
{
    QString command = QStringLiteral("zynt-cli recover --port %1").arg(port);
    if (baud > 0)
        command += QStringLiteral(" --baud %1").arg(baud);
    return command + QStringLiteral(" --address ") + QString::fromLatin1(address);
}

QString driveFolderName(const QString &port, int address)
{
    return portLabel(port) + QLatin1Char('-') + QString::number(address);
}

QByteArray versionNumber(const QByteArray &version)
{
    QByteArray number = version.trimmed();
    while (number.startsWith("Version "))
        number = number.mid(8).trimmed();
    return number;
}

QByteArray formatDriveInfo(const DriveInfo &info)
{
    QByteArray out = "[ZYNT]\r\n";
    out += "Port=" + toCp1252(info.port) + "\r\n";
    out += "Baudrate=" + QByteArray::number(info.baud) + "\r\n";
    out += "Address=" + info.address + "\r\n";
    out += "Version=" + versionNumber(info.version) + "\r\n";
    out += "Type=" + info.type + "\r\n";
    out += "Time=" + info.time.toString(Qt::ISODate).toLatin1() + "\r\n";
    out += "Parameters=" + QByteArray::number(info.parameters) + "\r\n";
    out += "ProgramLines=" + QByteArray::number(info.programLines) + "\r\n";
    out += QByteArray("Complete=") + (info.complete ? "1" : "0") + "\r\n";
    out += "[Files]\r\n";
    for (const FileSum &file : info.files)
        out += toCp1252(file.name) + '=' + QByteArray::number(file.size) + ' ' + file.sha256.toLatin1() + "\r\n";
    return out;
}

std::optional<DriveInfo> parseDriveInfo(const QByteArray &bytes)
{
    DriveInfo info;
    QByteArray section;
    bool found = false, hasAddress = false;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('[')) {
            section = line;
            found |= section == "[ZYNT]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 1)
            continue;
        const QByteArray key = line.left(equals), value = line.mid(equals + 1);
        if (section == "[Files]") {
            const QList<QByteArray> parts = value.split(' ');
            FileSum file {fromCp1252(key), parts.value(0).toLongLong(), QString::fromLatin1(parts.value(1))};
            if (parts.size() != 2 || file.sha256.size() != 64)
                file.size = -1; // a line that cannot be read is a file that cannot be checked
            info.files << file;
            continue;
        }
        if (section != "[ZYNT]")
            continue;
        if (key == "Port")
            info.port = fromCp1252(value);
        else if (key == "Baudrate")
            info.baud = value.toInt();
        else if (key == "Address")
            info.address = value, hasAddress = !value.isEmpty();
        else if (key == "Version")
            info.version = versionNumber(value);
        else if (key == "Type")
            info.type = value;
        else if (key == "Time")
            info.time = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODate);
        else if (key == "Parameters")
            info.parameters = value.toInt();
        else if (key == "ProgramLines")
            info.programLines = value.toInt();
        else if (key == "Complete")
            info.complete = value != "0";
    }
    if (!found || !hasAddress)
        return std::nullopt;
    return info;
}

QStringList backupFaults(const DriveInfo &info, const QList<std::pair<QString, QByteArray>> &files, int parameters,
                         int programLines)
{
    QStringList faults;
    for (const auto &file : files) {
        const QString &name = file.first;
        const QByteArray &bytes = file.second;
        // A file cut short ends in the middle of a line: never used.
        if (!bytes.isEmpty() && !bytes.endsWith("\r\n"))
            faults << QStringLiteral("%1: its last line ends without its line end (the file was cut)").arg(name);
        if (info.files.isEmpty())
            continue;
        const auto listed = std::find_if(info.files.begin(), info.files.end(),
                                         [&name](const FileSum &f) { return f.name == name; });
        if (listed == info.files.end()) {
            faults << QStringLiteral("%1: drive.ini does not list it").arg(name);
        } else if (listed->size < 0) {
            faults << QStringLiteral("%1: drive.ini's size and SHA-256 of it cannot be read").arg(name);
        } else if (bytes.size() != listed->size) {
            faults << QStringLiteral("%1: %2 bytes, drive.ini says %3").arg(name).arg(bytes.size()).arg(listed->size);
        } else if (QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())
                   != listed->sha256) {
            faults << QStringLiteral("%1: its SHA-256 is not the one drive.ini lists (the file was changed)").arg(name);
        }
    }
    if (parameters != info.parameters)
        faults << QStringLiteral("parameters.par: %1 parameters, drive.ini says %2").arg(parameters).arg(info.parameters);
    if (programLines != info.programLines)
        faults << QStringLiteral("program.prg: %1 lines, drive.ini says %2").arg(programLines).arg(info.programLines);
    return faults;
}

QByteArray jsonString(const QString &text)
{
    QByteArray out = "\"";
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c.unicode() < 0x20)
                out += "\\u" + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
            else
                out += QString(c).toUtf8();
        }
    }
    return out + '"';
}

} // namespace cli
