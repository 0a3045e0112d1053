// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/startoptions.h"

#include "zyntversion.h"

namespace startoptions {

namespace {

// Qt's command-line options that a Qt program takes from its arguments, with
// one or two leading dashes: those that take a value, and the rest.
const QStringList kQtValueOptions = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                                     "qwindowicon", "qwindowtitle", "session", "style", "stylesheet", "display",
                                     "geometry", "title", "name", "visual", "ncols", "cmap", "fontengine", "dialogs"};
const QStringList kQtFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

Options parse(const QStringList &arguments)
{
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--version")) {
            options.version = true;
        } else if (argument == QLatin1String("--demo")) {
            options.demo = true;
        } else if (argument.startsWith(QLatin1Char('-'))) {
            QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
            const bool joined = name.contains(QLatin1Char('='));
            name = name.section(QLatin1Char('='), 0, 0);
            if (kQtValueOptions.contains(name)) {
                if (!joined)
                    ++i;
            } else if (!kQtFlags.contains(name) && options.error.isEmpty()) {
                options.error = QStringLiteral("unknown option %1").arg(argument);
            }
        } else if (options.error.isEmpty()) {
            options.error = QStringLiteral("unexpected argument %1").arg(argument);
        }
    }
    return options;
}

QString usage()
{
    return QStringLiteral(
        "usage: zynt [--demo] [Qt options]\n"
        "       zynt --help | --version\n"
        "\n"
        "The window for commissioning and programming ZYNT positioning drives on an\n"
        "RS-232 line. It starts in the current folder: the settings file ZYNT.ini there\n"
        "names the port, the rate and the drives; without it the program searches.\n"
        "\n"
        "  --demo      start a simulated drive (zynt-sim) on a pseudo-terminal and\n"
        "              connect to it as COM1, in a working folder of its own under\n"
        "              $XDG_RUNTIME_DIR; the drive ends with the window\n"
        "  --help      this text\n"
        "  --version   the program's version\n"
        "\n"
        "COM1 to COM4 are the serial devices found (USB adapters first); ZYNT_COM1 to\n"
        "ZYNT_COM4 name other devices. The command line is zynt-cli; see zynt(1).\n");
}

QString versionText()
{
    return QStringLiteral("zynt " ZYNT_VERSION "\n");
}

} // namespace startoptions
