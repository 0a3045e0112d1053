// SPDX-License-Identifier: GPL-3.0-or-later
// Recording the status poll to a file: one row of comma-separated values per
// poll cycle, UTF-8 with a header row, in ~/.local/share/zynt/recordings.
#pragma once

#include "manual/cyclesample.h"

#include <QDateTime>
#include <QFile>
#include <QString>

namespace recording {

// "time_ms,time,position,P336,P11,P12,O1,O2,O3,O4,P1300,ADC,state,link" and CRLF.
QByteArray header();
// One cycle: ms since the start and its ISO time, then the values as the
// drive sent them (quoted where they hold a comma, a quote or a line end),
// then the link column. previousMs: the time of the row before, -1 if none.
QByteArray row(const status::CycleSample &sample, qint64 startMs, qint64 previousMs = -1);
// The link column: "ok", or on the first cycle after the link was lost and
// came back "lost" and the time since the row before in seconds, one
// decimal with a point ("lost 11.2 s"; "lost" alone when no row came
// before). A plain field without comma or quote: a CSV reader keeps its
// columns, and the length is the number after the first space.
QByteArray linkField(const status::CycleSample &sample, qint64 previousMs);
// ISO 8601 with milliseconds and the offset from UTC given
// ("2026-12-10T14:03:07.123+01:00"), so that the time is one instant
// wherever and whenever the file is read.
QByteArray isoTime(qint64 ms, int offsetSeconds);

QString folder();
// "<dir>/20261209-093012-address7.csv", by time and address, with "-2",
// "-3" ... where that name is taken.
QString freePath(const QString &dir, const QDateTime &time, const QByteArray &address);

// A recording in progress. It is written to "<name>.part" and given its name
// when it stops, so that a file under the final name is always whole.
class Recorder {
public:
    ~Recorder();
    // Empty on success, else why it could not start.
    QString start(const QString &path, qint64 startMs);
    // Empty on success, else why the row could not be written (the
    // recording is then stopped).
    QString append(const status::CycleSample &sample);
    // The final path, or why it could not be given its name.
    struct Result {
        QString path;
        QString error;
        int rows = 0;
    };
    Result stop();
    bool running() const { return m_file.isOpen(); }
    int rows() const { return m_rows; }
    QString path() const { return m_path; }

private:
    QFile m_file;
    QString m_path;
    qint64 m_startMs = 0;
    qint64 m_lastMs = -1;   // the time of the last row, -1 before the first
    int m_rows = 0;
};

} // namespace recording
