#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace livra::ui {

bool installQtTranslations(QCoreApplication& app) {
    // The program speaks Russian whatever the computer's language.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const QStringList folders = {
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath("translations"),
    };
    for (const QString& folder : folders) {
        auto* translator = new QTranslator(&app);
        // "qtbase" holds the dialogs and buttons; "qt" would also pull modules
        // the program does not use.
        if (translator->load(russian, "qtbase", "_", folder) && QCoreApplication::installTranslator(translator))
            return true;
        delete translator;
    }
    return false;
}

}  // namespace livra::ui
