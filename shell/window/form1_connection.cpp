// SPDX-License-Identifier: GPL-3.0-or-later
// Connection settings: the settings file, the interface configured by hand,
// and the choice of the drive address.
#include "shell/window/tform1.h"

#include "manual/window/tform2.h"
#include "serial/window/tsersel.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"
#include "shell/settings.h"
#include "shell/window/tradiogroup.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {

const char kSettingsFile[] = "ZYNT.ini";

} // namespace

void TForm1::addAddressItem(const QByteArray &address)
{
    ComboBox1->addItem(QString::fromLatin1(address));
    ListBox1->addItem(QString::fromLatin1(address));
    // The list grows with its items up to 170 pixels; then it gets wider
    // instead and its prompt moves aside.
    if (ListBox1->height() < 170) {
        ListBox1->resize(ListBox1->width(), ListBox1->height() + 15);
    } else {
        ListBox1->resize(42, ListBox1->height());
        Label15->move(Label15->x() + 15, Label15->y());
    }
}

void TForm1::ZYNT_ini_file_lesen()
{
    const QString path = QDir::current().filePath(QString::fromLatin1(kSettingsFile));
    if (!QFileInfo::exists(path)) {
        Autoscan = 0;
        return;
    }
    const datafiles::ReadResult read = datafiles::readFile(path);
    if (!read.error.isEmpty()) {
        Autoscan = 0;
        errorBox(toCp1252(read.error));
        return;
    }
    settings::State state;
    state.interfaceDescription = Core->InterfaceDescription;
    state.addresses = Core->FoundAddresses;
    state.masterAddress = MasterAddress;
    state.timer3 = Core->Timer3->interval();
    state.timer8 = Core->Timer8->interval();
    state.timer9 = Core->Timer9->interval();
    state.timer11 = Core->Timer11->interval();
    settings::read(read.bytes, state);

    Autoscan = state.autoscan;
    MasterAddress = state.masterAddress;
    Core->applySettings(state);
    for (const QByteArray &item : state.addedItems)
        addAddressItem(item);
    if (state.driveAddress)
        ComboBox1->setEditText(QString::fromLatin1(Core->DriveAddress));
}

void TForm1::Automatisch1Click()
{
    // A search starts the link afresh: not in the middle of a transfer.
    if (const std::optional<line::Refusal> refusal = Core->Owner.refusal(line::Activity::Search)) {
        errorBox(toCp1252(line::refusalText(*refusal, Core->Owner.activity(), line::Request::Search)));
        return;
    }
    init_daten();
    SearchRequested = 1;
    Autoscan = 1;
    Serial1->setHandshakeRtsCts(false);
    ZYNT_Daten_Initialisieren();
}

void TForm1::ManuellKonfigurieren1Click()
{
    if (!Core->beginManualConfiguration())
        return;
    TSerSel selection;
    selection.setSerial(Serial1);
    if (!selection.Execute()) {
        // Cancelled: the port, the poll and the address list as before.
        Core->cancelManualConfiguration();
        return;
    }
    for (QWidget *w : std::initializer_list<QWidget *> {Label16, RadioGroup5, RadioGroup6, Panel3, Button15}) {
        w->show();
        w->raise();
    }
    QStringList items;
    for (const settings::DriveRate &rate : settings::driveRates())
        items << QString::fromLatin1(rate.manualItem);
    RadioGroup5->setItems(items);
    RadioGroup6->setItems({QStringLiteral("OFF (Standard)"), QStringLiteral("ON")});
    const settings::DriveRate *rate = settings::driveRate(Serial1->Baudrate());
    RadioGroup5->setItemIndex(rate ? int(rate - settings::driveRates().data()) : -1);
    RadioGroup6->setItemIndex(Serial1->HandshakeRtsCts() ? 1 : 0);
    ListBox1->clear();
    ListBox1->addItem(QStringLiteral("1"));
    ListBox1->resize(ListBox1->width(), 17);
}

void TForm1::Button15Click()
{
    const int selected = RadioGroup5->itemIndex();
    if (selected >= 0 && selected < int(settings::driveRates().size()))
        Serial1->setBaudrate(settings::driveRates()[size_t(selected)].rate);
    if (RadioGroup6->itemIndex() == 0)
        Serial1->setHandshakeRtsCts(false);
    else if (RadioGroup6->itemIndex() == 1)
        Serial1->setHandshakeRtsCts(true);
    RadioGroup5->clearItems();
    RadioGroup6->clearItems();
    for (QWidget *w : std::initializer_list<QWidget *> {RadioGroup5, RadioGroup6, Panel3, Button15, Label16})
        w->hide();
    ComboBox1->setEditText(QStringLiteral("1"));
    Achse1Click();

    setBackground(Label2, windowColour());
    QByteArray caption = "baudrate";
    const int port = Serial1->COMPort();
    if (port >= 1 && port <= 4)
        caption = "COM" + QByteArray::number(port) + ':';
    const settings::DriveRate *rate = settings::driveRate(Serial1->Baudrate());
    if (rate)
        caption += rate->manualSuffix;
    Core->endManualConfiguration(rate);
    // The link recovery shows the interface description again; it must be this one.
    Core->InterfaceDescription = caption;
    Label2->setText(fromCp1252(caption));
    showDriveHeader();
    SettingsSavePending = 1;
}

void TForm1::Achse1Click()
{
    Core->offerAddressChoice();
    ListBox1->show();
    ListBox1->raise();
    Label15->show();
    // The version display's timer ends the offer too: without a choice the
    // status poll would otherwise stay stopped for good.
    Timer14->start();
}

void TForm1::ListBox1DblClick()
{
    const QListWidgetItem *item = ListBox1->currentItem();
    if (!item || !item->isSelected())
        return;
    chooseAddress(item->text().toLatin1(), true);
}

void TForm1::ComboBox1KeyPress(char key)
{
    if (key != '\r')
        return;
    chooseAddress(ComboBox1->currentText().toLatin1(), false);
}

void TForm1::chooseAddress(const QByteArray &chosen, bool fromList)
{
    const bool fullConnect = SettingsSavePending != 0;
    Core->chooseAddress(chosen, fullConnect);
    if (!chosen.isEmpty() && Form2)
        Form2->ComboBox1->setEditText(QString::fromLatin1(chosen));
    ComboBox1->hide();
    if (fromList)
        ListBox1->hide();
    Label15->hide();
    if (!fullConnect)
        return;

    SettingsSavePending = 0;
    std::vector<int> &found = Core->FoundAddresses;
    if (found[0] == 0) {
        // The address chosen (while the link is lost, the one looked for).
        const QByteArray address = Core->DriveAddress.isEmpty() ? Core->PreviousAddress : Core->DriveAddress;
        found[0] = 1;
        found[1] = address.toInt();
    }
    writeSettingsFile();
}

bool TForm1::writeSettingsFile()
{
    const QByteArray bytes = settings::write(Serial1->COMPort(), baudRateValue(Serial1->Baudrate()),
                                             Serial1->HandshakeRtsCts(), Core->FoundAddresses);
    // Written aside and renamed, so that a failing disk never leaves half a file.
    const QString path = QDir::current().filePath(QString::fromLatin1(kSettingsFile));
    if (const QString error = datafiles::saveFile(path, bytes); !error.isEmpty()) {
        errorBox(toCp1252(error));
        return false;
    }
    return true;
}
