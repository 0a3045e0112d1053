// The window's side of the program's commands: queued in order, each with
// the kind its answer is read by.
#pragma once

#include "program/programtransfer.h"

class TForm1;

namespace program {

void queueCommands(TForm1 &form, const QList<QueuedCommand> &commands);

} // namespace program
