// SPDX-License-Identifier: GPL-3.0-or-later
// "zynt --demo": a simulated drive on a pseudo-terminal, in a working folder
// of its own, that the window connects to as COM1. The drive lives as long
// as the Demo object; a killed window takes it along (the kernel ends the
// drive when its parent dies).
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace demo {

// The simulated drive's program: beside this program (the build folder, or
// the installed bin folder), else on the PATH. Empty when there is none.
QString simulatorProgram(const QString &applicationDir);

// Where the working folder goes: $XDG_RUNTIME_DIR where it is set and a
// folder, otherwise the system's temporary folder.
QString workingRoot();

// The settings file that connects the window to the drive on COM1 at
// address 1, 38400 baud, without the search.
QByteArray settingsFile();

// SIGTERM, SIGINT and SIGHUP end the event loop, so that the demo's drive
// and folder are cleaned up as on closing the window.
void quitOnSignals();

class Demo {
public:
    Demo() = default;
    ~Demo(); // ends the drive and removes the folder
    Demo(const Demo &) = delete;
    Demo &operator=(const Demo &) = delete;

    // Makes the folder, starts the drive and waits (at most a few seconds)
    // until its line exists; then points COM1 at it, keeps the journal of
    // writes inside the folder and makes the folder the current one. Empty
    // when it worked, else what went wrong (a text for the user).
    QString start(const QString &simulator);

    QString folder() const { return m_dir ? m_dir->path() : QString(); }
    QString link() const;
    qint64 simulatorPid() const { return m_sim.processId(); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QProcess m_sim;
};

} // namespace demo
