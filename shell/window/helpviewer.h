// SPDX-License-Identifier: GPL-3.0-or-later
// The help: one HTML page per language, shipped with the program, shown in a
// window of the program's own, so that it works without a desktop help
// system.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace help {

// Where the help page is: the current folder first (the user's own copy),
// then the folder the program was started in, then the shipped files.
// Empty when none of them has it.
QString locatePage(const QString &currentFolder, const QString &startFolder, const QString &name);

// Why the page cannot be read, or empty when it can.
QString readError(const QString &path);

} // namespace help

// The help window. There is one per main window; it has no parent widget, so
// that it stays usable while the main window is locked, and it does not keep
// the program running once the main window is closed.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // Shows the page in owner's help window (made at the first call, removed
    // with owner) and brings it to the front. A page other than the one shown
    // replaces it; the same page keeps the reader's place.
    static HelpViewer *showPage(QWidget *owner, const QString &path);
    // owner's help window, or none before the first showPage.
    static HelpViewer *of(const QWidget *owner);

    QTextBrowser *browser() const { return m_browser; }
    // The file shown.
    QString page() const;

private:
    explicit HelpViewer(QWidget *owner);
    void load(const QString &path);

    const QWidget *m_owner;
    QTextBrowser *m_browser;
};
