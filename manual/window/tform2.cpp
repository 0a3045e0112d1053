// SPDX-License-Identifier: GPL-3.0-or-later
// The manual operation window's controls at their places, and their wiring.
#include "manual/window/tform2.h"

#include "manual/manualcommands.h"
#include "shell/window/controls.h"
#include "link/drivecore.h"
#include "shell/window/formshell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSlider>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

using controls::newButton;
using controls::newLabel;

namespace {

// The three rows of value fields side by side, one column each.
constexpr int kColumnX[] = {8, 220, 432};
constexpr int kColumnWidth = 200;
constexpr int kCaptionWidth = 110;
constexpr int kFieldY[] = {28, 52, 76};

// Where each field stands: its column (jogging, reference travel,
// positioning) and its line in the column.
struct FieldPlace {
    int column;
    int line;
};
const FieldPlace kFieldPlaces[10] = {
    {0, 0}, {0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}, {0, 2}, {1, 2}, {2, 2},
};

// The design hint of the fields: the first names the key.
const char kFirstHint[] = "Mit Taste \"Enter\" übernehmen";
const char kHint[] = "Mit \"Enter\" übernehmen";

} // namespace

TForm2::TForm2(FormShell &shell, const QFont &font)
    : QWidget(nullptr, Qt::Window)
    , m_shell(shell)
    , m_core(shell.driveCore())
{
    setWindowTitle(QStringLiteral("ZYNT Manuell Verfahren"));
    setFont(font);
    setFixedSize(640, 386);
    createControls();
    connectControls();
    // The window opens with the focus on "ON", not in a value field: leaving
    // a field sends its value, which a first click elsewhere should not do.
    Button2->setFocus();
    FormCreate();
}

void TForm2::createControls()
{
    auto heading = [this](const char *caption, int column) {
        QLabel *l = newLabel(this, QString::fromUtf8(caption), kColumnX[column], 6, kColumnWidth, 17);
        l->setStyleSheet(QStringLiteral("font-weight: bold;"));
        return l;
    };
    Label7 = heading("Handfahren", 0);
    Referenzfahren = heading("Referenzfahren", 1);
    Label10 = heading("Positionieren", 2);

    // The value fields with their captions and units, in table order.
    QLabel **captions[10] = {nullptr,  &Label4,  &Label11, &Label14, &Label8,
                             &Label12, &Label15, &Label9,  &Label13, &Label6};
    for (const manual::ValueField &field : manual::valueFields()) {
        const FieldPlace place = kFieldPlaces[field.edit];
        const int x = kColumnX[place.column];
        const int y = kFieldY[place.line];
        *captions[field.edit] = newLabel(this, QString::fromUtf8(field.label), x, y + 3, kCaptionWidth - 2, 15);
        QLineEdit *edit = new QLineEdit(QStringLiteral("0"), this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(field.edit));
        edit->setGeometry(x + kCaptionWidth, y, 54, 21);
        edit->setToolTip(QString::fromUtf8(field.edit == 1 ? kFirstHint : kHint));
        Edit[size_t(field.edit)] = edit;
        QLabel *unit = newLabel(this, QString(), x + kCaptionWidth + 58, y + 3, 34, 15);
        unit->setObjectName(QString::fromLatin1(field.unitLabel));
        UnitLabel[size_t(field.edit)] = unit;
    }
    // The design units: speeds in U/min, accelerations in U/s2, the distance in mm.
    for (int n : {1, 4, 2, 5, 3})
        UnitLabel[size_t(n)]->setText(QStringLiteral("U/min"));
    for (int n : {7, 8, 6})
        UnitLabel[size_t(n)]->setText(QStringLiteral("U/s2"));
    UnitLabel[9]->setText(QStringLiteral("mm"));

    auto button = [this](int n, const char *caption, int x, int y, int w, int h = 25) {
        QPushButton *b = newButton(this, QString::fromUtf8(caption), x, y, w, h);
        b->setObjectName(QStringLiteral("Button%1").arg(n));
        return b;
    };
    // Jogging, reference travel and positioning under their fields.
    const int half = (kColumnWidth - 4) / 2;
    Button4 = button(4, "Links-langsam", kColumnX[0], 104, half);
    Button6 = button(6, "Rechts-langsam", kColumnX[0] + half + 4, 104, half);
    Button7 = button(7, "Links-schnell", kColumnX[0], 132, half);
    Button8 = button(8, "Rechts-schnell", kColumnX[0] + half + 4, 132, half);
    Button9 = button(9, "Referenzfahren", kColumnX[1], 104, kColumnWidth);
    Button11 = button(11, "Start Weg", kColumnX[2], 104, kColumnWidth);
    // Beside the second row of jog buttons; the other columns have nothing
    // in that row, so its text may reach into the third.
    HoldToRun = new QCheckBox(tr("Tippbetrieb (nur solange gedrückt)"), this);
    HoldToRun->setObjectName(QStringLiteral("HoldToRun"));
    HoldToRun->setGeometry(kColumnX[1], 135, std::min(HoldToRun->sizeHint().width(), 400), 19);

    // The drive as a whole.
    const int commandY = 170;
    const int commandW = 100;
    const int commandStep = 104;
    Button2 = button(2, "ON", 8, commandY, commandW);
    Button5 = button(5, "OFF", 8 + commandStep, commandY, commandW);
    Button10 = button(10, "Start Programm", 8 + 2 * commandStep, commandY, commandW);
    Button12 = button(12, "Stop", 8 + 3 * commandStep, commandY, commandW);
    Button13 = button(13, "Reset Fehler", 8 + 4 * commandStep, commandY, commandW);
    Button14 = button(14, "Reset Warnung", 8 + 5 * commandStep, commandY, commandW);

    // Position, in-position, error and warning state.
    Position = newLabel(this, QStringLiteral("Position"), 8, 214, 50, 15);
    Label5 = newLabel(this, QStringLiteral("0"), 60, 210, 110, 21);
    QFont positionFont = font();
    positionFont.setBold(true);
    positionFont.setPointSizeF(11);
    Label5->setFont(positionFont);
    PositionFont = positionFont;
    Button1 = button(1, "reset", 174, 208, 50, 23);
    Label1 = newLabel(this, QString(), 234, 214, 150, 15);
    Label1->setStyleSheet(QStringLiteral("QLabel { color: green; font-weight: bold; } QLabel:disabled { color: gray; }"));
    Label2 = newLabel(this, QString(), 8, 240, 400, 15);
    Label3 = newLabel(this, QString(), 8, 260, 400, 15);

    // The inputs: the captions I1 .. I8 over their states.
    Label16 = newLabel(this, QString::fromUtf8("Eingänge"), 8, 286, 80, 15);
    for (int n = 1; n <= 8; ++n) {
        const int x = 8 + (n - 1) * 28;
        newLabel(this, QStringLiteral("I%1").arg(n), x, 304, 24, 15)->setAlignment(Qt::AlignCenter);
        QLabel *state = newLabel(this, QStringLiteral("0"), x, 320, 24, 17);
        state->setObjectName(QStringLiteral("I%1").arg(n));
        state->setAlignment(Qt::AlignCenter);
        state->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        I[size_t(n)] = state;
    }
    // The analogue value.
    Label29 = newLabel(this, QStringLiteral("ADC"), 250, 304, 30, 15);
    Label30 = newLabel(this, QStringLiteral("0"), 250, 320, 60, 17);

    // The outputs, each a switch.
    for (int n = 1; n <= 4; ++n) {
        QPushButton *out = newButton(this, QStringLiteral("O%1 Off").arg(n), 8 + (n - 1) * 74, 350, 70, 25);
        out->setObjectName(QStringLiteral("Out%1").arg(n));
        Out[size_t(n)] = out;
    }

    // The speed override with its scale.
    const int overrideX = kColumnX[2];
    Label26 = newLabel(this, QStringLiteral("P108"), overrideX, 212, kColumnWidth, 15);
    Label26->setAlignment(Qt::AlignCenter);
    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setGeometry(overrideX, 230, kColumnWidth, 28);
    TrackBar1->setRange(manual::kOverrideMin, manual::kOverrideMax);
    TrackBar1->setValue(100);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(50);
    TrackBar1->setPageStep(10);
    newLabel(this, QStringLiteral("0%"), overrideX, 260, 40, 15);
    newLabel(this, QStringLiteral("100%"), overrideX + kColumnWidth / 2 - 20, 260, 40, 15)
        ->setAlignment(Qt::AlignCenter);
    newLabel(this, QStringLiteral("200%"), overrideX + kColumnWidth - 40, 260, 40, 15)
        ->setAlignment(Qt::AlignRight);
    Timer1 = new QTimer(this);
    Timer1->setInterval(manual::kOverrideThrottleMs);

    // The address choice.
    Label31 = newLabel(this, QStringLiteral("address"), overrideX, 306, 60, 15);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(overrideX + 62, 302, 60, 22);
    ComboBox1->setEditText(QStringLiteral("Adresse"));
    ComboBox1->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    Label31->hide();
    ComboBox1->hide();

    // Beside the outputs: the plot and the recording.
    PlotButton = newButton(this, QStringLiteral("Verlauf"), overrideX, 350, 98, 25);
    PlotButton->setObjectName(QStringLiteral("PlotButton"));
    RecordButton = newButton(this, QStringLiteral("Aufzeichnen"), overrideX + 102, 350, 98, 25);
    RecordButton->setObjectName(QStringLiteral("RecordButton"));
    StateNote = newLabel(this, QString(), 90, 286, 336, 15);
    StateNote->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    StateNote->hide();
    StopNote = newLabel(this, tr("Stop nicht gesendet - wird gesendet, sobald die ZYNT antwortet"), 90, 286,
                        kColumnX[2] + kColumnWidth - 90, 15);
    StopNote->setObjectName(QStringLiteral("StopNote"));
    StopNote->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    StopNote->hide();
}

void TForm2::connectControls()
{
    const std::pair<QPushButton *, void (TForm2::*)()> clicks[] = {
        {Button1, &TForm2::Button1Click},   {Button2, &TForm2::Button2Click},   {Button5, &TForm2::Button5Click},
        {Button9, &TForm2::Button9Click},   {Button10, &TForm2::Button10Click}, {Button11, &TForm2::Button11Click},
        {Button12, &TForm2::Button12Click}, {Button13, &TForm2::Button13Click}, {Button14, &TForm2::Button14Click},
        {Out[1], &TForm2::Out1Click},       {Out[2], &TForm2::Out2Click},       {Out[3], &TForm2::Out3Click},
        {Out[4], &TForm2::Out4Click},
    };
    for (const auto &[button, click] : clicks)
        connect(button, &QPushButton::clicked, this, click);
    connectJogButtons();
    for (QLineEdit *edit : edits())
        edit->installEventFilter(this);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm2::TrackBar1Change);
    connect(Timer1, &QTimer::timeout, this, &TForm2::Timer1Timer);
    connect(ComboBox1, &QComboBox::activated, this, &TForm2::ComboBox1Click);
    // Escape stops the axis from anywhere in the window, as "Stop" does.
    auto *stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stop, &QShortcut::activated, this, [this] {
        if (Button12->isEnabled())
            Button12Click();
    });
    connect(&m_core, &DriveCore::stopPendingChanged, this, [this](bool pending) {
        m_stopPending = pending;
        showOwnCaptions(m_language);
    });
}

void TForm2::connectJogButtons()
{
    const std::pair<QPushButton *, int> jogs[] = {{Button4, 4}, {Button6, 6}, {Button7, 7}, {Button8, 8}};
    for (const auto &[button, number] : jogs) {
        QPushButton *const b = button;
        const int n = number;
        // Latching, a click sends the jog; held to run, the press does.
        connect(b, &QPushButton::clicked, this, [this, n] {
            if (!HoldToRun->isChecked())
                pressButton(n);
        });
        connect(b, &QPushButton::pressed, this, [this, b, n] { jogPressed(b, n); });
        connect(b, &QPushButton::released, this, [this, b] {
            m_freshPress = nullptr;
            if (m_heldJog == b)
                releaseJog();
        });
        b->installEventFilter(this);
    }

    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    m_settings = new QSettings(config + QStringLiteral("/zynt/window.ini"), QSettings::IniFormat, this);
    HoldToRun->setChecked(m_settings->value(QStringLiteral("manual/holdToRun"), false).toBool());
    connect(HoldToRun, &QCheckBox::toggled, this, [this](bool on) {
        m_settings->setValue(QStringLiteral("manual/holdToRun"), on);
        if (!on)
            releaseJog();
    });
    // A lost link ends the hold: its Stop is kept until the drive answers.
    connect(&m_core, &DriveCore::linkLost, this, &TForm2::releaseJog);
}

void TForm2::jogPressed(QPushButton *button, int number)
{
    // The pointer coming back onto the button it left is no new press.
    if (!HoldToRun->isChecked() || m_freshPress != button)
        return;
    m_freshPress = nullptr;
    m_heldJog = button;
    pressButton(number);
}

void TForm2::releaseJog()
{
    if (!m_heldJog)
        return;
    m_heldJog = nullptr;
    Button12Click();
}

std::vector<QLineEdit *> TForm2::edits() const
{
    return {Edit.begin() + 1, Edit.end()};
}

bool TForm2::event(QEvent *event)
{
    // Each time it becomes the active window, also on coming back to it from
    // the main window, it refreshes from the parameter table. Showing it
    // counts as activating it, as it does on the desktop it was made for;
    // where the window system keeps the focus elsewhere the refresh still
    // happens, and running it twice changes nothing.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
        FormActivate();
    // A jog held to run ends when the window loses the focus.
    if (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::Hide)
        releaseJog();
    return QWidget::event(event);
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Button4 || watched == Button6 || watched == Button7 || watched == Button8) {
        // Only a press of the user's starts a jog held to run, not the key's
        // auto-repeat; and the focus leaving the held button ends it.
        auto *jog = static_cast<QPushButton *>(watched);
        const auto *key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent *>(event) : nullptr;
        if (event->type() == QEvent::MouseButtonPress && jog->isEnabled()
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_freshPress = jog;
        else if (key && jog->isEnabled() && key->key() == Qt::Key_Space && !key->isAutoRepeat())
            m_freshPress = jog;
        else if (event->type() == QEvent::FocusOut && m_heldJog == jog)
            releaseJog();
        return QWidget::eventFilter(watched, event);
    }
    int edit = 0;
    for (int n = 1; n <= 9; ++n) {
        if (watched == Edit[size_t(n)])
            edit = n;
    }
    if (edit == 0)
        return QWidget::eventFilter(watched, event);

    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Edit1KeyPress(edit, '\r');
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // Switching to another window, opening a context menu or the window
        // being locked does not leave the field: only a move to another
        // control of this window does.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
            && Edit[size_t(edit)]->isEnabled() && isVisible())
            Exit_Edit_Feld(edit);
    }
    return QWidget::eventFilter(watched, event);
}

void TForm2::showPosition(const QString &value)
{
    Label5->setText(value);
    Label5->setFont(controls::fittingFont(PositionFont, value, Label5->contentsRect().width(), 4));
}
