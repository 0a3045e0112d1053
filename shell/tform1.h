// The main window. It owns everything that lives for the whole run: the
// serial port, the command queue, the receive buffer, the link state, the
// texts and the timers. Its handlers are spread over the subsystem folders
// (link/, shell/, parameters/, program/, manual/); each lives with the
// subsystem it belongs to.
#pragma once

#include "link/commandqueue.h"
#include "serial/tserial.h"

#include <QByteArray>
#include <QColor>
#include <QMainWindow>

#include <array>
#include <vector>

class QLabel;
class QListWidget;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTimer;
class TOKBottomDlg;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // ---- Serial port -------------------------------------------------------
    TSerial *Serial1 = nullptr;

    // ---- Command queue ------------------------------------------------------
    CommandQueue Queue;
    // Queues text; sends it at once when nothing is in flight.
    void Senden_Zeichensatz(const QByteArray &text);
    // Queues "#" + drive address + command + "\r" with the given kind.
    void queueCommand(const QByteArray &command, uint8_t kind);
    // Releases the command in flight and sends the next one.
    void Liste_aktualisieren();
    // Drops every queued command unsent.
    void clearQueue();

    // ---- Response dispatcher -----------------------------------------------
    QByteArray ReceiveBuffer;       // the drive's answer collected so far
    uint8_t DriveConnected = 0;     // 1 when a drive answered and may be sent to
    void Serial1EventChar(TSerial *sender);
    void Serial1TxEmpty(TSerial *sender);

    // ---- Link state (drive search and supervision) -------------------------
    uint8_t LinkState = 0;          // 0 operating, 1 port/rate search, 2 address search, 4 stopped at 9
    uint8_t ScanStep = 0;
    int ScanAddress = 0;
    int HighestScanAddress = 10;
    uint8_t FirstAddressRepeat = 0;
    std::vector<int> FoundAddresses = std::vector<int>(127, 0); // [0] = count
    QByteArray DriveAddress = "1";
    QByteArray PreviousAddress = "1";
    QByteArray InterfaceDescription;
    QByteArray ScanAnswer;

    // ---- Flags owned by other features -------------------------------------
    bool MasterMode = false;
    bool TerminalOpen = false;
    bool ProgramWrite = false;
    bool DialogMessage = false;
    bool SingleDriveListing = true;

    // ---- Texts: [language 1 German, 2 English][number 1..229] --------------
    int Sprache = 1;
    std::array<std::array<QByteArray, 230>, 3> Texte;
    QByteArray text(int number) const;

    // ---- Controls the link touches -----------------------------------------
    QLabel *Label2 = nullptr;       // interface description / link lost
    QLabel *Label4 = nullptr;       // "Bitte warten - Programm wird in ZYNT geschrieben"
    QLabel *Label6 = nullptr;       // drive address
    QLabel *Label8 = nullptr;       // "Bitte warten - Parameter werden in ZYNT geschrieben"
    QLabel *Label14 = nullptr;      // waiting count (hidden)
    QLabel *Image2 = nullptr;       // drive symbol
    QPushButton *Button11 = nullptr; // "ZYNT suchen"
    QPlainTextEdit *MemoRxD = nullptr; // terminal output
    QTableWidget *StringGrid1 = nullptr; // program lines, rows 1..299 (+ overflow row 300)
    QWidget *Form2 = nullptr;       // manual operation window, once it exists
    TOKBottomDlg *OKBottomDlg = nullptr;

    QTimer *Timer1 = nullptr, *Timer2 = nullptr, *Timer3 = nullptr, *Timer4 = nullptr,
           *Timer5 = nullptr, *Timer6 = nullptr, *Timer7 = nullptr, *Timer8 = nullptr,
           *Timer9 = nullptr, *Timer10 = nullptr, *Timer11 = nullptr, *Timer12 = nullptr,
           *Timer13 = nullptr, *Timer14 = nullptr;

    // Locks and unlocks the main controls and menus together.
    void Window_enable(bool enabled);
    // The terminal's output memo, as text in the drive's code page.
    QByteArray memoRxDText() const;
    // The system window colour, and a label's background.
    QColor windowColour() const;
    static void setBackground(QLabel *label, const QColor &colour);
    void appendToMemoRxD(const QByteArray &chunk);

    // ---- Timer handlers -------------------------------------------------------
    void Timer5Timer();
    void Timer13Timer();

    // ---- Answer handlers by command kind ------------------------------------
    // Drive search: the port-and-rate check and the address check.
    void Port_Baudrate_Antwort_pruefen();
    void Adresse_Antwort_pruefen();
    void Parameterliste_Antwort();  // kinds 14, 16, 17, 18
    void Programmliste_Antwort();   // kind 3
    void Sprache_Antwort();         // kind 9
    void Version_Antwort();         // kind 15
    void Status_Antwort();          // kind 5
    void Ausgang_Antwort();         // kinds 6, 10
    void Trace_Antwort();           // kind 12

    // Parameter re-read after a write-back.
    void neulesen1Click();
    void ZYNT_Parameter_Neu_Lesen();
    // Program write, after the overwrite question was confirmed.
    void ZYNT_Programm_Speichern();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createLinkControls();
    void createTimers();
    void completeAcknowledged(uint8_t kind);
    // The end of a parameter or program write: progress display off, status poll on.
    void endTransferDisplay();
    void showDriveError();
    // Takes a data answer whose content this program does not evaluate yet:
    // once the drive's "ok" is in, the answer is dropped and the link moves on.
    void takeAnswerWithoutEvaluation();
};
