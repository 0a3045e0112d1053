// SPDX-License-Identifier: GPL-3.0-or-later
// Every window but the main one fits the screen: on an X server of the
// screen's size, with the scale factor a user sets, each window the helper
// opens lies within the screen's free area.
#include <QDir>
#include <QProcess>
#include <QRect>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QtTest>

namespace {

constexpr int kWaitMs = 90000; // a loaded machine starts X servers and programs slowly

// In the order the helper opens them.
const QStringList kWindows = {
    "manual window", "plot window", "terminal window", "program question", "drive error",   "comparison",
    "write-back report", "port selection", "port settings", "help", "status history", "question box",
};

QRect rectOf(const QString &text)
{
    const QStringList n = text.split(QLatin1Char(' '));
    return n.size() == 4 ? QRect(n[0].toInt(), n[1].toInt(), n[2].toInt(), n[3].toInt()) : QRect();
}

// An X server of its own on a free display, ended with the test.
class XServer {
public:
    bool start(const QString &program, const QString &screen)
    {
        // It writes the display number it took to its output once it listens.
        m_server.start(program, {"-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"});
        if (!m_server.waitForStarted(kWaitMs))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (!m_server.canReadLine() && clock.elapsed() < kWaitMs && m_server.state() == QProcess::Running)
            m_server.waitForReadyRead(1000);
        if (!m_server.canReadLine())
            return false;
        bool number = false;
        const int display = m_server.readLine().trimmed().toInt(&number);
        m_display = number ? QStringLiteral(":%1").arg(display) : QString();
        return number;
    }
    QString display() const { return m_display; }
    ~XServer()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.terminate();
        if (!m_server.waitForFinished(kWaitMs))
            m_server.kill();
        m_server.waitForFinished(kWaitMs);
    }

private:
    QProcess m_server;
    QString m_display;
};

} // namespace

class TestScreenFit : public QObject {
    Q_OBJECT
private slots:
    void everyWindowFits_data();
    void everyWindowFits();
};

void TestScreenFit::everyWindowFits_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("scale");
    QTest::newRow("1366 x 768") << QStringLiteral("1366x768x24") << QStringLiteral("1");
    QTest::newRow("2732 x 1536 at twice the size") << QStringLiteral("2732x1536x24") << QStringLiteral("2");
    // Where the plot window had reached past the bottom edge.
    QTest::newRow("1600 x 1000 at twice the size") << QStringLiteral("1600x1000x24") << QStringLiteral("2");
}

void TestScreenFit::everyWindowFits()
{
    QFETCH(QString, screen);
    QFETCH(QString, scale);
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        QSKIP("Xvfb is not installed (Debian package xvfb)");
    XServer server;
    QVERIFY2(server.start(xvfb, screen), "the X server did not start");

    // Under the X server the platform plugin opens the system's D-Bus,
    // whose library keeps a buffer for the life of the process; in the
    // checked build the leak checker must not take it for the program's.
    QTemporaryFile suppressions;
    QVERIFY(suppressions.open() && suppressions.write("leak:libdbus-1.so\n") > 0 && suppressions.flush());

    QProcess helper;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=") + suppressions.fileName()
                                                           + QStringLiteral(":print_suppressions=0"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"), server.display());
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
    environment.remove(QStringLiteral("QT_SCREEN_SCALE_FACTORS"));
    environment.remove(QStringLiteral("QT_AUTO_SCREEN_SCALE_FACTOR"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    helper.setProcessEnvironment(environment);
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("screenfit_helper")), {});
    QVERIFY2(helper.waitForStarted(kWaitMs), qPrintable(helper.errorString()));
    if (!helper.waitForFinished(kWaitMs)) {
        helper.kill();
        helper.waitForFinished(kWaitMs);
        QFAIL("the helper did not finish");
    }
    const QString output = QString::fromUtf8(helper.readAllStandardOutput());
    QVERIFY2(helper.exitStatus() == QProcess::NormalExit && helper.exitCode() == 0, qPrintable(output));

    QStringList seen;
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('|'));
        QVERIFY2(fields.size() == 3, qPrintable(line));
        const QRect frame = rectOf(fields[1]);
        const QRect available = rectOf(fields[2]);
        QVERIFY2(frame.isValid() && available.isValid(), qPrintable(line));
        QVERIFY2(available.contains(frame), qPrintable(QStringLiteral("%1 reaches past the screen: %2").arg(fields[0], line)));
        seen.append(fields[0]);
    }
    QCOMPARE(seen, kWindows);
}

QTEST_GUILESS_MAIN(TestScreenFit)
#include "test_screenfit.moc"
