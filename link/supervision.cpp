// Supervision timers of the link.
#include "shell/tform1.h"

#include "program/tokbottomdlg.h"
#include "shell/cp1252.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

void TForm1::Timer5Timer()
{
    Timer5->stop();
}

void TForm1::Timer13Timer()
{
    // Shown a moment after the error line was complete, from the main loop
    // rather than from inside the receive handler.
    Timer13->stop();
    DialogMessage = true;
    OKBottomDlg->Label1->setText(fromCp1252(ReceiveBuffer));
    OKBottomDlg->setWindowTitle(fromCp1252(text(191)));
    OKBottomDlg->show();
    if (Label4->isVisible())
        OKBottomDlg->resize(OKBottomDlg->width(), 203);
    OKBottomDlg->CancelBtn->hide();
    OKBottomDlg->OKBtn->move(129, OKBottomDlg->OKBtn->y());
    OKBottomDlg->setLabelColour(OKBottomDlg->palette().color(QPalette::Button));
    OKBottomDlg->Image1->show();
    setEnabled(false);
    if (Form2)
        Form2->setEnabled(false);
}
