// SPDX-License-Identifier: GPL-3.0-or-later
// "Bericht…": the commissioning report of the drive shown, from a fresh
// backup of it, as the command line makes it of a backup folder; saved as
// HTML, or laid out on A4 as PDF with the title and the page number on
// every page.
#include "shell/window/tform1.h"

#include "app/report.h"
#include "parameters/compare.h"
#include "parameters/parameterfile.h"
#include "program/programtransfer.h"
#include "program/programfile.h"
#include "serial/tserial.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>

namespace {

// Where the pages of a document laid out in one long column end: at the
// top of a block or of a table row, never inside a row; before a heading
// that asks for a new page; and not between a table's head, its first row
// and the heading above them. The ends of the pages in document units.
QList<double> pageEnds(const QTextDocument &document, double body, double scale)
{
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    QList<double> places, forced;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QRectF rect = layout->blockBoundingRect(block);
        if (QTextTable *table = QTextCursor(block).currentTable()) {
            const QTextTableCell cell = table->cellAt(block.position());
            if (cell.column() != 0 || cell.row() < 2 || cell.firstCursorPosition().block() != block)
                continue;
            const QTextTableFormat format = table->format();
            places << rect.top() - (format.cellPadding() + format.border()) * scale;
            continue;
        }
        places << rect.top();
        if (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            forced << rect.top();
    }
    const double end = layout->documentSize().height();
    QList<double> ends;
    double start = 0;
    while (start < end - 0.5) {
        double stop = std::min(end, start + body);
        // A heading that asks for a new page ends this one.
        for (const double f : forced) {
            if (f > start + 0.5 && f <= stop) {
                stop = f;
                break;
            }
        }
        if (stop < end) {
            double best = 0;
            for (const double p : places) {
                if (p > start + 0.5 && p <= stop)
                    best = std::max(best, p);
            }
            if (best > 0)
                stop = best; // else a row taller than a page is cut where the page ends
        }
        ends << stop;
        start = stop;
    }
    return ends;
}

// The report laid out on A4: the document in the page's body, the title
// above it and "page N of M" below it on every page. Empty when the PDF
// could not be made.
QByteArray reportPdf(const QString &html, const QString &title)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 12, 15, 12),
                                     QPageLayout::Millimeter));
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("ZYNT Programmiersoftware"));
    QPainter painter;
    if (!painter.begin(&writer))
        return {};
    const QRectF page = writer.pageLayout().paintRectPixels(writer.resolution());
    const double width = page.width();
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPointSizeF(8);
    const double band = QFontMetricsF(small, &writer).height() * 2; // the title's and the page number's
    const double body = page.height() - 2 * band;

    // One long column, cut into pages by pageEnds.
    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setPageSize(QSizeF(width, -1));
    document.setHtml(html);
    const QList<double> ends = pageEnds(document, body, writer.resolution() / 96.0);
    double top = 0;
    for (qsizetype n = 0; n < ends.size(); ++n) {
        if (n > 0 && !writer.newPage())
            return {};
        painter.setFont(small);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, 0, width, band * 0.75), Qt::AlignLeft | Qt::AlignBottom, title);
        painter.drawLine(QPointF(0, band * 0.85), QPointF(width, band * 0.85));
        painter.drawText(QRectF(0, band + body + band * 0.25, width, band * 0.75), Qt::AlignRight | Qt::AlignTop,
                         QCoreApplication::translate("report", "Seite %1 von %2").arg(n + 1).arg(ends.size()));
        painter.save();
        painter.translate(0, band - top);
        document.drawContents(&painter, QRectF(0, top, width, ends[n] - top));
        painter.restore();
        top = ends[n];
    }
    if (!painter.end())
        return {};
    return buffer.data();
}

} // namespace

void TForm1::Bericht1Click()
{
    if (Core->DriveConnected != 1 || !Serial1->Active()) {
        errorBox(toCp1252(tr("Keine ZYNT verbunden: der Bericht wird aus einer frischen Sicherung der ZYNT gemacht.")));
        return;
    }
    // The list first, then the program; each read says when it ended.
    ReportListAsked = Core->readDriveList();
    if (ReportListAsked)
        statusNote(tr("Die ZYNT wird für den Bericht gesichert …"));
}

void TForm1::reportListRead(bool listRead)
{
    if (!std::exchange(ReportListAsked, false))
        return; // a read the report did not ask for
    if (listRead)
        ReportProgramAsked = Core->readDriveProgram();
    if (!ReportProgramAsked)
        errorBox(toCp1252(tr("Die ZYNT konnte nicht für den Bericht gelesen werden: es wurde kein Bericht gemacht.")));
}

void TForm1::reportProgramRead(bool programRead)
{
    if (!std::exchange(ReportProgramAsked, false))
        return;
    if (!programRead || !Core->listIsFresh()) {
        errorBox(toCp1252(tr("Die ZYNT konnte nicht für den Bericht gelesen werden: es wurde kein Bericht gemacht.")));
        return;
    }
    if (const QString backup = saveReportBackup(); !backup.isEmpty())
        saveReport(backup);
}

QString TForm1::saveReportBackup()
{
    const DriveCore::DriveSnapshot &read = Core->Snapshot;
    cli::DriveInfo info;
    info.port = QStringLiteral("COM%1").arg(Serial1->COMPort());
    info.baud = baudRateValue(Serial1->Baudrate());
    info.address = Core->DriveAddress;
    info.version = cli::versionNumber(toCp1252(m_driveVersion));
    info.type = params::valueOf(read.list, read.listRows, "P1034");
    info.time = QDateTime::currentDateTime();
    info.time.setOffsetFromUtc(info.time.offsetFromUtc()); // written with its offset
    const QByteArray par = params::formatCompleteParameterFile(read.list, read.listRows);
    for (int row = 1; row < read.listRows && row < int(read.list.size()); ++row)
        info.parameters += read.list[size_t(row)][params::ColDesignation].isEmpty() ? 0 : 1;
    // As the command line's backup: a program longer than the editor holds
    // is kept as far as it goes, and the backup says so.
    program::ProgramLines kept = read.program;
    kept[size_t(program::kOverflowRow)].clear();
    info.complete = Core->ProgramListedLines <= program::kVisibleRows;
    info.programLines = int(program::listedLines(kept).size());
    const QList<datafiles::NamedFile> files = report::backupFolderFiles(info, par, program::formatProgramFile(kept));

    // A folder of its own in the backup folder, under a name no backup has yet.
    const QDir folder(datafiles::backupFolder());
    const QString stem = datafiles::backupStem(info.time, info.port, info.address);
    QString path = folder.filePath(stem);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(stem + QStringLiteral("-%1").arg(n));
    QString error;
    if (!QDir().mkpath(folder.path()))
        error = datafiles::fileError(folder.path(), QStringLiteral("the folder cannot be made"));
    else
        error = datafiles::saveFolder(path, files);
    if (!error.isEmpty()) {
        errorBox(toCp1252(error + QStringLiteral("\r\r") + tr("Es wurde kein Bericht gemacht.")));
        return {};
    }
    return path;
}

void TForm1::saveReport(const QString &backup)
{
    // The report is made of the folder as saved, read back and checked: what
    // it shows is what the backup holds.
    const report::DriveFolder drive = report::readDriveFolder(backup);
    if (drive.check != report::Check::Good) {
        errorBox(toCp1252(tr("Die Sicherung %1 hält ihrer Prüfung nicht stand: es wurde kein Bericht gemacht.")
                              .arg(backup) + QStringLiteral("\r") + drive.faults.join(QLatin1Char('\r'))));
        return;
    }
    report::Request request;
    request.title = tr("ZYNT Adresse %1 an %2").arg(fromCp1252(drive.info.address), drive.info.port);
    request.by = report::loginName();
    request.made = QDateTime::currentDateTime();
    request.drives = {drive};
    const QString html = report::html(request);

    FileDialogRequest ask;
    ask.save = true;
    ask.title = QStringLiteral("Save");
    ask.defaultSuffix = QStringLiteral("pdf");
    ask.fileName = QStringLiteral("*.pdf");
    ask.filter = QStringLiteral("PDF (*.pdf)|*.pdf|HTML (*.html)|*.html");
    const QString fileName = askFileName(ask);
    if (fileName.isEmpty())
        return;
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const bool asHtml = suffix == QLatin1String("html") || suffix == QLatin1String("htm");
    const QByteArray bytes = asHtml ? html.toUtf8() : reportPdf(html, request.title);
    // Written aside, synced and renamed: "saved" only once it is in place.
    const QString error = bytes.isEmpty()
                              ? datafiles::fileError(fileName, QStringLiteral("the PDF could not be made"))
                              : datafiles::writeAside(fileName, bytes, datafiles::Placing::Replace);
    if (!error.isEmpty()) {
        errorBox(toCp1252(error));
        return;
    }
    statusNote(tr("Bericht gespeichert: %1").arg(fileName));
}
