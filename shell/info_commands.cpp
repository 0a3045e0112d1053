// Terminal, master mode, firmware version and info display. They are on the
// menu already; their work comes with the terminal and info commands, and
// until then they leave everything as it is.
#include "shell/tform1.h"

#include "shell/cp1252.h"
#include "shell/firmware.h"

#include <QLabel>

void TForm1::Terminal1Click() {}
void TForm1::ON1Click() {}
void TForm1::OFF1Click() {}
void TForm1::ZYNTVersion1Click() {}
void TForm1::Hexwald1Click() {}

void TForm1::Version_Antwort()
{
    if (const std::optional<firmware::Version> version = firmware::readVersion(ReceiveBuffer)) {
        Label18->setText(fromCp1252(version->text));
        FirmwareNumber = version->number;
    } else if (!firmware::answerComplete(ReceiveBuffer)) {
        return; // more is coming
    }
    // An answer of another form leaves the version as it was; it must not
    // hold up every command queued behind it.
    ReceiveBuffer.clear();
    Liste_aktualisieren();
}
