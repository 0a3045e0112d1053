// SPDX-License-Identifier: GPL-3.0-or-later
// A main window that has read the simulated drive's parameter list, with the
// means to act on it as a user does: click a row, answer message boxes,
// choose a file in the file dialog.
#pragma once

#include "tests/link/pollfilter.h"
#include "tests/shell/shellfixture.h"

#include "parameters/parametermodel.h"
#include "parameters/window/writeback_dialog.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <deque>

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct ParameterUi {
    static constexpr int kWait = 30000;

    ShellFixture fx;
    TForm1 *f = nullptr;
    QStringList messages;                          // texts of the message boxes, in order
    std::deque<QMessageBox::StandardButton> answers; // how the next boxes are answered (default: the first button)
    QStringList fileNames;                         // what the file dialogs are answered with, in order
    QList<FileDialogRequest> dialogs;              // what they were asked
    QTimer modalWatch;

    // Starts the program as a user does, with a settings file for drive 1
    // at 38400 baud on COM1; prepare may change the drive before the line
    // starts. The list is read at once rather than three seconds later.
    bool start(const std::function<void(sim::SimLine &)> &prepare = {})
    {
        auto drive = [prepare](sim::SimLine &line) {
            line.addDrive(1);
            if (prepare)
                prepare(line);
        };
        if (!fx.start(drive, {}, ShellFixture::settings(1, 38400, "1", "1")))
            return false;
        fx.modalWatch.stop(); // the boxes are answered here
        f = fx.form.get();
        // The status poll is not what these tests look at; its cycles would
        // keep the queue from ever standing still.
        QObject::disconnect(f->Core->Timer3, &QTimer::timeout, f->Core, nullptr);
        f->show();
        f->AskFileName = [this](const FileDialogRequest &request) {
            dialogs << request;
            return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
        };
        QObject::connect(&modalWatch, &QTimer::timeout, [this] { answerModal(); });
        modalWatch.start(20);
        f->Timer12->stop();
        f->Timer12Timer();
        if (!waitForList())
            return false;
        f->ffnen1Click();
        return true;
    }

    bool waitForList()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kWait) {
            if (!f->Core->Timer11->isActive() && f->ProgressBar1->isHidden() && !f->Core->Queue.head() && f->isEnabled())
                return f->Parameters.ParameterRowCount > 100;
            QTest::qWait(10);
        }
        return false;
    }

    // Nothing holds the line and the queue stands still (a read the window
    // made by itself has ended); false when that does not come.
    bool settled()
    {
        QElapsedTimer clock;
        clock.start();
        while (!f->Core->Owner.holds(line::Activity::None) || f->Core->Queue.head()) {
            if (clock.elapsed() > kWait)
                return false;
            QTest::qWait(5);
        }
        return true;
    }

    // Opens a parameter file through the menu, the dialog answered with
    // path, and waits for what the window reads of the drive to compare.
    bool loadFile(const QString &path)
    {
        fileNames << path;
        f->Parameterffnen1Click();
        return settled();
    }

    // Reads the list again, as the menu does, and shows all parameters.
    bool read()
    {
        f->neulesen1Click();
        if (!waitForList())
            return false;
        f->ffnen1Click();
        return true;
    }

    // The grid row showing the designation, 0 when none.
    int rowOf(const QByteArray &designation) const
    {
        for (int r = 1; r < f->StringGrid2->rowCount(); ++r) {
            if (f->Parameters.Grid[size_t(r)][params::ColDesignation] == designation)
                return r;
        }
        return 0;
    }

    // Clicks the value cell of the row showing the designation.
    bool clickRow(const QByteArray &designation)
    {
        const int row = rowOf(designation);
        if (row == 0)
            return false;
        QTableWidgetItem *cell = f->StringGrid2->item(row, params::ColValue);
        f->StringGrid2->scrollToItem(cell);
        QTest::mouseClick(f->StringGrid2->viewport(), Qt::LeftButton, {},
                          f->StringGrid2->visualItemRect(cell).center());
        return f->StringGrid2->currentRow() == row;
    }

    // The commands the drive received from index on, the status poll's left out.
    QList<QByteArray> sentSince(qsizetype index) const
    {
        return withoutStatusQueries(fx.com1->receivedCommands().mid(index));
    }

    // Waits until the drive has received the command; false when it did not come.
    bool received(const QByteArray &command, int timeoutMs = kWait)
    {
        QElapsedTimer clock;
        clock.start();
        while (!fx.com1->receivedCommands().contains(command)) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QTest::qWait(5);
        }
        return true;
    }

    // Answers the comparison before a write-back with one of its buttons;
    // false when it did not come up.
    bool answerComparison(bool write = true)
    {
        QElapsedTimer clock;
        clock.start();
        while (!f->CompareDialog->isVisible()) {
            if (clock.elapsed() > kWait)
                return false;
            QTest::qWait(5);
        }
        QTest::mouseClick(write ? f->CompareDialog->OKBtn : f->CompareDialog->CancelBtn, Qt::LeftButton);
        return f->CompareDialog->isHidden();
    }

    void answerModal()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        messages << box->text();
        QMessageBox::StandardButton answer = QMessageBox::NoButton;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        if (QAbstractButton *button = answer != QMessageBox::NoButton ? box->button(answer) : nullptr)
            button->click();
        else
            box->buttons().constFirst()->click();
    }
};
