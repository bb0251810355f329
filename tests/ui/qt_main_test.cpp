// The entry point of the desktop program's tests: one QApplication for all.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStyleFactory>
#include <cstdlib>

#include "pictures/pictures.h"

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setStyle(QStyleFactory::create("Fusion"));
    QFont font("Arial");
    font.setPixelSize(11);
    app.setFont(font);
    livra::pictures::builtInPictures();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
