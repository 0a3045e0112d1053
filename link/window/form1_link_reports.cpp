// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window shows of the link: the lock the line owner asks for,
// a lost and restored link, the drive search, drive errors, the terminal's
// and master mode's traffic, and the core's messages.
#include "shell/window/tform1.h"

#include "shell/window/tterminalwindow.h"

#include "manual/window/tform2.h"
#include "program/window/tokbottomdlg.h"
#include "link/answerrules.h"
#include "shell/cp1252.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <utility>

void TForm1::connectLinkReports()
{
    connect(Core, &DriveCore::errorMessage, this, &TForm1::errorBox);
    connect(Core, &DriveCore::commandWaiting, this,
            [this](int count) { Label14->setText(QString::number(count)); });
    connect(Core, &DriveCore::portHint, this, &TForm1::showPortHint);
    connect(&Core->Owner, &LineOwner::lockChanged, this, &TForm1::applyLock);
    connect(Core, &DriveCore::driveErrorShown, this, &TForm1::showDriveError);
    connect(Core, &DriveCore::linkLost, this, &TForm1::showLinkLost);
    connect(Core, &DriveCore::linkRestored, this, &TForm1::showLinkRestored);
    // A whole poll cycle answered: a read that ended early did not end by a
    // lost link, and is not made again by itself.
    connect(Core, &DriveCore::cycleSampled, this, [this] { PendingRead = ReadAgain::None; });
    // A read under way is the one the user wants now.
    for (auto started : {&DriveCore::listingStarted, &DriveCore::programReadStarted})
        connect(Core, started, this, [this] { PendingRead = ReadAgain::None; });
    connect(Core, &DriveCore::programReadFailed, this, [this] {
        showReadFailed(ReadAgain::Program,
                       tr("Das Programm wurde nicht gelesen: der Editor zeigt, was er vorher zeigte."),
                       toCp1252(tr("Fehler beim Lesen des Programms aus der ZYNT")));
    });
    connect(Core, &DriveCore::addressAnswered, this,
            [this] { Label6->setText(QString::fromLatin1(Core->DriveAddress)); });
    connect(Core, &DriveCore::addressSilent, this, [this] { Label6->setText(QString()); });
    connect(Core, &DriveCore::searchPairFound, this, [this] {
        setBackground(Label2, windowColour());
        Label2->setText(fromCp1252(Core->InterfaceDescription));
        Image2->show();
    });
    connect(Core, &DriveCore::searchAddressFound, this, [this](const QByteArray &address, bool isNew) {
        if (isNew)
            addAddressItem(address);
        Label6->setText(QString::fromLatin1(address));
        Button11->hide();
    });
    connect(Core, &DriveCore::searchEnded, this, &TForm1::showSearchEnd);
    connect(Core, &DriveCore::searchFailed, this, &TForm1::showSearchFailed);
    connect(Core, &DriveCore::transferEnded, this, &TForm1::endTransferDisplay);
    connect(Core, &DriveCore::terminalEcho, this, [this](const QByteArray &chunk, bool commandInFlight, bool poll) {
        if (!TerminalOpen)
            return;
        // The log keeps everything; a view with timestamps, hex or the poll
        // hidden draws from it, the plain view is the memo as it always was.
        Terminal->received(chunk, poll);
        if (!Terminal->view().plain())
            return;
        if (answer::terminalNeedsClearing(memoRxDText().size(), commandInFlight))
            MemoRxD->clear();
        QByteArray text = chunk;
        answer::removeLineFeeds(text);
        appendToMemoRxD(text);
    });
    connect(Core, &DriveCore::wrote, this, [this](const QByteArray &text, bool poll) {
        // Master mode shows its relay in its own way, outside the log.
        if (TerminalOpen && !Core->Owner.holds(line::Activity::Master))
            Terminal->sent(text, poll);
    });
    connect(Core, &DriveCore::masterEcho, this, [this](const QByteArray &piece) {
        if (memoRxDText().size() > 200)
            MemoRxD->clear();
        if (MemoRxD->isVisible())
            appendToMemoRxD(piece);
    });
    connect(Core, &DriveCore::versionRead, this,
            [this](const QByteArray &version) { Label18->setText(fromCp1252(version)); });
    connect(Core, &DriveCore::languageAnswered, this, [this] { Sprachauswahl(Sprache, false); });
    connect(Core, &DriveCore::pollPausedAfterCycle, this, [this] {
        if (Terminal->view().plain())
            MemoRxD->clear();
    });
}

void TForm1::applyLock()
{
    setEnabled(!Core->Owner.locksWindow());
}

void TForm1::showDriveError(const QByteArray &message)
{
    OKBottomDlg->showDriveError(fromCp1252(message), Label4->isVisible());
    if (Form2)
        Form2->setEnabled(false);
}

void TForm1::endTransferDisplay()
{
    Timer2->stop();
    Label4->hide();
    Label8->hide();
}

void TForm1::showLinkLost()
{
    setBackground(Label2, Qt::red);
    Label2->setText(fromCp1252(text(74)));
    Image2->hide();
    Label6->setText(QString());
    for (QWidget *w : std::initializer_list<QWidget *> {Label4, Label3, ProgressBar1, Label8, Label17})
        w->hide();
    if (Form2)
        Form2->showLinkState(true);
}

void TForm1::showReadFailed(ReadAgain read, const QString &note, const QByteArray &boxText)
{
    statusNote(note);
    PendingRead = read;
    if (boxText.isEmpty())
        return;
    if (ReadFailedBox)
        ReadFailedBox->close();
    // Not waited for: the box closes by itself when the link comes back.
    // No parent, as errorBox: the main window may be locked meanwhile.
    ReadFailedBox = new QMessageBox(QMessageBox::Critical, QApplication::applicationName(), fromCp1252(boxText),
                                    QMessageBox::Ok);
    ReadFailedBox->setAttribute(Qt::WA_DeleteOnClose);
    ReadFailedBox->setWindowModality(Qt::ApplicationModal);
    ReadFailedBox->open();
}

void TForm1::showLinkRestored()
{
    KeysRefused = false; // the terminal says it again at the next loss
    if (ReadFailedBox)
        ReadFailedBox->close();
    if (PendingRead != ReadAgain::None) {
        // Read once the link's own commands are queued, outside the receive handler.
        QTimer::singleShot(0, this, [this] {
            const ReadAgain read = std::exchange(PendingRead, ReadAgain::None);
            if (!Core->Owner.holds(line::Activity::None) || Core->Owner.linkLost())
                return; // the user has started something else meanwhile, or the link is gone again
            if (read == ReadAgain::Listing)
                neulesen1Click();
            else if (read == ReadAgain::Program)
                ZYNTffnen1Click();
        });
    }
    Button11->hide();
    setBackground(Label2, windowColour());
    Label2->setText(fromCp1252(Core->InterfaceDescription));
    Image2->show();
    setBackground(Label6, windowColour());
    Label6->setText(QString::fromLatin1(Core->DriveAddress));
    if (Form2)
        Form2->showLinkState(false);
}

void TForm1::showSearchEnd(int found)
{
    Image1->hide();
    for (QPushButton *b : {BitBtn1, BitBtn2, BitBtn3})
        b->show();
    setWindowSize(650, 480);
    if (found > 0) {
        const QString address = QString::fromLatin1(Core->DriveAddress);
        Label6->setText(address);
        ComboBox1->setEditText(address);
        if (Form2)
            Form2->ComboBox1->setEditText(address);
    }
    if (found == 1) {
        ComboBox1->setEnabled(false);
    } else if (found > 1 && Form2) {
        Form2->ComboBox1->show();
        Form2->Label31->show();
    }
    if (found == 0)
        return;
    // The listing of the drives found follows.
    Label17->setText(QStringLiteral("0%"));
    Label17->show();
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    Timer2->stop();
}

void TForm1::showSearchFailed()
{
    errorBox(text(176));
    Button11->show();
    setBackground(Label2, Qt::red);
    Label2->setText(fromCp1252(text(74)));
    Image2->hide();
    Image1->hide();
    for (QPushButton *b : {BitBtn1, BitBtn2, BitBtn3})
        b->show();
    setWindowSize(650, 480);
    Position->show();
}
void TForm1::Timer2Timer()
{
    if (!ProgressBar1->isHidden()) {
        // A listing has just completed: its progress display ends, and the
        // parameter page comes up in the other view.
        ProgressBar1->hide();
        ProgressBar1->setValue(0);
        Label17->hide();
        BitBtn2Click();
        return;
    }
    // The first waiting notice that is shown blinks.
    const QColor aqua(Qt::cyan);
    struct Blink {
        QLabel *label;
        QColor other;
    };
    const Blink blinks[] = {{Label3, Qt::blue}, {Label4, Qt::blue}, {Label19, palette().color(QPalette::Button)}};
    for (const Blink &b : blinks) {
        if (b.label->isHidden())
            continue;
        const QColor now = b.label->palette().color(QPalette::Window);
        if (now == aqua)
            setBackground(b.label, b.other);
        else if (now == b.other)
            setBackground(b.label, aqua);
        return;
    }
}

void TForm1::Timer5Timer()
{
    Timer5->stop();
}

