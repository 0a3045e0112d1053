// How close the parameter listing comes to the line's own time.
#include "bench/bench_parameters.h"

#include "serial/tserial.h"
#include "shell/tform1.h"
#include "sim/simdrive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

namespace bench {

namespace {

TBaudrate rateOf(int baud)
{
    return baud == 9600 ? br_009600 : baud == 19200 ? br_019200 : br_038400;
}

} // namespace

ListingFigure singleListing(int baud, int latencyUs)
{
    QTemporaryDir dir;
    sim::SimLine drive;
    const QString link = dir.filePath(QStringLiteral("COM1"));
    if (drive.openPty().isEmpty() || !drive.makeLink(link))
        return {-1, 0};
    qputenv("ZYNT_COM1", link.toLocal8Bit());
    serialports::reinitialisePortTable();
    drive.setBaud(baud);
    drive.addDrive(1);
    drive.setLineEmulation(true, latencyUs);
    if (!drive.start())
        return {-1, 0};
    TForm1 form;
    form.Serial1->setCOMPort(1);
    form.Serial1->setBaudrate(rateOf(baud));
    form.Serial1->setActive(true);
    form.DriveConnected = 1;

    QTimer wake; // bounds each wait when the line is quiet
    wake.start(50);
    const qint64 before = drive.bytesSent();
    const QByteArray request = "#1listp\r";
    QElapsedTimer clock;
    clock.start();
    form.queueListingRequest("1");
    while (form.Label17->text() != QStringLiteral("100%")) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (clock.elapsed() > 60000)
            return {-1, 0};
    }
    const double achieved = double(clock.nsecsElapsed()) / 1e9;
    const qint64 answer = drive.bytesSent() - before;
    return {achieved, double(request.size() + answer) * 10.0 / baud + latencyUs / 1e6};
}

} // namespace bench
