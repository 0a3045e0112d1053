// SPDX-License-Identifier: GPL-3.0-or-later
// The manual operation window: jogging, reference travel, positioning,
// switching the drive, resets, speed override and outputs by hand, and the
// live displays the status poll fills. It has no traffic of its own:
// everything goes through the main window's queue and port.
#pragma once

#include "parameters/parametermodel.h"

#include <QByteArray>
#include <QFont>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSettings;
class QSlider;
class QTimer;
class DriveCore;
class FormShell;

namespace manual {
struct CommandButton;
enum class Condition;
}

class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2(FormShell &shell, const QFont &font);

    // ---- Controls ----------------------------------------------------------
    // Motion, program, stop and resets; Button1 is "reset" beside the position.
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button4 = nullptr, *Button5 = nullptr,
                *Button6 = nullptr, *Button7 = nullptr, *Button8 = nullptr, *Button9 = nullptr,
                *Button10 = nullptr, *Button11 = nullptr, *Button12 = nullptr, *Button13 = nullptr,
                *Button14 = nullptr;
    // Headings and field captions; Label7, Referenzfahren and Label10 head the rows.
    QLabel *Label4 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr, *Label9 = nullptr,
           *Label10 = nullptr, *Label11 = nullptr, *Label12 = nullptr, *Label13 = nullptr,
           *Label14 = nullptr, *Label15 = nullptr, *Label16 = nullptr, *Referenzfahren = nullptr;
    std::array<QLineEdit *, 10> Edit {};    // [1..9] the value fields
    std::array<QLabel *, 10> UnitLabel {};  // [n] the unit beside Editn (unit_v_hand_langsam ...)
    // Displays the status poll fills.
    QLabel *Position = nullptr;             // "Position"
    QLabel *Label5 = nullptr;               // position
    // Shows the position whole: a number too long for the display gets a smaller font.
    void showPosition(const QString &value);
    QLabel *Label1 = nullptr;               // "In Position" or empty
    QLabel *Label2 = nullptr;               // error state
    QLabel *Label3 = nullptr;               // warning state
    std::array<QLabel *, 9> I {};           // [1..8] input states, "0" / "1"
    QLabel *Label29 = nullptr;              // "ADC"
    QLabel *Label30 = nullptr;              // analogue value
    std::array<QPushButton *, 5> Out {};    // [1..4] outputs, captions "O1 ON" / "O1 OFF" ...
    // Speed override.
    QSlider *TrackBar1 = nullptr;           // 1 .. 200 %
    QLabel *Label26 = nullptr;              // the position and "%"
    QTimer *Timer1 = nullptr;               // 150 ms throttle of the override command
    // Address choice, shown with more than one drive.
    QComboBox *ComboBox1 = nullptr;
    QLabel *Label31 = nullptr;
    // The live plot and the recording of the poll.
    QPushButton *PlotButton = nullptr, *RecordButton = nullptr;
    // Why the displays are grey: the link is lost or the drive is OFF.
    QLabel *StateNote = nullptr;
    // A Stop that has not reached the drive yet; shown in StateNote's place.
    QLabel *StopNote = nullptr;
    // The jog buttons run only while held down; kept for the next start.
    QCheckBox *HoldToRun = nullptr;

    // ---- State ---------------------------------------------------------------
    QByteArray ManualAddress = "1";         // where buttons, override and output queries go
    bool AddressListPending = false;        // the address list is filled at the next activation

    // The nine value fields, Edit1 .. Edit9.
    std::vector<QLineEdit *> edits() const;

    // ---- Handlers --------------------------------------------------------------
    void FormCreate();
    void FormActivate();
    void Button1Click() { pressButton(1); }
    void Button2Click() { pressButton(2); }
    void Button4Click() { pressButton(4); }
    void Button5Click() { pressButton(5); }
    void Button6Click() { pressButton(6); }
    void Button7Click() { pressButton(7); }
    void Button8Click() { pressButton(8); }
    void Button9Click() { pressButton(9); }
    void Button10Click() { pressButton(10); }
    void Button11Click() { pressButton(11); }
    // Stop, also Escape: kept by the core until the drive answered it.
    void Button12Click();
    void Button13Click() { pressButton(13); }
    void Button14Click() { pressButton(14); }
    // Shared by the nine fields: edit is the n of the Editn that has the focus.
    void Edit1KeyPress(int edit, char key);
    // Leaving Editn.
    void Exit_Edit_Feld(int edit);
    void Out1Click() { out_bearbeiten("O1", 1); }
    void Out2Click() { out_bearbeiten("O2", 1); }
    void Out3Click() { out_bearbeiten("O3", 1); }
    void Out4Click() { out_bearbeiten("O4", 1); }
    // Asks the drive for the output's state; its answer switches it over.
    void out_bearbeiten(const QByteArray &output, int selector);
    void TrackBar1Change(int position);
    void Timer1Timer();
    void ComboBox1Click(int index);

    // What the main window learns of the link and of the drive's ON/OFF.
    void showLinkState(bool lost);
    void showDriveState(bool on);
    manual::Condition condition() const;
    // The captions that are not the text table's, in the current language.
    void showOwnCaptions(int language);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFont PositionFont; // the position's design font, before it had to shrink
    void createControls();
    void connectControls();
    void pressButton(int button);
    bool driveReady() const;        // a drive is connected and the port is open
    params::ParameterRecord &record(params::KeyParameter key);
    // Sets the slider without it counting as a user's change.
    void showOverride(int position);

    // Sends the override now and starts the throttle.
    void sendOverride(int position);

    // Jogging held to run: a press sends the jog, its end a Stop.
    void connectJogButtons();
    void jogPressed(QPushButton *button, int number);
    void releaseJog();

    // Greys the displays and disables what the condition forbids.
    void applyCondition();

    FormShell &m_shell;
    DriveCore &m_core;
    bool m_linkLost = false;
    bool m_driveOff = false;
    int m_language = 1;
    int m_exits = 0;                // exit steps run so far
    std::optional<int> m_overrideSent; // the last override position sent
    bool m_stopPending = false;
    QSettings *m_settings = nullptr;
    // The jog button held to run, and the one just pressed by the user (not
    // one the pointer came back onto).
    QPushButton *m_heldJog = nullptr;
    QPushButton *m_freshPress = nullptr;
};
