// SPDX-License-Identifier: GPL-3.0-or-later
// Terminal, master mode, firmware version and info display.
#include "shell/window/tform1.h"

#include "manual/window/tform2.h"
#include "shell/window/controls.h"
#include "shell/cp1252.h"
#include "shell/window/tterminalwindow.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

// Calls the handlers when the focus enters and leaves a control.
class FocusWatch : public QObject {
public:
    FocusWatch(QWidget *control, std::function<void()> enter, std::function<void()> exit)
        : QObject(control), m_enter(std::move(enter)), m_exit(std::move(exit))
    {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn)
            m_enter();
        else if (event->type() == QEvent::FocusOut)
            m_exit();
        return false;
    }

private:
    std::function<void()> m_enter, m_exit;
};

} // namespace

void TForm1::connectInfoControls()
{
    connect(Button13, &QPushButton::clicked, this, &TForm1::Button13Click);
    connect(Button18, &QPushButton::clicked, this, &TForm1::Button18Click);
    new controls::KeyPress(MemoTxD, [this](char key) { MemoTxDKeyPress(key); });
    new FocusWatch(MemoTxD, [this] { MemoTxDEnter(); }, [this] { MemoTxDExit(); });
    connect(Timer14, &QTimer::timeout, this, &TForm1::Timer14Timer);
    connectTerminalWindow();
}

void TForm1::connectTerminalWindow()
{
    // The line input pauses the poll as the typing memo does, but leaves
    // what came in on view: the log is what the line mode is for.
    new FocusWatch(
        Terminal->LineInput, [this] { Core->Owner.pause(line::Pause::TerminalTyping); },
        [this] { Core->Owner.resume(line::Pause::TerminalTyping); });
    Terminal->SendLine = [this](const QByteArray &line) {
        if (Core->Owner.linkLost()) {
            // The re-probe empties the queue: the line would be lost unseen.
            Terminal->note(tr("Keine Verbindung zur ZYNT: \"%1\" wurde nicht gesendet.").arg(fromCp1252(line)));
            return;
        }
        Core->sendTerminalLine(line);
    };
    Terminal->AskLogFile = [this] {
        return askSaveName(tr("Log speichern"), QStringLiteral("txt"),
                           QStringLiteral("Text"));
    };
    Terminal->Report = [this](const QString &path, const QString &error) {
        reportSaved(path, error, tr("Log gespeichert"));
    };
    // Closing its window closes the terminal, as its button does.
    Terminal->installEventFilter(this);
}

// ---- Terminal ---------------------------------------------------------------

void TForm1::Terminal1Click()
{
    Terminal->setOpen(true);
    Terminal->raise();
    Terminal->activateWindow();
    TerminalOpen = true;
}

void TForm1::Button13Click()
{
    Terminal->setOpen(false);
    TerminalOpen = false;
}

void TForm1::MemoTxDEnter()
{
    // While the user types, the drive is his: the status poll pauses.
    Core->Owner.pause(line::Pause::TerminalTyping);
    if (Terminal->view().plain())
        MemoRxD->clear();
}

void TForm1::MemoTxDExit()
{
    Core->Owner.resume(line::Pause::TerminalTyping);
}

void TForm1::MemoTxDKeyPress(char key)
{
    if (Core->Owner.linkLost()) {
        // Said once for the keys that follow, until one goes out again.
        if (!KeysRefused)
            Terminal->note(tr("Keine Verbindung zur ZYNT: die Eingabe wurde nicht gesendet."));
        KeysRefused = true;
        return;
    }
    KeysRefused = false;
    Core->sendKeystroke(key);
}

void TForm1::Button18Click()
{
    if (Core->Owner.paused(line::Pause::UserStopped)) {
        Core->Owner.resume(line::Pause::UserStopped);
        Button18->setText(QStringLiteral("RS232 Stop"));
    } else {
        Core->Owner.pause(line::Pause::UserStopped);
        Button18->setText(QStringLiteral("RS232 Start"));
    }
}

// ---- Master mode --------------------------------------------------------------

QList<QObject *> TForm1::masterLockedControls() const
{
    return {Achse1, Manuell1, ZYNTffnen1, neulesen1, Button18, Liste_Speichern, Button1, Button4, Button3,
            Button8, Automatisch1, ManuellKonfigurieren1, Sprache1, Button2, Button9, BitBtn3};
}

static void setEnabledOf(QObject *control, bool enabled)
{
    if (auto *widget = qobject_cast<QWidget *>(control))
        widget->setEnabled(enabled);
    else if (auto *action = qobject_cast<QAction *>(control))
        action->setEnabled(enabled);
}

void TForm1::ON1Click()
{
    if (!Core->masterOn())
        return;
    ON1->setVisible(false);
    OFF1->setVisible(true);
    Label19->show();
    Timer2->start();
    for (QObject *control : masterLockedControls())
        setEnabledOf(control, false);
    if (Form2 && Form2->isVisible())
        Form2->hide();
}

void TForm1::OFF1Click()
{
    ON1->setVisible(true);
    OFF1->setVisible(false);
    Label19->hide();
    Timer2->stop();
    for (QObject *control : masterLockedControls())
        setEnabledOf(control, true);
    Core->masterOff();
}

// ---- Firmware version -------------------------------------------------------

void TForm1::ZYNTVersion1Click()
{
    Label18->show();
    Label18->raise();
    Label2->hide();
    Timer14->start();
}

void TForm1::Timer14Timer()
{
    if (!ComboBox1->isHidden())
        ComboBox1->hide();
    Label18->hide();
    Label2->show();
    Timer14->stop();
    // The address choice offered with it ends unchosen.
    Core->endAddressOffer();
}

// ---- Info display -----------------------------------------------------------

void TForm1::Hexwald1Click()
{
    Image1->show();
    Image1->raise();
    const std::initializer_list<QWidget *> programControls = {StringGrid1, Button5, Button6, Button7, Button16,
                                                              Liste_Speichern, Button4, Button1, Button2,
                                                              Button12, Label11};
    if (!StringGrid1->isHidden()) {
        for (QWidget *w : programControls)
            w->hide();
        InfoRestore[0] = true;
    } else if (!StringGrid2->isHidden()) {
        for (QWidget *w : std::initializer_list<QWidget *> {Label7, StringGrid2, Button5, Button3})
            w->hide();
        InfoRestore[1] = true;
    }
    if (!MemoRxD->isHidden()) {
        Terminal->setOpen(false);
        InfoRestore[2] = true;
    }
    for (QWidget *w : std::initializer_list<QWidget *> {BitBtn1, BitBtn2, BitBtn3, Label5, Position})
        w->hide();
    Timer6->start();
}
