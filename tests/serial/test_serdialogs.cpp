// SPDX-License-Identifier: GPL-3.0-or-later
// The port selection form and the port settings dialog: the selection rules
// against real pseudo-terminal ports, the copy rules between the settings
// record and TSerial, and both components' real modal runs.
#include "serial/tserial.h"
#include "serial/window/tsersel.h"
#include "serial/window/tserstddlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <functional>
#include <memory>

using serstddlg::CommConfig;
using serstddlg::RtsControl;

Q_DECLARE_METATYPE(serstddlg::CommConfig)

namespace {

// Answers the next modal dialog: waits for it to appear, then runs the
// action, which has to close it. Checks happen after Execute returns, so a
// failing check can never leave a dialog open.
class ModalDriver : public QObject {
public:
    explicit ModalDriver(std::function<void(QWidget *)> action) : m_action(std::move(action))
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            m_timer.stop();
            m_ran = true;
            m_action(modal);
            // Whatever the action did, do not leave the test hanging.
            if (modal->isVisible())
                if (auto *dialog = qobject_cast<QDialog *>(modal))
                    dialog->reject();
        });
        m_timer.start();
    }
    bool ran() const { return m_ran; }

private:
    std::function<void(QWidget *)> m_action;
    QTimer m_timer;
    bool m_ran = false;
};

} // namespace

class TestSerDialogs : public QObject {
    Q_OBJECT

private:
    std::vector<int> m_masters;

    // Makes exactly the listed COM numbers available, each backed by a fresh
    // pseudo-terminal; the other COMn point to a device that does not exist.
    void setupPorts(const QList<int> &available)
    {
        closeMasters();
        for (int n = 1; n <= 4; ++n) {
            QByteArray path = "/nonexistent/zynt-com" + QByteArray::number(n);
            if (available.contains(n)) {
                const int master = posix_openpt(O_RDWR | O_NOCTTY);
                QVERIFY2(master >= 0, "posix_openpt failed");
                QVERIFY(grantpt(master) == 0);
                QVERIFY(unlockpt(master) == 0);
                m_masters.push_back(master);
                path = ptsname(master);
            }
            qputenv(("ZYNT_COM" + QByteArray::number(n)).constData(), path);
        }
        serialports::reinitialisePortTable();
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(serialports::portTable().available[n - 1], available.contains(n));
    }

    void closeMasters()
    {
        for (int fd : m_masters)
            ::close(fd);
        m_masters.clear();
    }

    static QStringList items(const QComboBox *box)
    {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }

private slots:
    void cleanup() { closeMasters(); }

    // ---- TFormSerSel / TSerSel ----

    void selectionFormLayout()
    {
        setupPorts({1, 2});
        TFormSerSel form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Serielle Schnittstelle"));
        QCOMPARE(form.size(), QSize(185, 72));
        QCOMPARE(form.minimumSize(), QSize(185, 72));
        QCOMPARE(form.maximumSize(), QSize(185, 72));
        QVERIFY(!(form.windowFlags() & Qt::WindowContextHelpButtonHint));

        QCOMPARE(form.Panel1->geometry(), QRect(8, 8, 81, 57));
        QCOMPARE(form.Panel1->frameShadow(), QFrame::Sunken);
        QCOMPARE(form.Label1->parentWidget(), form.Panel1);
        QCOMPARE(form.Label1->pos(), QPoint(8, 8));
        QCOMPARE(form.Label1->text(), QStringLiteral("&Schnittstelle"));
        QCOMPARE(form.Label1->buddy(), form.ComboBox1);
        QCOMPARE(form.ComboBox1->parentWidget(), form.Panel1);
        QCOMPARE(form.ComboBox1->pos(), QPoint(8, 24));
        QCOMPARE(form.ComboBox1->width(), 57);
        QVERIFY(!form.ComboBox1->isEditable());

        QCOMPARE(form.ButtonOk->text(), QStringLiteral("&Ok"));
        QCOMPARE(form.ButtonOk->geometry(), QRect(104, 8, 75, 25));
        QVERIFY(form.ButtonOk->isDefault());
        QCOMPARE(form.ButtonCancel->text(), QStringLiteral("&Abbruch"));
        QCOMPARE(form.ButtonCancel->geometry(), QRect(104, 40, 75, 25));

        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint screenCentre = form.screen()->availableGeometry().center();
        QVERIFY(qAbs(form.frameGeometry().center().x() - screenCentre.x()) <= 2);
        QVERIFY(qAbs(form.frameGeometry().center().y() - screenCentre.y()) <= 2);
        QCOMPARE(form.size(), QSize(185, 72));
    }

    void selectionFormShow_data()
    {
        QTest::addColumn<QList<int>>("ports");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("valid");

        QTest::newRow("no port") << QList<int>{} << 1 << QStringList{"keine"} << 0 << 0 << false;
        QTest::newRow("no port, preset 3") << QList<int>{} << 3 << QStringList{"keine"} << 0 << 0 << false;
        QTest::newRow("preset 0 becomes 1") << QList<int>{1, 2} << 0 << QStringList{"COM1", "COM2"} << 0 << 1 << true;
        QTest::newRow("preset 3 of two entries becomes 1") << QList<int>{1, 2} << 3 << QStringList{"COM1", "COM2"} << 0 << 1 << true;
        QTest::newRow("preset 2 kept") << QList<int>{1, 2} << 2 << QStringList{"COM1", "COM2"} << 1 << 2 << true;
        QTest::newRow("last of four") << QList<int>{1, 2, 3, 4} << 4 << QStringList{"COM1", "COM2", "COM3", "COM4"} << 3 << 4 << true;
        QTest::newRow("gaps listed in order") << QList<int>{4, 2} << 2 << QStringList{"COM2", "COM4"} << 1 << 2 << true;
    }

    void selectionFormShow()
    {
        QFETCH(QList<int>, ports);
        QFETCH(int, preset);
        QFETCH(QStringList, entries);
        QFETCH(int, index);
        QFETCH(int, selected);
        QFETCH(bool, valid);

        setupPorts(ports);
        TFormSerSel form;
        form.setSelectedPort(preset);
        form.FormShow();
        QCOMPARE(items(form.ComboBox1), entries);
        QCOMPARE(form.ComboBox1->currentIndex(), index);
        QCOMPARE(form.selectedPort(), selected);
        QCOMPARE(form.selectionValid(), valid);
    }

    void selectionFollowsChoiceOnlyWhenValid()
    {
        setupPorts({1, 2, 3});
        TFormSerSel form;
        form.setSelectedPort(3);
        // Before the form is shown the selection is not valid yet.
        form.ComboBox1->setCurrentIndex(1);
        QCOMPARE(form.selectedPort(), 3);

        form.FormShow();
        QCOMPARE(form.ComboBox1->currentIndex(), 2);
        QCOMPARE(form.selectedPort(), 3);
        form.ComboBox1->setCurrentIndex(0);
        QCOMPARE(form.selectedPort(), 1);
        QTest::keyClick(form.ComboBox1, Qt::Key_Down);
        QCOMPARE(form.selectedPort(), 2);
    }

    void executeOkTakesSecondEntry()
    {
        setupPorts({1, 2, 3});
        TSerial serial;
        QCOMPARE(serial.COMPort(), 1);
        TSerSel sel;
        sel.setSerial(&serial);

        QStringList shown;
        int preselected = -1;
        bool wasSelForm = false;
        ModalDriver driver([&](QWidget *modal) {
            auto *form = qobject_cast<TFormSerSel *>(modal);
            if (!form)
                return;
            wasSelForm = true;
            shown = items(form->ComboBox1);
            preselected = form->ComboBox1->currentIndex();
            QTest::keyClick(form->ComboBox1, Qt::Key_Down);
            QTest::mouseClick(form->ButtonOk, Qt::LeftButton);
        });
        QVERIFY(sel.Execute());
        QVERIFY(driver.ran());
        QVERIFY(wasSelForm);
        QCOMPARE(shown, (QStringList{"COM1", "COM2", "COM3"}));
        QCOMPARE(preselected, 0);
        QCOMPARE(serial.COMPort(), 2);
        QVERIFY(!serial.Active());
    }

    void executeCancelChangesNothing()
    {
        setupPorts({1, 2, 3});
        TSerial serial;
        serial.setCOMPort(3);
        TSerSel sel;
        sel.setSerial(&serial);

        int preselected = -1;
        ModalDriver driver([&](QWidget *modal) {
            auto *form = qobject_cast<TFormSerSel *>(modal);
            if (!form)
                return;
            preselected = form->ComboBox1->currentIndex();
            form->ComboBox1->setCurrentIndex(0);
            QTest::mouseClick(form->ButtonCancel, Qt::LeftButton);
        });
        QVERIFY(!sel.Execute());
        QVERIFY(driver.ran());
        QCOMPARE(preselected, 2);
        QCOMPARE(serial.COMPort(), 3);
    }

    void executeWithoutPortsGivesPortZero()
    {
        // The component was made while two ports existed; they are gone now.
        setupPorts({1, 2});
        TSerial serial;
        QCOMPARE(serial.COMPort(), 1);
        setupPorts({});
        TSerSel sel;
        sel.setSerial(&serial);

        QStringList shown;
        ModalDriver driver([&](QWidget *modal) {
            auto *form = qobject_cast<TFormSerSel *>(modal);
            if (!form)
                return;
            shown = items(form->ComboBox1);
            // Return takes the default button.
            QTest::keyClick(form, Qt::Key_Return);
        });
        QVERIFY(sel.Execute());
        QVERIFY(driver.ran());
        QCOMPARE(shown, QStringList{"keine"});
        QCOMPARE(serial.COMPort(), 0);
        QVERIFY(!serial.Open());
        QVERIFY(!serial.Active());
    }

    void executeOutOfRangePortPreselectsFirst()
    {
        setupPorts({1, 2, 3, 4});
        TSerial serial;
        serial.setCOMPort(3);
        QCOMPARE(serial.COMPort(), 3);
        setupPorts({1, 2});
        TSerSel sel;
        sel.setSerial(&serial);

        int preselected = -1;
        ModalDriver driver([&](QWidget *modal) {
            auto *form = qobject_cast<TFormSerSel *>(modal);
            if (!form)
                return;
            preselected = form->ComboBox1->currentIndex();
            form->ButtonOk->click();
        });
        QVERIFY(sel.Execute());
        QVERIFY(driver.ran());
        QCOMPARE(preselected, 0);
        QCOMPARE(serial.COMPort(), 1);
    }

    void executeWithoutSerial()
    {
        setupPorts({1, 2});
        TSerSel sel;
        {
            auto serial = std::make_unique<TSerial>();
            sel.setSerial(serial.get());
        }
        // A component that went away is no longer referenced.
        QCOMPARE(sel.Serial(), nullptr);

        int preselected = -1;
        ModalDriver driver([&](QWidget *modal) {
            auto *form = qobject_cast<TFormSerSel *>(modal);
            if (!form)
                return;
            preselected = form->ComboBox1->currentIndex();
            form->ComboBox1->setCurrentIndex(1);
            form->ButtonOk->click();
        });
        QVERIFY(sel.Execute());
        QVERIFY(driver.ran());
        QCOMPARE(preselected, 0);
    }

    // ---- settings record <-> TSerial ----

    void baseRecord()
    {
        const CommConfig c = serstddlg::baseConfig();
        QCOMPARE(c.baudRate, 9600);
        QCOMPARE(c.byteSize, 8);
        QCOMPARE(c.parity, 0);
        QVERIFY(!c.parityCheck);
        QCOMPARE(c.stopBits, 0);
        QVERIFY(!c.ctsOutFlow);
        QVERIFY(c.rtsControl == RtsControl::disable);
        QVERIFY(!c.xonOut && !c.xonIn);
        TSerStdDlg dlg;
        QVERIFY(dlg.config() == c);
    }

    void deviceName()
    {
        setupPorts({1, 2, 3});
        QCOMPARE(serstddlg::deviceName(nullptr), QStringLiteral("COM1"));
        TSerial serial;
        serial.setCOMPort(3);
        QCOMPARE(serstddlg::deviceName(&serial), QStringLiteral("COM3"));
    }

    void prefillLineSettings()
    {
        setupPorts({1});
        TSerial serial;
        serial.setBaudrate(br_115200);
        serial.setDataBits(db_7);
        serial.setParityBit(even);
        serial.setStopBits(sb_2);
        CommConfig c = serstddlg::baseConfig();
        serstddlg::prefill(c, serial);
        QCOMPARE(c.baudRate, 115200);
        QCOMPARE(c.byteSize, 7);
        QCOMPARE(c.parity, 2);
        QVERIFY(c.parityCheck);
        QCOMPARE(c.stopBits, 2);

        serial.setBaudrate(br_000110);
        serial.setDataBits(db_5);
        serial.setParityBit(none);
        serial.setStopBits(sb_15);
        serstddlg::prefill(c, serial);
        QCOMPARE(c.baudRate, 110);
        QCOMPARE(c.byteSize, 5);
        QCOMPARE(c.parity, 0);
        QVERIFY(!c.parityCheck);
        QCOMPARE(c.stopBits, 1);
    }

    void prefillFlowControl_data()
    {
        QTest::addColumn<bool>("rtsCts");
        QTest::addColumn<bool>("xonXoff");
        QTest::addColumn<CommConfig>("before");
        QTest::addColumn<CommConfig>("after");

        CommConfig xonOn = serstddlg::baseConfig();
        xonOn.xonOut = xonOn.xonIn = true;
        CommConfig rtsXon = xonOn;
        rtsXon.ctsOutFlow = true;
        rtsXon.rtsControl = RtsControl::handshake;
        QTest::newRow("RTS/CTS leaves XON/XOFF flags") << true << true << xonOn << rtsXon;

        CommConfig toggle = serstddlg::baseConfig();
        toggle.rtsControl = RtsControl::toggle;
        CommConfig toggleXon = toggle;
        toggleXon.xonOut = toggleXon.xonIn = true;
        QTest::newRow("XON/XOFF leaves RTS control") << false << true << toggle << toggleXon;

        CommConfig all = rtsXon;
        CommConfig cleared = all;
        cleared.rtsControl = RtsControl::disable;
        cleared.xonOut = cleared.xonIn = false;
        QTest::newRow("none clears RTS control and XON/XOFF") << false << false << all << cleared;
    }

    void prefillFlowControl()
    {
        QFETCH(bool, rtsCts);
        QFETCH(bool, xonXoff);
        QFETCH(CommConfig, before);
        QFETCH(CommConfig, after);

        setupPorts({1});
        TSerial serial;
        serial.setHandshakeRtsCts(rtsCts);
        serial.setHandshakeXOnXOff(xonXoff);
        CommConfig c = before;
        serstddlg::prefill(c, serial);
        QCOMPARE(c.ctsOutFlow, after.ctsOutFlow);
        QVERIFY(c.rtsControl == after.rtsControl);
        QCOMPARE(c.xonOut, after.xonOut);
        QCOMPARE(c.xonIn, after.xonIn);
    }

    void copyBackToggleMode()
    {
        setupPorts({1});
        TSerial serial;
        serial.setBaudrate(br_002400);
        CommConfig c = serstddlg::baseConfig();
        c.baudRate = 9600;
        c.rtsControl = RtsControl::toggle;
        serstddlg::copyBack(c, serial);
        QCOMPARE(serial.Baudrate(), br_009600);
        QVERIFY(serial.HandshakeRtsCts());
        QVERIFY(!serial.HandshakeXOnXOff());
    }

    void copyBackUnlistedRateKeepsBaudrate()
    {
        setupPorts({1});
        TSerial serial;
        serial.setBaudrate(br_019200);
        CommConfig c = serstddlg::baseConfig();
        c.baudRate = 76800;
        c.byteSize = 7;
        serstddlg::copyBack(c, serial);
        QCOMPARE(serial.Baudrate(), br_019200);
        QCOMPARE(serial.DataBits(), db_7);
    }

    void copyBackFields_data()
    {
        QTest::addColumn<CommConfig>("config");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<bool>("rtsCts");
        QTest::addColumn<bool>("xonXoff");

        CommConfig c = serstddlg::baseConfig();
        c.baudRate = 256000;
        c.byteSize = 5;
        c.parity = 4;
        c.stopBits = 1;
        c.rtsControl = RtsControl::enable;
        QTest::newRow("RTS enabled counts as handshake") << c << int(br_256000) << int(db_5) << int(space) << int(sb_15) << true << false;

        c = serstddlg::baseConfig();
        c.baudRate = 110;
        c.parity = 1;
        c.stopBits = 2;
        c.ctsOutFlow = true; // without RTS control it is no handshake
        c.xonOut = true;
        QTest::newRow("XON output is the XON/XOFF handshake") << c << int(br_000110) << int(db_8) << int(odd) << int(sb_2) << false << true;

        c = serstddlg::baseConfig();
        c.baudRate = 57600;
        c.xonIn = true;
        c.rtsControl = RtsControl::handshake;
        QTest::newRow("XON input alone is not") << c << int(br_057600) << int(db_8) << int(none) << int(sb_1) << true << false;
    }

    void copyBackFields()
    {
        QFETCH(CommConfig, config);
        QFETCH(int, baud);
        QFETCH(int, dataBits);
        QFETCH(int, parity);
        QFETCH(int, stopBits);
        QFETCH(bool, rtsCts);
        QFETCH(bool, xonXoff);

        setupPorts({1});
        TSerial serial;
        serial.setHandshakeRtsCts(!rtsCts);
        serial.setHandshakeXOnXOff(!xonXoff);
        serial.setHandshakeDtrDsr(true);
        serial.setParityBit(parity == int(none) ? even : none);
        serstddlg::copyBack(config, serial);
        QCOMPARE(int(serial.Baudrate()), baud);
        QCOMPARE(int(serial.DataBits()), dataBits);
        QCOMPARE(int(serial.ParityBit()), parity);
        QCOMPARE(serial.ParityCheck(), parity != int(none));
        QCOMPARE(int(serial.StopBits()), stopBits);
        QCOMPARE(serial.HandshakeRtsCts(), rtsCts);
        QCOMPARE(serial.HandshakeXOnXOff(), xonXoff);
        QVERIFY(serial.HandshakeDtrDsr()); // never copied
    }

    // ---- the settings dialog's controls ----

    void formShowsRecordAndKeepsWhatItCannotShow_data()
    {
        QTest::addColumn<CommConfig>("config");
        CommConfig c = serstddlg::baseConfig();
        QTest::newRow("base") << c;
        c.baudRate = 76800;
        c.byteSize = 4;
        c.parity = 3;
        c.parityCheck = true;
        c.stopBits = 1;
        QTest::newRow("unlisted rate, 4 data bits") << c;
        c = serstddlg::baseConfig();
        c.rtsControl = RtsControl::toggle;
        c.xonIn = true;
        QTest::newRow("RTS toggle, XON input only") << c;
        c = serstddlg::baseConfig();
        c.ctsOutFlow = true;
        c.rtsControl = RtsControl::handshake;
        c.baudRate = 128000;
        QTest::newRow("RTS/CTS") << c;
    }

    void formShowsRecordAndKeepsWhatItCannotShow()
    {
        QFETCH(CommConfig, config);
        TSerStdForm form(QStringLiteral("COM1"));
        form.setConfig(config);
        QCOMPARE(form.ComboBaud->currentText(), QString::number(config.baudRate));
        QVERIFY(form.config() == config);
    }

    void formChoicesChangeRecord()
    {
        TSerStdForm form(QStringLiteral("COM2"));
        QVERIFY(form.windowTitle().contains(QStringLiteral("COM2")));
        QCOMPARE(form.ComboBaud->count(), 15);
        QCOMPARE(form.ComboBaud->itemText(0), QStringLiteral("110"));
        QCOMPARE(form.ComboBaud->itemText(14), QStringLiteral("256000"));
        QCOMPARE(form.ComboDataBits->count(), 4);
        QCOMPARE(form.ComboParity->count(), 5);
        QCOMPARE(form.ComboStopBits->count(), 3);
        QCOMPARE(form.ComboFlow->count(), 3);

        CommConfig c = serstddlg::baseConfig();
        c.ctsOutFlow = true;
        c.rtsControl = RtsControl::handshake;
        form.setConfig(c);
        QCOMPARE(form.ComboFlow->currentIndex(), int(TSerStdForm::flowRtsCts));

        form.ComboFlow->setCurrentIndex(TSerStdForm::flowXonXoff);
        form.ComboParity->setCurrentIndex(2);
        form.ComboDataBits->setCurrentIndex(form.ComboDataBits->findText(QStringLiteral("6")));
        form.ComboStopBits->setCurrentIndex(2);
        form.ComboBaud->lineEdit()->clear();
        QTest::keyClicks(form.ComboBaud->lineEdit(), QStringLiteral("76800"));
        CommConfig out = form.config();
        QCOMPARE(out.baudRate, 76800);
        QCOMPARE(out.byteSize, 6);
        QCOMPARE(out.parity, 2);
        QVERIFY(out.parityCheck);
        QCOMPARE(out.stopBits, 2);
        QVERIFY(!out.ctsOutFlow);
        QVERIFY(out.rtsControl == RtsControl::disable);
        QVERIFY(out.xonOut && out.xonIn);

        form.ComboFlow->setCurrentIndex(TSerStdForm::flowNone);
        out = form.config();
        QVERIFY(!out.ctsOutFlow && !out.xonOut && !out.xonIn);
        QVERIFY(out.rtsControl == RtsControl::disable);

        // Toggle mode shows as no hardware handshake; choosing RTS/CTS replaces it.
        c = serstddlg::baseConfig();
        c.rtsControl = RtsControl::toggle;
        form.setConfig(c);
        QCOMPARE(form.ComboFlow->currentIndex(), int(TSerStdForm::flowNone));
        form.ComboFlow->setCurrentIndex(TSerStdForm::flowRtsCts);
        out = form.config();
        QVERIFY(out.ctsOutFlow);
        QVERIFY(out.rtsControl == RtsControl::handshake);
    }

    // ---- TSerStdDlg, modal ----

    void settingsExecuteOk()
    {
        setupPorts({1, 2});
        TSerial serial;
        serial.setCOMPort(2);
        serial.setBaudrate(br_002400);
        serial.setHandshakeRtsCts(true);
        serial.setHandshakeDtrDsr(true);
        QWidget window;
        auto *ownerWidget = new QWidget(&window);
        TSerStdDlg dlg(ownerWidget);
        dlg.setSerial(&serial);

        QString title, baudShown;
        int flowShown = -1;
        QWidget *dialogParent = nullptr;
        ModalDriver driver([&](QWidget *modal) {
            auto *form = qobject_cast<TSerStdForm *>(modal);
            if (!form)
                return;
            title = form->windowTitle();
            baudShown = form->ComboBaud->currentText();
            flowShown = form->ComboFlow->currentIndex();
            dialogParent = form->parentWidget();
            form->ComboBaud->setCurrentIndex(form->ComboBaud->findText(QStringLiteral("19200")));
            form->ComboDataBits->setCurrentIndex(form->ComboDataBits->findText(QStringLiteral("7")));
            form->ComboFlow->setCurrentIndex(TSerStdForm::flowXonXoff);
            QTest::mouseClick(form->Buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
        QVERIFY(dlg.Execute());
        QVERIFY(driver.ran());
        QVERIFY(title.contains(QStringLiteral("COM2")));
        QCOMPARE(baudShown, QStringLiteral("2400"));
        QCOMPARE(flowShown, int(TSerStdForm::flowRtsCts));
        QCOMPARE(dialogParent, &window);

        QCOMPARE(serial.Baudrate(), br_019200);
        QCOMPARE(serial.DataBits(), db_7);
        QVERIFY(serial.HandshakeXOnXOff());
        QVERIFY(!serial.HandshakeRtsCts());
        QVERIFY(serial.HandshakeDtrDsr());
        QCOMPARE(serial.COMPort(), 2);
        QVERIFY(!serial.Active());
        QCOMPARE(dlg.config().baudRate, 19200);
    }

    void settingsExecuteCancel()
    {
        setupPorts({1});
        TSerial serial;
        serial.setBaudrate(br_038400);
        serial.setParityBit(odd);
        TSerStdDlg dlg;
        dlg.setSerial(&serial);

        QString baudShown;
        ModalDriver driver([&](QWidget *modal) {
            auto *form = qobject_cast<TSerStdForm *>(modal);
            if (!form)
                return;
            baudShown = form->ComboBaud->currentText();
            form->ComboBaud->setCurrentIndex(0);
            form->ComboParity->setCurrentIndex(0);
            form->ComboFlow->setCurrentIndex(TSerStdForm::flowRtsCts);
            QTest::mouseClick(form->Buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
        });
        QVERIFY(!dlg.Execute());
        QVERIFY(driver.ran());
        QCOMPARE(baudShown, QStringLiteral("38400"));
        QCOMPARE(serial.Baudrate(), br_038400);
        QCOMPARE(serial.ParityBit(), odd);
        QVERIFY(!serial.HandshakeRtsCts());
        QCOMPARE(dlg.config().baudRate, 38400);
        QCOMPARE(dlg.config().parity, 1);
    }

    void settingsRecordKeptBetweenRuns()
    {
        TSerStdDlg dlg; // no port component: the record alone is edited
        QString title;
        ModalDriver first([&](QWidget *modal) {
            auto *form = qobject_cast<TSerStdForm *>(modal);
            if (!form)
                return;
            title = form->windowTitle();
            form->ComboBaud->setCurrentIndex(form->ComboBaud->findText(QStringLiteral("57600")));
            form->ComboStopBits->setCurrentIndex(2);
            form->Buttons->button(QDialogButtonBox::Ok)->click();
        });
        QVERIFY(dlg.Execute());
        QVERIFY(first.ran());
        QVERIFY(title.contains(QStringLiteral("COM1")));

        QString baudShown;
        QString stopShown;
        ModalDriver second([&](QWidget *modal) {
            auto *form = qobject_cast<TSerStdForm *>(modal);
            if (!form)
                return;
            baudShown = form->ComboBaud->currentText();
            stopShown = form->ComboStopBits->currentText();
            form->Buttons->button(QDialogButtonBox::Cancel)->click();
        });
        QVERIFY(!dlg.Execute());
        QVERIFY(second.ran());
        QCOMPARE(baudShown, QStringLiteral("57600"));
        QCOMPARE(stopShown, QStringLiteral("2"));
    }
};

QTEST_MAIN(TestSerDialogs)
#include "test_serdialogs.moc"
