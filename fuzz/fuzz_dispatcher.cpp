// SPDX-License-Identifier: GPL-3.0-or-later
// The whole receive handler: a main window with its port closed takes the
// input as pieces of received text while commands of any kind are in flight.
// The input's first byte sets the link state (operating, searching, terminal
// open, master mode), the second the kind of the first command; after them
// every byte below 0xc0 is a piece of that many (0..63) bytes, and the others
// queue a command of a kind, confirm a drive error as the user would, or hand
// over the whole rest at once.
#include "fuzzbytes.h"
#include "link/commandqueue.h"
#include "program/window/tokbottomdlg.h"
#include "shell/window/tform1.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>


#include <memory>

namespace {

// What each kind asks in the program; "P51?" stands for any other query.
const char *const kCommands[20] = {
    "s", "", "P51?", "list", "new", "P51?", "O1?", "P41=3000", "", "P265?",
    "O2?", "", "List.", "quit", "listp", "ver", "listp1.20", "listp21.20", "listp181.20", "quit",
};

// A modal box would wait for a user who never comes: it is closed as soon as
// it shows, so that its exec() returns.
class ModalCloser : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto *dialog = qobject_cast<QDialog *>(watched); dialog && dialog->isModal())
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
        }
        return false;
    }
};

void queue(TForm1 &form, uint8_t kind, bool asQuery)
{
    kind %= 20;
    if (kind == CommandKind::Keystroke) {
        form.Core->Senden_Zeichensatz("v");
        form.Core->Queue.lastQueued()->Kind = kind;
        return;
    }
    form.Core->queueCommand(asQuery ? QByteArray("P51?") : QByteArray(kCommands[kind]), kind);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Held for the whole run and never torn down: what Qt keeps until its
    // end is no leak of an input.
    static QApplication *app = new QApplication(*argc, *argv);
    static ModalCloser closer;
    app->installEventFilter(&closer);
    // Whatever the window writes (the settings file after an address choice)
    // goes to a folder of its own.
    static QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    // Fonts, styles and the platform are set up once, by a first window,
    // rather than inside the first input that happens to show text.
    TForm1 warmUp;
    warmUp.show();
    warmUp.OKBottomDlg->show();
    QCoreApplication::processEvents();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    auto form = std::make_unique<TForm1>();
    const uint8_t setup = input.ConsumeIntegral<uint8_t>();
    static const uint8_t kLinkStates[8] = {0, 0, 0, 0, 0, 1, 2, 4};
    form->Core->LinkState = kLinkStates[setup & 7];
    form->TerminalOpen = setup & 0x08;
    if ((setup & 0x30) == 0x30)
        form->Core->Owner.begin(line::Activity::Master);
    queue(*form, input.ConsumeIntegral<uint8_t>(), setup & 0x40);

    while (input.remaining_bytes() > 0) {
        const uint8_t op = input.ConsumeIntegral<uint8_t>();
        if (op < 0xc0) {
            const std::string piece = input.ConsumeBytesAsString(op & 0x3f);
            form->Core->dispatchChunk(QByteArray::fromStdString(piece));
        } else if (op < 0xe8) {
            queue(*form, op - 0xc0, op >= 0xd4);
        } else if (op < 0xf0) {
            if (form->Core->Owner.paused(line::Pause::DriveError))
                form->OKBottomDlg->OKBtnClick();
        } else {
            form->Core->dispatchChunk(QByteArray::fromStdString(input.ConsumeRemainingBytesAsString()));
        }
        // With nothing asked, received text is not kept, except the start of a
        // drive error line that waits for its end.
        const LineOwner &owner = form->Core->Owner;
        if (form->Core->LinkState == 0 && !owner.holds(line::Activity::Master)
            && !owner.paused(line::Pause::DriveError) && !form->Core->Queue.head()) {
            const QByteArray &rest = form->Core->ReceiveBuffer;
            fuzz::check(rest.isEmpty() || (rest.startsWith("**") && !rest.contains('\r')),
                        "nothing is kept when nothing was asked");
        }
    }
    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
