// SPDX-License-Identifier: GPL-3.0-or-later
// How close the parameter listing comes to the line's own time.
#include "bench/bench_parameters.h"

#include "bench/benchline.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

namespace bench {

ListingFigure singleListing(int baud, int latencyUs)
{
    BenchLine line;
    if (!line.open(baud, latencyUs))
        return {-1, 0};
    TForm1 &form = *line.form;
    form.Core->DriveConnected = 1;

    QTimer wake; // bounds each wait when the line is quiet
    wake.start(50);
    const qint64 before = line.drive.bytesSent();
    const QByteArray request = "#1listp\r";
    QElapsedTimer clock;
    clock.start();
    form.Core->queueListingRequest("1");
    while (form.Label17->text() != QStringLiteral("100%")) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (clock.elapsed() > 60000)
            return {-1, 0};
    }
    const double achieved = double(clock.nsecsElapsed()) / 1e9;
    const qint64 answer = line.drive.bytesSent() - before;
    return {achieved, double(request.size() + answer) * 10.0 / baud + latencyUs / 1e6};
}

} // namespace bench
