// SPDX-License-Identifier: GPL-3.0-or-later
// The main window after a real start-up with one simulated drive (address 1,
// 38400 baud on COM1), shown, with the connect sequence answered and the
// parameter read held back, so that what goes out on the line afterwards is
// the program's traffic. Message boxes are answered and kept by the shell
// fixture; the program's file dialogs are answered here.
#pragma once

#include "tests/shell/shellfixture.h"

#include "program/programlines.h"
#include "program/window/tokbottomdlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

constexpr int kWait = 15000; // ms; generous, never a measure of speed

struct ProgramFixture {
    ShellFixture shell;
    TForm1 *f = nullptr;
    QString nextFileName;           // the file dialogs' answer (empty: cancelled)
    QList<bool> fileDialogs;        // which dialogs came up: true for save
    QList<FileDialogRequest> dialogRequests; // what they were prepared with

    sim::SimLine &line() { return *shell.com1; }
    QStringList &messages() { return shell.messages; }

    bool start(const ShellFixture::Prepare &prepare = {})
    {
        auto drive = [prepare](sim::SimLine &l) {
            l.setBaud(38400);
            l.addDrive(1);
            if (prepare)
                prepare(l);
        };
        if (!shell.start(drive, {}, ShellFixture::settings(1, 38400, "1", "1")))
            return false;
        f = shell.form.get();
        f->Timer12->stop(); // no parameter read: the line is the program's
        // Nor the status poll's: its cycles would leave the queue never idle.
        QObject::disconnect(f->Core->Timer3, &QTimer::timeout, f->Core, nullptr);
        f->Timer6Timer();   // the splash picture ends
        f->AskFileName = [this](const FileDialogRequest &request) {
            fileDialogs.append(request.save);
            dialogRequests.append(request);
            return nextFileName;
        };
        f->show();
        f->activateWindow();
        if (!QTest::qWaitForWindowActive(f))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (f->Core->Queue.head()) {
            if (clock.elapsed() > kWait)
                return false;
            QTest::qWait(5);
        }
        line().clearReceived();
        messages().clear();
        return true;
    }

    // What the drive received since the start, status queries left out (the
    // status poll may interleave its queries with anything).
    QList<QByteArray> sent()
    {
        QList<QByteArray> kept;
        for (const QByteArray &command : line().receivedCommands()) {
            if (!command.endsWith("?\r"))
                kept.append(command);
        }
        return kept;
    }

    // Runs the event loop until the queue is empty and the drive has said
    // everything; false on time-out.
    bool idle(int timeoutMs = kWait)
    {
        QElapsedTimer clock;
        clock.start();
        while (f->Core->Queue.head() || !line().outputIdle()) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QTest::qWait(5);
        }
        QTest::qWait(20);
        return !f->Core->Queue.head();
    }

    QByteArray cell(int row) const
    {
        const QTableWidgetItem *item = f->StringGrid1->item(row, 1);
        return item ? toCp1252(item->text()) : QByteArray();
    }

    QByteArrayList rows(int from, int to) const
    {
        QByteArrayList texts;
        for (int row = from; row <= to; ++row)
            texts.append(cell(row));
        return texts;
    }

    // The grid's cells equal the model, the overflow slot included.
    bool gridShowsModel() const
    {
        for (int row = 1; row <= program::kRows; ++row) {
            if (cell(row) != f->Program[size_t(row)])
                return false;
        }
        return true;
    }

    QLineEdit *editor() const
    {
        for (QLineEdit *edit : f->StringGrid1->findChildren<QLineEdit *>()) {
            if (edit->isVisible())
                return edit;
        }
        return nullptr;
    }

    // A click on a cell of the grid, as the user makes it.
    void clickCell(int row, int column)
    {
        QTableWidget *grid = f->StringGrid1;
        grid->scrollToItem(grid->item(row, column));
        const QRect rect = grid->visualItemRect(grid->item(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rect.center());
    }

    // Click on a line, replace its text by typing, and end with Enter.
    bool typeLine(int row, const QString &text)
    {
        clickCell(row, 1);
        QLineEdit *edit = editor();
        if (!edit)
            return false;
        edit->selectAll();
        typeText(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        return true;
    }

    // Key presses carrying each character, those outside Latin-1 included.
    static void typeText(QWidget *widget, const QString &text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    // Puts lines into the grid through the program's own model and view.
    void setLines(const QByteArrayList &lines)
    {
        program::clearLines(f->Program);
        for (int i = 0; i < lines.size() && i < program::kRows; ++i)
            f->Program[size_t(i + 1)] = lines[i];
        f->showProgram();
    }

    void selectRow(int row) { f->StringGrid1->setCurrentCell(row, 1); }

    static QByteArrayList numbered(int count, const QByteArray &prefix = "W=")
    {
        QByteArrayList lines;
        for (int i = 1; i <= count; ++i)
            lines.append(prefix + QByteArray::number(i));
        return lines;
    }
};
