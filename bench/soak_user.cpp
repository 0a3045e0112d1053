#include "bench/soak_user.h"

#include "manual/tform2.h"
#include "parameters/parametermodel.h"
#include "parameters/writeback_dialog.h"
#include "program/tokbottomdlg.h"
#include "shell/cp1252.h"
#include "shell/tform1.h"
#include "shell/tradiogroup.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTest>

namespace soak {

using K = sim::ChangeKind;

struct User::Context {
    TForm1 *f;
    QRandomGenerator &rng;
    StepNotes &notes;
    QString folder;
    QString &nextFile;

    int pick(int n) { return n <= 0 ? 0 : int(rng.bounded(quint32(n))); }
    bool coin() { return rng.bounded(2u) == 1; }
};

namespace {

using Context = User::Context;

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

// The grid shows a parameter known by two names as "P1084 (R4)": the
// first is the one it is written under.
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

// The connect sequence that an address choice or a search starts.
void allowTraceEnd(Allowance &a);

void allowConnect(Allowance &a)
{
    allowTraceEnd(a); // the drives' lists are read after it
}

// Leaving trace mode (before a load, on closing the editor) stops the drive.
void allowTraceEnd(Allowance &a)
{
    a.command(K::Execution, "TROFF");
    a.command(K::Execution, "STROFF");
    a.command(K::Motion, "s");
    a.command(K::Motion, "S");
}

// A program line as a technician types it, now and then one the drive refuses.
QByteArray programLine(Context &c)
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

// ---- The actions -------------------------------------------------------------

bool readList(Context &c, bool run)
{
    if (!usable(c.f->neulesen1))
        return false;
    if (run) {
        allowTraceEnd(c.notes.allowed); // the list is read outside trace mode
        c.f->neulesen1->trigger();
    }
    return true;
}

bool editValue(Context &c, bool run)
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

bool saveParameters(Context &c, bool run)
{
    if (!usable(c.f->ParameterSpeichern1))
        return false;
    if (run) {
        c.nextFile = QDir(c.folder).filePath(QStringLiteral("p%1.par").arg(c.pick(4)));
        c.f->ParameterSpeichern1->trigger();
    }
    return true;
}

bool loadParameters(Context &c, bool run)
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
    c.f->Parameterffnen1->trigger();
    return true;
}

bool writeBack(Context &c, bool run)
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

bool permanentSave(Context &c, bool run)
{
    if (!usable(c.f->Button3))
        return false;
    if (run) {
        c.notes.allowed.any(K::PermanentSave);
        click(c.f->Button3);
    }
    return true;
}

bool readProgram(Context &c, bool run)
{
    if (!usable(c.f->ZYNTffnen1))
        return false;
    if (run) {
        allowTraceEnd(c.notes.allowed);
        c.f->ZYNTffnen1->trigger();
    }
    return true;
}

bool openProgramEditor(Context &c, bool run)
{
    if (!usable(c.f->BitBtn1))
        return false;
    if (run)
        click(c.f->BitBtn1);
    return true;
}

bool editProgramLine(Context &c, bool run)
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

bool insertOrDeleteLine(Context &c, bool run, QPushButton *button)
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

bool insertLine(Context &c, bool run)
{
    return insertOrDeleteLine(c, run, c.f->Button6);
}

bool deleteLine(Context &c, bool run)
{
    return insertOrDeleteLine(c, run, c.f->Button7);
}

bool writeProgram(Context &c, bool run)
{
    if (!usable(c.f->Liste_Speichern))
        return false;
    if (!run)
        return true;
    // The user writes what the grid shows.
    QList<QByteArray> rows;
    for (int r = 1; r <= 299 && r < c.f->StringGrid1->rowCount(); ++r)
        rows << cellText(c.f->StringGrid1, r, 1);
    const QList<QByteArray> lines = linesWritten(rows);
    c.notes.programWritten = lines;
    c.notes.allowed.any(K::ProgramNew);
    c.notes.allowed.any(K::ProgramQuit);
    for (const QByteArray &line : lines)
        c.notes.allowed.command(K::ProgramLine, line);
    c.notes.allowed.command(K::ProgramLine, QByteArray());
    allowTraceEnd(c.notes.allowed); // the drive's program is read for the backup first
    c.notes.detail = QStringLiteral("%1 lines").arg(lines.size());
    click(c.f->Liste_Speichern);
    return true;
}

bool saveProgram(Context &c, bool run)
{
    if (!usable(c.f->FileSpeichern1))
        return false;
    if (run) {
        c.nextFile = QDir(c.folder).filePath(QStringLiteral("g%1.prg").arg(c.pick(4)));
        c.f->FileSpeichern1->trigger();
    }
    return true;
}

bool loadProgram(Context &c, bool run)
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

bool execution(Context &c, bool run)
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

bool executeLine(Context &c, bool run)
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

bool openManual(Context &c, bool run)
{
    if (!usable(c.f->Manuell1) || c.f->Form2->isVisible())
        return false;
    if (run)
        c.f->Manuell1->trigger();
    return true;
}

bool closeManual(Context &c, bool run)
{
    if (!c.f->Form2->isVisible() || !nothingModal())
        return false;
    if (run)
        c.f->Form2->close();
    return true;
}

// The manual window's buttons and what each sends.
struct ManualButton {
    int number;
    K kind;
    const char *commands[3];
};
const ManualButton kManual[] = {
    {2, K::Power, {"ON"}},        {5, K::Power, {"OFF"}},       {4, K::Motion, {"ls"}},
    {6, K::Motion, {"rs"}},       {7, K::Motion, {"lf"}},       {8, K::Motion, {"rf"}},
    {9, K::Motion, {"h"}},        {10, K::Execution, {"run"}},  {11, K::Motion, {"e"}},
    {12, K::Motion, {"s"}},       {13, K::Assignment, {"P11=0"}}, {14, K::Assignment, {"P12=0"}},
    {1, K::Assignment, {"P51=0", "P12=0"}},
};

QPushButton *manualButton(TForm2 *form, int number)
{
    QPushButton *const buttons[] = {nullptr, form->Button1, form->Button2, nullptr, form->Button4, form->Button5,
                                    form->Button6, form->Button7, form->Button8, form->Button9, form->Button10,
                                    form->Button11, form->Button12, form->Button13, form->Button14};
    return number >= 0 && number < int(std::size(buttons)) ? buttons[number] : nullptr;
}

bool manual(Context &c, bool run)
{
    const ManualButton &b = kManual[c.pick(int(std::size(kManual)))];
    QPushButton *button = manualButton(c.f->Form2, b.number);
    if (!usable(button))
        return false;
    if (!run)
        return true;
    for (const char *command : b.commands) {
        if (command)
            c.notes.allowed.command(b.kind, command);
    }
    if (b.number == 1)
        c.notes.allowed.command(K::Motion, "s"); // the reset stops first
    c.notes.detail = button->text();
    click(button);
    return true;
}

bool output(Context &c, bool run)
{
    const int n = 1 + c.pick(4);
    QPushButton *button = c.f->Form2->Out[size_t(n)];
    if (!usable(button))
        return false;
    if (run) {
        c.notes.allowed.name(K::Output, "O" + QByteArray::number(n));
        c.notes.detail = button->text();
        click(button);
    }
    return true;
}

bool override(Context &c, bool run)
{
    QSlider *slider = c.f->Form2->TrackBar1;
    if (!usable(slider))
        return false;
    if (run) {
        c.notes.allowed.name(K::Assignment, "P108");
        const bool up = c.coin();
        for (int i = 1 + c.pick(3); i > 0; --i)
            QTest::keyClick(slider, up ? Qt::Key_PageUp : Qt::Key_PageDown);
        c.notes.detail = QString::number(slider->value());
    }
    return true;
}

bool openTerminal(Context &c, bool run)
{
    if (!usable(c.f->Terminal1) || c.f->MemoTxD->isVisible())
        return false;
    if (run)
        c.f->Terminal1->trigger();
    return true;
}

bool typeInTerminal(Context &c, bool run)
{
    if (!usable(c.f->MemoTxD))
        return false;
    if (!run)
        return true;
    static const char *const typed[] = {"P41?", "ver", "P1300?", "P41=", "xyz"};
    QByteArray text = typed[c.pick(int(std::size(typed)))];
    if (text.endsWith('='))
        text += QByteArray::number(c.pick(900));
    c.notes.allowed.command(K::Assignment, text);
    c.notes.detail = QString::fromLatin1(text);
    c.f->MemoTxD->setFocus();
    QTest::keyClicks(c.f->MemoTxD, QString::fromLatin1(text));
    QTest::keyClick(c.f->MemoTxD, Qt::Key_Return);
    // The focus leaves the terminal again.
    c.f->StringGrid2->isVisible() ? c.f->StringGrid2->setFocus() : c.f->Button13->setFocus();
    return true;
}

bool stopStartPoll(Context &c, bool run)
{
    if (!usable(c.f->Button18))
        return false;
    if (run) {
        c.notes.detail = c.f->Button18->text();
        click(c.f->Button18);
    }
    return true;
}

bool closeTerminal(Context &c, bool run)
{
    if (!usable(c.f->Button13))
        return false;
    if (run)
        click(c.f->Button13);
    return true;
}

bool chooseAddress(Context &c, bool run)
{
    if (!usable(c.f->Achse1))
        return false;
    if (!run)
        return true;
    allowConnect(c.notes.allowed);
    c.f->Achse1->trigger();
    if (!c.f->ComboBox1->isVisible() || !c.f->ComboBox1->isEnabled())
        return true;
    // The drive's address, or nothing (the address stays).
    const QString chosen = c.coin() ? QStringLiteral("1") : QString();
    c.notes.detail = chosen.isEmpty() ? QStringLiteral("(empty)") : chosen;
    c.f->ComboBox1->setFocus();
    c.f->ComboBox1->setEditText(chosen);
    QTest::keyClick(c.f->ComboBox1, Qt::Key_Return);
    return true;
}

bool search(Context &c, bool run)
{
    if (!usable(c.f->Automatisch1))
        return false;
    if (run) {
        allowConnect(c.notes.allowed);
        c.f->Automatisch1->trigger();
    }
    return true;
}

bool language(Context &c, bool run)
{
    QAction *choice = c.f->Sprache == 2 ? c.f->Deutsch1 : c.f->english1;
    if (!usable(choice))
        return false;
    if (run) {
        c.notes.allowed.name(K::Assignment, "P265");
        choice->trigger();
    }
    return true;
}

struct Kind {
    const char *name;
    bool (*act)(Context &, bool run);
    int weight;     // how often a user does it, against the others
};

const Kind kKinds[] = {
    {"read list", readList, 2},          {"edit value", editValue, 6},
    {"save parameters", saveParameters, 2}, {"load parameters", loadParameters, 2},
    {"write back", writeBack, 3},        {"permanent save", permanentSave, 1},
    {"read program", readProgram, 3},    {"program editor", openProgramEditor, 2},
    {"edit line", editProgramLine, 6},   {"insert line", insertLine, 2},
    {"delete line", deleteLine, 2},      {"write program", writeProgram, 4},
    {"save program", saveProgram, 1},    {"load program", loadProgram, 1},
    {"run/stop/trace", execution, 3},    {"execute line", executeLine, 1},
    {"open manual", openManual, 1},      {"close manual", closeManual, 1},
    {"manual button", manual, 3},        {"output", output, 2},
    {"override", override, 2},           {"open terminal", openTerminal, 1},
    {"type", typeInTerminal, 2},         {"RS232 stop/start", stopStartPoll, 1},
    {"close terminal", closeTerminal, 1}, {"address", chooseAddress, 1},
    {"search", search, 1},               {"language", language, 1},
};

int totalWeight()
{
    int total = 0;
    for (const Kind &kind : kKinds)
        total += kind.weight;
    return total;
}

} // namespace

User::User(TForm1 *form, QString folder)
    : m_form(form), m_folder(std::move(folder))
{
}

int User::kindCount()
{
    return int(std::size(kKinds));
}

const char *User::kindName(int kind)
{
    return kKinds[kind].name;
}

int User::drawKind(QRandomGenerator &rng)
{
    int at = int(rng.bounded(quint32(totalWeight())));
    for (int i = 0; i < kindCount(); ++i) {
        if (at < kKinds[i].weight)
            return i;
        at -= kKinds[i].weight;
    }
    return 0;
}

bool User::act(int kind, QRandomGenerator &rng, StepNotes &notes)
{
    Context c {m_form, rng, notes, m_folder, m_nextFile};
    if (!kKinds[kind].act(c, false))
        return false;
    return kKinds[kind].act(c, true);
}

QString User::fileAnswer(bool, const QString &)
{
    return std::exchange(m_nextFile, QString());
}

bool User::answerWaiting(QRandomGenerator &rng, StepNotes &notes, qint64 nowMs)
{
    TForm1 *f = m_form;
    if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
        notes.told << box->text();
        const QList<QAbstractButton *> buttons = box->buttons();
        QAbstractButton *button = buttons.value(int(rng.bounded(quint32(buttons.size()))));
        notes.answers << QStringLiteral("box \"%1\": %2").arg(box->text().left(60), button ? button->text() : QString());
        if (button)
            button->click();
        else
            box->done(QMessageBox::Ok);
        return true;
    }
    if (QWidget *modal = QApplication::activeModalWidget()) {
        // Any other dialog of the program's: closed as by Escape.
        notes.answers << QStringLiteral("dialog %1 closed").arg(QString::fromLatin1(modal->metaObject()->className()));
        modal->close();
        return true;
    }
    if (f->OKBottomDlg->isVisible()) {
        if (f->Core->Owner.paused(line::Pause::DriveError)) {
            // A drive's message is read for a moment, then confirmed.
            if (m_errorSince < 0) {
                m_errorSince = nowMs;
                notes.told << f->OKBottomDlg->Label1->text();
            }
            if (nowMs - m_errorSince >= 300) {
                m_errorSince = -1;
                notes.answers << QStringLiteral("drive error confirmed");
                click(f->OKBottomDlg->OKBtn);
            }
        } else {
            const bool yes = rng.bounded(2u) == 1;
            notes.answers << (yes ? QStringLiteral("overwrite: OK") : QStringLiteral("overwrite: Cancel"));
            click(yes ? f->OKBottomDlg->OKBtn : f->OKBottomDlg->CancelBtn);
        }
        return true;
    }
    m_errorSince = -1;
    if (f->CompareDialog && f->CompareDialog->isVisible()) {
        const bool yes = rng.bounded(2u) == 1;
        notes.answers << (yes ? QStringLiteral("comparison: write") : QStringLiteral("comparison: cancel"));
        click(yes ? f->CompareDialog->OKBtn : f->CompareDialog->CancelBtn);
        return true;
    }
    if (f->VerifyReport && f->VerifyReport->isVisible()) {
        notes.told << QStringLiteral("write-back report");
        click(f->VerifyReport->OKBtn);
        return true;
    }
    return false;
}

} // namespace soak
