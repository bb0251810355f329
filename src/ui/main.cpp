// livra-configurator: the desktop program.
#include <QApplication>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "pictures/pictures.h"
#include "ui/main_window.h"
#include "ui/session.h"
#include "ui/single_instance.h"

int main(int argc, char** argv) {
    QElapsedTimer started;
    started.start();
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = livra::ui::parseCommandLine(args, error);
    if (!options) {
        std::fputs(livra::ui::kUsage, error == "help" ? stdout : stderr);
        if (error == "help") return 0;
        std::fprintf(stderr, "livra-configurator: %s\n", error.c_str());
        return 2;
    }
    // A second start ends at once, without a window.
    livra::ui::SingleInstance instance(livra::ui::instanceName());
    if (!instance.held()) return 0;

    QApplication app(argc, argv);
    app.setStyle(QStyleFactory::create("Fusion"));
    QFont font("Arial");
    font.setPixelSize(11);
    app.setFont(font);
    livra::pictures::builtInPictures();
    // The toolkit's own dialogs (the file dialogs) speak Russian like the rest.
    QTranslator toolkitRussian;
    if (toolkitRussian.load(QLocale(QLocale::Russian), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&toolkitRussian);

    livra::ui::Session session(*options);
    session.start();
    if (options->quitAfterShow) {
        QTimer::singleShot(0, &app, [&] {
            std::printf("shown after %lld ms\n", static_cast<long long>(started.elapsed()));
            std::fflush(stdout);
            app.exit(0);
        });
    }
    app.exec();
    return 0;
}
