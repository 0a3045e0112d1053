// Parameter commands of the main window whose work comes with the parameter
// table, its views and its files. They are on the menu already; until then
// they leave everything as it is.
#include "shell/tform1.h"

void TForm1::LoadParameterDescriptions() {}
void TForm1::RelabelDescriptions(int) {}
void TForm1::showBasicView() {}
void TForm1::nachFunktionSortieren1Click() {}
void TForm1::ffnen1Click() {}
void TForm1::ParameterSpeichern1Click() {}
void TForm1::Parameterffnen1Click() {}
