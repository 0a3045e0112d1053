// SPDX-License-Identifier: GPL-3.0-or-later
// The status poll runs whenever a drive is connected and the queue is nearly
// empty; a test that looks at other traffic leaves its queries out.
#pragma once

#include <QByteArray>
#include <QList>

// True for one of the status poll's queries: "#<address>P51?\r" (the first of
// a cycle) or one of the queries that follow it without an address.
inline bool isStatusQuery(const QByteArray &command)
{
    static const QList<QByteArray> following = {"#P336?\r", "#P11?\r",  "#P12?\r",  "#O1?\r",   "#O2?\r",
                                                "#O3?\r",   "#O4?\r",   "#ADC?\r",  "#P134?\r", "#P1300?\r"};
    if (following.contains(command))
        return true;
    if (!command.startsWith('#') || !command.endsWith("P51?\r"))
        return false;
    for (qsizetype i = 1; i < command.size() - 5; ++i) {
        if (command[i] < '0' || command[i] > '9')
            return false;
    }
    return true;
}

inline QList<QByteArray> withoutStatusQueries(const QList<QByteArray> &commands)
{
    QList<QByteArray> kept;
    for (const QByteArray &command : commands) {
        if (!isStatusQuery(command))
            kept.append(command);
    }
    return kept;
}
