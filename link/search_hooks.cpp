// Answer checks of the drive search, run by the receive dispatcher while the
// search probes ports, rates and addresses. The search itself drives the
// link state; while it is not running these checks are never reached.
#include "shell/tform1.h"

void TForm1::Port_Baudrate_Antwort_pruefen()
{
    ScanAnswer = ReceiveBuffer;
}

void TForm1::Adresse_Antwort_pruefen()
{
}
