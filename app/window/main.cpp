// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/tform1.h"
#include "zyntversion.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZYNT Programmiersoftware Version V " ZYNT_VERSION));
    // The main window comes with the manual operation window and the
    // confirmation dialog; then it starts up: texts, settings, connection.
    TForm1 form1;
    form1.FormCreate();
    form1.show();
    return app.exec();
}
