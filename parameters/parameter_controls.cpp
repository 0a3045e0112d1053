// The parameter grid and its value editors on the main window.
#include "shell/tform1.h"

#include "shell/controls.h"
#include "shell/tradiogroup.h"

#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    StringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid2->setProperty("helpContext", 4701);
    StringGrid2->hide();
    Button3 = newButton(area, QStringLiteral("Parameter in ZYNT speichern"), 130, 374, 180, 25);
    Button8 = newButton(area, QStringLiteral("Parameter in ZYNT übertragen"), 316, 374, 190, 25);
    Button3->hide();
    Button8->hide();

    // The value editors open over the grid, one at a time.
    Panel2 = new QFrame(area);
    Panel2->setGeometry(120, 60, 300, 260);
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Raised);
    Panel2->setAutoFillBackground(true);
    Panel1 = new QFrame(area);
    Panel1->setGeometry(130, 68, 280, 30);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->installEventFilter(this);
    RadioGroup1 = new TRadioGroup(QString(), area);
    RadioGroup1->setGeometry(130, 104, 280, 170);
    RadioGroup2 = new TRadioGroup(QString(), area);
    RadioGroup2->setGeometry(130, 104, 280, 170);
    RadioGroup3 = new TRadioGroup(QString(), area);
    RadioGroup3->setGeometry(130, 104, 280, 170);
    GroupBox1 = new QGroupBox(area);
    GroupBox1->setGeometry(130, 104, 280, 170);
    for (int i = 1; i <= 17; ++i) {
        CheckBox[i] = new QCheckBox(QStringLiteral("CheckBox%1").arg(i), GroupBox1);
        CheckBox[i]->setGeometry(8 + ((i - 1) / 9) * 136, 14 + ((i - 1) % 9) * 17, 132, 16);
    }
    GroupBox2 = new QGroupBox(QStringLiteral("     Neuer Wert"), area);
    GroupBox2->setGeometry(130, 104, 280, 60);
    Edit1 = new QLineEdit(GroupBox2);
    Edit1->setGeometry(10, 24, 150, 22);
    Button9 = newButton(area, QStringLiteral("OK"), 200, 284, 90, 25);
    Button10 = newButton(area, QStringLiteral("Cancel"), 300, 284, 90, 25);
    for (QWidget *w : std::initializer_list<QWidget *> {Panel2, Panel1, RadioGroup1, RadioGroup2, RadioGroup3,
                                                         GroupBox1, GroupBox2, Button9, Button10})
        w->hide();
}

void TForm1::connectParameterControls()
{
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
}
