// SPDX-License-Identifier: GPL-3.0-or-later
// TSerSel: lets the user pick one of the existing ports in a small modal
// form and writes the choice into a TSerial. The port itself is left alone:
// a caller that wants the new port in force reopens it.
#pragma once

#include "serial/tserial.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QShowEvent;

class TFormSerSel : public QDialog {
    Q_OBJECT
public:
    // Fills ComboBox1 from the port availability table.
    explicit TFormSerSel(QWidget *parent = nullptr);

    QFrame *Panel1 = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QPushButton *ButtonOk = nullptr;
    QPushButton *ButtonCancel = nullptr;

    // 1-based position of the chosen entry; 0 when there is nothing to choose.
    int selectedPort() const { return m_selectedPort; }
    void setSelectedPort(int port) { m_selectedPort = port; }
    bool selectionValid() const { return m_selectionValid; }

    // Runs when the form is shown: brings the preset port into range and
    // selects it, or shows "keine" when no port exists.
    void FormShow();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void ComboBox1Change(int index);

    int m_selectedPort = 1;
    bool m_selectionValid = false;
};

class TSerSel : public QObject {
    Q_OBJECT
    Q_PROPERTY(TSerial *Serial READ Serial WRITE setSerial)
public:
    explicit TSerSel(QObject *owner = nullptr);

    TSerial *Serial() const { return m_serial; }
    void setSerial(TSerial *serial) { m_serial = serial; }

    // Shows the form modally; true when the user confirmed. Then Serial's
    // COMPort holds the chosen position (through its setter).
    bool Execute();

protected:
    // The modal run of the form; returns the dialog result.
    virtual int runModal(TFormSerSel &form);

private:
    // Cleared by itself when the port component goes away.
    QPointer<TSerial> m_serial;
};
