// SPDX-License-Identifier: GPL-3.0-or-later
// The report as HTML: plain tables and headings that a browser prints and
// that QTextDocument lays out as PDF alike. Every text from a file is
// escaped; the language is the catalogue's the program follows.
#include "app/report.h"

#include "parameters/compare.h"
#include "shell/cp1252.h"
#include "zyntversion.h"

#include <QCoreApplication>

namespace report {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("report", text);
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString escaped(const QByteArray &cp1252)
{
    return fromCp1252(cp1252).toHtmlEscaped();
}

QString when(const QDateTime &time)
{
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("–");
}

// The style: a browser and QTextDocument read the same rules; the print
// rules keep rows whole and headings with their tables.
const char kStyle[] = R"(
body { font-family: sans-serif; font-size: 9pt; color: #000000; }
h1 { font-size: 20pt; margin-bottom: 12pt; }
h2 { font-size: 14pt; margin-top: 0; page-break-before: always; }
h2.end { page-break-before: auto; margin-top: 18pt; }
h3 { font-size: 11pt; margin-top: 12pt; margin-bottom: 4pt; page-break-after: avoid; }
table { border-collapse: collapse; width: 100%; margin-bottom: 6pt; }
th, td { border: 1px solid #999999; padding: 2px 4px; text-align: left; vertical-align: top; }
th { background-color: #e6e6e6; }
td.n { text-align: right; white-space: nowrap; }
td.code { font-family: monospace; }
tr.live td { color: #555555; font-style: italic; }
.failed { color: #b00000; font-weight: bold; }
.unchecked { color: #8a5a00; font-weight: bold; }
.good { color: #006000; }
p.note { color: #444444; }
p.fingerprint { font-family: monospace; font-size: 10pt; }
@media print {
  h2, h3 { page-break-after: avoid; break-after: avoid; }
  tr, td, th { page-break-inside: avoid; break-inside: avoid; }
  thead { display: table-header-group; }
}
)";

// A table's head; widths: of each column in per cent, where given.
QString table(const QStringList &heads, const QList<int> &widths = {})
{
    QString out = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><thead><tr>");
    for (qsizetype i = 0; i < heads.size(); ++i)
        out += (i < widths.size() ? QStringLiteral("<th width=\"%1%\">").arg(widths[i]) : QStringLiteral("<th>"))
             + escaped(heads[i]) + QStringLiteral("</th>");
    return out + QStringLiteral("</tr></thead><tbody>\n");
}

const QString kTableEnd = QStringLiteral("</tbody></table>\n");

QString checkText(const DriveFolder &drive)
{
    switch (drive.check) {
    case Check::Good: return QStringLiteral("<span class=\"good\">%1</span>").arg(escaped(tr("Prüfsummen stimmen")));
    case Check::Unchecked: return QStringLiteral("<span class=\"unchecked\">%1</span>").arg(escaped(tr("ungeprüft")));
    case Check::Failed: break;
    }
    return QStringLiteral("<span class=\"failed\">%1</span>: %2")
        .arg(escaped(tr("Prüfung fehlgeschlagen, nicht aufgenommen")), escaped(drive.faults.join(QStringLiteral("; "))));
}

QString driveHeading(const DriveFolder &drive)
{
    return escaped(tr("Antrieb Adresse %1 an %2 (Typ %3, Version %4)")
                       .arg(fromCp1252(drive.info.address), drive.info.port, fromCp1252(drive.info.type),
                            fromCp1252(drive.info.version)));
}

QString titlePage(const Request &r)
{
    int shown = 0;
    for (const DriveFolder &drive : r.drives)
        shown += drive.check == Check::Failed ? 0 : 1;
    QString out = QStringLiteral("<h1>%1</h1>\n").arg(escaped(r.title));
    out += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tbody>\n");
    const std::pair<QString, QString> facts[] = {
        {tr("Neueste Sicherung"), escaped(when(newestBackup(r.drives)))},
        {tr("Erstellt von"), escaped(r.by)},
        {tr("Antriebe"), QString::number(shown)},
        {tr("Bericht erstellt am"), escaped(when(r.made))},
    };
    for (const auto &[name, value] : facts)
        out += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(escaped(name), value);
    out += kTableEnd;
    out += QStringLiteral("<h3>%1</h3>\n").arg(escaped(tr("Antriebe der Maschine")));
    out += table({tr("Port"), tr("Baudrate"), tr("Adresse"), tr("Antriebstyp"), tr("Firmware"), tr("Sicherung"),
                  tr("Prüfsummen")});
    for (const DriveFolder &drive : r.drives) {
        if (drive.check == Check::Failed) {
            out += QStringLiteral("<tr><td colspan=\"7\">%1: %2</td></tr>\n").arg(escaped(drive.name), checkText(drive));
            continue;
        }
        const cli::DriveInfo &i = drive.info;
        out += QStringLiteral("<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td><td>%4</td><td>%5</td>"
                              "<td>%6</td><td>%7</td></tr>\n")
                   .arg(escaped(i.port), QString::number(i.baud), escaped(i.address), escaped(i.type),
                        escaped(i.version), escaped(when(i.time)), checkText(drive));
    }
    out += kTableEnd;
    return out;
}

// Drives of the older backup without a partner now, and drives new since it.
QString addedAndMissing(const Request &r, const QList<Pair> &pairs)
{
    QString out = QStringLiteral("<h3>%1</h3>\n").arg(escaped(tr("Antriebe gegenüber der älteren Sicherung")));
    QStringList lines;
    for (const Pair &p : pairs) {
        if (p.before < 0)
            lines << escaped(tr("hinzugekommen: %1").arg(r.drives[p.now].name)) + QStringLiteral(" – ") + driveHeading(r.drives[p.now]);
        else if (p.now < 0)
            lines << escaped(tr("fehlt: %1").arg((*r.against)[p.before].name)) + QStringLiteral(" – ")
                         + driveHeading((*r.against)[p.before]);
    }
    if (lines.isEmpty())
        return out + QStringLiteral("<p>%1</p>\n").arg(escaped(tr("Dieselben Antriebe wie in der älteren Sicherung.")));
    out += QStringLiteral("<ul>\n");
    for (const QString &line : lines)
        out += QStringLiteral("<li>%1</li>\n").arg(line);
    return out + QStringLiteral("</ul>\n");
}

QString optionalValue(const std::optional<QByteArray> &value)
{
    return value ? escaped(*value) : QStringLiteral("<i>%1</i>").arg(escaped(tr("fehlt")));
}

QString changesSection(const DriveFolder &now, const DriveFolder &before)
{
    QString out = QStringLiteral("<h3>%1</h3>\n")
                      .arg(escaped(tr("Änderungen seit der Sicherung vom %1").arg(when(before.info.time))));
    const QList<ValueChange> values = valueChanges(before.rows, now.rows);
    const QList<LineChange> lines = lineChanges(before.program, now.program);
    if (values.isEmpty() && lines.isEmpty())
        return out + QStringLiteral("<p>%1</p>\n").arg(escaped(tr("Keine Änderungen.")));
    if (!values.isEmpty()) {
        out += table({tr("Bezeichnung"), tr("Beschreibung"), tr("vorher"), tr("jetzt"), tr("Einheit")},
                     {15, 38, 19, 19, 9});
        for (const ValueChange &c : values) {
            out += QStringLiteral("<tr%1><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td></tr>\n")
                       .arg(c.live ? QStringLiteral(" class=\"live\"") : QString(), escaped(c.designation),
                            escaped(c.description) + (c.live ? QStringLiteral(" (%1)").arg(escaped(tr("Zustand der Maschine"))) : QString()),
                            optionalValue(c.before), optionalValue(c.after), escaped(c.unit));
        }
        out += kTableEnd;
    }
    if (!lines.isEmpty()) {
        out += table({tr("Zeile vorher"), tr("Zeile jetzt"), tr("vorher"), tr("jetzt")}, {10, 10, 40, 40});
        for (const LineChange &c : lines) {
            auto number = [](int n) { return n > 0 ? QString::number(n) : QStringLiteral("–"); };
            out += QStringLiteral("<tr><td class=\"n\">%1</td><td class=\"n\">%2</td><td class=\"code\">%3</td>"
                                  "<td class=\"code\">%4</td></tr>\n")
                       .arg(number(c.before), number(c.after), escaped(c.was), escaped(c.is));
        }
        out += kTableEnd;
    }
    return out;
}

QString driveSection(const DriveFolder &drive, const DriveFolder *before)
{
    QString out = QStringLiteral("<h2>%1</h2>\n").arg(driveHeading(drive));
    out += QStringLiteral("<p>%1</p>\n")
               .arg(escaped(tr("Ordner %1, gesichert am %2, %3 Baud.").arg(drive.name, when(drive.info.time)).arg(drive.info.baud))
                    + QStringLiteral(" ") + checkText(drive));
    if (before)
        out += changesSection(drive, *before);
    out += QStringLiteral("<h3>%1</h3>\n").arg(escaped(tr("Parameter")));
    out += table({tr("Bezeichnung"), tr("Beschreibung"), tr("Wert"), tr("Einheit"), tr("Hinweis")},
                 {15, 38, 13, 9, 25});
    for (const params::GridRow &row : drive.rows) {
        const params::Live live = params::liveState(row[params::ColDesignation]);
        out += QStringLiteral("<tr%1><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td></tr>\n")
                   .arg(live != params::Live::None ? QStringLiteral(" class=\"live\"") : QString(),
                        escaped(row[params::ColDesignation].trimmed()), escaped(row[params::ColDescription].trimmed()),
                        escaped(row[params::ColValue].trimmed()), escaped(row[params::ColUnit].trimmed()),
                        live != params::Live::None
                            ? escaped(tr("%1 – nie geschrieben").arg(params::liveReason(live)))
                            : QString());
    }
    out += kTableEnd;
    out += QStringLiteral("<h3>%1</h3>\n").arg(escaped(tr("Programm")));
    if (!drive.info.complete)
        out += QStringLiteral("<p class=\"failed\">%1</p>\n")
                   .arg(escaped(tr("Die ZYNT hielt mehr Zeilen, als die Sicherung fasst: das Programm ist unvollständig.")));
    if (drive.program.isEmpty())
        return out + QStringLiteral("<p>%1</p>\n").arg(escaped(tr("Kein Programm.")));
    out += table({tr("Zeile"), tr("Programmzeile")}, {8, 92});
    for (qsizetype i = 0; i < drive.program.size(); ++i)
        out += QStringLiteral("<tr><td class=\"n\">%1</td><td class=\"code\">%2</td></tr>\n")
                   .arg(i + 1)
                   .arg(escaped(drive.program[i]));
    return out + kTableEnd;
}

} // namespace

QString html(const Request &r)
{
    QString out = QStringLiteral("<!DOCTYPE html>\n<html lang=\"%1\"><head><meta charset=\"utf-8\">\n<title>%2</title>\n"
                                 "<style>%3</style></head>\n<body>\n")
                      .arg(tr("de"), escaped(r.title), QString::fromLatin1(kStyle));
    out += titlePage(r);
    QList<Pair> pairs;
    if (r.against) {
        pairs = pairDrives(r.drives, *r.against);
        out += addedAndMissing(r, pairs);
    }
    for (qsizetype i = 0; i < r.drives.size(); ++i) {
        const DriveFolder &drive = r.drives[i];
        if (drive.check == Check::Failed)
            continue; // never shown as if it were good
        const DriveFolder *before = nullptr;
        for (const Pair &p : pairs) {
            if (p.now == i && p.before >= 0)
                before = &(*r.against)[p.before];
        }
        out += driveSection(drive, before);
    }
    out += QStringLiteral("<h2 class=\"end\">%1</h2>\n").arg(escaped(tr("Fingerabdruck")));
    out += QStringLiteral("<p>%1</p>\n")
               .arg(escaped(tr("SHA-256 über die Prüfsummen der Sicherungsordner; er hängt nicht vom Titel und vom "
                               "Datum des Berichts ab:")));
    out += QStringLiteral("<p class=\"fingerprint\">%1</p>\n").arg(escaped(fingerprint(r.drives)));
    out += QStringLiteral("<p class=\"note\">%1</p>\n")
               .arg(escaped(tr("Erstellt mit ZYNT Programmiersoftware %1.").arg(QStringLiteral(ZYNT_VERSION))));
    return out + QStringLiteral("</body></html>\n");
}

} // namespace report
