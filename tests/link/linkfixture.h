// SPDX-License-Identifier: GPL-3.0-or-later
// A main window whose COM1 is a pseudo-terminal with the simulated drive on
// the other end, at 38400 baud.
#pragma once

#include "serial/tserial.h"
#include "shell/window/tform1.h"
#include "sim/simdrive.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdlib>
#include <functional>
#include <memory>

struct LinkFixture {
    QTemporaryDir dir;
    std::unique_ptr<sim::SimLine> drive = std::make_unique<sim::SimLine>();
    std::unique_ptr<TForm1> form;

    // Returns false (with a message) when the line could not be set up.
    // prepare may add drives and values before the line starts.
    bool start(const std::function<void(sim::SimLine &)> &prepare = {}, int baud = 38400,
               TBaudrate rate = br_038400)
    {
        if (!dir.isValid() || drive->openPty().isEmpty())
            return false;
        const QString link = dir.filePath(QStringLiteral("COM1"));
        if (!drive->makeLink(link))
            return false;
        qputenv("ZYNT_COM1", link.toLocal8Bit());
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
        serialports::reinitialisePortTable();
        drive->setBaud(baud);
        drive->addDrive(1);
        if (prepare)
            prepare(*drive);
        if (!drive->start())
            return false;
        form = std::make_unique<TForm1>();
        form->Serial1->setCOMPort(1);
        form->Serial1->setBaudrate(rate);
        form->Serial1->setActive(true);
        return form->Serial1->Active();
    }

    // Runs the event loop until the drive has received at least count
    // commands: the program only moves on from inside its event loop.
    bool commands(int count, int timeoutMs = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (drive->receivedCommands().size() < count) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QTest::qWait(5);
        }
        return true;
    }

    // The status poll runs whenever a drive is connected; where it is not what
    // a test looks at, its timer is kept from starting cycles.
    void withoutStatusPoll() { QObject::disconnect(form->Core->Timer3, &QTimer::timeout, form->Core, nullptr); }

    // The drive says exactly these bytes.
    void say(const QByteArray &bytes) { drive->sendRaw(bytes); }

    // Runs the event loop until the drive has nothing left to send and the
    // program has taken in every byte the drive sent. Both counts only grow,
    // so a passing moment cannot turn into a failure.
    bool drained(int timeoutMs = 20000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!drive->outputIdle()) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QTest::qWait(5);
        }
        const qint64 sent = drive->bytesSent();
        while (form->Serial1->ReceivedTotal() < sent) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QTest::qWait(5);
        }
        return true;
    }
};
