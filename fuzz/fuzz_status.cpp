// SPDX-License-Identifier: GPL-3.0-or-later
// The answers of the status poll, the output toggle and the trace: the input
// is the receive buffer as the dispatcher hands it over.
#include "fuzzbytes.h"
#include "manual/manualcommands.h"
#include "manual/statusrules.h"
#include "program/programtransfer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray buffer = fuzz::bytesOf(data, size);

    const bool complete = status::isComplete(buffer);
    const QByteArray value = status::valueText(buffer);
    fuzz::check(value.size() <= buffer.size(), "the value is part of the answer");
    (void)status::readInteger(value);
    (void)status::readInteger(buffer);
    (void)status::displayOf(buffer);
    const QByteArray state = status::driveStateText(value);
    fuzz::check(state.size() <= value.size(), "the drive state is part of the value");
    for (const QByteArray &caption : status::inputCaptions(value))
        fuzz::check(caption == "0" || caption == "1", "an input is 0 or 1");
    auto textOf = [](int number) { return QByteArray::number(number); };
    for (const status::Shown &shown : {status::errorText(value), status::warningText(value)}) {
        fuzz::check(shown.text >= 0, "a text number or none");
        (void)status::resolve(shown, textOf);
    }

    const std::optional<status::Update> update = status::readAnswer(buffer);
    fuzz::check(!update || complete, "only a complete answer is read");
    if (update) {
        fuzz::check(update->value.size() <= buffer.size(), "the value is part of the answer");
        if (update->display >= status::Display::Output1 && update->display <= status::Display::Output4)
            fuzz::check(update->output >= 1 && update->output <= 4, "an output of the four");
        fuzz::check(update->endsCycle == (update->display == status::Display::Inputs), "the inputs end a cycle");
    }

    if (const auto toggle = manual::outputToggle(buffer)) {
        fuzz::check(toggle->output >= 1 && toggle->output <= 4, "a toggle of the four outputs");
        fuzz::check(toggle->command == "O" + QByteArray::number(toggle->output) + '=' + toggle->recordValue,
                    "the toggle sends what it records");
    }
    (void)manual::isOutputAnswerComplete(buffer);

    if (const auto trace = program::traceAnswer(buffer))
        fuzz::check(buffer.contains(trace->text), "the trace line is taken from the answer");
    return 0;
}
