// SPDX-License-Identifier: GPL-3.0-or-later
// The steps the command line's commands share: where it talks, how it
// reports, files, the connect sequence and the backup before a change.
#pragma once

#include "app/clirules.h"
#include "app/clisession.h"
#include "parameters/parameterfile.h"
#include "parameters/parametermodel.h"
#include "program/programlines.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace cli::steps {

// Where the command line talks: a port, a rate and the drive addresses.
struct Target {
    QString port = QStringLiteral("COM1");
    int baud = 38400;
    QList<int> addresses;
};

// The results, as lines or as one JSON array at the end.
class Report {
public:
    explicit Report(Session &session) : m_session(session) {}
    ~Report()
    {
        if (m_session.options.json)
            m_session.print(QStringLiteral("[") + QString::fromUtf8(m_objects.join(",")) + QStringLiteral("]"));
    }
    // fields: name and JSON value pairs.
    void add(const QString &line, const QList<std::pair<const char *, QByteArray>> &fields)
    {
        if (!m_session.options.json) {
            m_session.print(line);
            return;
        }
        QByteArrayList parts;
        for (const auto &[name, value] : fields)
            parts << jsonString(QString::fromLatin1(name)) + ':' + value;
        m_objects << '{' + parts.join(',') + '}';
    }

private:
    Session &m_session;
    QByteArrayList m_objects;
};

QByteArray json(const QString &text);
QByteArray json(const QByteArray &cp1252);
QByteArray json(int number);

int exitOf(Outcome outcome);
// Says what went wrong in a step and gives its exit status.
int failed(Session &s, Outcome outcome, const QString &what);
// The port, rate and addresses the options give, the rest from the
// settings file of the current folder as the window reads it.
Target target(const Options &options);

bool saveFile(Session &s, const QString &path, const QByteArray &bytes);
std::optional<QByteArray> loadFile(Session &s, const QString &path);
// The descriptions of both languages, from the files the window reads.
void loadDescriptions(Session &s);
// The drive's list as a parameter file, every parameter in it.
QByteArray parameterFileOf(const params::ParameterModel &model);
int parameterCount(const params::ParameterModel &model);
// The lines a program write sends, and the lines a listing holds.
QByteArrayList sentLines(program::ProgramLines lines);
QByteArrayList listedLines(const program::ProgramLines &lines);

// Checks a backup folder's files against its drive.ini (sizes, SHA-256,
// counts, whole last lines); says what is wrong and gives kFileError, or
// warns that an older backup without sums cannot be checked.
int checkBackupFolder(Session &s, const QDir &folder, const DriveInfo &info, const params::LoadedParameterFile &par,
                      const program::ProgramLines &program, const QList<std::pair<QString, QByteArray>> &files);

// Opens the line and sends the connect sequence to one drive. Where the
// drive's last write was cut (or it answers from program entry), this says
// so and gives kCutWrite, unless the command decides it by writing the
// drive's program (program write, restore: the entry is ended as it is
// first) or is recover (which finds core.PendingCut set).
int connectTo(Session &s, const Target &t, int address, QByteArray *version);
// What a cut write's record (or a drive in entry) means, in a sentence.
QString describeCut(const DriveCore::CutWrite &cut);
QString describeRecord(const journal::Record &record);
// The way back, as the exact command line.
QString recoverLine(Session &s);
// Saves what a command is about to overwrite; nothing is written when that fails.
int saveBeforeChange(Session &s, bool list, bool program);
// A program write that ended early (Ctrl+C, a signal, no answer, a refused
// line): what the drive took, that it holds a part of the program, where
// its program was saved and the way back; the exit status.
int cutWrite(Session &s, Outcome outcome, const QString &what, int lines, const QByteArray &inFlight);
// Saves the drive's program, then writes wanted; what names the step in a
// message, lines gets the lines the drive acknowledged.
int backUpAndWriteProgram(Session &s, const program::ProgramLines &wanted, const QString &what,
                          int *lines = nullptr);
// Runs the event loop for a while, or until the condition holds.
bool waitFor(Session &s, int ms, const std::function<bool()> &condition);

} // namespace cli::steps
