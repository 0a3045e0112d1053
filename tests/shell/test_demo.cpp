// SPDX-License-Identifier: GPL-3.0-or-later
// The demo as the window sees it: the simulated drive of zynt-sim in a folder
// of its own, the window connected to it and saying "Demo" in its title.
#include "picture.h"
#include "serial/tserial.h"
#include "shell/demo.h"
#include "shell/window/tform1.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestDemo : public QObject {
    Q_OBJECT
private slots:
    void windowConnectsToTheDemoDrive();
    void missingSimulatorIsSaid();
};

void TestDemo::windowConnectsToTheDemoDrive()
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString before = QDir::currentPath();
    QString folder;
    qint64 sim = 0;
    {
        demo::Demo simulated;
        const QString simulator = demo::simulatorProgram(qEnvironmentVariable("ZYNT_BINARY_DIR"));
        QVERIFY(simulator.endsWith(QLatin1String("/zynt-sim")));
        QCOMPARE(simulated.start(simulator), QString());
        folder = simulated.folder();
        sim = simulated.simulatorPid();
        QVERIFY(folder.startsWith(runtime.path() + QStringLiteral("/zynt-demo-")));
        QCOMPARE(QDir::currentPath(), QDir(folder).canonicalPath());
        serialports::reinitialisePortTable();
        {
            TForm1 form;
            form.DemoMode = true;
            form.FormCreate();
            form.show();
            // Connected: the drive named its version, and nothing waits.
            QVERIFY(QTest::qWaitFor([&form] { return form.isEnabled() && !form.Core->Queue.head()
                                                         && !form.Core->DriveAddress.isEmpty(); }, 30000));
            QVERIFY2(form.windowTitle().endsWith(QStringLiteral(" – Demo mit simulierter ZYNT")), qPrintable(form.windowTitle()));
            QVERIFY2(form.DriveHeader->toolTip().endsWith(QStringLiteral("Demo mit simulierter ZYNT")),
                     qPrintable(form.DriveHeader->toolTip()));
            QTest::qWait(1500); // the first status cycles fill the displays
            QVERIFY(savePicture(&form, "demo-window.png"));
        }
    }
    // The drive and its folder end with the demo.
    QVERIFY(QTest::qWaitFor([sim] { return ::kill(pid_t(sim), 0) != 0; }, 5000));
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(QDir::currentPath() != folder);
    QDir::setCurrent(before);
}

void TestDemo::missingSimulatorIsSaid()
{
    demo::Demo simulated;
    const QString error = simulated.start(QString());
    QVERIFY2(error.contains(QLatin1String("zynt-sim")), qPrintable(error));
    QVERIFY(simulated.folder().isEmpty());
}

QTEST_MAIN(TestDemo)
#include "test_demo.moc"
