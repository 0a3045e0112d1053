#include "manual/tform2.h"

#include "shell/tform1.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TForm2::TForm2(TForm1 *form1)
    : QWidget(nullptr, Qt::Window)
    , m_form1(form1)
{
    setWindowTitle(QStringLiteral("ZYNT Manuell Verfahren"));
    setFont(form1->font());
    resize(520, 360);

    auto label = [this](const QString &caption, int x, int y, int w = 110) {
        auto *l = new QLabel(caption, this);
        l->setGeometry(x, y, w, 15);
        return l;
    };
    auto button = [this](const QString &caption, int x, int y) {
        auto *b = new QPushButton(caption, this);
        b->setGeometry(x, y, 110, 25);
        return b;
    };

    // Jogging.
    Label7 = label(QStringLiteral("Handfahren"), 10, 8);
    Button4 = button(QStringLiteral("Links-langsam"), 10, 28);
    Button6 = button(QStringLiteral("Rechts-langsam"), 126, 28);
    Button7 = button(QStringLiteral("Links-schnell"), 10, 58);
    Button8 = button(QStringLiteral("Rechts-schnell"), 126, 58);
    Label4 = label(QStringLiteral("Geschw. langsam"), 10, 92);
    Label8 = label(QStringLiteral("Geschw. schnell"), 10, 116);
    Label9 = label(QStringLiteral("Beschleunigung"), 10, 140);

    // Reference travel.
    Referenzfahren = label(QStringLiteral("Referenzfahren"), 262, 8);
    Button9 = button(QStringLiteral("Referenzfahren"), 262, 28);
    Label11 = label(QStringLiteral("Geschw. langsam"), 262, 92);
    Label12 = label(QStringLiteral("Geschw. schnell"), 262, 116);
    Label13 = label(QStringLiteral("Beschleunigung"), 262, 140);

    // Positioning.
    Label10 = label(QStringLiteral("Positionieren"), 10, 176);
    Label14 = label(QStringLiteral("Geschwindigkeit v"), 10, 196);
    Label15 = label(QStringLiteral("Beschleunigung a"), 10, 220);
    Label6 = label(QStringLiteral("Weg/Position w"), 10, 244);
    Button11 = button(QStringLiteral("Start Weg"), 10, 272);

    Button13 = button(QStringLiteral("Reset Fehler"), 262, 272);
    Button14 = button(QStringLiteral("Reset Warnung"), 378, 272);
    Label16 = label(QStringLiteral("Eingänge"), 262, 176);

    const int editPlaces[10][2] = {{0, 0}, {126, 196}, {126, 220}, {126, 244}, {126, 92},
                                   {126, 116}, {126, 140}, {378, 92}, {378, 116}, {378, 140}};
    for (int i = 1; i <= 9; ++i) {
        Edit[i] = new QLineEdit(this);
        Edit[i]->setGeometry(editPlaces[i][0], editPlaces[i][1] - 3, 100, 21);
    }

    Label31 = label(QStringLiteral("Adresse"), 378, 8, 60);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    ComboBox1->setGeometry(440, 4, 60, 21);
    Label31->hide();
    ComboBox1->hide();
}

std::vector<QLineEdit *> TForm2::edits() const
{
    return {Edit.begin() + 1, Edit.end()};
}

bool TForm2::event(QEvent *event)
{
    // Its texts follow the language each time it comes to the front.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        m_form1->Sprachauswahl_Form2();
    return QWidget::event(event);
}
