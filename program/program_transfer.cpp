// The program's transfer to and from the drive and its trace. Until they are
// built, a complete answer lets the link move on, and nothing is written.
#include "shell/tform1.h"

void TForm1::Programmliste_Antwort() { takeAnswerWithoutEvaluation(); }
void TForm1::Trace_Antwort() { takeAnswerWithoutEvaluation(); }

void TForm1::ZYNT_Programm_Speichern()
{
    // Started from the overwrite question; it comes with the program transfer.
}
