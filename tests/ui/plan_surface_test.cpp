// The plan surface's drawing: where a head's lit lamp lands for a given
// place, rotation and scale, the tint, the plan picture and transparency.
#include <gtest/gtest.h>

#include <QPainter>

#include "plan/plan_pictures.h"
#include "support/test_support.h"
#include "ui/plan/plan_surface.h"

using namespace livra;
using namespace livra::ui;

namespace {

bool isRed(QRgb p) { return qRed(p) > 180 && qGreen(p) < 90 && qBlue(p) < 90; }
bool isDark(QRgb p) { return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60; }
const QRgb kBackground = qRgb(0, 0, 125);

TEST(PlanSurface, HeadsLandWhereTheirPlaceRotationAndScaleSay) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    Plan plan;
    createSpecialObjects(plan);
    const int32_t head = mountObject(plan, *c, 0, 100, 100);
    ASSERT_EQ(head, 1);
    PlanSurface surface(plan, *c);
    setDirectionState(plan, 1, DirVehicle, SignalRed);
    surface.drawPlanObjects(0);

    // The head picture: pole at (12, 50), the lit half-disc right of x = 40,
    // drawn at half size into 50 × 50.
    QImage img = surface.renderToImage();
    EXPECT_EQ(img.size(), QSize(500, 500));
    EXPECT_TRUE(isRed(img.pixel(133, 125)));
    EXPECT_TRUE(isDark(img.pixel(106, 125)));
    EXPECT_EQ(img.pixel(102, 102), kBackground) << "white is transparent";
    EXPECT_EQ(img.pixel(300, 300), kBackground);

    rotateObject(plan, head, 90);  // clockwise: the lamp now faces down
    img = surface.renderToImage();
    EXPECT_TRUE(isRed(img.pixel(125, 133)));
    EXPECT_TRUE(isDark(img.pixel(125, 106)));
    EXPECT_EQ(img.pixel(106, 125), kBackground) << "the pole moved away";

    rotateObject(plan, head, -90);
    scaleObject(plan, head, 200);  // 100 × 100 from the same 100 × 100 source
    img = surface.renderToImage();
    EXPECT_TRUE(isRed(img.pixel(166, 150)));
    EXPECT_TRUE(isDark(img.pixel(112, 150)));

    // Highlighted: a blue tint over the object's whole place.
    surface.setHighlighted({head});
    img = surface.renderToImage();
    const QRgb tinted = img.pixel(103, 103);
    EXPECT_EQ(qRed(tinted), 0);
    EXPECT_GT(qBlue(tinted), 165);
    EXPECT_LT(qBlue(tinted), 185);
    surface.setHighlighted({});

    // Intensity 0 hides it; the label stays, black text on nothing.
    setObjectIntensity(plan, head, 0);
    img = surface.renderToImage();
    EXPECT_EQ(img.pixel(166, 150), kBackground);
    int ink = 0, halo = 0;
    for (int y = 100; y < 120; ++y)
        for (int x = 155; x < 195; ++x) {
            const QRgb px = img.pixel(x, y);
            ink += isDark(px);
            halo += qRed(px) > 200 && qGreen(px) > 200 && qBlue(px) > 200;
        }
    EXPECT_GT(ink, 10) << "label 1Т";
    // Readable on the dark blue of a plan without a picture: a white halo
    // rings the black text.
    EXPECT_GT(halo, 20) << "label 1Т";
}

TEST(PlanSurface, PlanPictureIsStretchedAndABadFileKeepsIt) {
    auto c = test::newConfiguration();
    Plan plan;
    createSpecialObjects(plan);
    PlanSurface surface(plan, *c);
    QImage picture(2, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(0, 255, 0));
    picture.setPixel(0, 1, qRgb(0, 0, 255));
    picture.setPixel(1, 1, qRgb(255, 255, 0));
    test::TempDir dir;
    ASSERT_TRUE(picture.save(QString::fromStdString(pathToUtf8(dir / "p.png"))));
    ASSERT_TRUE(surface.loadPlanPictureFile(pathToUtf8(dir / "p.png")));
    QImage img = surface.renderToImage();
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(494, 5), qRgb(0, 255, 0));
    EXPECT_EQ(img.pixel(5, 494), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(494, 494), qRgb(255, 255, 0));

    test::writeBytes(dir / "bad.png", Bytes{0x89, 'P', 'N', 'G', 1, 2, 3});
    EXPECT_FALSE(surface.loadPlanPictureFile(pathToUtf8(dir / "bad.png")));
    EXPECT_FALSE(surface.loadPlanPictureFile(pathToUtf8(dir / "missing.png")));
    EXPECT_EQ(surface.planPicture().size(), QSize(2, 2));
    EXPECT_EQ(surface.renderToImage().pixel(5, 5), qRgb(255, 0, 0));
}

}  // namespace

namespace {

TEST(PlanSurface, ANewHeadUnderAnOldIdStartsDarkInItsOwnKind) {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirTram1);
    test::addDirection(*c, 3, DirPedestrian);
    Plan plan;
    createSpecialObjects(plan);
    const int32_t tram = mountObject(plan, *c, 0, 100, 100);
    PlanSurface surface(plan, *c);
    setDirectionState(plan, 1, DirTram1, 8);
    surface.drawPlanObjects(0);
    EXPECT_EQ(surface.headPicture(tram), (HeadPicture{HeadPictureSet::Tram, 8}));
    demountObject(plan, tram);
    ASSERT_EQ(mountObject(plan, *c, 3, 100, 100), tram);
    EXPECT_EQ(surface.headPicture(tram), (HeadPicture{HeadPictureSet::Pedestrian, 0}));
    const QImage img = surface.renderToImage();
    EXPECT_TRUE(isDark(img.pixel(125, 125))) << "the pedestrian head is drawn";
}

}  // namespace
