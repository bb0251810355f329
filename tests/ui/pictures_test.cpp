#include <gtest/gtest.h>

#include "pictures/pictures.h"

using namespace livra::pictures;

namespace {

QColor middle(const QImage& img) { return img.pixelColor(img.width() / 2, img.height() / 2); }

TEST(Pictures, SignalCellsCarryTheirColoursAndFrame) {
    const auto& p = builtInPictures();
    const QColor fills[10] = {Qt::white,          QColor(255, 0, 0),     QColor(255, 242, 0), QColor(0, 255, 0),
                              QColor(250, 250, 250), QColor(250, 250, 250), QColor(),         Qt::white,
                              QColor(153, 153, 153), QColor(255, 198, 197)};
    for (int code = 0; code < 10; ++code) {
        const QImage& cell = p.signalCell[code];
        ASSERT_EQ(cell.size(), QSize(63, 33)) << code;
        EXPECT_EQ(cell.pixelColor(0, 0), QColor(32, 178, 170)) << code;
        EXPECT_EQ(cell.pixelColor(62, 32), QColor(32, 178, 170)) << code;
        if (fills[code].isValid() && code != 4 && code != 5 && code != 7) {
            EXPECT_EQ(middle(cell), fills[code]) << code;
        }
    }
    // Red and yellow: red lower left, yellow upper right.
    EXPECT_EQ(p.signalCell[6].pixelColor(5, 28), QColor(255, 0, 0));
    EXPECT_EQ(p.signalCell[6].pixelColor(58, 4), QColor(255, 242, 0));
    // Flashing: coloured bars on near-white, a gap between bars.
    EXPECT_EQ(p.signalCell[4].pixelColor(9, 16), QColor(255, 242, 0));
    EXPECT_EQ(p.signalCell[5].pixelColor(9, 16), QColor(0, 255, 0));
    EXPECT_EQ(p.signalCell[5].pixelColor(14, 16), QColor(250, 250, 250));
}

TEST(Pictures, SizesOfEveryRole) {
    const auto& p = builtInPictures();
    for (const QImage& img : p.directionSymbol) EXPECT_EQ(img.size(), QSize(63, 33));
    EXPECT_EQ(p.directionSymbol[0].pixelColor(5, 5), QColor(63, 236, 205));
    EXPECT_EQ(p.directionSymbol[OutsideKind].pixelColor(5, 5), QColor(153, 153, 153));
    for (const QImage& img : p.modeCell) EXPECT_EQ(img.size(), QSize(33, 33));
    EXPECT_EQ(p.notApplicableCell.size(), QSize(33, 33));
    EXPECT_EQ(p.greyCell.pixelColor(16, 16), QColor(153, 153, 153));
    for (const QImage& img : p.animation) EXPECT_EQ(img.size(), QSize(100, 100));
    // Twelve different frames.
    for (int i = 0; i < AnimationFrameCount; ++i)
        for (int j = i + 1; j < AnimationFrameCount; ++j) EXPECT_NE(p.animation[i], p.animation[j]) << i << " " << j;
    EXPECT_EQ(p.logo.size(), QSize(370, 70));
    EXPECT_EQ(p.stepIcon.size(), QSize(32, 20));
    EXPECT_EQ(p.runIcon.size(), QSize(20, 20));
    EXPECT_FALSE(p.appIcon.isNull());
}

TEST(Pictures, PlanHeadsLightTheirLamps) {
    const auto& p = builtInPictures();
    const QColor white(255, 255, 255), red(255, 0, 0), yellow(255, 242, 0), green(0, 255, 0), blue(170, 225, 255);
    for (const QImage& img : p.vehicleHead) {
        EXPECT_EQ(img.size(), QSize(100, 100));
        EXPECT_EQ(img.pixelColor(2, 2), white);  // the transparent colour
        EXPECT_EQ(img.pixelColor(12, 50), QColor(Qt::black));  // the pole
    }
    EXPECT_EQ(p.vehicleHead[HeadRed].pixelColor(60, 50), red);
    EXPECT_EQ(p.vehicleHead[HeadGreen].pixelColor(60, 50), green);
    EXPECT_EQ(p.vehicleHead[HeadRedYellow].pixelColor(60, 35), yellow);
    EXPECT_EQ(p.vehicleHead[HeadRedYellow].pixelColor(60, 65), red);
    EXPECT_EQ(p.pedestrianHead[2].pixelColor(68, 50), green);
    EXPECT_EQ(p.sectionHead[HeadYellow].pixelColor(58, 50), yellow);
    // Tram: code 8 is the stop picture (base dark, direction lamps lit);
    // code 2 lights the base and the top lamp only.
    EXPECT_EQ(p.tramHead[8].pixelColor(46, 50), QColor(Qt::black));
    EXPECT_EQ(p.tramHead[8].pixelColor(84, 50), blue);
    EXPECT_EQ(p.tramHead[2].pixelColor(46, 50), blue);
    EXPECT_EQ(p.tramHead[2].pixelColor(80, 20), blue);
    EXPECT_EQ(p.tramHead[2].pixelColor(80, 80), QColor(Qt::black));
    EXPECT_EQ(p.tramHead[0].pixelColor(80, 20), QColor(Qt::black));
}

}  // namespace
