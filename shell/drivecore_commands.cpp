// SPDX-License-Identifier: GPL-3.0-or-later
// The drive core's part of the shell: the terminal's keystrokes, master
// mode, and the answers that set the language and the firmware version.
#include "link/drivecore.h"

#include "shell/firmware.h"

using line::Activity;

void DriveCore::sendKeystroke(char key)
{
    // Each key is a command of its own, without address and line end, and is
    // let go at once: the drive's answer is only shown.
    queueText(QByteArray(1, key));
    Queue.lastQueued()->Kind = CommandKind::Keystroke;
    Liste_aktualisieren();
}

void DriveCore::sendTerminalLine(const QByteArray &line)
{
    queueText(line + '\r');
    Queue.lastQueued()->Kind = CommandKind::Keystroke;
    Liste_aktualisieren();
}

bool DriveCore::masterOn()
{
    if (refused(Activity::Master, line::Request::Master))
        return false;
    Owner.begin(Activity::Master);
    // The drives talk among themselves now; what is queued is dropped.
    clearQueue();
    writeDirect("#0RUN\r");
    return true;
}

void DriveCore::masterOff()
{
    Owner.end(Activity::Master);
    for (const char *command : {"#200S\r", "#200\r", "#*s\r", "#200\r"})
        writeDirect(command);
}

void DriveCore::Sprache_Antwort()
{
    const int language = texts::languageFromAnswer(ReceiveBuffer);
    if (language == 0)
        return; // the value line is not complete yet
    Sprache = language;
    emit languageAnswered(language);
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}

void DriveCore::Version_Antwort()
{
    if (const std::optional<firmware::Version> version = firmware::readVersion(ReceiveBuffer)) {
        FirmwareNumber = version->number;
        emit versionRead(version->text);
    } else if (!firmware::answerComplete(ReceiveBuffer)) {
        return; // more is coming
    }
    // An answer of another form leaves the version as it was; it must not
    // hold up every command queued behind it.
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}
