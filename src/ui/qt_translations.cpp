#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace livra::ui {

namespace {

// Qt's Russian catalogue lacks the type names that the file dialog's "Тип"
// column shows, so a folder would read "Folder" among Russian texts.
class FileTypeNames : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
        if (qstrcmp(source, "Folder") == 0 || qstrcmp(source, "File Folder") == 0) return "Папка";
        if (qstrcmp(source, "Drive") == 0) return "Диск";
        if (qstrcmp(source, "File") == 0) return "Файл";
        if (qstrcmp(source, "%1 File") == 0) return "Файл %1";
        if (qstrcmp(source, "Shortcut") == 0) return "Ярлык";
        return {};
    }
};

}  // namespace

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
        if (translator->load(russian, "qtbase", "_", folder) && QCoreApplication::installTranslator(translator)) {
            QCoreApplication::installTranslator(new FileTypeNames(&app));
            return true;
        }
        delete translator;
    }
    return false;
}

}  // namespace livra::ui
