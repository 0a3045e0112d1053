// SPDX-License-Identifier: GPL-3.0-or-later
// TSerStdDlg: the settings dialog for the port of a TSerial (bit rate, data
// bits, parity, stop bits, flow control). It edits a private configuration
// record that is prefilled from the component before each run and kept
// between runs; confirmed settings are copied back into the component. The
// port itself is neither opened nor reconfigured here.
#pragma once

#include "serial/tserial.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

class QComboBox;
class QDialogButtonBox;

namespace serstddlg {

enum class RtsControl { disable, enable, handshake, toggle };

// The fields of the port's device control block that the dialog deals with.
struct CommConfig {
    int baudRate = 0;
    int byteSize = 0;
    int parity = 0;            // 0..4: none, odd, even, mark, space
    bool parityCheck = false;
    int stopBits = 0;          // 0..2: 1, 1.5, 2
    bool ctsOutFlow = false;
    RtsControl rtsControl = RtsControl::disable;
    bool xonOut = false;
    bool xonIn = false;

    friend bool operator==(const CommConfig &, const CommConfig &) = default;
};

// The record as built from "baud=9600 parity=N data=8 stop=1".
CommConfig baseConfig();

// "COM" followed by the character "0" + COMPort; "COM1" without a component.
QString deviceName(const TSerial *serial);

// Copies the component's settings into the record. Flow control fields the
// component has no say in (XON/XOFF under RTS/CTS, RTS control under
// XON/XOFF) keep their value.
void prefill(CommConfig &config, const TSerial &serial);

// Copies confirmed settings back. A bit rate without an enumeration value
// leaves Baudrate alone; DTR/DSR handshake is not touched.
void copyBack(const CommConfig &config, TSerial &serial);

// The standard bit rates offered by the dialog.
const QList<int> &standardBaudRates();

} // namespace serstddlg

// The dialog itself. Fields it cannot show (RTS toggle mode, a lone XON
// flag) survive a confirmation unless the user changes the flow control.
class TSerStdForm : public QDialog {
    Q_OBJECT
public:
    explicit TSerStdForm(const QString &deviceName, QWidget *parent = nullptr);

    QComboBox *ComboBaud = nullptr;     // editable: other rates may be typed
    QComboBox *ComboDataBits = nullptr;
    QComboBox *ComboParity = nullptr;
    QComboBox *ComboStopBits = nullptr;
    QComboBox *ComboFlow = nullptr;     // none, RTS/CTS, XON/XOFF
    QDialogButtonBox *Buttons = nullptr;

    enum Flow { flowNone, flowRtsCts, flowXonXoff };

    void setConfig(const serstddlg::CommConfig &config);
    // The record as given to setConfig with the controls' choices applied.
    serstddlg::CommConfig config() const;

    static Flow flowOf(const serstddlg::CommConfig &config);

private:
    serstddlg::CommConfig m_config;
};

class TSerStdDlg : public QObject {
    Q_OBJECT
    Q_PROPERTY(TSerial *Serial READ Serial WRITE setSerial)
public:
    explicit TSerStdDlg(QObject *owner = nullptr);

    TSerial *Serial() const { return m_serial; }
    void setSerial(TSerial *serial) { m_serial = serial; }

    // True when the user confirmed; then Serial (if any) holds the settings.
    bool Execute();

    const serstddlg::CommConfig &config() const { return m_config; }

protected:
    // Shows the dialog modally for the device; on confirmation writes the
    // edited record into config and returns true.
    virtual bool runDialog(const QString &deviceName, serstddlg::CommConfig &config);

private:
    QPointer<TSerial> m_serial;
    serstddlg::CommConfig m_config;
};
