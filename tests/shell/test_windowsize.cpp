// SPDX-License-Identifier: GPL-3.0-or-later
// The main window that grows: the Part's layout at the design size, the grid
// taller in a larger window, the size kept for the next start, and the
// keyboard shortcuts of the pages.
#include "tests/parameters/parameteruifixture.h"
#include "tests/shell/picture.h"
#include "shell/window/tstatusline.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>

class TestWindowSize : public QObject {
    Q_OBJECT
private slots:
    void growsAndComesBackSo();
    void shortcutsFollowThePageShown();
    void driveHeaderNamesTheDrive();
};

void TestWindowSize::growsAndComesBackSo()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 *f = ui.f;
    // At the design size everything stands where it always stood.
    QCOMPARE(f->size(), QSize(650, 480));
    QCOMPARE(f->StringGrid2->geometry(), QRect(4, 40, 505, 330));
    QCOMPARE(f->Button8->geometry(), QRect(316, 374, 190, 25));
    QCOMPARE(f->ParameterSearch->geometry(), QRect(400, 20, 109, 19));
    QCOMPARE(f->Label5->geometry().topLeft(), QPoint(560, 24));
    QVERIFY(ui.clickRow("P41"));
    QTRY_VERIFY_WITH_TIMEOUT(f->Panel1->isVisible(), ParameterUi::kWait);
    const int editorX = f->Panel1->x();
    QTest::mouseClick(f->Button10, Qt::LeftButton); // Cancel

    f->resize(1280, 900);
    QTRY_COMPARE_WITH_TIMEOUT(f->size(), QSize(1280, 900), ParameterUi::kWait);
    QCOMPARE(f->StringGrid2->geometry(), QRect(4, 40, 505 + 630, 330 + 420));
    QCOMPARE(f->Button8->geometry(), QRect(316, 374 + 420, 190, 25));
    QCOMPARE(f->ParameterSearch->x(), 400 + 630);
    QVERIFY(savePicture(f, "main-window-large.png"));
    // The value editor opens at the right edge, beside the wider grid, whose
    // value column has grown with the description and stays in sight.
    QVERIFY(ui.clickRow("P41"));
    QTRY_VERIFY_WITH_TIMEOUT(f->Panel1->isVisible(), ParameterUi::kWait);
    QCOMPARE(f->Panel1->x(), editorX + 630);
    QVERIFY(f->StringGrid2->columnWidth(params::ColValue) > 80);
    QVERIFY(f->StringGrid2->columnWidth(params::ColDescription) > f->StringGrid2->columnWidth(params::ColValue));
    const QRect value = f->StringGrid2->visualItemRect(f->StringGrid2->item(ui.rowOf("P41"), params::ColValue));
    const QPoint valueEnd = f->StringGrid2->viewport()->mapTo(f->GroupBox2->parentWidget(), value.topRight());
    QVERIFY2(valueEnd.x() < f->GroupBox2->x(), qPrintable(QStringLiteral("%1 %2").arg(valueEnd.x()).arg(f->GroupBox2->x())));
    QVERIFY(savePicture(f, "numeric-editor-large.png"));
    QTest::mouseClick(f->Button10, Qt::LeftButton); // Cancel
    f->close();

    // The next start comes up at that size, also where the start-up sets
    // the design size (the end of the splash).
    ui.fx.form = std::make_unique<TForm1>();
    f = ui.f = ui.fx.form.get();
    f->FormCreate();
    f->show();
    QCOMPARE(f->size(), QSize(1280, 900));
    f->Timer6Timer();
    QCOMPARE(f->size(), QSize(1280, 900));
    QCOMPARE(f->StringGrid2->height(), 330 + 420);
    // Made small again, it is the design layout once more.
    f->resize(650, 480);
    QTRY_COMPARE_WITH_TIMEOUT(f->StringGrid2->geometry(), QRect(4, 40, 505, 330), ParameterUi::kWait);
    QCOMPARE(f->Button8->geometry(), QRect(316, 374, 190, 25));
}

void TestWindowSize::shortcutsFollowThePageShown()
{
    ParameterUi ui;
    QVERIFY(ui.start());
    TForm1 *f = ui.f;
    QVERIFY(QTest::qWaitForWindowActive(f));
    // F5 reads the list again.
    const qsizetype from = ui.fx.com1->receivedCommands().size();
    QTest::keyClick(f, Qt::Key_F5);
    QVERIFY(ui.waitForList());
    QVERIFY(ui.fx.com1->receivedCommands().mid(from).contains("#1listp\r"));
    // Ctrl+S and Ctrl+O are the parameter file's while the grid is shown ...
    ui.dialogs.clear();
    QTest::keyClick(f, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(f, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(ui.dialogs.size(), 2);
    QVERIFY(ui.dialogs[0].save && ui.dialogs[0].defaultSuffix == QStringLiteral("par"));
    QVERIFY(!ui.dialogs[1].save && ui.dialogs[1].defaultSuffix == QStringLiteral("par"));
    // ... and the program file's while the program is.
    QTest::mouseClick(f->BitBtn1, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f->StringGrid1->isVisible(), ParameterUi::kWait);
    ui.dialogs.clear();
    QTest::keyClick(f, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(f, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(ui.dialogs.size(), 2);
    QVERIFY(ui.dialogs[0].save && ui.dialogs[0].defaultSuffix == QStringLiteral("prg"));
    QVERIFY(!ui.dialogs[1].save && ui.dialogs[1].defaultSuffix == QStringLiteral("prg"));
    // The menus show the keys: each item its own, also where one key serves
    // an item of each page; none of the items holds the key itself.
    const std::pair<QAction *, QString> keys[] = {
        {f->neulesen1, QStringLiteral("F5")},     {f->FileSpeichern1, QStringLiteral("Ctrl+S")},
        {f->N1, QStringLiteral("Ctrl+O")},        {f->ParameterSpeichern1, QStringLiteral("Ctrl+S")},
        {f->Parameterffnen1, QStringLiteral("Ctrl+O")},
    };
    f->english1Click();
    for (const auto &[action, key] : keys) {
        QCOMPARE(action->text().section(QLatin1Char('\t'), 1), key);
        QVERIFY(!action->text().section(QLatin1Char('\t'), 0, 0).isEmpty());
        QVERIFY(action->shortcut().isEmpty());
    }
    // The picture: the parameter menu and its submenu with F5, side by side.
    QList<QPixmap> menus;
    for (QMenu *menu : {f->Parameter1, f->ZYNT1}) {
        menu->popup(f->mapToGlobal(QPoint(60, 20)));
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), ParameterUi::kWait);
        menus << menu->grab();
        menu->close();
    }
    QPixmap both(menus[0].width() + menus[1].width() + 8, std::max(menus[0].height(), menus[1].height()));
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, menus[0]);
    painter.drawPixmap(menus[0].width() + 8, 0, menus[1]);
    painter.end();
    QVERIFY(both.save(pictureFolder() + QStringLiteral("/menu-keys.png")));
    // A locked window takes none of them.
    f->Window_enable(false);
    ui.dialogs.clear();
    QTest::keyClick(f, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(ui.dialogs.size(), 0);
    f->Window_enable(true);
}

void TestWindowSize::driveHeaderNamesTheDrive()
{
    // The adapter's stable name, as udev makes it, leads to the simulated
    // line; sysfs, as the test builds it, gives it the usual adapter's driver
    // and default latency timer.
    QTemporaryDir byId, sysfs;
    const QString name = byId.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0"));
    qputenv("ZYNT_SERIAL_BY_ID", QFile::encodeName(byId.path()));
    qputenv("ZYNT_SYSFS_TTY", QFile::encodeName(sysfs.path()));
    ParameterUi ui;
    bool linked = false;
    const bool started = ui.start([&](sim::SimLine &line) {
        const QDir tty(sysfs.path());
        const QString port = QFileInfo(line.slavePath()).fileName() + QStringLiteral("/device");
        QFile timer(tty.filePath(port + QStringLiteral("/latency_timer")));
        linked = QFile::link(line.slavePath(), name) && tty.mkpath(port) && tty.mkpath(QStringLiteral("drivers/ftdi_sio"))
              && QFile::link(tty.filePath(QStringLiteral("drivers/ftdi_sio")), tty.filePath(port + QStringLiteral("/driver")))
              && timer.open(QIODevice::WriteOnly) && timer.write("16\n") == 3;
    });
    qunsetenv("ZYNT_SERIAL_BY_ID");
    qunsetenv("ZYNT_SYSFS_TTY");
    QVERIFY(started && linked);
    TForm1 *f = ui.f;
    QCOMPARE(f->size(), QSize(650, 480));
    const QString dot = QStringLiteral("  \u00b7  ");
    const QString whole = name + dot + QStringLiteral("38400 Baud") + dot + QStringLiteral("ftdi_sio Latenz 16 ms") + dot
                        + QStringLiteral("Adresse 1") + dot + QStringLiteral("Version 041200");
    QTRY_COMPARE_WITH_TIMEOUT(f->DriveHeader->toolTip(), whole, ParameterUi::kWait);
    // The status bar named the slow adapter and its fix once, however often
    // the header is shown again.
    f->showDriveHeader();
    int notes = 0;
    for (const statusline::Entry &entry : f->StatusLine->history().entries())
        notes += entry.text.contains(QStringLiteral("latency_timer")) ? 1 : 0;
    QCOMPARE(notes, 1);
    // At the design size it is in the window, whole or elided, and covers
    // none of the controls shown.
    QVERIFY(f->DriveHeader->isVisible());
    QVERIFY(f->centralWidget()->rect().contains(f->DriveHeader->geometry()));
    const QFontMetrics metrics(f->DriveHeader->font());
    QVERIFY2(metrics.horizontalAdvance(f->DriveHeader->text()) <= f->DriveHeader->width(),
             qPrintable(f->DriveHeader->text()));
    QVERIFY(f->DriveHeader->text().endsWith(dot + QStringLiteral("Version 041200")));
    for (QWidget *w : f->centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (w != f->DriveHeader && w->isVisible())
            QVERIFY2(!w->geometry().intersects(f->DriveHeader->geometry()), qPrintable(w->objectName() + w->metaObject()->className()));
    }
    QVERIFY(savePicture(f, "drive-header.png"));
    // Enlarged, the window has room for the whole of it.
    f->resize(1100, 600);
    QTRY_COMPARE_WITH_TIMEOUT(f->DriveHeader->text(), whole, ParameterUi::kWait);
    QCOMPARE(f->DriveHeader->y(), 421 + 120);
}

QTEST_MAIN(TestWindowSize)
#include "test_windowsize.moc"
