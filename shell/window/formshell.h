// SPDX-License-Identifier: GPL-3.0-or-later
// What a feature's window needs of the main window, without the whole of
// it: the drive core, the text table, the status bar and the few of the
// main window's own steps it starts. TForm1 provides it; a window holding
// this instead of TForm1 depends on these alone.
#pragma once

#include <QByteArray>
#include <QString>

class DriveCore;

class FormShell {
public:
    virtual DriveCore &driveCore() = 0;
    virtual QByteArray tableText(int number) const = 0;
    virtual void statusNote(const QString &text) = 0;
    // The overwrite question's captions in the interface's language.
    virtual void questionLanguage() = 0;
    // The user confirmed the overwrite question: the program goes out.
    virtual void writeConfirmedProgram() = 0;
    // The user read a drive's error: the windows it held are usable again.
    virtual void driveErrorRead() = 0;
    // The manual window's captions in the interface's language.
    virtual void manualWindowLanguage() = 0;
    // The main window switches to this drive as if it had been typed there.
    virtual void chooseAddress(const QByteArray &address) = 0;
    // Whether the manual values are being recorded.
    virtual bool recording() const = 0;

protected:
    ~FormShell() = default;
};
