// SPDX-License-Identifier: GPL-3.0-or-later
// What hostile input costs: noise arriving while a command waits for its
// answer, fed to the receive handler in 64-byte pieces, and a text file
// with one long entry.
#include "bench/bench_input.h"

#include "link/commandqueue.h"
#include "shell/texttable.h"
#include "shell/window/tform1.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

namespace bench {

double noiseSeconds(qsizetype bytes)
{
    // The port stays closed: the command is in flight without being sent,
    // and the pieces go straight to the handler. A plain command waits for
    // its "ok", which the noise never brings (a query would take the first
    // line with "=" as its answer, and the rest would find nothing asked).
    TForm1 form;
    form.Core->queueCommand("s", CommandKind::Plain);
    QRandomGenerator rng(5);
    const char alphabet[] = "abcdefghijlmnopqrstuvwxyz0123456789=#?\r"; // no "k": never an "ok"
    QByteArray piece(64, Qt::Uninitialized);
    QElapsedTimer clock;
    clock.start();
    for (qsizetype sent = 0; sent < bytes; sent += piece.size()) {
        for (char &c : piece)
            c = alphabet[rng.bounded(int(sizeof alphabet) - 1)];
        form.Core->dispatchChunk(piece);
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    return form.Core->Queue.head() ? seconds : -1; // -1: the command did not wait through it

}

double longTextEntrySeconds(qsizetype bytes)
{
    QByteArray file = "ZYNT Texte\r\n[1,5]=";
    while (file.size() < bytes)
        file += "\"abc\" ";
    file += "\r\n";
    QElapsedTimer clock;
    clock.start();
    const TextTable table = texts::parseTextFile(file);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    return table[1][5].isEmpty() ? -1 : seconds;
}

} // namespace bench
