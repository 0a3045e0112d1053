// SPDX-License-Identifier: GPL-3.0-or-later
// What the manual operation window does: refreshing from the parameter
// table, the buttons, the value fields, the outputs, the speed override and
// the address choice. Every command goes into the main window's queue.
#include "manual/window/tform2.h"

#include "manual/manualcommands.h"
#include "shell/cp1252.h"
#include "link/drivecore.h"
#include "shell/window/formshell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

void TForm2::FormCreate()
{
    // At the left screen edge, beside the main window's editors.
    move(0, y());
    AddressListPending = true;
    // The throttle runs from the start: an override within its first
    // interval is shown but not sent.
    Timer1->start();
}

void TForm2::FormActivate()
{
    if (!m_core.Serial1->Active())
        m_core.Serial1->setActive(true);

    for (const manual::ValueField &field : manual::valueFields()) {
        const params::ParameterRecord &r = record(field.key);
        Edit[size_t(field.edit)]->setText(fromCp1252(r.Value));
        UnitLabel[size_t(field.edit)]->setText(fromCp1252(r.Unit));
    }
    showOverride(manual::overridePosition(record(params::KeyP108).Value));

    m_shell.manualWindowLanguage();

    // Older firmware has no analogue input.
    const bool analogue = m_core.FirmwareNumber > 300;
    Label29->setVisible(analogue);
    Label30->setVisible(analogue);

    if (AddressListPending) {
        const manual::AddressChoice choice = manual::addressChoice(m_core.FoundAddresses);
        ComboBox1->clear();
        for (const QByteArray &item : choice.items)
            ComboBox1->addItem(QString::fromLatin1(item));
        AddressListPending = false;
        ManualAddress = choice.manualAddress;
        ComboBox1->setCurrentIndex(0);
        ComboBox1->setEditText(QString::fromLatin1(choice.manualAddress));
        if (choice.shown) {
            ComboBox1->show();
            Label31->show();
        }
    }

    if (m_core.DriveConnected != 0)
        m_core.Owner.resumePoll();
}

bool TForm2::driveReady() const
{
    return m_core.DriveConnected != 0 && m_core.Serial1->Active();
}

params::ParameterRecord &TForm2::record(params::KeyParameter key)
{
    // Row 0 (a key the listing did not find) is a spare record of no meaning.
    return m_core.Parameters.Records[1][m_core.Parameters.KeyParameterRows[key]];
}

void TForm2::pressButton(int button)
{
    const manual::CommandButton *b = manual::buttonOf(button);
    if (!b)
        return;
    for (const QByteArray &command : manual::buttonPress(*b, ManualAddress, m_core.Serial1->Active()))
        m_core.Senden_Zeichensatz(command);
}

void TForm2::Button12Click()
{
    // Always offered, also while the link is lost: the core keeps the Stop
    // until the drive answered it.
    m_core.sendStop(ManualAddress);
}

void TForm2::Edit1KeyPress(int edit, char key)
{
    if (key != '\r' || !driveReady())
        return;
    const manual::ValueField *field = manual::fieldOf(edit);
    if (!field)
        return;
    const QByteArray text = toCp1252(Edit[size_t(edit)]->text());
    const std::optional<QByteArray> command = manual::fieldAssignment(*field, m_core.DriveAddress, text);
    if (!command)
        return;
    record(field->key).Value = params::cutField(text);

    // Leaving the field runs its exit step, which queues the same assignment.
    const int exitsBefore = m_exits;
    if (auto *button = findChild<QPushButton *>(QString::fromLatin1(field->focusButton)))
        button->setFocus(Qt::OtherFocusReason);
    if (m_exits == exitsBefore) {
        // The focus did not really move (the window is not the active one):
        // the field is left all the same.
        Exit_Edit_Feld(edit);
    }
    m_core.Senden_Zeichensatz(*command);
}

void TForm2::Exit_Edit_Feld(int edit)
{
    ++m_exits;
    const manual::ValueField *field = manual::fieldOf(edit);
    if (!field || !driveReady())
        return;
    const QByteArray text = toCp1252(Edit[size_t(edit)]->text());
    if (const std::optional<QByteArray> command = manual::fieldAssignment(*field, m_core.DriveAddress, text))
        m_core.Senden_Zeichensatz(*command);
}

void TForm2::out_bearbeiten(const QByteArray &output, int selector)
{
    if (!driveReady())
        return;
    m_core.queryOutput(ManualAddress, output,
                               selector == 1 ? CommandKind::OutputQuery : CommandKind::OutputToggle);
}

void TForm2::showOverride(int position)
{
    const QSignalBlocker quiet(TrackBar1);
    TrackBar1->setValue(position);
    m_overrideSent.reset(); // the table's value is no change of the user's to send
    Label26->setText(QString::fromLatin1(manual::overrideLabel(TrackBar1->value())));
}

void TForm2::TrackBar1Change(int position)
{
    const QByteArray value = QByteArray::number(position);
    record(params::KeyP108).Value = value;
    Label26->setText(QString::fromLatin1(manual::overrideLabel(position)));
    // At most one override every interval; a change within it waits for
    // the interval's end (Timer1Timer), so the drive ends up with what the
    // slider shows.
    if (Timer1->isActive())
        return;
    sendOverride(position);
}

void TForm2::sendOverride(int position)
{
    m_core.Senden_Zeichensatz(manual::overrideCommand(ManualAddress, position));
    m_overrideSent = position;
    Timer1->start();
}

void TForm2::Timer1Timer()
{
    Timer1->stop();
    if (m_overrideSent && *m_overrideSent != TrackBar1->value())
        sendOverride(TrackBar1->value());
}

void TForm2::ComboBox1Click(int index)
{
    if (index < 0)
        return;
    ManualAddress = ComboBox1->itemText(index).toLatin1();
    if (ManualAddress != "*") {
        // The main window switches to this drive as if it had been typed there.
        m_shell.chooseAddress(ManualAddress);
    }
    Button2->setFocus(Qt::OtherFocusReason);
}

manual::Condition TForm2::condition() const
{
    if (m_linkLost)
        return manual::Condition::LinkLost;
    return m_driveOff ? manual::Condition::DriveOff : manual::Condition::Ready;
}

void TForm2::showLinkState(bool lost)
{
    m_linkLost = lost;
    applyCondition();
}

void TForm2::showDriveState(bool on)
{
    if (m_driveOff == !on)
        return;
    m_driveOff = !on;
    applyCondition();
}

void TForm2::applyCondition()
{
    const manual::Condition now = condition();
    for (const manual::CommandButton &b : manual::commandButtons()) {
        if (auto *button = findChild<QPushButton *>(QStringLiteral("Button%1").arg(b.button)))
            button->setEnabled(manual::buttonAllowed(b.button, now));
    }
    const bool settings = manual::settingsAllowed(now);
    for (QLineEdit *edit : edits())
        edit->setEnabled(settings);
    for (size_t n = 1; n <= 4; ++n)
        Out[n]->setEnabled(settings);
    TrackBar1->setEnabled(settings);
    ComboBox1->setEnabled(settings);
    // The displays keep the last values, greyed, so that nobody takes them
    // for the drive's state now.
    const bool current = now == manual::Condition::Ready;
    for (QLabel *display : {Label5, Label1, Label2, Label3, Label30})
        display->setEnabled(current);
    for (size_t n = 1; n <= 8; ++n)
        I[n]->setEnabled(current);
    showOwnCaptions(m_language);
}

void TForm2::showOwnCaptions(int language)
{
    m_language = language;
    PlotButton->setText(tr("Verlauf"));
    HoldToRun->setText(tr("Tippbetrieb (nur solange gedrückt)"));
    HoldToRun->resize(std::min(HoldToRun->sizeHint().width(), 400), HoldToRun->height());
    const bool recording = m_shell.recording();
    RecordButton->setText(recording ? tr("Aufzeichnung aus") : tr("Aufzeichnen"));
    // A Stop that has not reached the drive says more than why the
    // displays are grey; it stands in the same place.
    StopNote->setVisible(m_stopPending);
    if (m_stopPending) {
        StateNote->hide();
        return;
    }
    switch (condition()) {
    case manual::Condition::Ready:
        StateNote->hide();
        return;
    case manual::Condition::LinkLost:
        StateNote->setText(tr("Keine Verbindung - letzter Stand"));
        break;
    case manual::Condition::DriveOff:
        StateNote->setText(tr("Antrieb AUS"));
        break;
    }
    StateNote->show();
}
