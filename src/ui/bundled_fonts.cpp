#include "ui/bundled_fonts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QStyleFactory>

namespace livra::ui {

bool useBundledFontsWhereArialIsMissing() {
    if (QFontDatabase::families().contains(QStringLiteral("Arial"), Qt::CaseInsensitive)) return false;
    const QDir fonts(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("lib/fonts")));
    bool liberation = false;
    for (const QString& file : fonts.entryList({QStringLiteral("*.ttf")}, QDir::Files)) {
        const int id = QFontDatabase::addApplicationFont(fonts.filePath(file));
        if (id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(QStringLiteral("Liberation Sans")))
            liberation = true;
    }
    // Liberation Sans has Arial's metrics, so texts fit where they were laid out.
    if (liberation) QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    return liberation;
}

void applyProgramLook(QApplication& app) {
    app.setStyle(QStyleFactory::create("Fusion"));
    useBundledFontsWhereArialIsMissing();
    QFont font("Arial");
    font.setPixelSize(11);
    app.setFont(font);
}

}  // namespace livra::ui
