// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/window/tserstddlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QPushButton>
#include <QVBoxLayout>

namespace serstddlg {

CommConfig baseConfig()
{
    CommConfig c;
    c.baudRate = 9600;
    c.byteSize = 8;
    c.parity = 0;
    c.parityCheck = false;
    c.stopBits = 0;
    // Flow control stays off unless asked for.
    c.ctsOutFlow = false;
    c.rtsControl = RtsControl::disable;
    c.xonOut = false;
    c.xonIn = false;
    return c;
}

QString deviceName(const TSerial *serial)
{
    if (!serial)
        return QStringLiteral("COM1");
    return QStringLiteral("COM") + QChar(char16_t(u'0' + serial->COMPort()));
}

void prefill(CommConfig &config, const TSerial &serial)
{
    config.baudRate = baudRateValue(serial.Baudrate());
    config.byteSize = 4 + int(serial.DataBits());
    config.parity = int(serial.ParityBit());
    config.parityCheck = serial.ParityBit() != none;
    config.stopBits = int(serial.StopBits());
    if (serial.HandshakeRtsCts()) {
        config.ctsOutFlow = true;
        config.rtsControl = RtsControl::handshake;
    } else if (serial.HandshakeXOnXOff()) {
        config.xonOut = true;
        config.xonIn = true;
    } else {
        config.xonOut = false;
        config.xonIn = false;
        config.rtsControl = RtsControl::disable;
    }
}

void copyBack(const CommConfig &config, TSerial &serial)
{
    if (const auto rate = baudRateFromValue(config.baudRate))
        serial.setBaudrate(*rate);
    if (config.byteSize >= 4 && config.byteSize <= 8)
        serial.setDataBits(TDataBits(config.byteSize - 4));
    if (config.parity >= 0 && config.parity <= 4)
        serial.setParityBit(TParityBit(config.parity));
    if (config.stopBits >= 0 && config.stopBits <= 2)
        serial.setStopBits(TStopBits(config.stopBits));
    serial.setHandshakeRtsCts(config.rtsControl != RtsControl::disable);
    serial.setHandshakeXOnXOff(config.xonOut);
}

const QList<int> &standardBaudRates()
{
    static const QList<int> rates{110, 300, 600, 1200, 2400, 4800, 9600, 14400,
                                  19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return rates;
}

} // namespace serstddlg

using serstddlg::CommConfig;
using serstddlg::RtsControl;

TSerStdForm::TSerStdForm(const QString &deviceName, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Eigenschaften von %1").arg(deviceName));

    ComboBaud = new QComboBox(this);
    ComboBaud->setEditable(true);
    ComboBaud->setInsertPolicy(QComboBox::NoInsert);
    ComboBaud->setValidator(new QIntValidator(1, 4000000, ComboBaud));
    for (int rate : serstddlg::standardBaudRates())
        ComboBaud->addItem(QString::number(rate), rate);

    ComboDataBits = new QComboBox(this);
    for (int bits = 5; bits <= 8; ++bits)
        ComboDataBits->addItem(QString::number(bits), bits);

    ComboParity = new QComboBox(this);
    const char *const parities[] = {"Keine", "Ungerade", "Gerade", "Markierung", "Leerzeichen"};
    for (int p = 0; p < 5; ++p)
        ComboParity->addItem(QString::fromUtf8(parities[p]), p);

    ComboStopBits = new QComboBox(this);
    ComboStopBits->addItem(QStringLiteral("1"), 0);
    ComboStopBits->addItem(QStringLiteral("1,5"), 1);
    ComboStopBits->addItem(QStringLiteral("2"), 2);

    ComboFlow = new QComboBox(this);
    ComboFlow->addItem(QStringLiteral("Kein"), flowNone);
    ComboFlow->addItem(QStringLiteral("Hardware (RTS/CTS)"), flowRtsCts);
    ComboFlow->addItem(QStringLiteral("Xon / Xoff"), flowXonXoff);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Bits pro Sekunde:"), ComboBaud);
    form->addRow(QStringLiteral("&Datenbits:"), ComboDataBits);
    form->addRow(QString::fromUtf8("&Parität:"), ComboParity);
    form->addRow(QStringLiteral("&Stoppbits:"), ComboStopBits);
    form->addRow(QStringLiteral("&Flusssteuerung:"), ComboFlow);

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(Buttons);
    setFixedSize(sizeHint());
}

TSerStdForm::Flow TSerStdForm::flowOf(const CommConfig &config)
{
    if (config.ctsOutFlow || config.rtsControl == RtsControl::handshake)
        return flowRtsCts;
    if (config.xonOut)
        return flowXonXoff;
    return flowNone;
}

void TSerStdForm::setConfig(const CommConfig &config)
{
    m_config = config;
    ComboBaud->setCurrentIndex(-1);
    const int baudIndex = ComboBaud->findData(config.baudRate);
    if (baudIndex >= 0)
        ComboBaud->setCurrentIndex(baudIndex);
    else
        ComboBaud->setEditText(QString::number(config.baudRate));
    ComboDataBits->setCurrentIndex(ComboDataBits->findData(config.byteSize));
    ComboParity->setCurrentIndex(ComboParity->findData(config.parity));
    ComboStopBits->setCurrentIndex(ComboStopBits->findData(config.stopBits));
    ComboFlow->setCurrentIndex(ComboFlow->findData(flowOf(config)));
}

CommConfig TSerStdForm::config() const
{
    CommConfig c = m_config;
    bool numeric = false;
    const int rate = ComboBaud->currentText().trimmed().toInt(&numeric);
    if (numeric && rate > 0)
        c.baudRate = rate;
    // A value the lists cannot show (4 data bits, say) has no entry selected
    // and is kept as it came.
    if (ComboDataBits->currentIndex() >= 0)
        c.byteSize = ComboDataBits->currentData().toInt();
    if (ComboParity->currentIndex() >= 0) {
        c.parity = ComboParity->currentData().toInt();
        c.parityCheck = c.parity != 0;
    }
    if (ComboStopBits->currentIndex() >= 0)
        c.stopBits = ComboStopBits->currentData().toInt();

    const Flow flow = Flow(ComboFlow->currentData().toInt());
    if (ComboFlow->currentIndex() >= 0 && flow != flowOf(m_config)) {
        c.ctsOutFlow = flow == flowRtsCts;
        c.rtsControl = flow == flowRtsCts ? RtsControl::handshake : RtsControl::disable;
        c.xonOut = c.xonIn = flow == flowXonXoff;
    }
    return c;
}

TSerStdDlg::TSerStdDlg(QObject *owner) : QObject(owner), m_config(serstddlg::baseConfig()) {}

bool TSerStdDlg::runDialog(const QString &deviceName, CommConfig &config)
{
    QWidget *parent = nullptr;
    if (auto *ownerWidget = qobject_cast<QWidget *>(this->parent()))
        parent = ownerWidget->window();
    TSerStdForm form(deviceName, parent);
    form.setConfig(config);
    if (form.exec() != QDialog::Accepted)
        return false;
    config = form.config();
    return true;
}

bool TSerStdDlg::Execute()
{
    const QString device = serstddlg::deviceName(m_serial);
    if (m_serial)
        serstddlg::prefill(m_config, *m_serial);
    CommConfig edited = m_config;
    if (!runDialog(device, edited))
        return false;
    m_config = edited;
    if (m_serial)
        serstddlg::copyBack(m_config, *m_serial);
    return true;
}
