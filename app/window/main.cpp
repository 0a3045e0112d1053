// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/demo.h"
#include "shell/startoptions.h"
#include "shell/window/tform1.h"
#include "zyntversion.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Before Qt: --help and --version need no display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const startoptions::Options options = startoptions::parse(arguments);
    if (options.help || options.version) {
        std::fputs(qPrintable(options.help ? startoptions::usage() : startoptions::versionText()), stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "zynt: %s\n%s", qPrintable(options.error), qPrintable(startoptions::usage()));
        return 64;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZYNT Programmiersoftware Version V " ZYNT_VERSION));
    // The demo's drive must be on its line before the port table is built.
    demo::Demo simulated;
    if (options.demo) {
        // Before the drive starts, so that no signal can leave it behind.
        demo::quitOnSignals();
        const QString error = simulated.start(demo::simulatorProgram(QCoreApplication::applicationDirPath()));
        if (!error.isEmpty()) {
            std::fprintf(stderr, "zynt: %s\n", qPrintable(error));
            QMessageBox::critical(nullptr, QStringLiteral("ZYNT Demo"), error);
            return 1;
        }
    }
    // The main window comes with the manual operation window and the
    // confirmation dialog; then it starts up: texts, settings, connection.
    TForm1 form1;
    form1.DemoMode = options.demo;
    form1.FormCreate();
    form1.show();
    return app.exec();
}
