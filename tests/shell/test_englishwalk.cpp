// SPDX-License-Identifier: GPL-3.0-or-later
// In English the program speaks English everywhere: a user switches the
// language and walks every window, menu and dialog; a visible German text
// is a fault unless it is a caption the window keeps in every language.
// Without Qt's own catalogue, the standard buttons still follow the
// language through the program's catalogues.
#include "tests/program/programfixture.h"
#include "tests/shell/picture.h"

#include "manual/window/tform2.h"
#include "manual/window/tplotwindow.h"
#include "parameters/window/writeback_dialog.h"
#include "program/window/tokbottomdlg.h"
#include "shell/translation.h"
#include "shell/window/tstatusline.h"
#include "shell/window/tterminalwindow.h"

#include <QGroupBox>
#include <QToolButton>
#include <QMenuBar>
#include <QPainter>
#include <QRegularExpression>
#include <QStatusBar>

namespace {

// Captions the windows were designed with and keep in both languages: the
// text table does not cover them, so the language switch leaves them.
const QStringList kKeptCaptions = {
    "Neuer Wert", "Aktuelles Kommando :", "Nächstes Kommando :", "ZYNT-Programm", "Hilfedatei",
    "ZYNT Firmware Version", "Master", "ON", "OFF", "Start Programm", "Teach IN", "RS232 Stop", "RS232 Start",
    "Master running", "Baudrate", "Hardwarehandshake", "ZYNT Programmiersoftware Version V 1.04",
};

QString plain(QString text)
{
    text.remove(QLatin1Char('&'));
    return text.simplified();
}

bool kept(const QString &text, const QStringList &alsoKept)
{
    const QString t = plain(text);
    return kKeptCaptions.contains(t) || alsoKept.contains(t) || t.startsWith(QStringLiteral("ZYNT-EEProm Programm - address"));
}

// German letters, or a word only German has among the program's texts.
bool looksGerman(const QString &text)
{
    static const QRegularExpression marks(
        QStringLiteral("[äöüÄÖÜß]|\\b(der|die|das|und|nicht|ist|wird|werden|wurde|wurden|bitte|zeile|zeilen|datei|"
                       "fehler|speichern|schließen|abbrechen|suchen|lesen|schreiben|gespeichert|geladen|verbindung|"
                       "sicherung|aufzeichnen|aufzeichnung|verlauf|weiter|anhalten|zeitraum|zeitstempel|angehakte|"
                       "keine|alle|programm|eingabe|gesendet|antrieb|ausgang|links|rechts|langsam|schnell|"
                       "beschleunigung|geschwindigkeit|warnung|zeilenmodus|senden|bezeichnung|beschreibung|"
                       "neu|ja|nein)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return marks.match(plain(text)).hasMatch();
}

// The texts a user sees in a window: its title, the captions of its
// visible labels, buttons and frames, placeholders of empty fields, the
// headings of its tables and its status bar.
QStringList visibleTexts(QWidget *window)
{
    QStringList texts {window->windowTitle()};
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window))
            continue;
        if (auto *label = qobject_cast<QLabel *>(w))
            texts << label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            texts << button->text();
        else if (auto *frame = qobject_cast<QGroupBox *>(w))
            texts << frame->title();
        else if (auto *edit = qobject_cast<QLineEdit *>(w); edit && edit->text().isEmpty())
            texts << edit->placeholderText();
        else if (auto *status = qobject_cast<QStatusBar *>(w))
            texts << status->currentMessage();
        if (auto *table = qobject_cast<QTableWidget *>(w)) {
            for (int c = 0; c < table->columnCount(); ++c) {
                if (const QTableWidgetItem *heading = table->horizontalHeaderItem(c))
                    texts << heading->text();
            }
        }
    }
    return texts;
}

void menuTexts(const QList<QAction *> &actions, QStringList &texts)
{
    for (QAction *action : actions) {
        if (!action->isVisible())
            continue;
        texts << action->text();
        if (action->menu())
            menuTexts(action->menu()->actions(), texts);
    }
}

// The German texts among them, with where they were seen.
QStringList german(const QString &where, const QStringList &texts, const QStringList &alsoKept = {})
{
    QStringList found;
    for (const QString &text : texts) {
        if (!text.isEmpty() && !kept(text, alsoKept) && looksGerman(text))
            found << where + QStringLiteral(": \"") + text + QLatin1Char('"');
    }
    return found;
}

// The pictures side by side, two to a row, each scaled to one width.
QImage collage(QList<QImage> pictures)
{
    constexpr int kWidth = 660, kGap = 8;
    int height = 0;
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        if (pictures[i].width() > kWidth)
            pictures[i] = pictures[i].scaledToWidth(kWidth, Qt::SmoothTransformation);
    }
    QList<int> rowTops;
    for (qsizetype i = 0; i < pictures.size(); i += 2) {
        rowTops << height;
        height += std::max(pictures[i].height(), i + 1 < pictures.size() ? pictures[i + 1].height() : 0) + kGap;
    }
    QImage sheet(2 * kWidth + kGap, height, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    for (qsizetype i = 0; i < pictures.size(); ++i)
        painter.drawImage(int(i % 2) * (kWidth + kGap), rowTops[i / 2], pictures[i]);
    return sheet;
}

} // namespace

class TestEnglishWalk : public QObject {
    Q_OBJECT
private slots:
    void keptCaptionsAndGermanWords_data();
    void keptCaptionsAndGermanWords();
    void everyWindowInEnglish();
    void standardButtonsWithoutQtsCatalogue();
};

void TestEnglishWalk::keptCaptionsAndGermanWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fault");
    QTest::newRow("English") << "Write ticked" << false;
    QTest::newRow("umlaut") << "Zeitstempel für" << true;
    QTest::newRow("German word") << "Log speichern" << true;
    QTest::newRow("kept caption") << "Nächstes Kommando :" << false;
    QTest::newRow("program source line") << "ZYNT-EEProm Programm - address 1" << false;
    QTest::newRow("mnemonic") << "&Schließen" << true;
}

void TestEnglishWalk::keptCaptionsAndGermanWords()
{
    QFETCH(QString, text);
    QFETCH(bool, fault);
    QCOMPARE(german(QStringLiteral("row"), {text}).size(), fault ? 1 : 0);
}

void TestEnglishWalk::everyWindowInEnglish()
{
    ProgramFixture fx;
    QVERIFY(fx.start());
    TForm1 *f = fx.f;
    f->english1->trigger();
    QCOMPARE(f->Sprache, 2);
    // Built in German before the drive named its language: it follows.
    QTRY_COMPARE(f->StatusLine->HistoryButton->text(), QStringLiteral("Messages"));
    QStringList found;

    // The parameter page, read from the drive, in both views.
    f->neulesen1->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!f->Core->Timer11->isActive() && f->ProgressBar1->isHidden() && !f->Core->Queue.head()
                                 && f->isEnabled() && f->Parameters.ParameterRowCount > 100,
                             kWait);
    f->nachFunktionSortieren1->trigger();
    found << german(QStringLiteral("basic view"), visibleTexts(f));
    f->ffnen1->trigger();
    found << german(QStringLiteral("parameter page"), visibleTexts(f));
    const QImage parameters = f->grab().toImage();

    // The editor of a numeric parameter, opened from its row.
    int row = 1;
    while (row < f->StringGrid2->rowCount() && f->Parameters.Grid[size_t(row)][params::ColDesignation] != "P41")
        ++row;
    QTableWidgetItem *value = f->StringGrid2->item(row, params::ColValue);
    QVERIFY(value);
    f->StringGrid2->scrollToItem(value);
    QTest::mouseClick(f->StringGrid2->viewport(), Qt::LeftButton, {}, f->StringGrid2->visualItemRect(value).center());
    QTRY_VERIFY_WITH_TIMEOUT(f->GroupBox2->isVisible(), kWait);
    found << german(QStringLiteral("parameter editor"), visibleTexts(f));
    const QImage editor = f->grab().toImage();
    QTest::mouseClick(f->Button10, Qt::LeftButton); // Cancel: nothing is sent

    // Every menu item.
    QStringList menus;
    menuTexts(f->menuBar()->actions(), menus);
    found << german(QStringLiteral("menu"), menus);

    // The program page, read from the drive.
    f->ZYNTffnen1->trigger();
    QVERIFY(fx.idle());
    QTRY_VERIFY2_WITH_TIMEOUT(f->StringGrid1->isVisible() && f->isEnabled(), qPrintable(fx.messages().join('|')),
                              kWait);
    found << german(QStringLiteral("program page"), visibleTexts(f));
    const QImage program = f->grab().toImage();

    // The overwrite question as it asks.
    f->questionLanguage();
    f->OKBottomDlg->show();
    // Its cancel button keeps the caption it was designed with.
    found << german(QStringLiteral("overwrite question"), visibleTexts(f->OKBottomDlg), {"Abbrechen"});
    f->OKBottomDlg->hide();

    // The manual window and its plot.
    f->Manuell1Click();
    QTRY_VERIFY_WITH_TIMEOUT(f->Form2->isVisible(), kWait);
    found << german(QStringLiteral("manual window"), visibleTexts(f->Form2));
    QTest::mouseClick(f->Form2->PlotButton, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f->PlotWindow->isVisible(), kWait);
    found << german(QStringLiteral("plot"), visibleTexts(f->PlotWindow));
    const QImage manual = f->Form2->grab().toImage();
    f->PlotWindow->close();
    f->Form2->close();

    // The terminal.
    f->Terminal1Click();
    QTRY_VERIFY_WITH_TIMEOUT(f->Terminal->isVisible(), kWait);
    found << german(QStringLiteral("terminal"), visibleTexts(f->Terminal));
    f->Terminal->close();

    // The comparison before a write-back and the report after it, with a
    // row of the drive's state among them.
    params::CompareRow differing;
    differing.designation = "P41";
    differing.description = "Speed";
    differing.driveValue = "100";
    differing.fileValue = "200";
    differing.writable = true;
    differing.differs = true;
    params::CompareRow state = differing;
    state.designation = "P336";
    state.live = params::liveState("P336");
    state.writable = false;
    f->CompareDialog->setRows({differing, state});
    f->CompareDialog->show();
    found << german(QStringLiteral("comparison"), visibleTexts(f->CompareDialog));
    for (int r = 0; r < f->CompareDialog->Table->rowCount(); ++r) {
        if (const QTableWidgetItem *tick = f->CompareDialog->Table->item(r, 0))
            found << german(QStringLiteral("comparison tip"), {tick->toolTip()});
    }
    const QImage comparison = f->CompareDialog->grab().toImage();
    f->CompareDialog->hide();
    f->VerifyReport->show(2, {params::Difference {"P41", "100", "200"}});
    found << german(QStringLiteral("write report"), visibleTexts(f->VerifyReport));
    f->VerifyReport->hide();

    // Every message box that came up on the way.
    found << german(QStringLiteral("message"), fx.messages());

    QVERIFY(collage({parameters, editor, program, manual, comparison})
                .save(pictureFolder() + QStringLiteral("/english-everywhere.png")));
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
}

void TestEnglishWalk::standardButtonsWithoutQtsCatalogue()
{
    // A machine without qt6-translations-l10n: the program's catalogues
    // alone give the buttons the interface's language.
    const auto buttons = [] {
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Ok | QMessageBox::Cancel);
        return QStringList {plain(box.button(QMessageBox::Ok)->text()), plain(box.button(QMessageBox::Cancel)->text())};
    };
    QVERIFY(translation::followWithoutQt(1));
    QCOMPARE(buttons(), (QStringList {"OK", "Abbrechen"}));
    QVERIFY(translation::followWithoutQt(2));
    QCOMPARE(buttons(), (QStringList {"OK", "Cancel"}));
    QVERIFY(translation::followWithoutQt(1));
    QCOMPARE(buttons(), (QStringList {"OK", "Abbrechen"}));
}

QTEST_MAIN(TestEnglishWalk)
#include "test_englishwalk.moc"
