// SPDX-License-Identifier: GPL-3.0-or-later
// A main window started the way the program starts, in a folder of its own,
// with a simulated line on COM1 and on COM2 (each a pseudo-terminal; a line
// without drives stays silent). Message boxes and the port selection dialog
// are answered by the fixture, and what they said is kept.
#pragma once

#include "serial/tserial.h"
#include "serial/window/tsersel.h"
#include "shell/cp1252.h"
#include "shell/texttable.h"
#include "shell/window/tform1.h"
#include "sim/simdrive.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

struct ShellFixture {
    using Prepare = std::function<void(sim::SimLine &)>;

    QTemporaryDir dir;
    QString previousDirectory = QDir::currentPath();
    QString backupFolder() const { return dir.filePath(QStringLiteral("data/zynt/backups")); }
    QString recordingFolder() const { return dir.filePath(QStringLiteral("data/zynt/recordings")); }
    std::unique_ptr<sim::SimLine> com1 = std::make_unique<sim::SimLine>();
    std::unique_ptr<sim::SimLine> com2 = std::make_unique<sim::SimLine>();
    std::unique_ptr<TForm1> form;
    QStringList messages;           // texts of the message boxes, in order
    // What the drives on COM1 had received when each box showed.
    QList<QList<QByteArray>> receivedBeforeBox;
    // The standard buttons of each box, in the same order, as labelled.
    QList<QHash<QMessageBox::StandardButton, QString>> buttonTexts;
    // The answers to the next boxes, in order; past them a box is accepted.
    QList<QMessageBox::StandardButton> answers;
    bool cancelPortSelection = false; // the port selection dialog's answer
    QTimer modalWatch;

    ~ShellFixture()
    {
        modalWatch.stop();
        form.reset(); // the port closes before the lines go
        com1.reset();
        com2.reset();
        QDir::setCurrent(previousDirectory);
    }

    // Sets both lines up (prepare adds drives and sets the rate; a line
    // without drives stays silent), writes the settings file when one is
    // given, and creates the main window in the fixture's folder. The
    // start-up runs when startUp is set.
    bool start(const Prepare &prepare1, const Prepare &prepare2 = {}, const QByteArray &settingsFile = {},
               bool startUp = true)
    {
        if (!dir.isValid() || !QDir::setCurrent(dir.path()))
            return false;
        // Backups and other user data stay in the fixture's folder.
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
        // The journal of writes in progress too.
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));
        if (!line(*com1, QStringLiteral("COM1"), prepare1) || !line(*com2, QStringLiteral("COM2"), prepare2))
            return false;
        serialports::reinitialisePortTable();
        if (!settingsFile.isEmpty()) {
            QFile file(dir.filePath(QStringLiteral("ZYNT.ini")));
            if (!file.open(QIODevice::WriteOnly) || file.write(settingsFile) != settingsFile.size())
                return false;
        }
        QObject::connect(&modalWatch, &QTimer::timeout, [this] { answerModal(); });
        modalWatch.start(20);
        form = std::make_unique<TForm1>();
        if (startUp)
            form->FormCreate();
        return true;
    }

    // One drive on COM1 at 38400 baud, named in the settings file; true once
    // the connect sequence is answered and the window takes input.
    bool startConnected(int timeoutMs = 20000)
    {
        const auto drive = [](sim::SimLine &line) {
            line.setBaud(38400);
            line.addDrive(1);
        };
        if (!start(drive, {}, settings(1, 38400, "1", "1")))
            return false;
        return QTest::qWaitFor([this] { return form->isEnabled() && !form->Core->Queue.head(); }, timeoutMs);
    }

    // The settings file for a port, a rate and an address list.
    static QByteArray settings(int port, int baud, const QByteArray &count, const QByteArray &addresses,
                               const QByteArray &autoscan = "0")
    {
        return "ZYNT Schnittstellendaten:\r\nAutoscan=" + autoscan + "\r\nCOMPort=" + QByteArray::number(port)
             + "\r\nBaudrate=" + QByteArray::number(baud) + "\r\nHardwarehandshake=0\r\nAnzahl ZYNT=" + count
             + "\r\nZYNTNr=" + addresses + "\r\n";
    }

    // Runs the event loop until the line has received at least count commands.
    static bool commands(sim::SimLine &on, int count, int timeoutMs = 10000)
    {
        QElapsedTimer clock;
        clock.start();
        while (on.receivedCommands().size() < count) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QTest::qWait(5);
        }
        return true;
    }

    // Runs the event loop until the condition holds; false on time-out.
    static bool until(const std::function<bool()> &condition, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!condition()) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QTest::qWait(5);
        }
        return true;
    }

    // The commands the line received that were not probes of the search.
    static QList<QByteArray> withoutProbes(const QList<QByteArray> &received)
    {
        QList<QByteArray> kept;
        for (const QByteArray &command : received) {
            bool probe = command == "#*\r";
            if (command.size() >= 3 && command.endsWith('\r')) {
                bool digits = true;
                for (qsizetype i = 1; i + 1 < command.size(); ++i)
                    digits = digits && command[i] >= '0' && command[i] <= '9';
                probe = probe || digits;
            }
            if (!probe)
                kept.append(command);
        }
        return kept;
    }

    // The German text of a number, as the program shows it.
    QString german(int number) const { return fromCp1252(form->Texte[1][number]); }
    QString english(int number) const { return fromCp1252(form->Texte[2][number]); }

private:
    bool line(sim::SimLine &sim, const QString &name, const Prepare &prepare)
    {
        if (sim.openPty().isEmpty())
            return false;
        const QString link = dir.filePath(name);
        if (!sim.makeLink(link))
            return false;
        qputenv(("ZYNT_" + name).toLatin1().constData(), link.toLocal8Bit());
        if (prepare)
            prepare(sim);
        return sim.start();
    }

    void answerModal()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            messages.append(box->text());
            receivedBeforeBox.append(com1 ? com1->receivedCommands() : QList<QByteArray> {});
            QHash<QMessageBox::StandardButton, QString> labels;
            for (QAbstractButton *button : box->buttons())
                labels.insert(box->standardButton(button), button->text());
            buttonTexts.append(labels);
            if (answers.isEmpty()) {
                box->done(QMessageBox::Ok);
                return;
            }
            // A button the box does not have would not close it.
            QAbstractButton *button = box->button(answers.takeFirst());
            if (button)
                button->click();
            else
                box->done(QMessageBox::Cancel);
        } else if (auto *selection = qobject_cast<TFormSerSel *>(modal)) {
            (cancelPortSelection ? selection->ButtonCancel : selection->ButtonOk)->click();
        }
    }
};

