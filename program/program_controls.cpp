// The program editor's controls on the main window.
#include "shell/tform1.h"

#include "shell/controls.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

using controls::newButton;
using controls::newLabel;

void TForm1::createProgramEditor(QWidget *area)
{
    StringGrid1 = new QTableWidget(301, 2, area);
    StringGrid1->setGeometry(4, 40, 306, 330);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->setToolTip(QStringLiteral("Editor für Ablaufprogramm"));
    StringGrid1->hide();

    const int x = 316;
    const int w = 180;
    Liste_Speichern = newButton(area, QStringLiteral("Programm in ZYNT Speichern"), x, 40, w, 25);
    Button4 = newButton(area, QStringLiteral("Zeile ausführen"), x, 70, w, 25);
    Button1 = newButton(area, QStringLiteral("Programm starten"), x, 100, w, 25);
    Button2 = newButton(area, QStringLiteral("Programm stoppen"), x, 130, w, 25);
    Button6 = newButton(area, QStringLiteral("Zeile Einfügen"), x, 170, w, 25);
    Button7 = newButton(area, QStringLiteral("Zeile löschen"), x, 200, w, 25);
    Button16 = newButton(area, QStringLiteral("Teach IN"), x, 230, w, 25);
    Button12 = newButton(area, QStringLiteral("Trace Modus OFF"), x, 270, w, 25);
    Button14 = newButton(area, QStringLiteral("Einzelschritt"), x, 300, w, 25);
    Label11 = newLabel(area, QString(), x, 332, w, 36);
    Label11->setWordWrap(true);
    Button5 = newButton(area, QStringLiteral("Schließen"), 4, 374, 120, 25);
    Button5->installEventFilter(this);
    for (QWidget *widget : std::initializer_list<QWidget *> {Liste_Speichern, Button4, Button1, Button2, Button6,
                                                             Button7, Button16, Button12, Button14, Label11,
                                                             Button5})
        widget->hide();
}

void TForm1::connectProgramControls()
{
}
