// SPDX-License-Identifier: GPL-3.0-or-later
// Whole texts at the design size: a long status message shortened in its
// middle, whole in its tooltip and in the list of the last messages; a
// position shown whole in both windows.
#include "tests/shell/picture.h"
#include "tests/shell/shellfixture.h"

#include "manual/window/tform2.h"
#include "shell/window/tstatusline.h"

#include <QPainter>
#include <QRegularExpression>
#include <QToolButton>
#include <QTextEdit>

namespace {

bool whole(const QLabel *label)
{
    return QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->contentsRect().width();
}

} // namespace

class TestWholeTexts : public QObject {
    Q_OBJECT
private slots:
    void longMessagesAndTheirList();
    void positionsShowWhole();
};

void TestWholeTexts::longMessagesAndTheirList()
{
    ShellFixture fx;
    QVERIFY(fx.startConnected());
    TForm1 &f = *fx.form;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(f.size(), QSize(650, 480));
    TStatusLine *line = f.StatusLine;

    const QString saved = QStringLiteral("Programm gespeichert in /tmp/a.prg");
    f.statusNote(saved);
    QCOMPARE(line->shownText(), saved);
    QVERIFY(line->toolTip().isEmpty());

    const QString recording = QStringLiteral("Aufzeichnung gespeichert (377 Zeilen): /home/technik/.local/share/zynt/"
                                             "recordings/2026-12-10T09-14-03_COM1_1-ad.csv");
    const QString backup = QStringLiteral("Die Parameter der ZYNT wurden gesichert: /home/technik/.local/share/zynt/"
                                          "backups/2026-12-10T09-15-44_COM1_1.par");
    const QString wait = QStringLiteral("Bitte warten - Programm wird in ZYNT geschrieben");
    for (const QString &text : {recording, wait, backup}) {
        f.statusNote(text);
        QCOMPARE(line->currentMessage(), text);
    }
    // The newest is too long for the line: its beginning and its end show.
    const QString shown = line->shownText();
    QVERIFY2(shown.size() < backup.size() && shown.contains(QChar(0x2026)), qPrintable(shown));
    QVERIFY2(shown.startsWith(QStringLiteral("Die Parameter")) && shown.endsWith(QStringLiteral("COM1_1.par")),
             qPrintable(shown));
    QCOMPARE(line->toolTip(), backup);
    const QPixmap main = f.grab();

    // The list from the status line: every message with its time, the newest first.
    QTest::mouseClick(line->HistoryButton, Qt::LeftButton);
    QTRY_VERIFY(line->HistoryWindow && line->HistoryWindow->isVisible());
    // The program's own messages of the start may stand among ours; ours
    // are there, whole, the newest first, each after its time.
    const auto listed = [line] { return line->HistoryWindow->List->toPlainText(); };
    qsizetype before = -1;
    for (const QString &text : {backup, wait, recording, saved}) {
        const QRegularExpression timed(QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\n") + QRegularExpression::escape(text));
        const QRegularExpressionMatch found = timed.match(listed());
        QVERIFY2(found.hasMatch(), qPrintable(text));
        QVERIFY(found.capturedStart() > before);
        before = found.capturedStart();
    }
    // A message while the list is open joins it at the top.
    const QString cancelled = QStringLiteral("Abgebrochen: es wurde nichts geschrieben.");
    f.statusNote(cancelled);
    QVERIFY2(listed().indexOf(cancelled) < listed().indexOf(backup), qPrintable(listed()));

    // The picture: the main window's status line above the list.
    QVERIFY(QTest::qWaitForWindowExposed(line->HistoryWindow));
    const QPixmap history = line->HistoryWindow->grab();
    QPixmap both(std::max(main.width(), history.width()), main.height() + history.height() + 8);
    both.fill(Qt::darkGray);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, main);
    painter.drawPixmap(0, main.height() + 8, history);
    painter.end();
    QVERIFY(both.save(pictureFolder() + QStringLiteral("/status-history.png")));
}

void TestWholeTexts::positionsShowWhole()
{
    ShellFixture fx;
    QVERIFY(fx.start({}, {}, {}, false));
    TForm1 &f = *fx.form;
    f.show();
    f.Form2->show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    f.Timer6Timer(); // the end of the splash shows the position
    QVERIFY(f.Label5->isVisible());
    const QRect designCaption = f.Position->geometry();
    const QRect designValue = f.Label5->geometry();
    for (const QString &position : {QStringLiteral("0"), QStringLiteral("10074"), QStringLiteral("-1234567"),
                                    QStringLiteral("-2147483648")}) {
        f.showPosition(position);
        for (const QLabel *label : {f.Label5, f.Form2->Label5}) {
            QCOMPARE(label->text(), position);
            QVERIFY2(whole(label), qPrintable(position));
        }
        // It keeps clear of the search field and of the drive's picture.
        QVERIFY(f.Position->x() > f.ParameterSearch->geometry().right());
        QVERIFY(f.Label5->geometry().right() < f.Image2->x());
        QVERIFY(!f.Position->geometry().intersects(f.Label5->geometry()));
    }
    f.showPosition(QStringLiteral("-1234567"));
    QVERIFY(savePicture(&f, "position-long.png"));
    QVERIFY(savePicture(f.Form2, "position-long-manual.png"));
    // A short number again stands where it always stood, in its own font.
    f.showPosition(QStringLiteral("10"));
    QCOMPARE(f.Position->geometry(), designCaption);
    QCOMPARE(f.Label5->geometry(), designValue);
    QVERIFY(f.Label5->font().bold());
    QCOMPARE(f.Label5->font().pointSizeF(), f.font().pointSizeF());
}

QTEST_MAIN(TestWholeTexts)
#include "test_wholetexts.moc"
