// SPDX-License-Identifier: GPL-3.0-or-later
// The value editors of the parameter grid: a click on a row opens the editor
// its parameter number has in the editor table, OK stores and sends the new
// value, Cancel discards it, Enter on a row sends the row's value again.
#include "shell/window/tform1.h"

#include "manual/window/tform2.h"
#include "parameters/compare.h"
#include "parameters/designations.h"
#include "parameters/editortable.h"
#include "parameters/views.h"
#include "shell/window/controls.h"
#include "shell/cp1252.h"
#include "shell/window/tradiogroup.h"

#include <QCheckBox>
#include <QStyle>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>

namespace {

constexpr int kEditorWidth = 306;
constexpr int kPairGap = 2;

} // namespace

QByteArray TForm1::currentDesignation() const
{
    const int row = StringGrid2->currentRow();
    if (row < 1 || row > params::kRecords)
        return {};
    return Parameters.Grid[size_t(row)][params::ColDesignation];
}

QByteArray TForm1::currentValue() const
{
    const int row = StringGrid2->currentRow();
    if (row < 1 || row > params::kRecords)
        return {};
    return Parameters.Grid[size_t(row)][params::ColValue];
}

void TForm1::setHelpContext(QWidget *control, int context)
{
    control->setProperty("helpContext", context);
}

void TForm1::StringGrid2Click()
{
    const QByteArray designation = currentDesignation();
    if (const std::optional<int> number = params::clickedParameterNumber(designation)) {
        const int n = *number;
        RadioGroup1->setColumns(1);
        RadioGroup1->setGeometry(editorLeft(kEditorLeft), params::kOptionGroupTop, kEditorWidth, params::kOptionGroupHeight);
        GroupBox1->move(editorLeft(kEditorLeft), params::kBitGroupTop);
        EditedParameterNumber = n;
        HelpContext = n;
        setHelpContext(StringGrid2, n);
        if (const params::EditorRule *rule = params::editorFor(n))
            openEditor(*rule, n);
    }
    setHelpContext(StringGrid2, params::gridHelpContext(designation));
}

void TForm1::openEditor(const params::EditorRule &rule, int n)
{
    using params::EditorKind;
    QWidget *control = nullptr;
    switch (rule.kind) {
    case EditorKind::Numeric: {
        Edit1->setText(fromCp1252(currentValue()));
        // The value is named: which parameter, and in which unit.
        const int row = StringGrid2->currentRow();
        const params::GridRow &cells = Parameters.Grid[size_t(row)];
        const QString name = fromCp1252(cells[params::ColDesignation].trimmed()) + QStringLiteral("  ")
                           + fromCp1252(cells[params::ColDescription].trimmed());
        EditName->setText(EditName->fontMetrics().elidedText(name, Qt::ElideRight, EditName->width()));
        EditName->setToolTip(name);
        EditUnit->setText(fromCp1252(cells[params::ColUnit].trimmed()));
        GroupBox2->show();
        GroupBox2->raise();
        for (QWidget *w : std::initializer_list<QWidget *> {Panel1, Button9, Button10})
            w->show();
        Window_enable(false);
        EditorEscape->setEnabled(true);
        Edit1->setFocus();
        control = Edit1;
        break;
    }
    case EditorKind::Options: {
        init_parameter_aendern(true);
        RadioGroup1->setToolTip(fromCp1252(params::hintText(rule, Texte, Sprache)));
        RadioGroup1->setTitle(fromCp1252(params::captionText(rule, Texte, Sprache)));
        const QList<QByteArray> options = params::optionTexts(rule, Texte, Sprache);
        for (const QByteArray &option : options)
            RadioGroup1->addItem(fromCp1252(option));
        EditorOptionCount += int(options.size());
        RadioGroup1->setColumns(rule.columns);
        if (rule.groupTop)
            RadioGroup1->setGeometry(editorLeft(kEditorLeft), rule.groupTop, kEditorWidth, rule.groupHeight);
        if (params::showsPanel2(rule)) {
            Panel2->setGeometry(RadioGroup1->geometry().adjusted(-4, -4, 4, 4));
            Panel2->show();
            RadioGroup1->raise();
        }
        RadioGroup1->setItemIndex(params::optionForValue(rule, currentValue()).value_or(-1));
        if (rule.focusOnGroup)
            RadioGroup1->setFocus();
        control = RadioGroup1;
        break;
    }
    case EditorKind::Bits: {
        if (rule.sixteenBoxes && n <= 1068 && Parameters.AllViewRowsIndexed == 0) {
            // The boxes are labelled from the drive's listing: the whole list
            // is shown, and the edited parameter's row becomes current.
            ffnen1Click();
            const int row = Parameters.MaskParameterRows[size_t(n - 1060)];
            if (row > 0) {
                StringGrid2->setCurrentCell(row, params::ColValue);
                StringGrid2->scrollToItem(StringGrid2->item(row, params::ColValue));
            }
        }
        init_parameter_aendern(false);
        GroupBox1->setGeometry(editorLeft(kEditorLeft), rule.groupTop ? rule.groupTop : params::kBitGroupTop, kEditorWidth,
                               rule.groupHeight);
        GroupBox1->setTitle(fromCp1252(params::captionText(rule, Texte, Sprache)));
        checkbox10_17_visible(rule.sixteenBoxes);
        const QList<QByteArray> labels = params::boxLabels(rule, n, Texte, Sprache, Parameters.ListingDesignations);
        for (int bit = 0; bit < 16; ++bit) {
            QCheckBox *box = CheckBox[size_t(params::checkBoxOfBit(bit))];
            box->setText(bit < labels.size() ? fromCp1252(labels[bit]) : QString());
            if (bit < rule.widenedBoxes)
                box->resize(rule.widenedWidth, box->height());
            fitBoxLabel(box);
        }
        checkbox_werte(params::valueFlags(currentValue()));
        control = GroupBox1;
        break;
    }
    case EditorKind::ThreePairs: {
        init_parameter_aendern(true);
        const std::array<params::PairGroup, 3> groups = params::threePairGroups(Texte, Sprache);
        const std::array<int, 3> selected = params::threePairSelection(currentValue());
        TRadioGroup *const pairs[3] = {RadioGroup1, RadioGroup2, RadioGroup3};
        for (size_t g = 0; g < 3; ++g) {
            TRadioGroup *group = pairs[g];
            group->setGeometry(editorLeft(kEditorLeft), params::kPairGroupTop + int(g) * (params::kPairGroupHeight + kPairGap),
                               kEditorWidth, params::kPairGroupHeight);
            group->setTitle(fromCp1252(groups[g].caption));
            for (const QByteArray &option : groups[g].options)
                group->addItem(fromCp1252(option));
            group->setColumns(2);
            group->setItemIndex(selected[g]);
            group->show();
            group->raise();
        }
        RadioGroup1->setToolTip(fromCp1252(groups[0].hint));
        EditorOptionCount += 2;
        control = RadioGroup1;
        break;
    }
    case EditorKind::Confirm:
        confirmAndSend(rule);
        return;
    }
    if (const std::optional<int> context = params::editorHelpContext(n))
        setHelpContext(control, *context);
}

void TForm1::confirmAndSend(const params::EditorRule &rule)
{
    if (Core->Owner.holds(line::Activity::Master) || refusedWhileLinkLost())
        return;
    // Two questions: nothing is sent unless both are answered yes.
    QMessageBox question(QMessageBox::Question, windowTitle(), fromCp1252(text(rule.question)),
                         QMessageBox::Yes | QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return;
    QMessageBox warning(QMessageBox::Warning, windowTitle(), fromCp1252(text(rule.warning)),
                        QMessageBox::Ok | QMessageBox::Cancel);
    if (warning.exec() != QMessageBox::Ok)
        return;
    Core->queueCommandTo(QByteArray::number(Core->FoundAddresses[1]), rule.command, CommandKind::Plain);
}

void TForm1::init_parameter_aendern(bool optionList)
{
    RadioGroup1->setVisible(optionList);
    GroupBox1->setVisible(!optionList);
    QWidget *shown = optionList ? static_cast<QWidget *>(RadioGroup1) : GroupBox1;
    shown->raise();
    shown->setFocus();
    for (QWidget *w : std::initializer_list<QWidget *> {Button9, Button10, Panel1})
        w->show();
    Panel1->raise();
    Window_enable(false);
    EditorEscape->setEnabled(true);
}

void TForm1::checkbox_werte(uint16_t flags)
{
    const params::CheckBoxes ticked = params::checkbox_werte(flags);
    for (int box = 1; box <= 17; ++box) {
        if (box != 9)
            CheckBox[size_t(box)]->setChecked(ticked[size_t(box)]);
    }
}

void TForm1::fitBoxLabel(QCheckBox *box)
{
    // The narrow boxes were laid out for a smaller font than this system's:
    // a designation of eleven characters is shown whole in a smaller one.
    const int room = box->width() - box->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) -
                     box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box) - 2;
    box->setFont(controls::fittingFont(GroupBox1->font(), box->text(), room, 6));
}

void TForm1::checkbox10_17_visible(bool show)
{
    const int width = show ? params::kNarrowBoxWidth : params::kWideBoxWidth;
    for (int box = 1; box <= 8; ++box)
        CheckBox[size_t(box)]->resize(width, CheckBox[size_t(box)]->height());
    for (int box = 10; box <= 17; ++box)
        CheckBox[size_t(box)]->setVisible(show);
}

void TForm1::closeEditor()
{
    HelpContext = 1;
    for (QWidget *w : std::initializer_list<QWidget *> {Button9, Button10, Panel1, Panel2, RadioGroup1, GroupBox1})
        w->hide();
    Window_enable(true);
    EditorEscape->setEnabled(false);
    checkbox10_17_visible(false);
    // The keyboard goes on in the grid, on the row just edited.
    if (StringGrid2->isVisible())
        StringGrid2->setFocus();
}

void TForm1::removeEditorOptions()
{
    RadioGroup1->removeFirst(EditorOptionCount);
    EditorOptionCount = 0;
    if (EditedParameterNumber == 147) {
        for (TRadioGroup *group : {RadioGroup2, RadioGroup3}) {
            group->removeFirst(2);
            group->hide();
        }
    }
}

void TForm1::Button9Click()
{
    // A text that is no number stays in the editor with the reason beside
    // it: nothing is stored or sent.
    if (const params::EditorRule *rule = params::editorFor(EditedParameterNumber);
        rule && rule->kind == params::EditorKind::Numeric && GroupBox2->isVisible()
        && params::refusesNumericEntry(*rule, toCp1252(Edit1->text()))) {
        showEditReason(tr("Keine Zahl: nichts gesendet"));
        Edit1->setFocus();
        Edit1->selectAll();
        return;
    }
    if (refusedWhileLinkLost()) {
        // Nothing reaches the drive now: the cell keeps the drive's value.
        Button10Click();
        return;
    }
    showEditReason({});
    closeEditor();
    const QByteArray designation = currentDesignation();
    std::optional<QByteArray> value;
    if (const params::EditorRule *rule = params::editorFor(EditedParameterNumber)) {
        using params::EditorKind;
        switch (rule->kind) {
        case EditorKind::Numeric:
            if (params::clickedParameterNumber(designation))
                value = params::numericEntryValue(*rule, toCp1252(Edit1->text()), Core->DriveConnected == 1,
                                                  Serial1->Active());
            GroupBox2->hide();
            break;
        case EditorKind::Options:
            value = params::valueForOption(*rule, RadioGroup1->itemIndex());
            if (rule->groupTop) // back to where the bit sets open
                RadioGroup1->setGeometry(editorLeft(kEditorLeft), params::kBitGroupTop, kEditorWidth, 145);
            break;
        case EditorKind::Bits: {
            params::CheckBoxes boxes {};
            for (int box = 1; box <= 17; ++box)
                boxes[size_t(box)] = box != 9 && CheckBox[size_t(box)]->isChecked();
            value = params::bitSetValue(*rule, boxes);
            break;
        }
        case EditorKind::ThreePairs:
            value = params::threePairValue({RadioGroup1->itemIndex(), RadioGroup2->itemIndex(),
                                            RadioGroup3->itemIndex()});
            break;
        case EditorKind::Confirm:
            break;
        }
    }
    if (value) {
        // The model's record and the row take the value; the drive gets it at once.
        params::Parameterwert_in_Par_Text(Parameters, Sprache, designation, *value);
        const int row = StringGrid2->currentRow();
        if (row >= 1 && row <= params::kRecords) {
            Parameters.Grid[size_t(row)][params::ColValue] = *value;
            keepEditInShownFile(Parameters.Grid[size_t(row)][params::ColDesignation], *value);
            ChangedParameters.insert(Parameters.Grid[size_t(row)][params::ColDesignation]);
            showParameterGrid();
        }
        const int n = params::parameterNumber(designation);
        Core->queueCommand('P' + QByteArray::number(n) + '=' + *value, CommandKind::Plain);
    }
    removeEditorOptions();
}

void TForm1::Button10Click()
{
    showEditReason({});
    closeEditor();
    for (QWidget *w : std::initializer_list<QWidget *> {RadioGroup2, RadioGroup3, GroupBox2})
        w->hide();
    removeEditorOptions();
}

void TForm1::showEditReason(const QString &reason)
{
    // The editor grows by the reason's lines while it shows one.
    EditReason->setText(reason);
    EditReason->setVisible(!reason.isEmpty());
    GroupBox2->resize(GroupBox2->width(), reason.isEmpty() ? kNumericEditorHeight : kNumericEditorHeight + 26);
}

void TForm1::Edit1KeyPress(char key)
{
    if (key == '\r' && !Core->Owner.holds(line::Activity::Master))
        Button9Click();
}

void TForm1::StringGrid2KeyPress(char key)
{
    if (key != '\r' || Core->DriveConnected != 1 || !Serial1->Active())
        return;
    if (const std::optional<QByteArray> assignment = params::resendAssignment(currentDesignation(), currentValue())) {
        if (!refusedFileValue(currentDesignation(), currentValue()) && !refusedWhileLinkLost())
            Core->queueCommand(*assignment, CommandKind::Plain);
    }
}

bool TForm1::refusedFileValue(const QByteArray &designation, const QByteArray &value)
{
    if (!ShownFile)
        return false; // the drive's own list: its value goes back as it is
    // A file's value meets the checks its row meets before a write-back.
    using params::FileValueFault;
    const FileValueFault fault =
        params::fileValueFault(designation, value, Core->Snapshot.list, Core->Snapshot.listRows);
    const QString name = fromCp1252(designation.trimmed());
    switch (fault) {
    case FileValueFault::None:
        return false;
    case FileValueFault::Live:
        statusNote(tr("%1 nicht gesendet: %2").arg(name, params::liveReason(params::liveState(designation))));
        break;
    case FileValueFault::NotWritten:
        statusNote(tr("%1 nicht gesendet: diesen Wert schreibt die Übertragung nie").arg(name));
        break;
    case FileValueFault::NotListed:
        statusNote(tr("%1 nicht gesendet: die ZYNT listet diesen Parameter nicht").arg(name));
        break;
    case FileValueFault::BadCharacter:
        statusNote(tr("%1 nicht gesendet: der Wert der Datei enthält ein Zeichen, das kein Wert hat").arg(name));
        break;
    }
    return true;
}

bool TForm1::refusedWhileLinkLost()
{
    if (!Core->Owner.linkLost())
        return false;
    errorBox(toCp1252(
        line::refusalText(line::Refusal::LinkLost, Core->Owner.activity(), line::Request::ParameterValue)));
    return true;
}

void TForm1::Parameterwert_in_Par_Text(const QByteArray &value)
{
    params::Parameterwert_in_Par_Text(Parameters, Sprache, currentDesignation(), value);
}
