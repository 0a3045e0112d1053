// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/soak_invariants.h"

#include "sim/driveanswers.h"

#include <algorithm>

namespace soak {

namespace {

// The name as the drive keeps it: "P1201" and "o1" are the same output.
QByteArray nameOf(const QByteArray &command)
{
    const qsizetype eq = command.indexOf('=');
    return eq < 0 ? QByteArray() : sim::storedName(command.left(eq).trimmed());
}

QByteArray valueOf(const QByteArray &command)
{
    const qsizetype eq = command.indexOf('=');
    return eq < 0 ? QByteArray() : command.mid(eq + 1).trimmed();
}

bool sameValue(const QByteArray &a, const QByteArray &b)
{
    if (a == b)
        return true;
    bool okA = false, okB = false;
    const double x = a.toDouble(&okA), y = b.toDouble(&okB);
    return okA && okB && x == y;
}

bool sameCommand(const QByteArray &allowed, const QByteArray &got)
{
    if (nameOf(allowed).isEmpty())
        return allowed.trimmed().compare(got.trimmed(), Qt::CaseInsensitive) == 0;
    return nameOf(allowed) == nameOf(got) && sameValue(valueOf(allowed), valueOf(got));
}

} // namespace

void Allowance::command(sim::ChangeKind kind, const QByteArray &command)
{
    m_rules.push_back({kind, Match::Exact, command});
}

void Allowance::name(sim::ChangeKind kind, const QByteArray &name)
{
    m_rules.push_back({kind, Match::Name, sim::storedName(name.trimmed())});
}

void Allowance::any(sim::ChangeKind kind)
{
    m_rules.push_back({kind, Match::Any, {}});
}

void Allowance::merge(const Allowance &other)
{
    m_rules.insert(m_rules.end(), other.m_rules.begin(), other.m_rules.end());
}

bool Allowance::permits(const sim::Change &change) const
{
    return std::any_of(m_rules.begin(), m_rules.end(), [&change](const Rule &rule) {
        if (rule.kind != change.kind)
            return false;
        switch (rule.match) {
        case Match::Any:
            return true;
        case Match::Name:
            return nameOf(change.command) == rule.text;
        case Match::Exact:
            return sameCommand(rule.text, change.command);
        }
        return false;
    });
}

Allowance linkSettings()
{
    Allowance settings;
    for (const char *command : {"P1028=8", "P1035=0", "P1716=58120394"})
        settings.command(sim::ChangeKind::Assignment, command);
    return settings;
}

QStringList unexpectedChanges(const QList<sim::Change> &changes, const Allowance &allowance)
{
    QStringList found;
    for (const sim::Change &change : changes) {
        if (!allowance.permits(change))
            found << QStringLiteral("drive %1 took %2 \"%3\", which no action of the user asked for")
                         .arg(change.address)
                         .arg(QLatin1String(sim::changeKindName(change.kind)))
                         .arg(QString::fromLatin1(change.command));
    }
    return found;
}

namespace {

// The program a drive keeps of the lines sent: empty lines are not stored.
QList<QByteArray> stored(const QList<QByteArray> &lines)
{
    QList<QByteArray> kept;
    for (const QByteArray &line : lines) {
        if (!line.isEmpty())
            kept << line;
    }
    return kept;
}

bool isSubsequence(const QList<QByteArray> &part, const QList<QByteArray> &whole)
{
    qsizetype i = 0;
    for (const QByteArray &line : whole) {
        if (i < part.size() && part[i] == line)
            ++i;
    }
    return i == part.size();
}

QString shown(const QList<QByteArray> &lines)
{
    QStringList texts;
    for (const QByteArray &line : lines.mid(0, 6))
        texts << QString::fromLatin1(line);
    if (lines.size() > 6)
        texts << QStringLiteral("… (%1 lines)").arg(lines.size());
    return QLatin1Char('[') + texts.join(QLatin1String(" | ")) + QLatin1Char(']');
}

} // namespace

QString programVerdict(const QList<QByteArray> &before, const std::optional<QList<QByteArray>> &written,
                       const QList<QByteArray> &actual, bool told)
{
    if (actual == before)
        return {};
    if (!written)
        return QStringLiteral("the drive's program changed from %1 to %2 without a program write")
            .arg(shown(before), shown(actual));
    // The drive refuses lines it cannot take and stores the others; a
    // write that ended early leaves those sent so far, and only where the
    // user was told so.
    const QList<QByteArray> sent = stored(*written);
    if (actual == sent)
        return {};
    if (!isSubsequence(actual, sent))
        return QStringLiteral("the drive's program %1 is neither the one before %2 nor made of the lines written %3")
            .arg(shown(actual), shown(before), shown(sent));
    if (!told)
        return QStringLiteral("the drive's program %1 is shorter than the one written %2 and nobody was told")
            .arg(shown(actual), shown(sent));
    return {};
}

QList<QByteArray> linesWritten(const QList<QByteArray> &rows)
{
    // The first row always goes; each further one only while the rows go on.
    QList<QByteArray> lines;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i > 0 && (rows[i].isEmpty() || rows[i].startsWith(' ')))
            break;
        lines << rows[i];
    }
    return lines;
}

bool Deadline::look(bool holds, qint64 nowMs)
{
    const qint64 gap = m_last < 0 ? 0 : nowMs - m_last;
    m_last = nowMs;
    if (!holds) {
        reset();
        return false;
    }
    if (m_since < 0) {
        m_since = nowMs;
        m_stalled = 0;
        return false;
    }
    if (gap > kStall)
        m_stalled += gap - kStall;
    if (m_reported || lasted(nowMs) <= m_bound)
        return false;
    m_reported = true;
    return true;
}

} // namespace soak
