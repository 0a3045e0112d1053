// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace translation {

namespace {

// The standard buttons' texts as Qt asks for them, so that the program's own
// catalogues carry them: German where Qt's catalogue is not installed, and
// English back where it is. Both contexts: the generic theme and GNOME's.
[[maybe_unused]] const char *const kStandardButtons[] = {
    QT_TRANSLATE_NOOP("QPlatformTheme", "OK"),     QT_TRANSLATE_NOOP("QPlatformTheme", "Cancel"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "&Yes"),   QT_TRANSLATE_NOOP("QPlatformTheme", "&No"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Close"),  QT_TRANSLATE_NOOP("QPlatformTheme", "Save"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Open"),   QT_TRANSLATE_NOOP("QPlatformTheme", "Discard"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Apply"),  QT_TRANSLATE_NOOP("QPlatformTheme", "Abort"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Retry"),  QT_TRANSLATE_NOOP("QPlatformTheme", "Ignore"),
    QT_TRANSLATE_NOOP("QPlatformTheme", "Help"),   QT_TRANSLATE_NOOP("QGnomeTheme", "&OK"),
    QT_TRANSLATE_NOOP("QGnomeTheme", "&Cancel"),   QT_TRANSLATE_NOOP("QGnomeTheme", "&Save"),
    QT_TRANSLATE_NOOP("QGnomeTheme", "&Close"),    QT_TRANSLATE_NOOP("QGnomeTheme", "Close without Saving"),
};

// Owned by the application, so they go with it; each loaded once.
struct Catalogue {
    QPointer<QTranslator> translator;
    bool installed = false;
};
Catalogue program[2];
Catalogue qtGerman;

// Puts a catalogue on or off the application. Either call sends a
// LanguageChange to every widget, so open dialogs relabel their buttons.
bool place(Catalogue &catalogue, const QString &file, bool wanted)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return false;
    if (!catalogue.translator) {
        // A new application (or the first call): nothing of ours is installed.
        catalogue.installed = false;
        if (!wanted)
            return true;
        auto *translator = new QTranslator(application);
        if (!translator->load(file)) {
            delete translator;
            return false;
        }
        catalogue.translator = translator;
    }
    if (wanted != catalogue.installed) {
        catalogue.installed = wanted ? QCoreApplication::installTranslator(catalogue.translator)
                                     : !QCoreApplication::removeTranslator(catalogue.translator);
    }
    return catalogue.installed == wanted;
}

bool followProgram(int language)
{
    const int wanted = language == 2 ? 1 : 0;
    const bool off = place(program[1 - wanted], programCatalogue(2 - wanted), false);
    return place(program[wanted], programCatalogue(wanted + 1), true) && off;
}

} // namespace

QString germanCatalogue()
{
    return QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_de.qm"));
}

QString programCatalogue(int language)
{
    return language == 2 ? QStringLiteral(":/translations/zynt_en.qm") : QStringLiteral(":/translations/zynt_de.qm");
}

bool followWithoutQt(int language)
{
    const bool qtOff = place(qtGerman, germanCatalogue(), false);
    return followProgram(language) && qtOff;
}

bool follow(int language)
{
    const bool qt = place(qtGerman, germanCatalogue(), language != 2);
    return followProgram(language) && qt;
}

} // namespace translation
