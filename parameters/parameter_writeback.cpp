// Writing the whole grid back to the drive, and the drive's permanent save:
// the window's side.
#include "shell/tform1.h"

#include <QLabel>
#include <QPushButton>

void TForm1::Button8Click()
{
    // The core writes (writeBackStarted shows it) or says why it does not.
    Core->writeBack();
}

void TForm1::Button3Click()
{
    Core->permanentSave();
}
