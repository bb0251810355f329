// livra-configurator: the desktop program.
#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTimer>
#include <cstdio>
#include <new>

#include "pictures/pictures.h"
#include "platform/platform.h"
#include "ui/bundled_fonts.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"
#include "ui/session.h"
#include "livra_version.h"
#include "ui/single_instance.h"

int main(int argc, char** argv) {
    QElapsedTimer started;
    started.start();
    // The project's name in UTF-8 on every system (Windows hands over the ANSI code page).
    std::vector<std::string> args = livra::platform::utf8Arguments(argc, argv);
    args.erase(args.begin());
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("livra-configurator %s\n", LIVRA_VERSION);
        return 0;
    }
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
    livra::ui::applyProgramLook(app);
    // Dates, sizes and Qt's own texts in the dialogs as a Russian user reads them.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    livra::ui::installQtTranslations(app);
    livra::pictures::builtInPictures();

    livra::ui::Session session(*options);
    // Opening the command line's project is the one start-up step that
    // depends on outside input; Open from the menu catches the same itself.
    try {
        session.start();
    } catch (const std::bad_alloc&) {
        std::fputs("livra-configurator: not enough memory to open the project\n", stderr);
        return 1;
    }
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
