// The entry point of the desktop program's tests: one QApplication for all.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "pictures/pictures.h"
#include "ui/bundled_fonts.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // As the program does: where there is no Arial (wine) the shipped fonts stand in.
    livra::ui::applyProgramLook(app);
    livra::pictures::builtInPictures();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
