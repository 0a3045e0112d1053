// SPDX-License-Identifier: GPL-3.0-or-later
// The program started as a user starts it, with one drive at a given rate,
// its parameter list read and the status poll running, shown as a user sees
// it; and the means to lose the link and to see what reached the drive.
#pragma once

#include "tests/shell/shellfixture.h"

#include "program/programlines.h"

#include <QLabel>
#include <QProgressBar>

constexpr int kSessionWait = 30000; // ms; generous, never a measure of speed

inline QByteArrayList numbered(int count, const QByteArray &prefix)
{
    QByteArrayList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(prefix + QByteArray::number(i));
    return lines;
}

// The program started with one drive at the given rate, its parameter list
// read and the status poll running, shown as a user sees it.
struct Session {
    ShellFixture fx;
    TForm1 *f = nullptr;

    bool start(int baud = 38400, const ShellFixture::Prepare &prepare = {})
    {
        auto line = [baud, prepare](sim::SimLine &l) {
            l.setBaud(baud);
            l.addDrive(1);
            if (prepare)
                prepare(l);
        };
        if (!fx.start(line, {}, ShellFixture::settings(1, baud, "1", "1")))
            return false;
        f = fx.form.get();
        f->AskFileName = [](const FileDialogRequest &) { return QString(); };
        f->show();
        f->Timer12->stop();
        f->Timer12Timer(); // the list now rather than three seconds later
        return until([this] {
            return f->Label3->isHidden() && f->ProgressBar1->isHidden() && f->isEnabled() && f->Core->Timer3->isActive()
                && f->Parameters.ParameterRowCount > 100;
        });
    }

    sim::SimLine &line() { return *fx.com1; }

    static bool until(const std::function<bool()> &condition, int timeoutMs = kSessionWait)
    {
        return ShellFixture::until(condition, timeoutMs);
    }

    QByteArrayList storedProgram()
    {
        QByteArrayList lines;
        line().withDrive(1, [&lines](sim::Drive &d) { lines = d.program.lines(); });
        return lines;
    }

    QByteArrayList grid(int rows) const
    {
        QByteArrayList texts;
        for (int row = 1; row <= rows; ++row)
            texts.append(f->Program[size_t(row)]);
        return texts;
    }

    void setGrid(const QByteArrayList &lines)
    {
        program::clearLines(f->Program);
        for (int i = 0; i < lines.size(); ++i)
            f->Program[size_t(i + 1)] = lines[i];
        f->showProgram();
    }

    // The commands the drive received from index on, the status queries left out.
    QList<QByteArray> sentSince(qsizetype index) const
    {
        QList<QByteArray> kept;
        for (const QByteArray &command : fx.com1->receivedCommands().mid(index)) {
            if (!command.endsWith("?\r"))
                kept.append(command);
        }
        return kept;
    }
    qsizetype mark() const { return fx.com1->receivedCommands().size(); }

    // The poll runs: a whole cycle goes out after this moment.
    bool pollRuns()
    {
        const qsizetype from = mark();
        return until([&] { return fx.com1->receivedCommands().mid(from).count("#P1300?\r") >= 2; });
    }

    // The drive stops answering until the window declares the link lost.
    bool loseLink()
    {
        line().setSilent(true);
        return until([this] { return f->Label2->text() == german(74); });
    }

    QString german(int number) const { return fx.german(number); }
};
