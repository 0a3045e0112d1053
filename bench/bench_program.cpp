// SPDX-License-Identifier: GPL-3.0-or-later
// How close a program write comes to the line's own time: 299 lines written
// to the simulated drive with the line emulated, from ZYNT_Programm_Speichern
// to the completion of the closing "quit".
#include "bench/bench_program.h"

#include "bench/benchline.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <memory>

namespace bench {

ProgramWriteFigures programWrite(int baud, int latencyUs, int adapterMs)
{
    ProgramWriteFigures figures;
    BenchLine line;
    if (!line.open(baud, latencyUs, adapterMs))
        return figures;
    sim::SimLine &drive = line.drive;
    TForm1 *form = line.form.get();

    form->Core->DriveAddress = "1";
    QList<QByteArray> program;
    for (int row = 1; row <= program::kVisibleRows; ++row) {
        const QByteArray line = (row % 3 == 0 ? "G" : row % 3 == 1 ? "W=" : "T") + QByteArray::number(row * 7);
        form->Program[size_t(row)] = line;
        program.append(line);
    }

    QTimer wake; // bounds the wait when the line goes quiet
    wake.start(100);
    const qint64 sentBefore = drive.bytesSent();
    QElapsedTimer clock;
    clock.start();
    // The core's write alone: the window first reads the drive's program
    // to save it, and that read is a listing, timed as such elsewhere.
    // The write ends with the drive's acknowledgement of "quit"; the read
    // back that follows is a listing, timed as such elsewhere.
    bool ended = false;
    const QMetaObject::Connection heard =
        QObject::connect(form->Core, &DriveCore::programWriteEnded, [&ended] { ended = true; });
    form->Core->ZYNT_Programm_Speichern();
    while (!ended) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (clock.elapsed() > 120000)
            return figures;
    }
    const double achieved = double(clock.nsecsElapsed()) / 1e9;
    const qint64 sentAtEnd = drive.bytesSent();
    QObject::disconnect(heard);
    // The read back runs on; what it sends is not the write's.
    while (form->Core->Queue.head() && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    QList<QByteArray> stored;
    drive.withDrive(1, [&stored](sim::Drive &d) { stored = d.program.lines(); });
    if (stored != program || !form->Label4->isHidden())
        return figures; // the write did not complete as it should

    QList<QByteArray> commands = drive.receivedCommands();
    if (const qsizetype quit = commands.indexOf("#1quit\r"); quit >= 0)
        commands = commands.first(quit + 1);
    qint64 bytes = sentAtEnd - sentBefore;
    for (const QByteArray &command : commands)
        bytes += command.size();
    figures.commands = int(commands.size());
    figures.bytes = bytes;
    figures.ideal = double(bytes) * 10.0 / baud + double(commands.size()) * latencyUs / 1e6;
    figures.achieved = achieved;
    return figures;
}

} // namespace bench
