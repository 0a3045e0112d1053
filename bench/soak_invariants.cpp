// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/soak_invariants.h"

#include "sim/driveanswers.h"

#include <QRegularExpression>

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

namespace {

// "eine Zeile", "12 Zeilen": the count, or -1.
int linesIn(const QString &text)
{
    if (text == QLatin1String("eine Zeile"))
        return 1;
    static const QRegularExpression count(QStringLiteral("^(\\d+) Zeilen$"));
    const QRegularExpressionMatch m = count.match(text);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

ProgramClaim programClaim(const QString &text)
{
    using Says = ProgramClaim::Says;
    static const QRegularExpression report(
        QStringLiteral("hält jetzt (kein Programm|wieder das gesicherte Programm \\((.+?)\\)|das neue Programm "
                       "\\((.+?)\\)|ein Programm von (.+?), das weder das gesicherte noch das neue ist)"));
    static const QRegularExpression holds(QStringLiteral("[Ss]ie hält jetzt (eine Zeile|\\d+ Zeilen), weder das "
                                                         "bisherige noch das neue Programm"));
    static const QRegularExpression cut(QStringLiteral("bei Zeile (\\d+) von (\\d+) unterbrochen"));
    ProgramClaim claim;
    if (const QRegularExpressionMatch m = report.match(text); m.hasMatch()) {
        if (m.captured(1) == QLatin1String("kein Programm"))
            claim.says = Says::Empty;
        else if (m.capturedLength(2) > 0)
            claim = {Says::Backup, 0, 0, linesIn(m.captured(2))};
        else if (m.capturedLength(3) > 0)
            claim = {Says::Written, 0, 0, linesIn(m.captured(3))};
        else
            claim = {Says::Neither, 0, 0, linesIn(m.captured(4))};
    } else if (const QRegularExpressionMatch h = holds.match(text); h.hasMatch()) {
        claim = {Says::Lines, 0, 0, linesIn(h.captured(1))};
    } else if (const QRegularExpressionMatch c = cut.match(text); c.hasMatch()) {
        claim = {Says::CutAt, c.captured(1).toInt(), c.captured(2).toInt(), 0};
    }
    return claim;
}

QString programVerdict(const ProgramFacts &facts, const QList<QByteArray> &actual)
{
    using Says = ProgramClaim::Says;
    ProgramClaim claim;
    QString said;
    for (const QString &text : facts.told) {
        const ProgramClaim c = programClaim(text);
        if (c.says != Says::Nothing) {
            claim = c;
            said = text;
        }
    }
    const std::optional<QList<QByteArray>> sent =
        facts.written ? std::optional(stored(*facts.written)) : std::nullopt;
    const std::optional<QList<QByteArray>> backup =
        facts.backup ? std::optional(stored(*facts.backup)) : std::nullopt;
    const QString mismatch = QStringLiteral("the user was told \"%1\", but the drive holds %2")
                                 .arg(said.left(160), shown(actual));
    switch (claim.says) {
    case Says::Nothing:
        break;
    case Says::Empty:
        return actual.isEmpty() ? QString() : mismatch;
    case Says::Backup:
        return backup && actual == *backup && actual.size() == claim.lines ? QString() : mismatch;
    case Says::Written:
        return sent && actual == *sent && actual.size() == claim.lines ? QString() : mismatch;
    case Says::Neither:
        return actual.size() == claim.lines && actual != backup && actual != sent ? QString() : mismatch;
    case Says::Lines:
        return actual.size() == claim.lines ? QString() : mismatch;
    case Says::CutAt: {
        // The lines before the one it stopped at were taken, and the one on
        // its way may have been (its answer lost); refused ones (the user
        // was told of them) were not.
        // Which program was on its way: the new one, or the backup going back.
        for (const std::optional<QList<QByteArray>> &lines : {facts.written, facts.backup}) {
            if (!lines || lines->size() != claim.total)
                continue;
            const QList<QByteArray> upTo = stored(lines->mid(0, claim.line));
            const QList<QByteArray> taken = stored(lines->mid(0, claim.line - 1));
            if (facts.toldShort ? isSubsequence(actual, upTo) : actual == taken || actual == upTo)
                return {};
        }
        // Nothing more happened since: the entry was not ended yet.
        if (actual == facts.before)
            return {};
        return mismatch;
    }
    }
    if (actual == facts.before)
        return {};
    if (!facts.written)
        return QStringLiteral("the drive's program changed from %1 to %2 without a program write")
            .arg(shown(facts.before), shown(actual));
    // The drive refuses lines it cannot take and stores the others; a
    // write that ended early leaves those sent so far, and only where the
    // user was told so.
    if (actual == *sent)
        return {};
    if (!isSubsequence(actual, *sent))
        return QStringLiteral("the drive's program %1 is neither the one before %2 nor made of the lines written %3")
            .arg(shown(actual), shown(facts.before), shown(*sent));
    if (!facts.toldShort)
        return QStringLiteral("the drive's program %1 is shorter than the one written %2 and nobody was told")
            .arg(shown(actual), shown(*sent));
    return {};
}

bool linkStalled(const LinkView &view)
{
    if (view.userHolds || view.transferMoving || view.noDrive)
        return false;
    return !view.pollRuns && !view.shownLost;
}

void StopWatch::pressed(int carried)
{
    if (m_waiting)
        return; // the first press still waits: it is the one timed
    m_waiting = true;
    m_late = false;
    m_carried = carried;
    m_deadline.reset();
}

bool StopWatch::look(int carried, bool lineUp, qint64 nowMs)
{
    if (m_waiting && carried > m_carried) {
        m_waiting = false;
        m_carried = carried;
    }
    if (!m_deadline.look(m_waiting && lineUp, nowMs) || m_late)
        return false;
    m_late = true;
    return true;
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
