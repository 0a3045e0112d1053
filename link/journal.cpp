// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/journal.h"

#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace journal {

namespace {

const QByteArray kHead = "[ZYNT-Journal]";
const QByteArray kWrittenHead = "[Written]";
const QByteArray kCrLf = "\r\n";

struct KindName {
    Kind kind;
    const char *name;
};
const KindName kKinds[] = {{Kind::Program, "program"}, {Kind::Parameters, "parameters"}};

// The file name of a device: its path with the separators replaced, so
// that each device and address has one file of its own.
QString fileStem(const QString &device, const QByteArray &address)
{
    QString name = device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (name.startsWith(QLatin1Char('_')))
        name.remove(0, 1);
    return name + QStringLiteral("-address") + QString::fromLatin1(address);
}

} // namespace

QByteArray format(const Record &record)
{
    QByteArray kind = "program";
    for (const KindName &k : kKinds) {
        if (k.kind == record.kind)
            kind = k.name;
    }
    QByteArray out = kHead + kCrLf;
    const auto line = [&out](const char *key, const QByteArray &value) { out += key + ('=' + value) + kCrLf; };
    line("Device", toCp1252(record.device));
    line("Address", record.address);
    line("Write", kind);
    line("Total", QByteArray::number(record.total));
    line("Acknowledged", QByteArray::number(record.acknowledged));
    line("Backup", toCp1252(record.backup));
    line("BackupSize", QByteArray::number(record.backupSize));
    line("BackupSHA256", record.backupSha256.toLatin1());
    line("Time", record.time.toString(Qt::ISODate).toLatin1());
    out += kWrittenHead + kCrLf;
    for (const QByteArray &written : record.written)
        out += written + kCrLf;
    return out;
}

std::optional<Record> parse(const QByteArray &bytes)
{
    // A record cut short is no record: its last line ends with its CRLF.
    if (!bytes.startsWith(kHead + kCrLf) || !bytes.endsWith(kCrLf))
        return std::nullopt;
    QList<QByteArray> lines = bytes.chopped(2).split('\n');
    for (QByteArray &l : lines) {
        if (!l.endsWith('\r') && &l != &lines.last())
            return std::nullopt;
        if (l.endsWith('\r'))
            l.chop(1);
    }
    Record record;
    bool haveDevice = false, haveAddress = false, inWritten = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &l = lines[i];
        if (inWritten) {
            record.written << l;
            continue;
        }
        if (l == kWrittenHead) {
            inWritten = true;
            continue;
        }
        const qsizetype eq = l.indexOf('=');
        if (eq <= 0)
            return std::nullopt;
        const QByteArray key = l.left(eq), value = l.mid(eq + 1);
        bool ok = true;
        if (key == "Device") {
            record.device = fromCp1252(value);
            haveDevice = !value.isEmpty();
        } else if (key == "Address") {
            record.address = value;
            haveAddress = !value.isEmpty();
        } else if (key == "Write") {
            ok = false;
            for (const KindName &k : kKinds) {
                if (value == k.name) {
                    record.kind = k.kind;
                    ok = true;
                }
            }
        } else if (key == "Total") {
            record.total = value.toInt(&ok);
        } else if (key == "Acknowledged") {
            record.acknowledged = value.toInt(&ok);
        } else if (key == "Backup") {
            record.backup = fromCp1252(value);
        } else if (key == "BackupSize") {
            record.backupSize = value.toLongLong(&ok);
        } else if (key == "BackupSHA256") {
            record.backupSha256 = QString::fromLatin1(value);
        } else if (key == "Time") {
            record.time = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODate);
        }
        if (!ok)
            return std::nullopt;
    }
    if (!haveDevice || !haveAddress || !inWritten)
        return std::nullopt;
    return record;
}

QList<QByteArray> changedNames(const Record &record)
{
    // What the drive acknowledged, and the one on its way when the write
    // ended: the drive may have taken that one too.
    QList<QByteArray> names;
    const qsizetype reached = std::min<qsizetype>(record.written.size(), qsizetype(record.acknowledged) + 1);
    for (const QByteArray &assignment : record.written.first(reached)) {
        const qsizetype eq = assignment.indexOf('=');
        if (eq > 0)
            names << assignment.left(eq);
    }
    return names;
}

QString folder()
{
    // Qt has no place for state files; the variable names it, with the
    // default the base directory specification gives.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/zynt");
}

QString recordPath(const QString &device, const QByteArray &address)
{
    return QDir(folder()).filePath(fileStem(device, address) + QStringLiteral(".journal"));
}

std::optional<QByteArray> readBackup(const Record &record)
{
    if (record.backup.isEmpty() || record.backupSize < 0 || record.backupSha256.isEmpty())
        return std::nullopt;
    const datafiles::ReadResult read = datafiles::readFile(record.backup);
    if (!read.error.isEmpty() || read.bytes.size() != record.backupSize
        || datafiles::sha256(read.bytes) != record.backupSha256)
        return std::nullopt;
    return read.bytes;
}

bool backupHolds(const Record &record)
{
    return readBackup(record).has_value();
}

QString create(const Record &record)
{
    if (!QDir().mkpath(folder()))
        return datafiles::fileError(folder(), QStringLiteral("the folder cannot be made"));
    return datafiles::writeAside(recordPath(record.device, record.address), format(record),
                                 datafiles::Placing::Exclusive);
}

QString update(const Record &record)
{
    return datafiles::saveFile(recordPath(record.device, record.address), format(record));
}

std::optional<Record> find(const QString &device, const QByteArray &address, QString *error)
{
    const QString path = recordPath(device, address);
    if (!QFileInfo::exists(path))
        return std::nullopt;
    const datafiles::ReadResult read = datafiles::readFile(path);
    std::optional<Record> record = read.error.isEmpty() ? parse(read.bytes) : std::nullopt;
    if (!record) {
        if (error)
            *error = read.error.isEmpty() ? datafiles::fileError(path, QStringLiteral("not a journal record"))
                                          : read.error;
        Record unknown;
        unknown.device = device;
        unknown.address = address;
        return unknown;
    }
    return record;
}

QList<Record> all()
{
    QList<Record> records;
    const QDir dir(folder());
    for (const QFileInfo &entry : dir.entryInfoList({QStringLiteral("*.journal")}, QDir::Files, QDir::Name)) {
        const datafiles::ReadResult read = datafiles::readFile(entry.absoluteFilePath());
        if (std::optional<Record> record = read.error.isEmpty() ? parse(read.bytes) : std::nullopt)
            records << *record;
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record &a, const Record &b) { return a.address.toInt() < b.address.toInt(); });
    return records;
}

QString remove(const QString &device, const QByteArray &address)
{
    const QString path = recordPath(device, address);
    QFile file(path);
    if (file.exists() && !file.remove())
        return datafiles::fileError(path, file.errorString());
    return {};
}

} // namespace journal
