// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/qttranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace qttranslation {

namespace {

// Owned by the application, so it goes with it; loaded once.
QPointer<QTranslator> german;
bool installed = false;

} // namespace

QString germanCatalogue()
{
    return QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_de.qm"));
}

bool follow(int language)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return false;
    if (!german) {
        // A new application (or the first call): nothing of ours is installed.
        installed = false;
        auto *translator = new QTranslator(application);
        if (!translator->load(germanCatalogue())) {
            delete translator;
            return language != 1;
        }
        german = translator;
    }
    const bool wanted = language == 1;
    if (wanted == installed)
        return true;
    // Either call sends a LanguageChange to every widget, so dialogs that
    // are open relabel their standard buttons.
    installed = wanted ? QCoreApplication::installTranslator(german) : !QCoreApplication::removeTranslator(german);
    return installed == wanted;
}

} // namespace qttranslation
