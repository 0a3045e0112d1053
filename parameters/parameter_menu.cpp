// The parameter file commands of the main window; their work comes with the
// parameter files. They are on the menu already; until then they leave
// everything as it is.
#include "shell/tform1.h"

void TForm1::ParameterSpeichern1Click() {}
void TForm1::Parameterffnen1Click() {}
