#include "plan/plan_objects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

#include "model/project_file.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::addDirection;

const std::string kSep(1, char(std::filesystem::path::preferred_separator));

// Directions: 1 ped, 2 ped, 3 vehicle, 4 extra red, 5..7 tram, 8 ТВП1, 9..62
// vehicles, 63 vehicle.
std::unique_ptr<Configuration> planConfiguration() {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirPedestrian);
    addDirection(*c, 1, DirPedestrian);
    addDirection(*c, 2, DirVehicle);
    addDirection(*c, 3, DirExtraRed);
    addDirection(*c, 4, DirTram1);
    c->DirectionKind[7] = DirTvp1;
    for (int d = 8; d < DirectionCount; ++d) c->DirectionKind[d] = DirVehicle;
    c->DirectionKind[11] = DirPedestrian;
    c->DirectionKind[12] = DirExtraYellow;
    c->DirectionKind[13] = DirExtraGreen;
    return c;
}

Plan openedPlan() {
    Plan plan;
    createSpecialObjects(plan);
    return plan;
}

// One 58-byte record as the file holds it.
Bytes record(int32_t id, int32_t owner, int32_t x, int32_t y, float w, float h, int32_t angle, uint8_t direction) {
    Bytes r(PlanRecordSize, 0);
    auto put = [&](std::size_t at, int32_t v) { std::memcpy(&r[at], &v, 4); };
    put(0, id);
    put(4, owner);
    put(8, 12345);  // a stale handle: must be ignored
    put(12, x);
    put(16, y);
    std::memcpy(&r[20], &w, 4);
    std::memcpy(&r[24], &h, 4);
    put(28, 7);
    put(32, 7);
    put(36, angle);
    put(40, 0x123456);
    put(44, 3);
    r[48] = 1;
    put(49, 999999);
    r[57] = direction;
    return r;
}

Bytes fileOf(const std::string& firstLine, const std::vector<Bytes>& records) {
    Bytes b(firstLine.begin(), firstLine.end());
    b.push_back('\r');
    b.push_back('\n');
    for (const auto& r : records) b.insert(b.end(), r.begin(), r.end());
    return b;
}

std::vector<int32_t> ids(const Plan& plan) {
    std::vector<int32_t> out;
    for (const auto& o : plan.planObjects) out.push_back(o.id);
    return out;
}

TEST(PlanObjects, IdsMountAndDemount) {
    auto c = planConfiguration();
    Plan plan = openedPlan();
    EXPECT_EQ(newObjectId(plan), 1);

    const int32_t head = mountObject(plan, *c, 2, 100, 120);
    ASSERT_EQ(head, 1);
    EXPECT_EQ(ids(plan), (std::vector<int32_t>{1000, 999, 1, 2}));
    const PlanObject* h = findObject(plan, 1);
    const PlanObject* l = findObject(plan, 2);
    EXPECT_EQ(h->direction, 3);
    EXPECT_EQ(h->width, 50.0f);
    EXPECT_EQ(h->transparentColor, White);
    EXPECT_EQ(l->owner, 1);
    EXPECT_EQ(l->text, "3Т");
    EXPECT_EQ(l->baseWidth, 40);
    EXPECT_EQ(l->baseHeight, 20);
    EXPECT_EQ(l->x, 155);
    EXPECT_EQ(l->y, 120);
    EXPECT_EQ(objectRole(plan, 1), 1);
    EXPECT_EQ(objectRole(plan, 2), 2);
    EXPECT_EQ(objectRole(plan, 77), -1);
    EXPECT_EQ(objectDirection(plan, 77), 255);

    EXPECT_EQ(mountObject(plan, *c, 4, 0, 0), 3);
    EXPECT_EQ(findObject(plan, 4)->text, "5-7Р");
    EXPECT_EQ(mountObject(plan, *c, 11, 0, 0), 5);
    EXPECT_EQ(findObject(plan, 6)->text, "12П");
    mountObject(plan, *c, 3, 0, 0);
    mountObject(plan, *c, 12, 0, 0);
    mountObject(plan, *c, 13, 0, 0);
    EXPECT_EQ(findObject(plan, 8)->text, "4СК");
    EXPECT_EQ(findObject(plan, 10)->text, "13СЖ");
    EXPECT_EQ(findObject(plan, 12)->text, "14СЗ");
    EXPECT_EQ(mountObject(plan, *c, 7, 0, 0), 0) << "a call input has no head";
    EXPECT_EQ(mountObject(plan, *c, 5, 0, 0), 0) << "nor a tram's second row";
    EXPECT_EQ(mountObject(plan, *c, 63, 0, 0), 0);

    demountObject(plan, 3);
    EXPECT_EQ(newObjectId(plan), 3) << "the lowest gap";
    createLabel(plan, 50, 1, 40, 20, "3Т");  // a second label of head 1
    demountObject(plan, 1);
    EXPECT_EQ(ids(plan), (std::vector<int32_t>{1000, 999, 5, 6, 7, 8, 9, 10, 11, 12}));

    moveObjectToEnd(plan, 999);
    EXPECT_EQ(plan.planObjects.back().id, 999);
    deleteAllObjects(plan);
    EXPECT_TRUE(plan.planObjects.empty());
}

TEST(PlanObjects, MountIsRefusedWhenIdsRunOut) {
    auto c = planConfiguration();
    Plan plan = openedPlan();
    for (int32_t id = 1; id <= 997; ++id) createObject(plan, id, 50, 50);
    const auto before = plan.planObjects.size();
    EXPECT_EQ(newObjectId(plan), 998);
    EXPECT_EQ(mountObject(plan, *c, 2, 0, 0), 0) << "one id left: a head without its label is refused";
    EXPECT_EQ(plan.planObjects.size(), before);
    createObject(plan, 998, 50, 50);
    EXPECT_EQ(newObjectId(plan), 0);
    EXPECT_EQ(mountObject(plan, *c, 2, 0, 0), 0);
    EXPECT_EQ(plan.planObjects.size(), before + 1);
}

TEST(PlanObjects, RotateScaleGrowShrink) {
    Plan plan = openedPlan();
    createObject(plan, 1, 50, 50);
    PlanObject* o = findObject(plan, 1);
    rotateObject(plan, 1, 315);
    rotateObject(plan, 1, 90);
    EXPECT_EQ(o->angle, 45);
    rotateObject(plan, 1, -45);
    rotateObject(plan, 1, 180);
    rotateObject(plan, 1, 180);
    EXPECT_EQ(o->angle, 0);
    rotateObject(plan, 1, -315);
    rotateObject(plan, 1, -90);
    EXPECT_EQ(o->angle, -45) << "the sign is kept";
    rotateObject(plan, 1, INT32_MAX);
    EXPECT_EQ(o->angle, int32_t((int64_t(INT32_MAX) - 45) % 360));

    scaleObject(plan, 1, 200);
    EXPECT_EQ(o->width, 100.0f);
    EXPECT_EQ(o->height, 100.0f);
    scaleObject(plan, 1, 25);
    EXPECT_EQ(o->width, 12.5f);
    scaleObject(plan, 1, 100);
    growObject(plan, 1);
    EXPECT_EQ(std::lround(o->width), 55);
    EXPECT_EQ(o->width, 50.0f * 1.1f) << "single precision";
    scaleObject(plan, 1, 100);
    shrinkObject(plan, 1);
    EXPECT_EQ(std::lround(o->height), 45);
    EXPECT_EQ(o->height, 50.0f / 1.1f);

    // Never down to no pixels, never without bound.
    for (int k = 0; k < 100; ++k) shrinkObject(plan, 1);
    EXPECT_GE(o->width, MinObjectSize);
    for (int k = 0; k < 200; ++k) growObject(plan, 1);
    EXPECT_LE(o->width, MaxObjectSize);
    EXPECT_GT(o->width, MaxObjectSize / 1.1f);
    scaleObject(plan, 1, 0);
    EXPECT_GT(o->width, 0.0f);

    // Unknown ids are ignored.
    rotateObject(plan, 42, 90);
    scaleObject(plan, 42, 200);
    growObject(plan, 42);
    EXPECT_EQ(plan.planObjects.size(), 3u);
}

TEST(PlanObjects, SetDirectionStateReachesEveryHeadOfTheDirection) {
    auto c = planConfiguration();
    Plan plan = openedPlan();
    mountObject(plan, *c, 2, 0, 0);
    mountObject(plan, *c, 2, 200, 0);
    mountObject(plan, *c, 0, 300, 0);
    setDirectionState(plan, 3, DirVehicle, SignalGreen);
    EXPECT_EQ(findObject(plan, 1)->signal, SignalGreen);
    EXPECT_EQ(findObject(plan, 3)->signal, SignalGreen);
    EXPECT_EQ(findObject(plan, 3)->kind, DirVehicle);
    EXPECT_EQ(findObject(plan, 5)->signal, 0);
    EXPECT_EQ(findObject(plan, 2)->signal, 0) << "labels have no direction";
}

TEST(PlanFile, GoldenBytes) {
    Plan plan;
    plan.planPicturePath = "C:\\схемы\\п.png";
    createSpecialObjects(plan);
    createObject(plan, 1, 50, 50);
    setObjectDirection(plan, 1, 63);
    setObjectPosition(plan, 1, -2, 300);
    rotateObject(plan, 1, -90);
    scaleObject(plan, 1, 200);
    const Bytes bytes = serializePlan(plan);
    const std::string line = "C:\\\xf1\xf5\xe5\xec\xfb\\\xef.png\r\n";
    ASSERT_EQ(bytes.size(), line.size() + 3 * 58);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + line.size()), line);
    auto rec = [&](int k) { return Bytes(bytes.begin() + line.size() + k * 58, bytes.begin() + line.size() + (k + 1) * 58); };
    const Bytes picture = {
        0xe8, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // id 1000, owner, sprite, x, y
        0, 0, 0xfa, 0x43, 0, 0, 0xfa, 0x43,                                 // 500.0f, 500.0f
        0xf4, 0x01, 0, 0, 0xf4, 0x01, 0, 0,                                 // base 500 × 500
        0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0, 0, 0,                              // angle, colour 0, intensity 255
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0};                                      // highlighted, picture, reserved, direction
    EXPECT_EQ(rec(0), picture);
    const Bytes head = {
        1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xfe, 0xff, 0xff, 0xff, 0x2c, 0x01, 0, 0,  // id 1, x −2, y 300
        0, 0, 0xc8, 0x42, 0, 0, 0xc8, 0x42,                                           // 100.0f, 100.0f
        50, 0, 0, 0, 50, 0, 0, 0,                                                     // base 50 × 50
        0xa6, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0, 0xff, 0, 0, 0,                   // −90, white, 255
        0, 0, 0, 0, 0, 0, 0, 0, 0, 63};
    EXPECT_EQ(rec(2), head);
    EXPECT_EQ(rec(1)[0], 0xe7);  // the probe, id 999
    EXPECT_EQ(rec(1)[44], 0);    // intensity 0

    Plan empty;
    EXPECT_EQ(serializePlan(empty), (Bytes{'\r', '\n'}));
}

struct PlanFileTest : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<Configuration> c = planConfiguration();
    void SetUp() override { c->ProgramDir = dir.path().string() + kSep; }

    Plan reload(const Plan& saved) {
        EXPECT_TRUE(savePlanFile(saved, *c));
        Plan plan = openedPlan();
        const auto report = loadPlanFile(plan, *c);
        EXPECT_TRUE(report.opened);
        return plan;
    }
};

TEST_F(PlanFileTest, RoundTrips) {
    Plan saved = openedPlan();
    saved.planPicturePath = "D:\\plans\\x.png";
    const int32_t h3 = mountObject(saved, *c, 2, 100, 120);
    rotateObject(saved, h3, 90);
    scaleObject(saved, h3, 200);
    setObjectPosition(saved, h3 + 1, 210, 130);
    const int32_t a = mountObject(saved, *c, 0, 10, 10);
    rotateObject(saved, a, 315);
    rotateObject(saved, a, 90);
    const int32_t b = mountObject(saved, *c, 1, 20, 20);
    rotateObject(saved, b, -315);
    rotateObject(saved, b, -90);
    const int32_t last = mountObject(saved, *c, 62, 400, 400);
    const int32_t tram = mountObject(saved, *c, 4, 300, 30);
    growObject(saved, tram);

    const Plan plan = reload(saved);
    EXPECT_EQ(plan.planPicturePath, c->ProgramDir + "shem" + kSep + "x.png") << "pictures come from shem";
    EXPECT_EQ(ids(plan), (std::vector<int32_t>{1000, 999, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    const PlanObject* head = findObject(plan, h3);
    EXPECT_EQ(head->direction, 3);
    EXPECT_EQ(head->x, 100);
    EXPECT_EQ(head->y, 120);
    EXPECT_EQ(head->width, 100.0f);
    EXPECT_EQ(head->height, 100.0f);
    EXPECT_EQ(head->angle, 90);
    EXPECT_EQ(head->baseWidth, 50) << "the base size is the head's, not the file's";
    EXPECT_EQ(head->highlighted, 0);
    const PlanObject* label = findObject(plan, h3 + 1);
    EXPECT_EQ(label->text, "3Т");
    EXPECT_EQ(label->x, 210);
    EXPECT_EQ(label->y, 130);
    EXPECT_EQ(findObject(plan, a)->angle, 45);
    EXPECT_EQ(findObject(plan, b)->angle, -45);
    EXPECT_EQ(findObject(plan, last)->direction, 63);
    EXPECT_EQ(findObject(plan, last + 1)->text, "63Т");
    EXPECT_EQ(findObject(plan, tram)->width, 50.0f * 1.1f);
    EXPECT_EQ(findObject(plan, tram + 1)->text, "5-7Р");

    // Saved again, the bytes are the same: nothing drifts.
    EXPECT_EQ(serializePlan(reload(plan)), serializePlan(plan));
}

TEST_F(PlanFileTest, EmptyAndMissingFiles) {
    Plan plan = openedPlan();
    plan.planPicturePath = "kept";
    EXPECT_FALSE(loadPlanFile(plan, *c).opened);
    EXPECT_EQ(plan.planPicturePath, "kept");
    EXPECT_EQ(plan.planObjects.size(), 2u);

    test::writeBytes(planFilePath(*c), {});
    const auto report = loadPlanFile(plan, *c);
    EXPECT_TRUE(report.opened);
    EXPECT_FALSE(report.pictureFound);
    EXPECT_EQ(report.created, 0);
    EXPECT_EQ(plan.planPicturePath, c->ProgramDir + "shem" + kSep);
    EXPECT_EQ(plan.planObjects.size(), 2u);
}

TEST_F(PlanFileTest, PictureIsLookedUpInShem) {
    std::filesystem::create_directory(dir / "shem");
    test::writeBytes(dir / "shem" / "x.png", {1, 2, 3});
    test::writeBytes(dir / "shem" / "e.png", {});
    Plan plan;
    EXPECT_TRUE(parsePlan(plan, fileOf("/home/u/x.png", {}), *c).pictureFound);
    EXPECT_FALSE(parsePlan(plan, fileOf("x:\\e.png", {}), *c).pictureFound) << "an empty picture file";
    EXPECT_FALSE(parsePlan(plan, fileOf("y.png", {}), *c).pictureFound);

    // A name longer than any path is cut at a path's length, and what is
    // saved then reads back the same.
    Plan longName;
    parsePlan(longName, fileOf("C:\\plans\\" + std::string(5000, 'n'), {}), *c);
    EXPECT_EQ(longName.planPicturePath, c->ProgramDir + "shem" + kSep + std::string(260, 'n'));
    Plan again;
    parsePlan(again, serializePlan(longName), *c);
    EXPECT_EQ(again.planPicturePath, longName.planPicturePath);
}

TEST_F(PlanFileTest, SaveFailureWritesNothing) {
    c->ProgramDir = (dir / "missing").string() + kSep;
    EXPECT_FALSE(savePlanFile(openedPlan(), *c));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST_F(PlanFileTest, SpecialRecordsAndHeadsThatLostTheirKindCreateNothing) {
    const Bytes bytes = fileOf("", {record(1000, 0, 0, 0, 500, 500, 0, 0), record(999, 0, 5, 5, 1, 1, 0, 0),
                                    record(1, 0, 10, 10, 50, 50, 0, 8),    // ТВП1 input: no head kind
                                    record(2, 1, 65, 10, 40, 20, 0, 0),    // its label
                                    record(3, 0, 10, 10, 50, 50, 0, 6),    // tram row 2
                                    record(4, 0, 30, 30, 50, 50, 0, 3),    // vehicle 3: kept
                                    record(5, 4, 85, 30, 40, 20, 0, 0)});
    Plan plan = openedPlan();
    const auto report = parsePlan(plan, bytes, *c);
    EXPECT_EQ(ids(plan), (std::vector<int32_t>{1000, 999, 4, 5}));
    EXPECT_EQ(report.created, 2);
    EXPECT_EQ(report.dropped, 3);
    EXPECT_EQ(findObject(plan, 1000)->width, 500.0f);
}

TEST_F(PlanFileTest, UntrustedRecordsAreDroppedNotTrusted) {
    const float nan = std::nanf("");
    Bytes bytes = fileOf("x.png", {
        record(1, 0, 0, 0, 50, 50, 0, 64),        // direction above 63
        record(2, 0, 0, 0, 50, 50, 0, 255),
        record(3, 0, 0, 0, 50, 50, 0, 3),         // sound head
        record(4, 3, 0, 0, 40, 20, 0, 0),         // its label
        record(5, 4, 0, 0, 40, 20, 0, 0),         // owner is a label
        record(6, 999, 0, 0, 40, 20, 0, 0),       // owner is the probe
        record(7, 3, 0, 0, 40, 20, 0, 3),         // owner and direction both set
        record(3, 0, 0, 0, 50, 50, 0, 1),         // id already in use
        record(0, 0, 0, 0, 50, 50, 0, 1),         // ids outside 1..998
        record(-5, 0, 0, 0, 50, 50, 0, 1),
        record(1001, 0, 0, 0, 50, 50, 0, 1),
        record(8, -3, 0, 0, 40, 20, 0, 0),        // negative owner
        record(9, 0, 1, 2, nan, INFINITY, 725, 1),  // sizes no sprite can have, angle past a turn
        record(10, 0, 1, 2, -4, 1e9f, -725, 2),
    });
    const Bytes shortRecord = record(11, 0, 0, 0, 50, 50, 0, 1);
    bytes.insert(bytes.end(), shortRecord.begin(), shortRecord.begin() + 57);

    Plan plan = openedPlan();
    const auto report = parsePlan(plan, bytes, *c);
    EXPECT_EQ(ids(plan), (std::vector<int32_t>{1000, 999, 3, 4, 9, 10}));
    EXPECT_EQ(report.created, 4);
    EXPECT_EQ(report.dropped, 11);
    const PlanObject* odd = findObject(plan, 9);
    EXPECT_EQ(odd->width, 50.0f);
    EXPECT_EQ(odd->height, 50.0f);
    EXPECT_EQ(odd->angle, 5);
    EXPECT_EQ(findObject(plan, 10)->angle, -5);
    EXPECT_EQ(findObject(plan, 10)->height, 50.0f);

    // More records than ids: at most 998 objects, each id once.
    std::vector<Bytes> many;
    for (int k = 0; k < 1500; ++k) many.push_back(record(1 + k % 1100, 0, k, k, 50, 50, 0, 3));
    Plan crowded = openedPlan();
    const auto r2 = parsePlan(crowded, fileOf("", many), *c);
    EXPECT_EQ(r2.created, 998);
    EXPECT_EQ(crowded.planObjects.size(), 1000u);
    EXPECT_EQ(newObjectId(crowded), 0);

    // No line end at all: the whole file is the picture name.
    Plan garbage;
    const Bytes noLine(200, 'A');
    const auto r3 = parsePlan(garbage, noLine, *c);
    EXPECT_EQ(r3.created, 0);
    EXPECT_TRUE(garbage.planObjects.empty());
}

}  // namespace
}  // namespace livra
