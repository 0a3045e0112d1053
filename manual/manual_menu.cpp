// The menu command that opens the manual operation window; the window's
// work comes with manual operation. Until then it leaves everything as it is.
#include "shell/tform1.h"

void TForm1::Manuell1Click() {}

void TForm1::connectManualControls()
{
}
