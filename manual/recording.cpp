// SPDX-License-Identifier: GPL-3.0-or-later
#include "manual/recording.h"

#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

namespace recording {

namespace {

QByteArray field(const QByteArray &driveText)
{
    // Drive values are numbers, but a garbled answer may hold anything.
    QByteArray text = fromCp1252(driveText.trimmed()).toUtf8();
    if (text.contains(',') || text.contains('"') || text.contains('\r') || text.contains('\n'))
        text = '"' + text.replace("\"", "\"\"") + '"';
    return text;
}

} // namespace

QByteArray header()
{
    return "time_ms,time,position,P336,P11,P12,O1,O2,O3,O4,P1300,ADC,state,link\r\n";
}

QByteArray linkField(const status::CycleSample &sample, qint64 previousMs)
{
    if (!sample.afterLostLink)
        return "ok";
    if (previousMs < 0)
        return "lost";
    return "lost " + QByteArray::number((sample.timeMs - previousMs) / 1000.0, 'f', 1) + " s";
}

QByteArray isoTime(qint64 ms, int offsetSeconds)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms + qint64(offsetSeconds) * 1000, Qt::UTC);
    const int minutes = std::abs(offsetSeconds) / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")).toLatin1() + (offsetSeconds < 0 ? '-' : '+')
         + QByteArray::number(minutes / 60).rightJustified(2, '0') + ':'
         + QByteArray::number(minutes % 60).rightJustified(2, '0');
}

QByteArray row(const status::CycleSample &sample, qint64 startMs, qint64 previousMs)
{
    QByteArrayList fields;
    fields << QByteArray::number(sample.timeMs - startMs)
           << isoTime(sample.timeMs, QDateTime::fromMSecsSinceEpoch(sample.timeMs).offsetFromUtc())
           << field(sample.position) << field(sample.inPosition) << field(sample.error) << field(sample.warning);
    for (const QByteArray &output : sample.outputs)
        fields << field(output);
    fields << field(sample.inputs) << field(sample.analogue) << (sample.driveOn ? "ON" : "OFF")
           << linkField(sample, previousMs);
    return fields.join(',') + "\r\n";
}

QString folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zynt/recordings");
}

QString freePath(const QString &dir, const QDateTime &time, const QByteArray &address)
{
    const QString stem = QDir(dir).filePath(datafiles::backupStem(time, address));
    QString path = stem + QStringLiteral(".csv");
    for (int n = 2; QFileInfo::exists(path) || QFileInfo::exists(path + QStringLiteral(".part")); ++n)
        path = stem + QStringLiteral("-%1.csv").arg(n);
    return path;
}

Recorder::~Recorder()
{
    if (running())
        stop();
}

QString Recorder::start(const QString &path, qint64 startMs)
{
    if (running())
        stop();
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir))
        return datafiles::fileError(dir, QStringLiteral("the folder cannot be made"));
    m_file.setFileName(path + QStringLiteral(".part"));
    // Unbuffered: a full disk fails the row's own write, with the system's
    // reason, not a later flush that may not say so.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return datafiles::fileError(m_file.fileName(), m_file.errorString());
    m_path = path;
    m_startMs = startMs;
    m_lastMs = -1;
    m_rows = 0;
    const QByteArray head = header();
    if (m_file.write(head) != head.size() || !m_file.flush()) {
        const QString error = datafiles::fileError(m_file.fileName(), m_file.errorString());
        m_file.close();
        m_file.remove();
        return error;
    }
    return {};
}

QString Recorder::append(const status::CycleSample &sample)
{
    if (!running())
        return {};
    const QByteArray line = row(sample, m_startMs, m_lastMs);
    // Written per row: a recording cut short by a crash keeps what it had.
    const qint64 before = m_file.size();
    errno = 0;
    if (m_file.write(line) != line.size()) {
        const int code = errno;
        QString reason = m_file.errorString();
        if (code != 0 || reason.isEmpty() || reason == QLatin1String("Unknown error"))
            reason = qt_error_string(code != 0 ? code : EIO);
        // A torn row never gets the recording's name: the file keeps its
        // whole rows and stays "<name>.part".
        m_file.resize(before);
        const QString part = m_file.fileName();
        m_file.close();
        return datafiles::fileError(part, reason) + QStringLiteral("\n")
             + QCoreApplication::translate("recording", "Die Aufzeichnung bleibt in %1.").arg(part);
    }
    ++m_rows;
    m_lastMs = sample.timeMs;
    return {};
}

Recorder::Result Recorder::stop()
{
    Result result;
    result.rows = m_rows;
    if (!running())
        return result;
    const QString part = m_file.fileName();
    // The rows are on the disk before the file takes its name; a failure
    // here leaves the part file, and says so.
    const bool synced = m_file.flush() && ::fsync(m_file.handle()) == 0;
    const QString reason = synced ? QString() : qt_error_string(errno);
    m_file.close();
    if (!synced) {
        result.error = datafiles::fileError(part, reason);
        result.path = part;
        return result;
    }
    // A file that took the name meanwhile is left alone.
    if (!QFile::rename(part, m_path)) {
        result.error = datafiles::fileError(m_path, QStringLiteral("the recording stays at ") + part);
        result.path = part;
    } else {
        result.path = m_path;
    }
    return result;
}

} // namespace recording
