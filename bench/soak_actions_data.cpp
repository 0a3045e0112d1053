// SPDX-License-Identifier: GPL-3.0-or-later
// The user's reach, and what it does with the parameters and the program.
#include "bench/soak_actions.h"

#include "manual/window/tform2.h"
#include "parameters/parametermodel.h"
#include "shell/cp1252.h"
#include "shell/window/tform1.h"
#include "shell/window/tradiogroup.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTest>

namespace soak {

using K = sim::ChangeKind;

// ---- What the user can reach ---------------------------------------------

bool nothingModal()
{
    return QApplication::activeModalWidget() == nullptr;
}

bool usable(const QWidget *w)
{
    return w && nothingModal() && w->isVisible() && w->isEnabled() && w->window()->isEnabled();
}

bool usable(const QAction *a)
{
    if (!a || !nothingModal() || !a->isEnabled() || !a->isVisible())
        return false;
    for (QObject *o : a->associatedObjects()) {
        if (auto *menu = qobject_cast<QMenu *>(o)) {
            if (!menu->isEnabled() || !menu->window()->isEnabled())
                return false;
        }
    }
    return true;
}

void click(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton);
}

QByteArray cellText(QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? toCp1252(item->text()) : QByteArray();
}

QByteArray designationName(const QByteArray &cell)
{
    return cell.trimmed().split(' ').value(0);
}

void clickCell(QTableWidget *grid, int row, int column)
{
    QTableWidgetItem *cell = grid->item(row, column);
    if (!cell)
        return;
    grid->scrollToItem(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(cell).center());
}

QStringList filesWith(const QString &folder, const QString &suffix)
{
    return QDir(folder).entryList({QStringLiteral("*.") + suffix}, QDir::Files, QDir::Name);
}

void allowConnect(Allowance &a)
{
    allowTraceEnd(a); // the drives' lists are read after it
}

void allowTraceEnd(Allowance &a)
{
    a.command(K::Execution, "TROFF");
    a.command(K::Execution, "STROFF");
    a.command(K::Motion, "s");
    a.command(K::Motion, "S");
}


namespace {

QByteArray programLine(ActionContext &c)
{
    static const char *const words[] = {"e", "ref", "T500", "end", ":loop", "JMP loop", "V=500", "A=100"};
    switch (c.pick(6)) {
    case 0:
        return "W=" + QByteArray::number(int(c.rng.bounded(20001)) - 10000);
    case 1:
        return "G" + QByteArray::number(int(c.rng.bounded(2001)) - 1000);
    case 2:
        return c.pick(8) == 0 ? QByteArray("bogus line") : QByteArray("T") + QByteArray::number(c.pick(1000));
    default:
        return words[c.pick(int(std::size(words)))];
    }
}

} // namespace

bool readList(ActionContext &c, bool run)
{
    if (!usable(c.f->neulesen1))
        return false;
    if (run) {
        allowTraceEnd(c.notes.allowed); // the list is read outside trace mode
        c.f->neulesen1->trigger();
    }
    return true;
}

bool editValue(ActionContext &c, bool run)
{
    QTableWidget *grid = c.f->StringGrid2;
    if (!usable(grid) || grid->rowCount() < 2)
        return false;
    if (!run)
        return true;
    const int row = 1 + c.pick(grid->rowCount() - 1);
    const QByteArray designation = designationName(cellText(grid, row, params::ColDesignation));
    clickCell(grid, row, params::ColValue);
    c.notes.detail = QStringLiteral("row %1 (%2)").arg(row).arg(QString::fromLatin1(designation));
    // The editor that opened says what the drive may take.
    c.notes.allowed.name(K::Assignment, designation);
    c.notes.allowed.name(K::Output, designation);
    if (c.f->EditedParameterNumber > 0) {
        c.notes.allowed.name(K::Assignment, "P" + QByteArray::number(c.f->EditedParameterNumber));
        c.notes.allowed.name(K::Output, "P" + QByteArray::number(c.f->EditedParameterNumber));
    }
    if (c.f->Edit1->isVisible()) {
        c.f->Edit1->setFocus();
        c.f->Edit1->selectAll();
        QTest::keyClicks(c.f->Edit1, QString::number(c.pick(2000)));
    } else if (c.f->RadioGroup1->isVisible() && !c.f->RadioGroup1->items().isEmpty()) {
        if (QAbstractButton *option = c.f->RadioGroup1->button(c.pick(int(c.f->RadioGroup1->items().size()))))
            click(option);
    } else {
        QList<QCheckBox *> boxes;
        for (QCheckBox *box : c.f->CheckBox) {
            if (box && box->isVisible() && box->isEnabled())
                boxes << box;
        }
        if (!boxes.isEmpty())
            click(boxes[c.pick(int(boxes.size()))]);
    }
    QPushButton *answer = c.coin() ? c.f->Button9 : c.f->Button10;
    c.notes.detail += answer == c.f->Button9 ? QStringLiteral(", OK") : QStringLiteral(", Cancel");
    if (answer->isVisible() && answer->isEnabled())
        click(answer);
    else if (c.f->Button10->isVisible())
        click(c.f->Button10);
    return true;
}

bool saveParameters(ActionContext &c, bool run)
{
    if (!usable(c.f->ParameterSpeichern1))
        return false;
    if (run) {
        c.nextFile = QDir(c.folder).filePath(QStringLiteral("p%1.par").arg(c.pick(4)));
        c.f->ParameterSpeichern1->trigger();
    }
    return true;
}

bool loadParameters(ActionContext &c, bool run)
{
    const QStringList files = filesWith(c.folder, QStringLiteral("par"));
    if (!usable(c.f->Parameterffnen1) || files.isEmpty())
        return false;
    if (!run)
        return true;
    // Now and then one value changed in the file, as by hand.
    const QString path = QDir(c.folder).filePath(files[c.pick(int(files.size()))]);
    QFile file(path);
    if (c.coin() && file.open(QIODevice::ReadOnly)) {
        QList<QByteArray> lines = file.readAll().split('\n');
        file.close();
        const int at = c.pick(int(lines.size()));
        const qsizetype eq = lines[at].indexOf('=');
        if (eq > 0)
            lines[at] = lines[at].left(eq + 1) + QByteArray::number(c.pick(500)) + "\r";
        QFile out(QDir(c.folder).filePath(QStringLiteral("edited.par")));
        if (out.open(QIODevice::WriteOnly))
            out.write(lines.join('\n'));
        c.nextFile = out.fileName();
    } else {
        c.nextFile = path;
    }
    c.notes.detail = QFileInfo(c.nextFile).fileName();
    allowTraceEnd(c.notes.allowed); // the drive's list is read afresh to mark the file's rows against
    c.f->Parameterffnen1->trigger();
    return true;
}

bool writeBack(ActionContext &c, bool run)
{
    if (!usable(c.f->Button8))
        return false;
    if (!run)
        return true;
    // What the user sees in the grid is what may be written.
    QTableWidget *grid = c.f->StringGrid2;
    for (int r = 1; r < grid->rowCount(); ++r) {
        const QByteArray name = designationName(cellText(grid, r, params::ColDesignation));
        const QByteArray value = cellText(grid, r, params::ColValue);
        if (name.isEmpty())
            continue;
        c.notes.allowed.command(K::Assignment, name + '=' + value);
        c.notes.allowed.command(K::Output, name + '=' + value);
    }
    allowTraceEnd(c.notes.allowed); // the list is read again after it
    click(c.f->Button8);
    return true;
}

bool permanentSave(ActionContext &c, bool run)
{
    if (!usable(c.f->Button3))
        return false;
    if (run) {
        c.notes.allowed.any(K::PermanentSave);
        click(c.f->Button3);
    }
    return true;
}

bool readProgram(ActionContext &c, bool run)
{
    if (!usable(c.f->ZYNTffnen1))
        return false;
    if (run) {
        allowTraceEnd(c.notes.allowed);
        c.f->ZYNTffnen1->trigger();
    }
    return true;
}

bool openProgramEditor(ActionContext &c, bool run)
{
    if (!usable(c.f->BitBtn1))
        return false;
    if (run)
        click(c.f->BitBtn1);
    return true;
}

bool editProgramLine(ActionContext &c, bool run)
{
    QTableWidget *grid = c.f->StringGrid1;
    if (!usable(grid))
        return false;
    if (!run)
        return true;
    // Mostly near the end of the program, where lines are added.
    int last = 0;
    for (int r = 1; r < grid->rowCount() && r <= 299; ++r) {
        if (!cellText(grid, r, 1).isEmpty())
            last = r;
    }
    const int row = std::min(299, std::max(1, last + 1 - c.pick(std::min(last + 1, 6))));
    clickCell(grid, row, 1);
    const QByteArray text = programLine(c);
    c.notes.detail = QStringLiteral("row %1: %2").arg(row).arg(QString::fromLatin1(text));
    for (QLineEdit *edit : grid->findChildren<QLineEdit *>()) {
        if (edit->isVisible()) {
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromLatin1(text));
            QTest::keyClick(edit, Qt::Key_Return);
            break;
        }
    }
    return true;
}

namespace {

bool insertOrDeleteLine(ActionContext &c, bool run, QPushButton *button)
{
    if (!usable(button) || !usable(c.f->StringGrid1))
        return false;
    if (run) {
        const int row = 1 + c.pick(12);
        c.f->StringGrid1->setCurrentCell(row, 1);
        c.notes.detail = QStringLiteral("row %1").arg(row);
        click(button);
    }
    return true;
}

} // namespace

bool insertLine(ActionContext &c, bool run)
{
    return insertOrDeleteLine(c, run, c.f->Button6);
}

bool deleteLine(ActionContext &c, bool run)
{
    return insertOrDeleteLine(c, run, c.f->Button7);
}

QList<QByteArray> notedWrite(ActionContext &c)
{
    // The user writes what the grid shows.
    QList<QByteArray> rows;
    for (int r = 1; r <= 299 && r < c.f->StringGrid1->rowCount(); ++r)
        rows << cellText(c.f->StringGrid1, r, 1);
    const QList<QByteArray> lines = linesWritten(rows);
    c.notes.programWritten = lines;
    c.notes.allowed.any(K::ProgramNew);
    c.notes.allowed.any(K::ProgramQuit);
    for (const QByteArray &line : lines + c.before)
        c.notes.allowed.command(K::ProgramLine, line);
    c.notes.allowed.command(K::ProgramLine, QByteArray());
    allowTraceEnd(c.notes.allowed); // the drive's program is read for the backup first
    c.notes.detail = QStringLiteral("%1 lines").arg(lines.size());
    return lines;
}

bool writeProgram(ActionContext &c, bool run)
{
    if (!usable(c.f->Liste_Speichern))
        return false;
    if (!run)
        return true;
    notedWrite(c);
    click(c.f->Liste_Speichern);
    return true;
}

bool saveProgram(ActionContext &c, bool run)
{
    if (!usable(c.f->FileSpeichern1))
        return false;
    if (run) {
        c.nextFile = QDir(c.folder).filePath(QStringLiteral("g%1.prg").arg(c.pick(4)));
        c.f->FileSpeichern1->trigger();
    }
    return true;
}

bool loadProgram(ActionContext &c, bool run)
{
    const QStringList files = filesWith(c.folder, QStringLiteral("prg"));
    if (!usable(c.f->N1) || files.isEmpty())
        return false;
    if (run) {
        c.nextFile = QDir(c.folder).filePath(files[c.pick(int(files.size()))]);
        c.notes.detail = QFileInfo(c.nextFile).fileName();
        allowTraceEnd(c.notes.allowed);
        c.f->N1->trigger();
    }
    return true;
}

namespace {

// The program's execution buttons: what each may start on the drive.
struct ExecutionButton {
    QPushButton *TForm1::*button;
    const char *commands[3];
};
const ExecutionButton kExecution[] = {
    {&TForm1::Button1, {"RUN", "run", nullptr}},       // run
    {&TForm1::Button2, {"s", "S", "STROFF"}},          // stop
    {&TForm1::Button12, {"TRON", "TROFF", "STROFF"}},  // trace on / off
    {&TForm1::Button14, {"TR", "RUN", nullptr}},       // trace step
};

} // namespace

bool execution(ActionContext &c, bool run)
{
    const ExecutionButton &b = kExecution[c.pick(int(std::size(kExecution)))];
    QPushButton *button = c.f->*b.button;
    if (!usable(button))
        return false;
    if (!run)
        return true;
    for (const char *command : b.commands) {
        if (!command)
            continue;
        c.notes.allowed.command(K::Execution, command);
        c.notes.allowed.command(K::Motion, command);
    }
    allowTraceEnd(c.notes.allowed);
    c.notes.allowed.command(K::Execution, "RUN");
    c.notes.detail = button->text();
    click(button);
    return true;
}

bool executeLine(ActionContext &c, bool run)
{
    if (!usable(c.f->Button4) || !usable(c.f->StringGrid1))
        return false;
    if (!run)
        return true;
    const int row = std::max(1, c.f->StringGrid1->currentRow());
    const QByteArray line = cellText(c.f->StringGrid1, row, 1);
    for (K kind : {K::Assignment, K::Output, K::Motion, K::Execution, K::Power})
        c.notes.allowed.command(kind, line);
    c.notes.detail = QString::fromLatin1(line);
    click(c.f->Button4);
    return true;
}

} // namespace soak
