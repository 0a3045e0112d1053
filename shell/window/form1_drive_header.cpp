// SPDX-License-Identifier: GPL-3.0-or-later
// The drive header: a line at the foot of the main window that names the
// device behind the port, the rate, the drive address and its firmware.
#include "shell/window/tform1.h"

#include "serial/tserial.h"
#include "shell/cp1252.h"
#include "shell/driveheader.h"
#include "shell/window/tstatusline.h"

#include <QFontMetrics>
#include <QLabel>

#include <algorithm>

void TForm1::createDriveHeader(QWidget *area)
{
    // Under the queue display, clear of every control of the pages.
    DriveHeader = new QLabel(area);
    DriveHeader->setGeometry(4, 421, 642, 15);
    DriveHeader->setTextFormat(Qt::PlainText);
    for (auto report : {&DriveCore::linkLost, &DriveCore::linkRestored, &DriveCore::addressAnswered,
                        &DriveCore::addressSilent, &DriveCore::searchPairFound, &DriveCore::searchFailed})
        connect(Core, report, this, &TForm1::showDriveHeader);
    connect(Core, &DriveCore::searchEnded, this, &TForm1::showDriveHeader);
    connect(Core, &DriveCore::searchAddressFound, this, &TForm1::showDriveHeader);
    connect(Core, &DriveCore::portHint, this, &TForm1::showDriveHeader);
    // A configuration by hand changes the rate without a report of its own:
    // the next poll cycle shows it.
    connect(Core, &DriveCore::cycleSampled, this, &TForm1::showDriveHeader);
    connect(Core, &DriveCore::versionRead, this, [this](const QByteArray &version) {
        m_driveVersion = fromCp1252(version);
        showDriveHeader();
    });
    showDriveHeader();
}

void TForm1::showDriveHeader()
{
    driveheader::Facts facts;
    if (Serial1->Active()) {
        const QString path = Serial1->DevicePath();
        if (path != m_headerPath) {
            m_headerPath = path;
            m_headerDevice = serialports::stableDeviceName(path);
        }
        facts.device = m_headerDevice;
        facts.baud = baudRateValue(Serial1->Baudrate());
        facts.adapterDriver = Serial1->Adapter().driver;
        facts.latencyTimerMs = Serial1->Adapter().latencyTimerMs;
    }
    // Once per device and run: the header keeps showing the timer.
    if (const QString note = driveheader::latencyNote(facts); !note.isEmpty() && !m_latencyNoted.contains(facts.device)) {
        m_latencyNoted << facts.device;
        StatusLine->note(note);
    }
    facts.address = Core->DriveAddress;
    facts.version = m_driveVersion;
    QStringList fields = driveheader::fields(facts);
    // Also where no title bar is drawn: this is no machine.
    if (DemoMode)
        fields << tr("Demo mit simulierter ZYNT");
    const QString whole = driveheader::text(fields);
    DriveHeader->setToolTip(whole);
    // The device's name gives way, in its middle: its start says what kind
    // of device it is, its end which one.
    if (fields.size() > 1) {
        const QFontMetrics metrics(DriveHeader->font());
        const int rest = metrics.horizontalAdvance(driveheader::text(QStringList {QString()} + fields.mid(1)));
        fields[0] = metrics.elidedText(fields[0], Qt::ElideMiddle, std::max(0, DriveHeader->width() - rest));
    } else {
        fields[0] = QFontMetrics(DriveHeader->font()).elidedText(fields[0], Qt::ElideMiddle, DriveHeader->width());
    }
    DriveHeader->setText(driveheader::text(fields));
}
