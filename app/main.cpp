#include "shell/tform1.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZYNT Programmiersoftware Version V 1.04"));
    TForm1 form1;
    form1.show();

    // Until the connection start reads its settings, the program talks to
    // the drive at address 1 on COM1 at 38400 baud: it probes the address and
    // shows the traffic in the terminal output.
    form1.TerminalOpen = true;
    form1.MemoRxD->show();
    form1.Serial1->setActive(false);
    form1.Serial1->setCOMPort(1);
    form1.Serial1->setBaudrate(br_038400);
    form1.Serial1->setActive(true);
    form1.DriveAddress = "1";
    form1.InterfaceDescription = "COM1:38400 Baud - address ";
    form1.Label2->setText(QString::fromLatin1(form1.InterfaceDescription));
    form1.queueCommand(QByteArray(), CommandKind::AddressProbe);
    form1.queueCommand("ver", CommandKind::Version);
    return app.exec();
}
