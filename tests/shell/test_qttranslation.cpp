// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts follow the interface's language: the standard buttons of
// the program's message boxes and its file dialog read German while the
// interface is German and English while it is English, whether the language
// menu or the drive's language answer switched it.
#include "tests/program/programfixture.h"

#include "shell/window/filedialogs.h"
#include "shell/translation.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>

namespace {

QString withoutMnemonic(QString text) { return text.remove(QLatin1Char('&')); }

// Asks for a program write whose fifth line is empty: the program's question
// (OK or Cancel) comes up and the fixture cancels it. The labels of its
// buttons, mnemonics removed; empty when no question came.
QHash<QMessageBox::StandardButton, QString> truncationQuestion(ProgramFixture &fx)
{
    QByteArrayList lines = ProgramFixture::numbered(8);
    lines[4] = QByteArray();
    fx.setLines(lines);
    const qsizetype before = fx.shell.buttonTexts.size();
    fx.shell.answers = {QMessageBox::Cancel};
    QTest::mouseClick(fx.f->Liste_Speichern, Qt::LeftButton);
    if (fx.shell.buttonTexts.size() != before + 1)
        return {};
    QHash<QMessageBox::StandardButton, QString> labels = fx.shell.buttonTexts.constLast();
    for (QString &label : labels)
        label = withoutMnemonic(label);
    return labels;
}

// The program's own open dialog, as it comes up, is read and cancelled. The
// labels of its buttons, mnemonics removed.
QStringList openDialogButtons()
{
    QStringList labels;
    QTimer::singleShot(50, [&labels] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (auto *box = dialog->findChild<QDialogButtonBox *>()) {
            for (QAbstractButton *button : box->buttons())
                labels << withoutMnemonic(button->text());
        }
        dialog->reject();
    });
    FileDialogRequest request;
    request.title = QStringLiteral("Open");
    request.defaultSuffix = QStringLiteral("par");
    request.fileName = QStringLiteral("*.par");
    request.filter = QStringLiteral("ZYNT Parameter Files (*.par)|*.par|All files (*.*)|*.*");
    runFileDialog(request);
    labels.sort();
    return labels;
}

} // namespace

class TestQtTranslation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void languageMenuSwitchesQtsTexts();
    void driveLanguageAnswerSwitchesQtsTexts();
};

void TestQtTranslation::initTestCase()
{
    // Without Debian's qt6-translations-l10n every check below would fail
    // for a reason that has nothing to do with the program.
    QVERIFY2(QFileInfo::exists(translation::germanCatalogue()),
             qPrintable(translation::germanCatalogue() + QStringLiteral(" is missing (qt6-translations-l10n)")));
}

void TestQtTranslation::languageMenuSwitchesQtsTexts()
{
    ProgramFixture fx;
    QVERIFY(fx.start());
    TForm1 *f = fx.f;
    QCOMPARE(f->Sprache, 1);

    // German from the start.
    QHash<QMessageBox::StandardButton, QString> labels = truncationQuestion(fx);
    QCOMPARE(labels.value(QMessageBox::Cancel), QStringLiteral("Abbrechen"));
    QCOMPARE(labels.value(QMessageBox::Ok), QStringLiteral("OK"));
    QCOMPARE(openDialogButtons(), (QStringList {QStringLiteral("Abbrechen"), QStringLiteral("Öffnen")}));

    f->english1->trigger();
    QCOMPARE(f->Sprache, 2);
    labels = truncationQuestion(fx);
    QCOMPARE(labels.value(QMessageBox::Cancel), QStringLiteral("Cancel"));
    QCOMPARE(openDialogButtons(), (QStringList {QStringLiteral("Cancel"), QStringLiteral("Open")}));

    // Back and forth: each switch takes effect, not only the first.
    f->Deutsch1->trigger();
    QCOMPARE(f->Sprache, 1);
    QCOMPARE(truncationQuestion(fx).value(QMessageBox::Cancel), QStringLiteral("Abbrechen"));
    f->Deutsch1->trigger(); // choosing it again changes nothing
    QCOMPARE(truncationQuestion(fx).value(QMessageBox::Cancel), QStringLiteral("Abbrechen"));
    f->english1->trigger();
    QCOMPARE(truncationQuestion(fx).value(QMessageBox::Cancel), QStringLiteral("Cancel"));

    // The menu told the drive each time; the cancelled writes sent nothing.
    QVERIFY(fx.idle());
    QCOMPARE(fx.sent(), (QList<QByteArray> {"#1P265=1\r", "#1P265=0\r", "#1P265=0\r", "#1P265=1\r"}));
}

void TestQtTranslation::driveLanguageAnswerSwitchesQtsTexts()
{
    // The drive answers at the connection that it keeps English; the start
    // had made Qt German, the answer makes it English.
    ProgramFixture fx;
    QVERIFY(fx.start([](sim::SimLine &line) { line.withDrive(1, [](sim::Drive &d) { d.values["P265"] = "1"; }); }));
    TForm1 *f = fx.f;
    QTRY_COMPARE_WITH_TIMEOUT(f->Sprache, 2, kWait);
    QCOMPARE(truncationQuestion(fx).value(QMessageBox::Cancel), QStringLiteral("Cancel"));
    QCOMPARE(openDialogButtons(), (QStringList {QStringLiteral("Cancel"), QStringLiteral("Open")}));

    // The drive is set to German elsewhere and asked again, as a connection
    // asks it: its answer alone makes Qt German, and English again.
    const auto driveSays = [&](const char *value) {
        fx.line().withDrive(1, [value](sim::Drive &d) { d.values["P265"] = value; });
        f->Core->queueCommand("P265?", CommandKind::Language);
    };
    driveSays("0");
    QTRY_COMPARE_WITH_TIMEOUT(f->Sprache, 1, kWait);
    QVERIFY(fx.idle());
    QCOMPARE(truncationQuestion(fx).value(QMessageBox::Cancel), QStringLiteral("Abbrechen"));
    driveSays("1");
    QTRY_COMPARE_WITH_TIMEOUT(f->Sprache, 2, kWait);
    QVERIFY(fx.idle());
    QCOMPARE(truncationQuestion(fx).value(QMessageBox::Cancel), QStringLiteral("Cancel"));
}

QTEST_MAIN(TestQtTranslation)
#include "test_qttranslation.moc"
