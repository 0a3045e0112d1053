// SPDX-License-Identifier: GPL-3.0-or-later
// The standard open and save dialogs as the program prepares them. A test
// answers them through TForm1::AskFileName instead of a real dialog.
#pragma once

#include <QString>

struct FileDialogRequest {
    bool save = false;          // the save dialog (asks before overwriting), else the open dialog
    QString title;              // "Save" / "Open"
    QString defaultSuffix;      // "par", "prg"
    QString fileName;           // the initial name: "*.par"
    QString filter;             // "ZYNT Parameter Files (*.par)|*.par|All files (*.*)|*.*"
};

// Shows the real dialog; returns the chosen file, or empty when cancelled.
QString runFileDialog(const FileDialogRequest &request);
