// SPDX-License-Identifier: GPL-3.0-or-later
// The report's data: drive folders read and checked, paired with an older
// backup's, and what changed between the two.
#include "app/report.h"

#include "parameters/designations.h"
#include "parameters/compare.h"
#include "parameters/parameterfile.h"
#include "program/programfile.h"
#include "program/programtransfer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace report {

namespace {

const QString kInfo = QStringLiteral("drive.ini");
const QString kParameters = QStringLiteral("parameters.par");
const QString kProgram = QStringLiteral("program.prg");
const QString kFiles[] = {kInfo, kParameters, kProgram};

// A designation as the drive lists it: "P47 (W)" is "P47".
QByteArray plainDesignation(QByteArray designation)
{
    designation = designation.trimmed();
    params::Parameter_wert_check(designation);
    return designation;
}

DriveFolder failed(DriveFolder folder, const QStringList &faults)
{
    folder.check = Check::Failed;
    folder.faults = faults;
    folder.rows.clear();
    folder.program.clear();
    folder.sums.clear();
    return folder;
}

} // namespace

QStringList folderFaults(const cli::DriveInfo &info, const params::LoadedParameterFile &par,
                         const program::ProgramLines &program, const QList<std::pair<QString, QByteArray>> &files)
{
    int parameters = 0;
    for (const params::GridRow &row : par.rows)
        parameters += row[params::ColDesignation].isEmpty() ? 0 : 1;
    return cli::backupFaults(info, files, parameters, int(program::listedLines(program).size()));
}

DriveFolder readDriveFolder(const QString &path)
{
    DriveFolder folder;
    folder.name = QFileInfo(path).fileName();
    const QDir dir(path);
    QList<std::pair<QString, QByteArray>> files;
    QStringList faults;
    for (const QString &name : kFiles) {
        const datafiles::ReadResult read = datafiles::readUserFile(dir.filePath(name), datafiles::kMaxUserFileBytes,
                                                                   datafiles::kMaxUserLineLength);
        if (!read.error.isEmpty())
            faults << read.error;
        files << std::pair {name, read.bytes};
    }
    if (!faults.isEmpty())
        return failed(folder, faults);
    const std::optional<cli::DriveInfo> info = cli::parseDriveInfo(files[0].second);
    const std::optional<params::LoadedParameterFile> parameters = params::parseParameterFile(files[1].second);
    if (!info)
        return failed(folder, {QStringLiteral("%1: not the drive.ini of a backup").arg(kInfo)});
    folder.info = *info;
    if (!parameters)
        return failed(folder, {QStringLiteral("%1: not a parameter file").arg(kParameters)});
    const program::ProgramLines program = program::parseProgramFile(files[2].second);
    const QByteArray infoBytes = files.takeFirst().second; // drive.ini lists the other two
    if (const QStringList found = folderFaults(*info, *parameters, program, files); !found.isEmpty())
        return failed(folder, found);
    folder.check = info->files.isEmpty() ? Check::Unchecked : Check::Good;
    for (const params::GridRow &row : parameters->rows) {
        if (!row[params::ColDesignation].isEmpty())
            folder.rows << row;
    }
    folder.program = program::listedLines(program);
    // The folder's own sums where it keeps them (they were just checked),
    // else the files' as read; drive.ini's own as read.
    for (const auto &[name, bytes] : files) {
        const QString &wanted = name; // a structured binding cannot be captured before C++20 in every compiler
        const auto listed = std::find_if(info->files.begin(), info->files.end(),
                                         [&wanted](const cli::FileSum &f) { return f.name == wanted; });
        folder.sums << (listed != info->files.end() ? *listed : cli::FileSum {name, bytes.size(), datafiles::sha256(bytes)});
    }
    folder.sums << cli::FileSum {kInfo, infoBytes.size(), datafiles::sha256(infoBytes)};
    return folder;
}

QList<DriveFolder> readBackup(const QString &dir)
{
    QList<DriveFolder> drives;
    const QDir root(dir);
    for (const QString &name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        // A hidden folder is a backup still being written, or one a killed
        // backup left. A folder with any file of a drive folder is one,
        // and fails its check where the others are missing.
        const QDir folder(root.filePath(name));
        if (name.startsWith(QLatin1Char('.'))
            || std::none_of(std::begin(kFiles), std::end(kFiles),
                            [&folder](const QString &file) { return QFileInfo::exists(folder.filePath(file)); }))
            continue;
        drives << readDriveFolder(folder.path());
    }
    return drives;
}

QList<datafiles::NamedFile> backupFolderFiles(cli::DriveInfo &info, const QByteArray &parameters,
                                              const QByteArray &program)
{
    info.files.clear();
    for (const auto &[name, bytes] : {std::pair {kParameters, parameters}, std::pair {kProgram, program}})
        info.files << cli::FileSum {name, bytes.size(), datafiles::sha256(bytes)};
    return {{kParameters, parameters}, {kProgram, program}, {kInfo, cli::formatDriveInfo(info)}};
}

QList<ValueChange> valueChanges(const QList<params::GridRow> &before, const QList<params::GridRow> &after)
{
    auto find = [](const QList<params::GridRow> &rows, const QByteArray &plain) {
        return std::find_if(rows.begin(), rows.end(), [&plain](const params::GridRow &row) {
            return plainDesignation(row[params::ColDesignation]) == plain;
        });
    };
    auto change = [](const params::GridRow &row) {
        ValueChange c;
        c.designation = row[params::ColDesignation].trimmed();
        c.description = row[params::ColDescription].trimmed();
        c.unit = row[params::ColUnit].trimmed();
        c.live = params::liveState(c.designation) != params::Live::None;
        return c;
    };
    QList<ValueChange> changes;
    for (const params::GridRow &row : after) {
        const auto old = find(before, plainDesignation(row[params::ColDesignation]));
        if (old != before.end() && params::sameValue((*old)[params::ColValue], row[params::ColValue]))
            continue;
        ValueChange c = change(row);
        c.after = row[params::ColValue].trimmed();
        if (old != before.end())
            c.before = (*old)[params::ColValue].trimmed();
        changes << c;
    }
    for (const params::GridRow &row : before) {
        if (find(after, plainDesignation(row[params::ColDesignation])) != after.end())
            continue;
        ValueChange c = change(row);
        c.before = row[params::ColValue].trimmed();
        changes << c;
    }
    return changes;
}

QList<LineChange> lineChanges(const QByteArrayList &before, const QByteArrayList &after)
{
    // The longest common subsequence, from the ends (a program has at most
    // some hundred lines): common[i][j] for before[i..] and after[j..].
    const qsizetype n = before.size(), m = after.size();
    std::vector<int> common(size_t((n + 1) * (m + 1)), 0);
    auto at = [&common, m](qsizetype i, qsizetype j) -> int & { return common[size_t(i * (m + 1) + j)]; };
    for (qsizetype i = n - 1; i >= 0; --i) {
        for (qsizetype j = m - 1; j >= 0; --j)
            at(i, j) = before[i] == after[j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
    }
    QList<LineChange> changes;
    QList<LineChange> removed, added; // the run since the last common line
    auto flush = [&] {
        // Removed and added lines side by side are changed lines.
        const qsizetype paired = std::min(removed.size(), added.size());
        for (qsizetype k = 0; k < paired; ++k)
            changes << LineChange {removed[k].before, added[k].after, removed[k].was, added[k].is};
        changes << removed.mid(paired) << added.mid(paired);
        removed.clear();
        added.clear();
    };
    qsizetype i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && before[i] == after[j]) {
            flush();
            ++i, ++j;
        } else if (j < m && (i == n || at(i, j + 1) >= at(i + 1, j))) {
            added << LineChange {0, int(j + 1), {}, after[j]};
            ++j;
        } else {
            removed << LineChange {int(i + 1), 0, before[i], {}};
            ++i;
        }
    }
    flush();
    return changes;
}

QList<Pair> pairDrives(const QList<DriveFolder> &now, const QList<DriveFolder> &before)
{
    QList<Pair> pairs;
    QList<bool> taken(before.size(), false);
    QList<int> partner(now.size(), -1);
    // The same port first, then any: two drives of one address and type on
    // two lines keep their own partners.
    for (const bool samePort : {true, false}) {
        for (qsizetype i = 0; i < now.size(); ++i) {
            if (partner[i] >= 0 || now[i].check == Check::Failed)
                continue;
            for (qsizetype k = 0; k < before.size(); ++k) {
                const cli::DriveInfo &a = now[i].info, &b = before[k].info;
                if (taken[k] || before[k].check == Check::Failed || a.address != b.address || a.type != b.type
                    || (samePort && a.port != b.port))
                    continue;
                taken[k] = true;
                partner[i] = int(k);
                break;
            }
        }
    }
    for (qsizetype i = 0; i < now.size(); ++i) {
        if (now[i].check != Check::Failed)
            pairs << Pair {int(i), partner[i]};
    }
    for (qsizetype k = 0; k < before.size(); ++k) {
        if (!taken[k] && before[k].check != Check::Failed)
            pairs << Pair {-1, int(k)};
    }
    return pairs;
}

QString fingerprint(const QList<DriveFolder> &drives)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const DriveFolder &drive : drives) {
        if (drive.check == Check::Failed)
            continue;
        for (const cli::FileSum &sum : drive.sums)
            hash.addData(QStringLiteral("%1=%2\n").arg(sum.name, sum.sha256).toUtf8());
        hash.addData("\n");
    }
    // In groups of four, to be read aloud and compared on paper.
    const QString hex = QString::fromLatin1(hash.result().toHex());
    QStringList groups;
    for (qsizetype i = 0; i < hex.size(); i += 4)
        groups << hex.mid(i, 4);
    return groups.join(QLatin1Char(' '));
}

QDateTime newestBackup(const QList<DriveFolder> &drives)
{
    QDateTime newest;
    for (const DriveFolder &drive : drives) {
        if (drive.check != Check::Failed && drive.info.time.isValid() && (!newest.isValid() || drive.info.time > newest))
            newest = drive.info.time;
    }
    return newest;
}

QString loginName()
{
    for (const char *name : {"LOGNAME", "USER"}) {
        if (const QString value = qEnvironmentVariable(name); !value.isEmpty())
            return value;
    }
    const passwd *entry = ::getpwuid(::geteuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

bool anyFailed(const QList<DriveFolder> &drives)
{
    return std::any_of(drives.begin(), drives.end(), [](const DriveFolder &d) { return d.check == Check::Failed; });
}

} // namespace report
