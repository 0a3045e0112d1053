// SPDX-License-Identifier: GPL-3.0-or-later
// Recording the status poll to a file: one row of comma-separated values per
// poll cycle, UTF-8 with a header row, in ~/.local/share/zynt/recordings.
#pragma once

#include "manual/cyclesample.h"

#include <QDateTime>
#include <QFile>
#include <QString>

namespace recording {

// "time_ms,time,position,P336,P11,P12,O1,O2,O3,O4,P1300,ADC,state" and CRLF.
QByteArray header();
// One cycle: ms since the start and its ISO time, then the values as the
// drive sent them (quoted where they hold a comma, a quote or a line end).
QByteArray row(const status::CycleSample &sample, qint64 startMs);

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
    int m_rows = 0;
};

} // namespace recording
