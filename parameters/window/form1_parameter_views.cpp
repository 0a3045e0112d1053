// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter grid as the view of the parameter model: the basic view, the
// view of all parameters, and the buttons that switch between them.
#include "shell/window/tform1.h"

#include "parameters/editortable.h"
#include "parameters/parameterfile.h"
#include "parameters/views.h"
#include "shell/cp1252.h"

#include <QBrush>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTableWidget>

void TForm1::showParameterGrid()
{
    // Row 0 is the heading the language switch writes; the rows below show
    // the model's cells. Columns 0 to 2 look fixed: only values change.
    const int rows = std::clamp(Parameters.GridRowCount, 1, params::kRecords + 1);
    StringGrid2->setRowCount(rows);
    const QBrush fixed = palette().brush(QPalette::Button);
    const QBrush changed(QColor(0xFF, 0xF2, 0xB3));
    for (int row = 1; row < rows; ++row) {
        const params::GridRow &cells = Parameters.Grid[size_t(row)];
        for (int column = 0; column < 4; ++column) {
            QTableWidgetItem *cell = StringGrid2->item(row, column);
            if (!cell) {
                cell = new QTableWidgetItem;
                cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                if (column < 3)
                    cell->setBackground(fixed);
                StringGrid2->setItem(row, column, cell);
            }
            const QString text = fromCp1252(cells[size_t(column)]);
            if (cell->text() != text)
                cell->setText(text);
        }
        // A value changed since the last read is marked until the next one.
        QTableWidgetItem *value = StringGrid2->item(row, params::ColValue);
        const bool isChanged = ChangedParameters.count(cells[params::ColDesignation]) > 0;
        if (value->font().bold() != isChanged) {
            QFont font = value->font();
            font.setBold(isChanged);
            value->setFont(font);
            value->setBackground(isChanged ? changed : QBrush());
        }
        // An option's number stays in the cell; its meaning is the tooltip.
        QString tip;
        const std::optional<int> number = params::clickedParameterNumber(cells[params::ColDesignation]);
        if (const params::EditorRule *rule = number ? params::editorFor(*number) : nullptr;
            rule && rule->kind == params::EditorKind::Options) {
            if (const std::optional<int> option = params::optionForValue(*rule, cells[params::ColValue])) {
                const QList<QByteArray> texts = params::optionTexts(*rule, Texte, Sprache);
                if (*option >= 0 && *option < texts.size())
                    tip = fromCp1252(texts[*option]);
            }
        }
        if (value->toolTip() != tip)
            value->setToolTip(tip);
    }
    ParameterSearch->setPlaceholderText(tr("Suchen"));
    applyParameterSearch();
}

void TForm1::applyParameterSearch()
{
    // The rows stay in the grid (the write-back and the files use them); the
    // ones that do not match are only hidden.
    const QString wanted = ParameterSearch ? ParameterSearch->text().trimmed() : QString();
    for (int row = 1; row < StringGrid2->rowCount(); ++row) {
        const QTableWidgetItem *description = StringGrid2->item(row, params::ColDescription);
        const QTableWidgetItem *designation = StringGrid2->item(row, params::ColDesignation);
        const bool match = wanted.isEmpty()
                        || (description && description->text().contains(wanted, Qt::CaseInsensitive))
                        || (designation && designation->text().contains(wanted, Qt::CaseInsensitive));
        if (StringGrid2->isRowHidden(row) == match)
            StringGrid2->setRowHidden(row, !match);
    }
}

void TForm1::showBasicView()
{
    if (ShownFile) {
        showFileView(true);
        return;
    }
    Button8->hide(); // the write-back is not offered in this view
    params::Grundparameter_Anzeigen(Parameters, Sprache, Texte);
    showParameterGrid();
}

void TForm1::Alle_Parameter_Anzeigen()
{
    // A loaded file needs no drive to be shown.
    if (!ShownFile && Core->DriveConnected != 1)
        return;
    hideProgramControls();
    for (QWidget *w : std::initializer_list<QWidget *> {Label11, Button12, Button14, Label9, Label10})
        w->hide();
    for (QWidget *w : std::initializer_list<QWidget *> {Label7, StringGrid2, Button5, Button3})
        w->show();
    if (ShownFile) {
        showFileView(false);
        return;
    }
    Core->LinkState = 0;
    Button8->hide();
    params::Alle_Parameter_Anzeigen(Parameters, Sprache);
    showParameterGrid();
}

void TForm1::showFileView(bool basic)
{
    // Either view shows the file's rows, never the drive's under the file's
    // name; the write-back works on the whole file in both. The page shown
    // stays as it is.
    if (basic)
        params::showFileBasicView(Parameters, Sprache, Texte, ShownFile->rows);
    else
        params::showFileRows(Parameters, Sprache, ShownFile->rows);
    Label7->setText(params::shortenedFileName(ShownFile->name));
    if (!StringGrid2->isHidden()) {
        Label7->show();
        Button8->show();
    }
    showParameterGrid();
}

void TForm1::nachFunktionSortieren1Click()
{
    Parameters.BasicViewSelected = 1;
    showBasicView();
}

void TForm1::ffnen1Click()
{
    Parameters.BasicViewSelected = 0;
    Alle_Parameter_Anzeigen();
}

void TForm1::hideProgramControls()
{
    for (QWidget *w : std::initializer_list<QWidget *> {StringGrid1, Button5, Liste_Speichern, Button4, Button1,
                                                        Button2, Button6, Button16, Button7})
        w->hide();
}

void TForm1::BitBtn2Click()
{
    if (!StringGrid2->isHidden()) {
        if (Parameters.BasicViewSelected == 1) {
            Alle_Parameter_Anzeigen();
            Parameters.BasicViewSelected = 0;
        } else {
            showBasicView();
            Parameters.BasicViewSelected = 1;
        }
    }
    hideProgramControls();
    for (QWidget *w : std::initializer_list<QWidget *> {Label11, Button12, Button14, Label9, Label10})
        w->hide();
    for (QWidget *w : std::initializer_list<QWidget *> {Label7, StringGrid2, Button5, Button3})
        w->show();
    Button8->setVisible(ShownFile.has_value()); // offered while a loaded file is shown
    // A list that was never read is read now.
    if (Label7->text() == QLatin1String(kLabel7Design))
        neulesen1Click();
}

void TForm1::BitBtn3Click()
{
    if (!StringGrid1->isHidden()) {
        BitBtn1->setFocus();
        ZYNTffnen1Click();
    } else {
        BitBtn2->setFocus();
        neulesen1Click();
    }
}
