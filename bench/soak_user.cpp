// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/soak_user.h"

#include "bench/soak_actions.h"
#include "parameters/window/writeback_dialog.h"
#include "program/window/tokbottomdlg.h"
#include "shell/window/tform1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace soak {

namespace {

struct Kind {
    const char *name;
    bool (*act)(ActionContext &, bool run);
    int weight;     // how often a user does it, against the others
    bool transfer = false; // it starts a transfer, which a pulled cable may cut
};

const Kind kKinds[] = {
    {"read list", readList, 2},          {"edit value", editValue, 6},
    {"save parameters", saveParameters, 2}, {"load parameters", loadParameters, 2},
    {"write back", writeBack, 3, true},        {"permanent save", permanentSave, 1},
    {"read program", readProgram, 3, true},    {"program editor", openProgramEditor, 2},
    {"edit line", editProgramLine, 6},   {"insert line", insertLine, 2},
    {"delete line", deleteLine, 2},      {"write program", writeProgram, 4, true},
    {"save program", saveProgram, 1},    {"load program", loadProgram, 1},
    {"run/stop/trace", execution, 3},    {"execute line", executeLine, 1},
    {"open manual", openManual, 1},      {"close manual", closeManual, 1},
    {"manual button", manual, 3},        {"output", output, 2},
    {"override", override, 2},           {"open terminal", openTerminal, 1},
    {"type", typeInTerminal, 2},         {"RS232 stop/start", stopStartPoll, 1},
    {"close terminal", closeTerminal, 1}, {"address", chooseAddress, 1},
    {"search", search, 1},               {"language", language, 1},
    {"address, drive silent", addressWhileSilent, 1},
    {"configure, cancelled", configureCancelled, 1},
    {"close during write", closeDuringWrite, 2, true},
    {"stop during loss", stopDuringLoss, 2},
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

bool User::startsTransfer(int kind)
{
    return kKinds[kind].transfer;
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

bool User::act(int kind, QRandomGenerator &rng, StepNotes &notes, SoakLine *line, QObject *owner,
               const QList<QByteArray> &before, const std::function<void()> &stopPressed)
{
    ActionContext c {m_form, rng, notes, m_folder, m_nextFile, line, owner, before, stopPressed};
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
        // Any other dialog of the program's (the port dialog): cancelled.
        const QString name = QString::fromLatin1(modal->metaObject()->className());
        for (QPushButton *button : modal->findChildren<QPushButton *>()) {
            const QString text = button->text().remove(QLatin1Char('&'));
            if (button->isVisible() && button->isEnabled()
                && (text == QLatin1String("Abbruch") || text == QLatin1String("Abbrechen") || text == QLatin1String("Cancel"))) {
                notes.answers << QStringLiteral("dialog %1: %2").arg(name, text);
                click(button);
                return true;
            }
        }
        notes.answers << QStringLiteral("dialog %1 closed").arg(name);
        modal->close();
        return true;
    }
    if (f->OKBottomDlg->isVisible()) {
        if (f->OKBottomDlg->showsDriveError()) {
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