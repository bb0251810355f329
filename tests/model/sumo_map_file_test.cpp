// The SUMO link map inside the safety data's file: written and read back,
// optional, every number bounded both ways, and kept in step when a
// direction is deleted.
#include <gtest/gtest.h>

#include "model/safety_file.h"
#include "support/test_support.h"

namespace livra {
namespace {

std::unique_ptr<Configuration> twoDirections() {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirPedestrian);
    return c;
}

const std::string kHead = R"({"format": "livra-safety", "version": 1, "directions": [1, 2], "conflicts": [], "intergreen": [])";

SafetyLoadResult parseWith(const std::string& sumo, SafetyData& out) {
    auto c = twoDirections();
    return parseSafetyJson(kHead + ", \"sumo\": " + sumo + "}", *c, out);
}

TEST(SumoMapFile, WrittenAndReadBackAndOptional) {
    auto c = twoDirections();
    SafetyData s;
    s.defined = true;
    s.sumoMap.tls = "C";
    s.sumoMap.net = "x.net.xml";
    s.sumoMap.programs = {3};
    s.sumoMap.links = {SumoMapLink{0, {{3, 0}, {3, 2}}, {1}}, SumoMapLink{1, {}, {}}, SumoMapLink{-1, {}, {}}};
    const std::string text = safetyJson(s, *c);
    EXPECT_NE(text.find(R"("sumo": {
    "tls": "C",
    "net": "x.net.xml",
    "programs": [
      4
    ],)"),
              std::string::npos)
        << text;
    SafetyData back;
    ASSERT_EQ(parseSafetyJson(text, *c, back).status, SafetyFileStatus::Loaded);
    EXPECT_EQ(back.sumoMap, s.sumoMap);
    EXPECT_EQ(sumoMapLines(back.sumoMap),
              (std::vector<std::string>{"Связи светофора SUMO C (x.net.xml): 3",
                                        "  связь 0 → направление 1, g в тактах: 2, уступает направлениям 2",
                                        "  связь 1 → направление 2", "  связь 2 → нет направления (красный)"}));
    // A file without the member: no map, read as before.
    SafetyData old;
    ASSERT_EQ(parseSafetyJson(kHead + "}", *c, old).status, SafetyFileStatus::Loaded);
    EXPECT_TRUE(old.sumoMap.empty());
    EXPECT_EQ(safetyJson(old, *c).find("\"sumo\""), std::string::npos);
}

TEST(SumoMapFile, EveryNumberIsTakenAtItsBoundsAndRefusedBeyond) {
    std::string manyLinks = R"({"tls": "C", "links": [)";
    for (int k = 0; k < kMaxSumoMapLinks; ++k) manyLinks += std::string(k ? "," : "") + R"({"direction": 0})";
    const std::string tooMany = manyLinks + R"(, {"direction": 0}]})";
    manyLinks += "]}";
    const struct {
        std::string sumo;
        const char* damage;  // empty: read
    } cases[] = {
        {R"({"tls": "C", "links": [{"direction": 0}, {"direction": 63}]})", ""},
        {R"({"tls": "C", "links": [{"direction": -1}]})", "sumo.links.direction — число -1 вне 0..63"},
        {R"({"tls": "C", "links": [{"direction": 64}]})", "sumo.links.direction — число 64 вне 0..63"},
        {R"({"tls": "C", "links": [{"direction": 1.5}]})", "sumo.links.direction — не целое число"},
        {R"({"tls": "C", "links": [{"direction": 18446744073709551615}]})",
         "sumo.links.direction — число 18446744073709551615 вне 0..63"},
        {R"({"tls": "C", "links": [{}]})", "нет поля sumo.links.direction"},
        {R"({"tls": "C", "links": [{"direction": 1, "g": [[1, 1], [16, 321]]}]})", ""},
        {R"({"tls": "C", "links": [{"direction": 1, "g": [[0, 1]]}]})", "sumo.links.g — число 0 вне 1..16"},
        {R"({"tls": "C", "links": [{"direction": 1, "g": [[17, 1]]}]})", "sumo.links.g — число 17 вне 1..16"},
        {R"({"tls": "C", "links": [{"direction": 1, "g": [[1, 0]]}]})", "sumo.links.g — число 0 вне 1..321"},
        {R"({"tls": "C", "links": [{"direction": 1, "g": [[1, 322]]}]})", "sumo.links.g — число 322 вне 1..321"},
        {R"({"tls": "C", "links": [{"direction": 1, "g": [[1]]}]})", "sumo.links.g — не пара"},
        {R"({"tls": "C", "links": [{"direction": 1, "yields": [1, 63]}]})", ""},
        {R"({"tls": "C", "links": [{"direction": 1, "yields": [0]}]})", "sumo.links.yields — число 0 вне 1..63"},
        {R"({"tls": "C", "links": [{"direction": 1, "yields": [64]}]})", "sumo.links.yields — число 64 вне 1..63"},
        {R"({"tls": "C", "programs": [1, 16]})", ""},
        {R"({"tls": "C", "programs": [0]})", "sumo.programs — число 0 вне 1..16"},
        {R"({"tls": "C", "programs": [17]})", "sumo.programs — число 17 вне 1..16"},
        {manyLinks, ""},
        {tooMany, "в sumo.links больше 10000 связей"},
        {R"({"links": []})", "нет поля sumo.tls"},
        {R"({"tls": ""})", "sumo.tls — пустая строка"},
        {R"({"tls": 5})", "sumo.tls — не строка"},
        {R"({"tls": "C", "links": 5})", "sumo.links — не список"},
        {R"([])", "поле \"sumo\" — не объект"},
    };
    for (const auto& k : cases) {
        SafetyData s;
        s.rules.yellow = 9;  // a refusal leaves what was there
        const auto r = parseWith(k.sumo, s);
        if (std::string(k.damage).empty()) {
            EXPECT_EQ(r.status, SafetyFileStatus::Loaded) << k.sumo.substr(0, 80) << ": " << r.message;
            EXPECT_EQ(s.sumoMap.tls, "C");
        } else {
            EXPECT_EQ(r.status, SafetyFileStatus::Damaged) << k.sumo.substr(0, 80);
            EXPECT_NE(r.message.find(k.damage), std::string::npos) << r.message;
            EXPECT_EQ(s.rules.yellow, 9);
        }
    }
    SafetyData top;
    ASSERT_EQ(parseWith(R"({"tls": "C", "links": [{"direction": 63, "g": [[16, 321]], "yields": [63]}]})", top).status,
              SafetyFileStatus::Loaded);
    EXPECT_EQ(top.sumoMap.links[0], (SumoMapLink{62, {{15, 320}}, {62}}));
}

TEST(SumoMapFile, DeletingADirectionLeavesItsLinksWithoutOneAndMovesTheRestDown) {
    SafetyData s;
    s.sumoMap.tls = "C";
    s.sumoMap.links = {SumoMapLink{0, {}, {1, 2}}, SumoMapLink{1, {{3, 0}}, {2}}, SumoMapLink{2, {}, {0, 1}}};
    s.deleteDirection(1);
    EXPECT_EQ(s.sumoMap.links[0], (SumoMapLink{0, {}, {1}}));
    EXPECT_EQ(s.sumoMap.links[1], (SumoMapLink{-1, {}, {1}}));
    EXPECT_EQ(s.sumoMap.links[2], (SumoMapLink{1, {}, {0}}));
    s.clear();
    EXPECT_TRUE(s.sumoMap.empty());
}

}  // namespace
}  // namespace livra
