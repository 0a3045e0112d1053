// SPDX-License-Identifier: GPL-3.0-or-later
// The main window. It owns the drive core (the port, the queue, the line
// and everything that talks to the drive) and shows what the core reports:
// its handlers read the controls, call the core and show the result. They
// are spread over the subsystem folders (link/, shell/, parameters/,
// program/, manual/); each lives with the subsystem it belongs to.
#pragma once

#include "link/drivecore.h"
#include "parameters/editortable.h"
#include "parameters/parametermodel.h"
#include "program/programlines.h"
#include "shell/settings.h"
#include "shell/texttable.h"
#include "shell/window/filedialogs.h"
#include "shell/window/formshell.h"
#include "parameters/window/writeback_dialog.h"
#include "manual/recording.h"

#include <QByteArray>
#include <QColor>
#include <QKeySequence>
#include <QFont>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <array>
#include <functional>
#include <set>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QShortcut;
class QTableWidget;
class QTimer;
class TForm2;
class TOKBottomDlg;
class TRadioGroup;
class TTerminalWindow;
class TStatusLine;
class TPlotWindow;
class QSettings;

class TForm1 : public QMainWindow, public FormShell {
    Q_OBJECT
public:
    // Builds the window in its design state: every control, the menu, the
    // drive core and the timers. The start-up itself is FormCreate, which
    // the application runs right after.
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // ---- The drive core -------------------------------------------------------
    DriveCore *const Core;
    // The core's port; the window opens it where the user asks for a port.
    TSerial *const Serial1;
    // The texts are the core's: its messages come in the same language.
    TextTable &Texte = Core->Texte;
    int &Sprache = Core->Sprache;
    bool PortHintShown = false;
    bool DemoMode = false;          // connected to the simulated drive of "zynt --demo"
    TStatusLine *StatusLine = nullptr; // the status bar, with its list of the last messages
    void openPort();
    // The status bar says why the port stays closed; an empty hint brings
    // the maker's notice back.
    void showPortHint(const QString &hint);
    // A file the program ships is missing: the status bar keeps saying so
    // (and standard error, for a start from a terminal).
    void missingShippedFile(const QString &folder, const QString &name);

    // ---- Settings ------------------------------------------------------------
    uint8_t Autoscan = 0;           // 1: the connection start runs the search
    uint8_t SearchRequested = 0;    // 1: the connection start skips the settings file
    uint8_t SettingsSavePending = 0; // 1: the next address choice connects fully and saves
    uint8_t MasterAddress = 0;      // 1: address 200 is configured
    bool MasterMenuAllowed = true;  // what the connection start left the Master menu
    QString StartDirectory;         // where the description files are looked up
    QString HelpFile;               // the main window's help file, by language
    int HelpContext = 0;

    // ---- Flags of the window's own -------------------------------------------
    bool TerminalOpen = false;
    bool KeysRefused = false;       // the terminal said that typed keys were not sent
    bool ConfirmOverwrite = false;
    std::array<bool, 3> InfoRestore {}; // program editor, parameter editor, terminal
    int AnimationStep = 0;
    QByteArray ParameterListBuffer;

    // ---- Texts ---------------------------------------------------------------
    QByteArray text(int number) const { return Core->text(number); }
    void init_Texte();
    void Sprachauswahl(int language, bool reload);
    void Sprachauswahl_Form2();
    void Sprachauswahl_unit3();
    void Deutsch1Click();
    void english1Click();
    void Hilfedatei1Click();

    // ---- Start-up, window lock, shutdown -----------------------------------
    void FormCreate();
    void init_daten();
    void INI_Prozedur();
    void ZYNT_Daten_Initialisieren();
    // Locks and unlocks the main controls and menus together.
    void Window_enable(bool enabled);
    void Beenden2Click();
    void Button11Click();
    void beep();
    void Panel1Click();
    // The window's size where the start-up sets it: the size the user
    // chose (kept from the last start), else the one given.
    void setWindowSize(int width, int height);
    // Where the window's sizes are kept: the user's configuration folder.
    QSettings *WindowSettings = nullptr;
    // How much larger than its design size the window is.
    QSize Growth;
    // The parameter editor's left edge: it stays at the window's right side.
    int editorLeft(int designLeft) const { return designLeft + Growth.width(); }

    // ---- Connection settings and address choice ----------------------------
    void ZYNT_ini_file_lesen();
    void Automatisch1Click();
    void ManuellKonfigurieren1Click();
    void Button15Click();
    void Achse1Click();
    void ListBox1DblClick();
    void ComboBox1KeyPress(char key);
    // Writes the settings file; false (after telling the user) when it could not be written.
    bool writeSettingsFile();
    // Adds a found or configured address to both address boxes.
    void addAddressItem(const QByteArray &address);

    // ---- Controls ------------------------------------------------------------
    QLabel *Label2 = nullptr;       // interface description / link lost
    QLabel *Label3 = nullptr;       // "Bitte warten - Parameter werden geladen"
    QLabel *Label4 = nullptr;       // "Bitte warten - Programm wird in ZYNT geschrieben"
    QLabel *Label5 = nullptr;       // position value
    QLabel *Label6 = nullptr;       // drive address
    QLabel *Label8 = nullptr;       // "Bitte warten - Parameter werden in ZYNT geschrieben"
    QLabel *Label14 = nullptr;      // waiting count (hidden)
    QLabel *Label15 = nullptr;      // "Bitte Antriebsadresse eingeben"
    QLabel *Label16 = nullptr;      // interface configuration heading
    QLabel *Label17 = nullptr;      // listing progress in per cent
    QLabel *Label18 = nullptr;      // firmware version
    QLabel *Label19 = nullptr;      // "Master running"
    QLabel *DriveHeader = nullptr;  // device, rate, address and firmware of the drive, always shown
    // Shows what the header says now: cheap, so every report of the link
    // may call it.
    void showDriveHeader();
    QLabel *Position = nullptr;
    QLabel *Image1 = nullptr;       // splash picture
    QLabel *Image2 = nullptr, *Image3 = nullptr, *Image4 = nullptr, *Image5 = nullptr,
           *Image6 = nullptr;       // drive symbols, one motion phase each
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QListWidget *ListBox1 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    TRadioGroup *RadioGroup5 = nullptr, *RadioGroup6 = nullptr;
    QFrame *Panel3 = nullptr;
    QPushButton *Button15 = nullptr; // interface configuration "OK"
    QPushButton *Button11 = nullptr; // "ZYNT suchen"
    // The terminal's window and its controls.
    TTerminalWindow *Terminal = nullptr;
    QPlainTextEdit *MemoTxD = nullptr, *MemoRxD = nullptr;
    QPushButton *Button13 = nullptr, *Button18 = nullptr;

    QMenu *Sprache1 = nullptr, *Datei1 = nullptr, *Parameter1 = nullptr, *Schnittstelle1 = nullptr,
          *ZYNT1 = nullptr, *Master1 = nullptr, *Info1 = nullptr;
    QAction *Deutsch1 = nullptr, *english1 = nullptr, *Fileffnen1 = nullptr, *ZYNTffnen1 = nullptr,
            *FileSpeichern1 = nullptr, *N1 = nullptr, *Automatisch1 = nullptr,
            *ManuellKonfigurieren1 = nullptr, *nachFunktionSortieren1 = nullptr, *ffnen1 = nullptr,
            *neulesen1 = nullptr, *ParameterSpeichern1 = nullptr, *Parameterffnen1 = nullptr,
            *Manuell1 = nullptr, *ON1 = nullptr, *OFF1 = nullptr, *Achse1 = nullptr,
            *Terminal1 = nullptr, *Beenden2 = nullptr, *Hilfedatei1 = nullptr,
            *ZYNTVersion1 = nullptr, *Hexwald1 = nullptr;

    TForm2 *Form2 = nullptr;        // manual operation window
    TOKBottomDlg *OKBottomDlg = nullptr;

    // The window's own timers; the link's are the core's.
    QTimer *Timer2 = nullptr, *Timer4 = nullptr, *Timer5 = nullptr, *Timer6 = nullptr, *Timer12 = nullptr,
           *Timer14 = nullptr;

    // The terminal's output memo, as text in the drive's code page.
    QByteArray memoRxDText() const;
    // The system window colour, and a label's background.
    QColor windowColour() const;
    static void setBackground(QLabel *label, const QColor &colour);
    void appendToMemoRxD(const QByteArray &chunk);
    // A modal error box with an OK button; the text is in the drive's code page.
    void errorBox(const QByteArray &message);
    // A question with a safe default (no); true when the user chose yes.
    bool confirm(QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButton yes,
                 QMessageBox::StandardButton no);
    // The open or save dialog; empty when cancelled. AskFileName, when set,
    // answers in its place (the tests do so).
    std::function<QString(const FileDialogRequest &)> AskFileName;
    QString askFileName(const FileDialogRequest &request);
    // The save dialog for a file of the window's own (a log, a picture), and
    // what the user hears when it was saved or not.
    QString askSaveName(const QString &title, const QString &suffix, const QString &kind);
    void reportSaved(const QString &path, const QString &error, const QString &saved);
    // A note in the status bar for a while, in the interface's language.
    void statusNote(const QString &text) override;
    // Asks before the window closes on something not done: "Warten"
    // (the default) or "Trotzdem schließen"; true for the latter.
    bool askBeforeClosing(const QString &question);

    // ---- What the feature windows reach through FormShell ---------------------
    DriveCore &driveCore() override { return *Core; }
    QByteArray tableText(int number) const override { return text(number); }
    void questionLanguage() override { Sprachauswahl_unit3(); }
    void writeConfirmedProgram() override;
    void driveErrorRead() override;
    void manualWindowLanguage() override { Sprachauswahl_Form2(); }
    void chooseAddress(const QByteArray &address) override;
    bool recording() const override;
    // A read cut short while the drive did not answer: the window says what
    // was not read, and reads it again when the link comes back, unless the
    // drive answers a poll cycle first (then it was not the link).
    enum class ReadAgain : uint8_t { None, Listing, Program };
    ReadAgain PendingRead = ReadAgain::None;
    QPointer<QMessageBox> ReadFailedBox; // closed when the link comes back
    void showReadFailed(ReadAgain read, const QString &note, const QByteArray &boxText);
    // Saves what a write will overwrite in the backup folder; the file's
    // path, or empty (the user told why) when it could not be saved.
    QString saveBackup(const QString &suffix, const QByteArray &bytes);

    // ---- Timer handlers -------------------------------------------------------
    void Timer2Timer();
    void Timer5Timer();
    void Timer6Timer();
    void Timer12Timer();

    // ---- Terminal, master mode, version, info -----------------------------
    void Terminal1Click();
    void Button13Click();           // "Terminal schließen"
    void Button18Click();           // "RS232 Stop" / "RS232 Start"
    void MemoTxDEnter();
    void MemoTxDExit();
    void MemoTxDKeyPress(char key);
    void ON1Click();
    void OFF1Click();
    void ZYNTVersion1Click();
    void Timer14Timer();
    void Hexwald1Click();

    // ---- What each feature adds to the main window ---------------------------
    // Declared in the feature's own folder, beside the code that defines it.
#include "parameters/window/form1_parameters.inc"
#include "program/window/form1_program.inc"
#include "manual/window/form1_manual.inc"

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void connectControls();
    void createMenu();
    void connectInfoControls();
    // What the core reports about the link, the search and drive errors.
    void connectLinkReports();
    // What Master ON disables and OFF enables again.
    QList<QObject *> masterLockedControls() const;
    void createTimers();
    // The window takes input unless the line owner locks it.
    void applyLock();
    // The end of a parameter or program write: progress display off.
    void endTransferDisplay();
    // The drive error of the core, in the confirmation dialog.
    void showDriveError(const QByteArray &message);
    // The link lost and found again.
    void showLinkLost();
    void showLinkRestored();
    // The end of the splash picture: the view buttons and the position appear.
    void endSplash();
    void showSearchEnd(int found);
    void showSearchFailed();
    void chooseAddress(const QByteArray &chosen, bool fromList);
    void switchLanguage(int language);
    // The window that grows: what moves and what grows with it.
    void createGrowth();
public:
    // Shows the drive's position in the main window and the manual window.
    void showPosition(const QString &value);
private:
    void applyGrowth();
    void createShortcuts();
    // The keys of menu items, each with the items it serves.
    struct MenuKey {
        struct Item {
            QWidget *page;          // the page it serves; nullptr: every page
            QMenu *menu;
            QAction *action;
            void (TForm1::*run)();
        };
        QKeySequence keys;
        std::vector<Item> items;
    };
    std::vector<MenuKey> menuKeys();
    // Shows each item's key after its caption.
    void showShortcutTexts();
    void connectTerminalWindow();
    void createDriveHeader(QWidget *area);
    struct Anchored {
        QWidget *widget;
        unsigned anchor;
        QRect design;
    };
    std::vector<Anchored> m_anchored;
    // Widgets whose place the editor code sets: moved by the change of Growth.
    std::vector<QWidget *> m_rightSide;
    QSize m_applied;
    // The position display at its design place and in its design font: it
    // widens to the left, or its font shrinks, so that the number is whole.
    QRect m_positionCaption, m_positionValue;
    QFont m_positionFont;
    void placePositionDisplay();
    bool m_sizing = false;      // setWindowSize is resizing, not the user
    // The header's device: its stable name is looked up once per path.
    QString m_headerPath, m_headerDevice;
    QString m_driveVersion;     // the firmware version the drive named last
    bool m_userSized = false;
};
