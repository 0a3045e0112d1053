// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter grid and its value editors on the main window.
#include "shell/window/tform1.h"

#include "parameters/views.h"
#include "shell/window/controls.h"
#include "shell/window/tradiogroup.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>

using controls::newButton;
using controls::newLabel;

void TForm1::createParameterEditor(QWidget *area)
{
    Label7 = newLabel(area, QString::fromLatin1(kLabel7Design), 4, 24, 300, 15);
    Label7->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Label7->hide();
    StringGrid2 = new QTableWidget(158, 4, area);
    StringGrid2->setGeometry(4, 40, 505, 330);
    StringGrid2->verticalHeader()->hide();
    StringGrid2->horizontalHeader()->hide();
    StringGrid2->verticalHeader()->setDefaultSectionSize(18);
    StringGrid2->setFont(QFont(QStringLiteral("Arial"), 8));
    for (int column = 0; column < 4; ++column)
        StringGrid2->setColumnWidth(column, params::kColumnWidths[size_t(column)]);
    StringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid2->setProperty("helpContext", 4701);
    StringGrid2->hide();
    ParameterSearch = new QLineEdit(area);
    ParameterSearch->setGeometry(400, 20, 109, 19);
    ParameterSearch->setClearButtonEnabled(true);
    ParameterSearch->hide();
    CompareDialog = new WriteBackDialog;
    VerifyReport = new WriteBackReport;
    Button3 = newButton(area, QStringLiteral("Parameter in ZYNT speichern"), 130, 374, 180, 25);
    Button8 = newButton(area, QStringLiteral("Parameter in ZYNT übertragen"), 316, 374, 190, 25);
    Button3->setToolTip(QStringLiteral("Parameter werden innerhalb der ZYNT dauerhaft im EEProm gespeichert"));
    Button8->setToolTip(QStringLiteral("Alle Parameter aus der Tabelle werden in die ZYNT geschrieben"));
    Button3->hide();
    Button8->hide();

    // The value editors open beside the grid's value column, one at a time,
    // on a light blue ground; OK and Cancel above them.
    const QColor editorGround(0xCC, 0xE5, 0xFF);
    auto ground = [&editorGround](QWidget *w) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, editorGround);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    };
    Panel2 = new QFrame(area);
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Raised);
    ground(Panel2);
    Panel1 = new QFrame(area);
    Panel1->setGeometry(kEditorLeft, 150, 306, 34);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    ground(Panel1);
    Panel1->installEventFilter(this);
    Button9 = newButton(Panel1, QStringLiteral("OK"), 60, 4, 90, 25);
    Button10 = newButton(Panel1, QStringLiteral("Cancel"), 156, 4, 90, 25);
    RadioGroup1 = new TRadioGroup(QString(), area);
    RadioGroup1->setGeometry(330, 240, 306, 129);
    RadioGroup1->setToolTip(QStringLiteral("Bitte wählen Sie eine Wichtung aus"));
    RadioGroup2 = new TRadioGroup(QString(), area);
    RadioGroup3 = new TRadioGroup(QString(), area);
    GroupBox1 = new QGroupBox(area);
    GroupBox1->setGeometry(330, 224, 306, 145);
    for (int i = 1; i <= 17; ++i) {
        // Bits 0-7 in the left column, 8-15 (CheckBox10 to 17) in the right.
        CheckBox[i] = new QCheckBox(QStringLiteral("CheckBox%1").arg(i), GroupBox1);
        const int column = i <= 9 ? 0 : 1;
        const int line = column == 0 ? i - 1 : i - 10;
        CheckBox[i]->setGeometry(8 + column * 100, 16 + line * 15, column == 0 ? 175 : 85, 15);
    }
    CheckBox[9]->hide(); // it carries no bit
    GroupBox2 = new QGroupBox(QStringLiteral("     Neuer Wert"), area);
    GroupBox2->setGeometry(kEditorLeft, 240, 306, kNumericEditorHeight);
    // The parameter the value is for, above the field, and its unit after it.
    EditName = newLabel(GroupBox2, QString(), 10, 20, 288, 16);
    EditName->setStyleSheet(QStringLiteral("font-weight: bold;"));
    Edit1 = new QLineEdit(GroupBox2);
    Edit1->setGeometry(10, 40, 150, 22);
    EditUnit = newLabel(GroupBox2, QString(), 166, 40, 132, 22);
    // Why an entry was not taken, below the field.
    EditReason = newLabel(GroupBox2, QString(), 10, 64, 288, 30);
    EditReason->setWordWrap(true);
    EditReason->setStyleSheet(QStringLiteral("color: #b00000;"));
    EditReason->hide();
    for (QWidget *w : std::initializer_list<QWidget *> {RadioGroup1, RadioGroup2, RadioGroup3, GroupBox1, GroupBox2})
        ground(w);
    for (QWidget *w : std::initializer_list<QWidget *> {Panel2, Panel1, RadioGroup1, RadioGroup2, RadioGroup3,
                                                         GroupBox1, GroupBox2})
        w->hide();
}

void TForm1::connectParameterControls()
{
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
    connect(StringGrid2, &QTableWidget::cellClicked, this, [this] { StringGrid2Click(); });
    new controls::KeyPress(StringGrid2, [this](char key) { StringGrid2KeyPress(key); });
    new controls::KeyPress(Edit1, [this](char key) { Edit1KeyPress(key); });
    // F2 opens the current row's editor, as a click on it does.
    auto *edit = new QShortcut(QKeySequence(Qt::Key_F2), StringGrid2, nullptr, nullptr, Qt::WidgetShortcut);
    connect(edit, &QShortcut::activated, this, [this] {
        if (StringGrid2->isEnabled() && StringGrid2->currentRow() >= 1)
            StringGrid2Click();
    });
    // Only while an editor is open: the key stays the other controls' otherwise.
    EditorEscape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    EditorEscape->setEnabled(false);
    connect(EditorEscape, &QShortcut::activated, this, &TForm1::Button10Click);
    connect(Button9, &QPushButton::clicked, this, &TForm1::Button9Click);
    connect(Button8, &QPushButton::clicked, this, &TForm1::Button8Click);
    connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    connect(Button10, &QPushButton::clicked, this, &TForm1::Button10Click);

    // What the core reports of the listing and the write-back.
    connect(Core, &DriveCore::listingStarted, this, &TForm1::showListingStart);
    connect(Core, &DriveCore::listingProgress, this, &TForm1::showListingProgress);
    connect(Core, &DriveCore::listingUpdated, this, &TForm1::showParameterGrid);
    connect(Core, &DriveCore::listingCompleted, this, &TForm1::showListingEnd);
    connect(Core, &DriveCore::listingFailed, this, &TForm1::showListingFailed);
    connect(Core, &DriveCore::writeBackStarted, this, [this] {
        Label8->show();
        for (QWidget *w : std::initializer_list<QWidget *> {Button14, Label9, Label10})
            w->hide();
    });
    connect(Core, &DriveCore::writeBackProgress, this, [this](int done, int total) {
        statusNote(tr("Parameter werden in die ZYNT geschrieben: %1 von %2").arg(done).arg(total));
    });
    connect(Core, &DriveCore::writeBackEnded, this, [this] {
        endTransferDisplay();
        neulesen1Click(); // the grid shows what the drive holds now, and the check follows
    });
    // A write-back ended early has nothing to check.
    connect(Core, &DriveCore::transferEnded, this, [this] { VerifySent.clear(); });
    connect(Core, &DriveCore::driveListRead, this, &TForm1::driveListReadToCompare);
    connect(Core, &DriveCore::driveListRead, this, &TForm1::reportListRead);
    connect(Core, &DriveCore::driveProgramRead, this, &TForm1::reportProgramRead);
    connect(Core, &DriveCore::driveListProgress, this, [this](int percent) {
        if (!MarksAsked && !WriteBackAsked)
            return; // a read of the core's own
        statusNote(tr("Die Parameter der ZYNT werden zum Vergleich gelesen … %1 %").arg(percent));
    });
    connect(Core, &DriveCore::permanentSaveConfirmed, this, [this] {
        statusNote(tr("Die ZYNT hat das dauerhafte Speichern der Parameter bestätigt."));
    });
    connect(CompareDialog, &QDialog::accepted, this, &TForm1::writeTicked);
    connect(CompareDialog, &QDialog::rejected, this, [this] {
        Core->Owner.resume(line::Pause::Question);
        statusNote(tr("Abgebrochen: es wurde nichts geschrieben."));
    });
    connect(ParameterSearch, &QLineEdit::textChanged, this, &TForm1::applyParameterSearch);
    StringGrid2->installEventFilter(this); // the search box comes and goes with the grid
}
