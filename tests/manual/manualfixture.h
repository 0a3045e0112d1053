// SPDX-License-Identifier: GPL-3.0-or-later
// The program started as a user starts it, with one or two simulated drives
// on COM1 at 38400 baud, its parameter list read and the status poll
// running; and the means to work the manual operation window as a user does
// and to see what reached the drive.
#pragma once

#include "tests/shell/shellfixture.h"

#include "manual/window/tform2.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

struct ManualUi {
    static constexpr int kWait = 20000;

    ShellFixture fx;
    TForm1 *f = nullptr;
    TForm2 *w = nullptr;

    // drives: 1 (address 1) or 2 (addresses 1 and 2); prepare may change
    // the drives before the line starts. The drives are ON, so that the
    // window offers its motion buttons from the start.
    bool start(const std::function<void(sim::SimLine &)> &prepare = {}, int drives = 1)
    {
        auto line = [prepare, drives](sim::SimLine &l) {
            for (int address = 1; address <= drives; ++address) {
                l.addDrive(address);
                l.withDrive(address, [](sim::Drive &d) { d.motion.setOn(true); });
            }
            if (prepare)
                prepare(l);
        };
        const QByteArray settings = drives == 1 ? ShellFixture::settings(1, 38400, "1", "1")
                                                : ShellFixture::settings(1, 38400, "2", "1,2");
        if (!fx.start(line, {}, settings))
            return false;
        f = fx.form.get();
        w = f->Form2;
        f->show();
        // The list is read at once rather than three seconds later.
        f->Timer12->stop();
        f->Timer12Timer();
        return until([this] {
            return !f->Core->Timer11->isActive() && f->ProgressBar1->isHidden() && f->isEnabled()
                && f->Parameters.ParameterRowCount > 100 && f->Core->Timer3->isActive();
        });
    }

    // Opens the manual window from the menu and waits until it is the active window.
    bool open()
    {
        f->Manuell1Click();
        return QTest::qWaitForWindowActive(w, kWait);
    }

    // Runs the event loop until the condition holds.
    static bool until(const std::function<bool()> &condition, int timeoutMs = kWait)
    {
        return ShellFixture::until(condition, timeoutMs);
    }

    QList<QByteArray> received() const { return fx.com1->receivedCommands(); }
    qsizetype mark() const { return received().size(); }
    QList<QByteArray> sentSince(qsizetype index) const { return received().mid(index); }

    // The commands since index that are not status queries.
    QList<QByteArray> commandsSince(qsizetype index) const
    {
        static const QByteArrayList poll = {"#P336?\r", "#P11?\r", "#P12?\r", "#O1?\r", "#O2?\r",   "#O3?\r",
                                            "#O4?\r",   "#ADC?\r", "#P134?\r", "#P1300?\r"};
        QList<QByteArray> kept;
        for (const QByteArray &command : sentSince(index)) {
            if (!poll.contains(command) && !command.endsWith("P51?\r"))
                kept.append(command);
        }
        return kept;
    }

    // Waits until the drive received the command since index.
    bool receivedSince(qsizetype index, const QByteArray &command, int timeoutMs = kWait) const
    {
        return until([&] { return sentSince(index).contains(command); }, timeoutMs);
    }

    // Waits until one whole poll cycle has started and ended after this moment.
    bool cycles(int count = 1)
    {
        const qsizetype from = mark();
        return until([&] {
            const QList<QByteArray> sent = sentSince(from);
            const qsizetype first = sent.indexOf('#' + f->Core->DriveAddress + "P51?\r");
            return first >= 0 && sent.mid(first).count("#P1300?\r") >= count && !f->Core->Queue.head();
        });
    }

    // Changes the drive while the line runs.
    void drive(int address, const std::function<void(sim::Drive &)> &change) { fx.com1->withDrive(address, change); }

    QString german(int number) const { return fx.german(number); }
};
