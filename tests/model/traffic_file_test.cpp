// The traffic counts in the safety file: written, read back, every number
// held to its bounds, older files unchanged.
#include <gtest/gtest.h>

#include "model/files.h"
#include "model/safety_file.h"
#include "support/test_support.h"

namespace livra {
namespace {

const std::filesystem::path kRepo = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();

std::unique_ptr<Configuration> vehicleAndWalkers() {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirPedestrian);
    return c;
}

// A file with a matrix and one traffic row whose member `name` is `value`.
std::string fileWith(const std::string& row) {
    return R"({"format": "livra-safety", "version": 1, "directions": [1, 2], "conflicts": [[1, 2]],
               "intergreen": [], "traffic": [{"program": 4, "directions": [)" +
           row + "]}]}";
}

TEST(TrafficFile, WrittenAndReadBackBesideTheMatrixOrAlone) {
    auto c = vehicleAndWalkers();
    c->Safety.defined = true;
    c->Safety.conflict[0].set(1), c->Safety.conflict[1].set(0);
    c->Safety.traffic.programs[4].directions[0] = DirectionTraffic{450, 2, 1900, 0, 1.3};
    c->Safety.traffic.programs[15].directions[1] = DirectionTraffic{0, 1, 1800, 12.5, 1.1};
    const std::string text = safetyJson(c->Safety, *c);
    EXPECT_NE(text.find(R"("traffic": [
    {
      "program": 5,
      "directions": [
        {
          "direction": 1,
          "flow": 450,
          "lanes": 2,
          "laneSaturation": 1900,)"),
              std::string::npos)
        << text;
    SafetyData back;
    ASSERT_EQ(parseSafetyJson(text, *c, back).status, SafetyFileStatus::Loaded);
    EXPECT_TRUE(back.defined);
    EXPECT_EQ(back.traffic, c->Safety.traffic);

    // Counts without a matrix: the file says so and reads back without one.
    c->Safety.defined = false;
    c->Safety.conflict = {};
    const std::string alone = safetyJson(c->Safety, *c);
    EXPECT_NE(alone.find("\"matrix\": false"), std::string::npos);
    ASSERT_EQ(parseSafetyJson(alone, *c, back).status, SafetyFileStatus::Loaded);
    EXPECT_FALSE(back.defined);
    EXPECT_EQ(back.traffic, c->Safety.traffic);
    EXPECT_TRUE(back.needsFile());
    // No counts: no member at all, as before.
    c->Safety.defined = true;
    c->Safety.traffic.clear();
    EXPECT_EQ(safetyJson(c->Safety, *c).find("traffic"), std::string::npos);
    EXPECT_EQ(safetyJson(c->Safety, *c).find("matrix"), std::string::npos);
}

TEST(TrafficFile, TheSampleFileWrittenBeforeOpensUnchanged) {
    const auto bytes = readWholeFile(kRepo / "examples" / "crossroad.safety.json", 1 << 20);
    const std::string text(bytes->begin(), bytes->end());
    ASSERT_EQ(text.find("traffic"), std::string::npos);
    Configuration probe;
    SafetyData s;
    parseSafetyJson(text, probe, s);
    EXPECT_TRUE(s.defined);
    EXPECT_TRUE(s.traffic.empty());
    Configuration kinds;
    for (int i = 0; i < DirectionCount; ++i) kinds.DirectionKind[i] = s.writtenKinds[i];
    EXPECT_EQ(safetyJson(s, kinds), text);  // written again byte for byte
}

TEST(TrafficFile, EveryNumberHeldToBothBounds) {
    auto c = vehicleAndWalkers();
    struct Case {
        std::string row;
        bool good;
    };
    const Case cases[] = {
        {R"({"direction": 1, "flow": 0})", true},
        {R"({"direction": 1, "flow": 10000})", true},
        {R"({"direction": 1, "flow": -1})", false},
        {R"({"direction": 1, "flow": 10001})", false},
        {R"({"direction": 1, "flow": 1.5})", false},
        {R"({"direction": 1, "lanes": 1})", true},
        {R"({"direction": 1, "lanes": 8})", true},
        {R"({"direction": 1, "lanes": 0})", false},
        {R"({"direction": 1, "lanes": 9})", false},
        {R"({"direction": 1, "laneSaturation": 100})", true},
        {R"({"direction": 1, "laneSaturation": 3000})", true},
        {R"({"direction": 1, "laneSaturation": 99})", false},
        {R"({"direction": 1, "laneSaturation": 3001})", false},
        {R"({"direction": 2, "crossing": 0})", true},
        {R"({"direction": 2, "crossing": 100})", true},
        {R"({"direction": 2, "crossing": -0.1})", false},
        {R"({"direction": 2, "crossing": 100.1})", false},
        {R"({"direction": 2, "crossing": "12"})", false},
        {R"({"direction": 2, "walkingSpeed": 0.5})", true},
        {R"({"direction": 2, "walkingSpeed": 3})", true},
        {R"({"direction": 2, "walkingSpeed": 0.49})", false},
        {R"({"direction": 2, "walkingSpeed": 3.01})", false},
        {R"({"direction": 63})", true},
        {R"({"direction": 0})", false},
        {R"({"direction": 64})", false},
        {R"({"flow": 5})", false},
        {R"(7)", false},
    };
    for (const Case& k : cases) {
        SafetyData s;
        const auto r = parseSafetyJson(fileWith(k.row), *c, s);
        EXPECT_EQ(r.status != SafetyFileStatus::Damaged, k.good) << k.row << " " << r.message;
    }
    // The program: user programs 4..16 only.
    for (const auto& [program, good] : std::vector<std::pair<std::string, bool>>{
             {"4", true}, {"16", true}, {"3", false}, {"17", false}, {"\"4\"", false}}) {
        std::string text = fileWith(R"({"direction": 1})");
        text.replace(text.find("\"program\": 4"), 12, "\"program\": " + program);
        SafetyData s;
        EXPECT_EQ(parseSafetyJson(text, *c, s).status != SafetyFileStatus::Damaged, good) << program;
    }
    SafetyData s;
    EXPECT_EQ(parseSafetyJson(R"({"format": "livra-safety", "version": 1, "directions": [1, 2], "conflicts": [],
               "intergreen": [], "traffic": {}})",
                              *c, s)
                  .status,
              SafetyFileStatus::Damaged);
    const auto r = parseSafetyJson(fileWith(R"({"direction": 1, "lanes": 9})"), *c, s);
    EXPECT_EQ(r.message, "Файл данных безопасности повреждён: traffic.lanes — число 9 вне 1..8");
}

TEST(TrafficFile, DeletingADirectionMovesTheCountsDown) {
    TrafficData t;
    t.programs[3].directions[0].flow = 100;
    t.programs[3].directions[1].flow = 200;
    t.programs[3].directions[2].flow = 300;
    t.deleteDirection(1);
    ASSERT_EQ(t.programs[3].directions.size(), 2u);
    EXPECT_EQ(t.programs[3].directions[0].flow, 100);
    EXPECT_EQ(t.programs[3].directions[1].flow, 300);
}

}  // namespace
}  // namespace livra
