// SPDX-License-Identifier: GPL-3.0-or-later
// The text table, the language switch of the three windows, the language the
// drive keeps, and the help command.
#include "shell/window/tform1.h"

#include "manual/window/tform2.h"
#include "program/window/tokbottomdlg.h"
#include "shell/cp1252.h"
#include "shell/datafiles.h"
#include "shell/window/helpviewer.h"
#include "shell/translation.h"
#include "shell/window/tterminalwindow.h"
#include "manual/window/tplotwindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

namespace {

void setCaption(QLabel *label, const QByteArray &text) { label->setText(fromCp1252(text)); }
void setCaption(QPushButton *button, const QByteArray &text) { button->setText(fromCp1252(text)); }
void setCaption(QAction *action, const QByteArray &text) { action->setText(fromCp1252(text)); }
void setCaption(QMenu *menu, const QByteArray &text) { menu->setTitle(fromCp1252(text)); }

} // namespace

void TForm1::init_Texte()
{
    Sprache = 1;
    Texte = TextTable();
    const QString path = datafiles::locate(QDir::currentPath(), QStringLiteral("ZYNT-Texte.ini"));
    if (path.isEmpty()) {
        // No texts: every caption stays empty, and the user is told why.
        missingShippedFile(QDir::currentPath(), QStringLiteral("ZYNT-Texte.ini"));
        return;
    }
    // A read error keeps the texts read before it.
    const datafiles::ReadResult read = datafiles::readFile(path);
    Texte = texts::parseTextFile(read.bytes);
    if (!read.error.isEmpty())
        errorBox(toCp1252(read.error));
}

void TForm1::Sprachauswahl(int language, bool reload)
{
    const std::pair<QMenu *, int> menus[] = {
        {Sprache1, 1}, {Datei1, 2}, {Parameter1, 3}, {Info1, 8}, {Schnittstelle1, 15}, {ZYNT1, 17},
    };
    for (const auto &[menu, number] : menus)
        setCaption(menu, text(number));
    const std::pair<QAction *, int> items[] = {
        {Manuell1, 4},       {Achse1, 5},          {Terminal1, 6},       {Beenden2, 7},
        {Deutsch1, 9},       {english1, 10},       {Fileffnen1, 11},     {N1, 12},
        {FileSpeichern1, 13}, {ZYNTffnen1, 14},    {Automatisch1, 16},   {neulesen1, 158},
        {ffnen1, 163},       {nachFunktionSortieren1, 160}, {ParameterSpeichern1, 18},
    };
    for (const auto &[action, number] : items)
        setCaption(action, text(number));

    setCaption(Label3, text(19));
    setCaption(Label4, text(20));
    setCaption(Button5, text(21));
    setCaption(Liste_Speichern, text(22));
    setCaption(Button4, text(23));
    setCaption(Button1, text(24));
    setCaption(Button6, text(25));
    setCaption(Button7, text(26));
    setCaption(Button13, text(27));
    setCaption(Button3, text(28));
    // The demo says so in the title bar, so that nobody takes it for a machine.
    setWindowTitle(fromCp1252(text(62)) + (DemoMode ? tr(" – Demo mit simulierter ZYNT") : QString()));
    for (int column = 0; column < 4; ++column) {
        QTableWidgetItem *cell = StringGrid2->item(0, column);
        if (!cell)
            StringGrid2->setItem(0, column, cell = new QTableWidgetItem);
        cell->setText(fromCp1252(text(64 + column)));
    }
    setCaption(Button8, text(70));
    setCaption(Parameterffnen1, text(71));
    setCaption(Label8, text(72));

    const std::pair<QPushButton *, int> hints[] = {
        {Liste_Speichern, 147}, {Button4, 148}, {Button1, 149}, {Button2, 150},
        {Button6, 151},         {Button7, 152}, {Button12, 153}, {Button14, 154},
    };
    for (const auto &[button, number] : hints)
        button->setToolTip(fromCp1252(text(number)));

    setCaption(Label16, text(178));
    setCaption(Label15, text(172));
    setCaption(ManuellKonfigurieren1, text(177));
    setCaption(Button12, text(Core->TraceMode ? 156 : 155));
    HelpFile = QString::fromLatin1(texts::helpFileName(Sprache));
    // The menu and the drive's answer both end here, and so does the start.
    // Without Qt's catalogue its dialogs stay English; nothing else changes.
    translation::follow(Sprache);
    // The keys after the menu captions, in the names of the language ("Strg").
    showShortcutTexts();

    Terminal->setLanguage(Sprache);
    showDriveHeader();
    if (PlotWindow)
        PlotWindow->setLanguage(Sprache);

    if (reload)
        LoadParameterDescriptions();
    else
        RelabelDescriptions(language);
}

void TForm1::Sprachauswahl_Form2()
{
    if (!Form2)
        return;
    const std::pair<QPushButton *, int> buttons[] = {
        {Form2->Button4, 29}, {Form2->Button6, 30}, {Form2->Button7, 31}, {Form2->Button8, 32},
        {Form2->Button9, 33}, {Form2->Button11, 34}, {Form2->Button13, 35}, {Form2->Button14, 36},
    };
    for (const auto &[button, number] : buttons)
        setCaption(button, text(number));
    const std::pair<QLabel *, int> labels[] = {
        {Form2->Label7, 37},  {Form2->Referenzfahren, 38}, {Form2->Label10, 39}, {Form2->Label4, 40},
        {Form2->Label11, 40}, {Form2->Label14, 41},        {Form2->Label8, 42},  {Form2->Label12, 42},
        {Form2->Label15, 43}, {Form2->Label9, 44},         {Form2->Label13, 44}, {Form2->Label6, 45},
        {Form2->Label16, 46},
    };
    for (const auto &[label, number] : labels)
        setCaption(label, text(number));
    Form2->setWindowTitle(fromCp1252(text(63)));
    for (QLineEdit *edit : Form2->edits())
        edit->setToolTip(fromCp1252(text(225)));
    Form2->showOwnCaptions(Sprache);
}

void TForm1::Sprachauswahl_unit3()
{
    if (OKBottomDlg->showsDriveError())
        return; // the dialog shows a drive error, not the overwrite question
    setCaption(OKBottomDlg->Label1, text(68));
    OKBottomDlg->setWindowTitle(fromCp1252(text(69)));
    OKBottomDlg->CancelBtn->show();
}

void TForm1::Deutsch1Click()
{
    switchLanguage(1);
}

void TForm1::english1Click()
{
    switchLanguage(2);
}

void TForm1::switchLanguage(int language)
{
    Sprache = language;
    Sprachauswahl(Sprache, false);
    // The drive keeps the language: 0 German, 1 English.
    if (Core->DriveConnected == 1)
        Core->queueCommand(language == 1 ? "P265=0" : "P265=1", CommandKind::Plain);
    if (Parameters.BasicViewSelected == 1)
        showBasicView();
}

void TForm1::Hilfedatei1Click()
{
    // The help page of the language, looked up beside the user's files, then
    // in the start directory, then among the shipped files, and shown in the
    // program's own help window; each opening shows the language's page.
    const QString path = help::locatePage(QDir::currentPath(), StartDirectory, HelpFile);
    if (path.isEmpty()) {
        errorBox(toCp1252(tr("Die Hilfedatei %1 wurde nicht gefunden.").arg(HelpFile)));
        return;
    }
    const QString error = help::readError(path);
    if (!error.isEmpty()) {
        errorBox(toCp1252(tr("Die Hilfedatei %1 konnte nicht geöffnet werden.").arg(path)
                          + QStringLiteral("\n") + error));
        return;
    }
    HelpViewer::showPage(this, path);
}
