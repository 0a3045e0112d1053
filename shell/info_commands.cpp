// Terminal, master mode, firmware version and info display. They are on the
// menu already; their work comes with the terminal and info commands, and
// until then they leave everything as it is.
#include "shell/tform1.h"

void TForm1::Terminal1Click() {}
void TForm1::ON1Click() {}
void TForm1::OFF1Click() {}
void TForm1::ZYNTVersion1Click() {}
void TForm1::Hexwald1Click() {}

// The firmware version's display comes with the version answer; until then a
// complete answer lets the link move on.
void TForm1::Version_Antwort() { takeAnswerWithoutEvaluation(); }
