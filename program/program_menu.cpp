// Program commands of the main window whose work comes with the program
// editor, its transfer and its files. They are on the menu already; until
// then they leave everything as it is.
#include "shell/tform1.h"

void TForm1::Fileffnen1Click() {}
void TForm1::ZYNTffnen1Click() {}
void TForm1::FileSpeichern1Click() {}
void TForm1::N1Click() {}
