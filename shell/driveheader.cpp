// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/driveheader.h"

#include <QCoreApplication>

namespace driveheader {

QStringList fields(const Facts &facts)
{
    if (facts.device.isEmpty())
        return {QCoreApplication::translate("driveheader", "Keine Schnittstelle offen")};
    QStringList out {facts.device};
    if (facts.baud > 0)
        out << QCoreApplication::translate("driveheader", "%1 Baud").arg(facts.baud);
    if (facts.latencyTimerMs >= 0) {
        const QString latency = QCoreApplication::translate("driveheader", "Latenz %1 ms").arg(facts.latencyTimerMs);
        out << (facts.adapterDriver.isEmpty() ? latency : facts.adapterDriver + QStringLiteral(" ") + latency);
    }
    if (facts.address.isEmpty()) {
        out << QCoreApplication::translate("driveheader", "keine Antwort");
        return out;
    }
    out << QCoreApplication::translate("driveheader", "Adresse %1").arg(QString::fromLatin1(facts.address));
    if (!facts.version.isEmpty())
        out << facts.version;
    return out;
}

QString latencyNote(const Facts &facts)
{
    if (facts.device.isEmpty() || facts.latencyTimerMs <= kLatencyNoteAboveMs)
        return {};
    return QCoreApplication::translate("driveheader",
                                       "Der USB-Adapter hält Antworten bis zu %1 ms zurück: "
                                       "latency_timer per udev-Regel auf 1 setzen (siehe README)")
        .arg(facts.latencyTimerMs);
}

QString text(const QStringList &fields)
{
    return fields.join(QStringLiteral("  \u00b7  "));
}

} // namespace driveheader
