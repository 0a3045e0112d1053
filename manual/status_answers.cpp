// The answers of the status poll and of the output query. Until their
// displays are built, a complete answer lets the link move on.
#include "shell/tform1.h"

void TForm1::Status_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Ausgang_Antwort() { takeAnswerWithoutEvaluation(); }
