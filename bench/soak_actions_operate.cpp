// SPDX-License-Identifier: GPL-3.0-or-later
// What the user does in the manual window and the terminal, with the
// drive's address, the search and the language.
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

bool openManual(ActionContext &c, bool run)
{
    if (!usable(c.f->Manuell1) || c.f->Form2->isVisible())
        return false;
    if (run)
        c.f->Manuell1->trigger();
    return true;
}

bool closeManual(ActionContext &c, bool run)
{
    if (!c.f->Form2->isVisible() || !nothingModal())
        return false;
    if (run)
        c.f->Form2->close();
    return true;
}

namespace {

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

} // namespace

bool manual(ActionContext &c, bool run)
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
    if (b.number == 12)
        c.stopPressed();
    c.notes.detail = button->text();
    click(button);
    return true;
}

bool output(ActionContext &c, bool run)
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

bool override(ActionContext &c, bool run)
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

bool openTerminal(ActionContext &c, bool run)
{
    if (!usable(c.f->Terminal1) || c.f->MemoTxD->isVisible())
        return false;
    if (run)
        c.f->Terminal1->trigger();
    return true;
}

bool typeInTerminal(ActionContext &c, bool run)
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

bool stopStartPoll(ActionContext &c, bool run)
{
    if (!usable(c.f->Button18))
        return false;
    if (run) {
        c.notes.detail = c.f->Button18->text();
        click(c.f->Button18);
    }
    return true;
}

bool closeTerminal(ActionContext &c, bool run)
{
    if (!usable(c.f->Button13))
        return false;
    if (run)
        click(c.f->Button13);
    return true;
}

bool chooseAddress(ActionContext &c, bool run)
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

bool search(ActionContext &c, bool run)
{
    if (!usable(c.f->Automatisch1))
        return false;
    if (run) {
        allowConnect(c.notes.allowed);
        c.f->Automatisch1->trigger();
    }
    return true;
}

bool language(ActionContext &c, bool run)
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

} // namespace soak
