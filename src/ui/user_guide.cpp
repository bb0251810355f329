#include "ui/user_guide.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace livra::ui {

QStringList userGuideCandidates() {
    const QDir program(QCoreApplication::applicationDirPath());
    QStringList list = {
        program.filePath("guide/index.html"),
        program.filePath("../share/doc/livra/guide/index.html"),
    };
#ifdef LIVRA_SOURCE_DOCS
    list << QDir(QStringLiteral(LIVRA_SOURCE_DOCS)).filePath("guide/index.html");
#endif
    for (QString& path : list) path = QDir::cleanPath(path);
    return list;
}

QString findUserGuide() {
    for (const QString& path : userGuideCandidates())
        if (QFileInfo(path).isFile()) return path;
    return {};
}

}  // namespace livra::ui
