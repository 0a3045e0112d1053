// The main window. It owns everything that lives for the whole run: the
// serial port, the command queue, the receive buffer, the link state, the
// texts and the timers. Its handlers are spread over the subsystem folders
// (link/, shell/, parameters/, program/, manual/); each lives with the
// subsystem it belongs to.
#pragma once

#include "link/commandqueue.h"
#include "parameters/editortable.h"
#include "parameters/parametermodel.h"
#include "program/programlines.h"
#include "shell/settings.h"
#include "shell/texttable.h"
#include "serial/tserial.h"
#include "shell/filedialogs.h"

#include <QByteArray>
#include <QColor>
#include <QMainWindow>

#include <array>
#include <functional>
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
class QTableWidget;
class QTimer;
class TForm2;
class TOKBottomDlg;
class TRadioGroup;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window in its design state: every control, the menu, the
    // port object and the timers. The start-up itself is FormCreate, which
    // the application runs right after.
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // ---- Serial port -------------------------------------------------------
    TSerial *Serial1 = nullptr;
    // Opens the port; when it stays closed, the status bar says why.
    void openPort();
    bool PortHintShown = false;

    // ---- Command queue ------------------------------------------------------
    CommandQueue Queue;
    // Queues text; sends it at once when nothing is in flight.
    void Senden_Zeichensatz(const QByteArray &text);
    // Queues "#" + drive address + command + "\r" with the given kind.
    void queueCommand(const QByteArray &command, uint8_t kind);
    // The same for another address than the current one.
    void queueCommandTo(const QByteArray &address, const QByteArray &command, uint8_t kind);
    // Releases the command in flight and sends the next one.
    void Liste_aktualisieren();
    // Drops every queued command unsent.
    void clearQueue();

    // ---- Response dispatcher -----------------------------------------------
    QByteArray ReceiveBuffer;       // the drive's answer collected so far
    uint8_t DriveConnected = 0;     // 1 when a drive answered and may be sent to
    void Serial1EventChar(TSerial *sender);
    // Everything the receive handler does with one piece of received text.
    void dispatchChunk(QByteArray chunk);
    void Serial1TxEmpty(TSerial *sender);

    // ---- Link state (drive search and supervision) -------------------------
    uint8_t LinkState = 0;          // 0 operating, 1 port/rate search, 2 address search, 4 stopped at 9
    uint8_t ScanStep = 0;
    int ScanAddress = 0;
    int HighestScanAddress = 10;
    uint8_t FirstAddressRepeat = 0;
    std::vector<int> FoundAddresses = std::vector<int>(settings::kMaxAddresses + 1, 0); // [0] = count
    QByteArray DriveAddress = "1";
    QByteArray PreviousAddress = "1";
    QByteArray InterfaceDescription;
    QByteArray ScanAnswer;

    // ---- Settings ------------------------------------------------------------
    uint8_t Autoscan = 0;           // 1: the connection start runs the search
    uint8_t SearchRequested = 0;    // 1: the connection start skips the settings file
    uint8_t SettingsSavePending = 0; // 1: the next address choice connects fully and saves
    uint8_t MasterAddress = 0;      // 1: address 200 is configured
    bool MasterMenuAllowed = true;  // what the connection start left the Master menu
    QByteArray P1028Value = "8";
    QString StartDirectory;         // where the description files are looked up
    QString HelpFile;               // the main window's help file, by language
    int HelpContext = 0;

    // ---- Flags owned by other features -------------------------------------
    int FirmwareNumber = 0;          // from the version answer; compared with 300
    bool MasterMode = false;
    bool TerminalOpen = false;
    bool TerminalTyping = false;     // the terminal's typing memo has the focus: the status poll pauses
    bool PollingStopped = false;     // "RS232 Stop": the user paused the status poll
    bool ProgramWrite = false;
    bool ProgramListing = false;
    bool DialogMessage = false;
    bool TraceMode = false;
    bool ConfirmOverwrite = false;
    bool FirstListingTimeout = true; // cleared by the first listing time-out of the run
    std::array<bool, 3> InfoRestore {}; // program editor, parameter editor, terminal
    int AnimationStep = 0;
    QByteArray ParameterListBuffer;

    // ---- Texts: [language 1 German, 2 English][number 1..229] --------------
    int Sprache = 1;
    TextTable Texte;
    QByteArray text(int number) const;
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
    // The window's outer size; the border cannot be dragged.
    void setWindowSize(int width, int height);

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

    // ---- Drive search --------------------------------------------------------
    void Timer1Timer();
    void Port_Baudrate_Antwort_pruefen();
    void Adresse_Antwort_pruefen();

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

    QTimer *Timer1 = nullptr, *Timer2 = nullptr, *Timer3 = nullptr, *Timer4 = nullptr,
           *Timer5 = nullptr, *Timer6 = nullptr, *Timer7 = nullptr, *Timer8 = nullptr,
           *Timer9 = nullptr, *Timer10 = nullptr, *Timer11 = nullptr, *Timer12 = nullptr,
           *Timer13 = nullptr, *Timer14 = nullptr;
    // Watches a program write or a parameter write-back between its
    // commands: an answer that does not come within Timer7's period ends
    // the transfer, as Timer7 ends it for a program line.
    QTimer *TransferWatchdog = nullptr;
    void TransferWatchdogTimer();
    // (Re)starts it while a transfer runs.
    void watchTransfer();

    // The terminal's output memo, as text in the drive's code page.
    QByteArray memoRxDText() const;
    // The system window colour, and a label's background.
    QColor windowColour() const;
    static void setBackground(QLabel *label, const QColor &colour);
    void appendToMemoRxD(const QByteArray &chunk);
    // A modal error box with an OK button; the text is in the drive's code page.
    void errorBox(const QByteArray &message);
    // The open or save dialog; empty when cancelled. AskFileName, when set,
    // answers in its place (the tests do so).
    std::function<QString(const FileDialogRequest &)> AskFileName;
    QString askFileName(const FileDialogRequest &request);
    // A message in the current language, for what the text table has no text for.
    QByteArray message(const char *german, const char *english) const;

    // ---- Timer handlers -------------------------------------------------------
    void Timer2Timer();
    void Timer5Timer();
    void Timer6Timer();
    void Timer8Timer();
    void Timer9Timer();
    // Sets the link watchdog: the interval asked for, but at least what one
    // poll cycle needs at the port's rate (status::linkWatchdogMs).
    void setLinkWatchdog(int requestedMs);
    void Timer10Timer();
    void Timer11Timer();
    void Timer12Timer();
    void Timer13Timer();

    // ---- Answer handlers by command kind ------------------------------------
    void Sprache_Antwort();         // kind 9
    void Version_Antwort();         // kind 15

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
#include "parameters/form1_parameters.inc"
#include "program/form1_program.inc"
#include "manual/form1_manual.inc"

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void connectControls();
    void createMenu();
    void connectInfoControls();
    // What Master ON disables and OFF enables again.
    QList<QObject *> masterLockedControls() const;
    void createTimers();
    void completeAcknowledged(uint8_t kind);
    // The end of a parameter or program write: progress display off, status poll on.
    void endTransferDisplay();
    void showDriveError();
    // The receive buffer passed its bound; true when the piece is done with.
    bool bufferOverflow();
    // Takes a data answer whose content this program does not evaluate yet:
    // once the drive's "ok" is in, the answer is dropped and the link moves on.
    void takeAnswerWithoutEvaluation();
    // The end of the splash picture: the view buttons and the position appear.
    void endSplash();
    void endSearch();
    void searchFailed();
    // Applies the port and rate of a scan step to the port.
    void applyScanStep();
    void chooseAddress(const QByteArray &chosen, bool fromList);
    void switchLanguage(int language);
    // The settings every connection sends a drive: "P1028=8", "p1035=0", "p1716=58120394".
    void queueDriveSettings(const QByteArray &address);
};
