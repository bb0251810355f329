#include "model/safety_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/test_support.h"

namespace livra {
namespace {

std::unique_ptr<Configuration> fourDirections() {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirVehicle);
    test::addDirection(*c, 2, DirPedestrian);
    test::addDirection(*c, 3, DirTvp1);
    return c;
}

TEST(SafetyFile, NameSitsBesideTheProject) {
    EXPECT_EQ(safetyFileNameFor("/a/b/crossroad.ptm"), "/a/b/crossroad.safety.json");
    EXPECT_EQ(safetyFileNameFor("plan.PTM"), "plan.safety.json");
}

TEST(SafetyFile, WritesTheDocumentedTextAndReadsItBack) {
    auto c = fourDirections();
    SafetyData s;
    s.defined = true;
    s.conflict[0].set(1), s.conflict[1].set(0);
    s.conflict[1].set(2), s.conflict[2].set(1);
    s.proposed[0].set(2), s.proposed[2].set(0);
    s.intergreen[1][0] = 5;
    s.intergreen[2][1] = 6;
    s.calculatorInputs[{2, 1}] = IntergreenInputs{9, 0, 1.2, 1, 10, 0};
    s.rules.minGreenPedestrian = 7;
    const std::string text = safetyJson(s, *c);
    EXPECT_EQ(text, R"({
  "format": "livra-safety",
  "version": 1,
  "directions": [
    1,
    1,
    2,
    12
  ],
  "conflicts": [
    [
      1,
      2
    ],
    [
      2,
      3
    ]
  ],
  "proposed": [
    [
      1,
      3
    ]
  ],
  "intergreen": [
    {
      "from": 2,
      "to": 1,
      "seconds": 5
    },
    {
      "from": 3,
      "to": 2,
      "seconds": 6
    }
  ],
  "calculator": [
    {
      "from": 3,
      "to": 2,
      "s0": 9.0,
      "l": 0.0,
      "vr": 1.2,
      "se": 1.0,
      "ve": 10.0,
      "tu": 0.0
    }
  ],
  "rules": {
    "yellow": 3,
    "redYellowMin": 1,
    "redYellowMax": 2,
    "flashingGreen": 3,
    "minGreenVehicle": 5,
    "minGreenPedestrian": 7
  }
}
)");
    SafetyData back;
    const SafetyLoadResult r = parseSafetyJson(text, *c, back);
    EXPECT_EQ(r.status, SafetyFileStatus::Loaded);
    s.writtenKinds = back.writtenKinds;
    EXPECT_EQ(back, s);

    // The issue's short form: optional members may be left out.
    SafetyData brief;
    ASSERT_EQ(parseSafetyJson(R"({"format": "livra-safety", "version": 1, "directions": [1, 1, 2, 12],
        "conflicts": [[1, 2]], "intergreen": [{"from": 2, "to": 1, "seconds": 4}]})",
                              *c, brief)
                  .status,
              SafetyFileStatus::Loaded);
    EXPECT_TRUE(brief.conflict[1][0]);
    EXPECT_EQ(brief.intergreen[1][0], 4);
    EXPECT_EQ(brief.rules, SafetyRules{});
}

TEST(SafetyFile, DamagedInputIsReportedAndLeavesTheDataAsItWas) {
    auto c = fourDirections();
    const std::string head = R"({"format": "livra-safety", "version": 1, "directions": [1, 1, 2, 12], )";
    const char* bad[] = {
        "",
        "not json",
        "[1, 2]",
        R"({"format": "other", "version": 1, "directions": [], "conflicts": [], "intergreen": []})",
        R"({"format": "livra-safety", "version": 2, "directions": [], "conflicts": [], "intergreen": []})",
        R"({"format": "livra-safety", "version": 1, "conflicts": [], "intergreen": []})",
        "\"conflicts\": [[1, 64]], \"intergreen\": []}",
        "\"conflicts\": [[2, 2]], \"intergreen\": []}",
        "\"conflicts\": [[1, \"2\"]], \"intergreen\": []}",
        "\"conflicts\": [[1, 2, 3]], \"intergreen\": []}",
        "\"conflicts\": [], \"intergreen\": [{\"from\": 1, \"to\": 2, \"seconds\": 256}]}",
        "\"conflicts\": [], \"intergreen\": [{\"from\": 1, \"to\": 2, \"seconds\": 2.5}]}",
        "\"conflicts\": [], \"intergreen\": [{\"from\": 1, \"to\": 2}]}",
        "\"conflicts\": [], \"intergreen\": [], \"rules\": {\"yellow\": -1}}",
        "\"conflicts\": [], \"intergreen\": [], \"calculator\": [{\"from\": 1, \"to\": 2, \"s0\": 1e308}]}",
        "\"conflicts\": {}, \"intergreen\": []}",
    };
    SafetyData s;
    s.defined = true;
    s.conflict[0].set(1), s.conflict[1].set(0);
    const SafetyData before = s;
    for (const char* text : bad) {
        std::string input = text;
        if (input.rfind("\"conflicts\"", 0) == 0) input = head + input;
        const SafetyLoadResult r = parseSafetyJson(input, *c, s);
        EXPECT_EQ(r.status, SafetyFileStatus::Damaged) << input;
        EXPECT_EQ(r.message.rfind("Файл данных безопасности повреждён: ", 0), 0u) << r.message;
        EXPECT_EQ(s, before) << input;
    }
    // Deep nesting and a huge file: reported, not a crash.
    EXPECT_EQ(parseSafetyJson(std::string(100000, '[') + std::string(100000, ']'), *c, s).status,
              SafetyFileStatus::Damaged);
    EXPECT_EQ(parseSafetyJson(head + "\"x\": \"" + std::string(5 << 20, 'a') + "\"}", *c, s).status,
              SafetyFileStatus::Damaged);
}

// Every number of the file at both its bounds and one past each, and as a
// fraction: the bound is taken, the rest reported as damage naming the member.
TEST(SafetyFile, EveryNumberIsCheckedAtBothBounds) {
    auto c = fourDirections();
    const std::string head = R"({"format": "livra-safety", "version": 1, "directions": [1, 1, 2, 12], )";
    const std::string calc = R"("conflicts": [], "intergreen": [], "calculator": [{"from": 1, "to": 2, )";
    const std::string values = R"("s0": 1, "l": 1, "vr": 1, "se": 1, "ve": 1, "tu": 1}]})";
    struct Member {
        std::string json;  // '@' stands for the number
        std::string name;
        int lo, hi;
    };
    std::vector<Member> members = {
        {R"({"format": "livra-safety", "version": 1, "directions": [1, @], "conflicts": [], "intergreen": []})",
         "directions", 0, 255},
        {R"("conflicts": [[@, 2]], "intergreen": []})", "conflicts", 1, DirectionCount},
        {R"("conflicts": [[2, @]], "intergreen": []})", "conflicts", 1, DirectionCount},
        {R"("conflicts": [], "proposed": [[@, 2]], "intergreen": []})", "proposed", 1, DirectionCount},
        {R"("conflicts": [], "intergreen": [{"from": @, "to": 2, "seconds": 4}]})", "intergreen.from", 1, DirectionCount},
        {R"("conflicts": [], "intergreen": [{"from": 2, "to": @, "seconds": 4}]})", "intergreen.to", 1, DirectionCount},
        {R"("conflicts": [], "intergreen": [{"from": 1, "to": 2, "seconds": @}]})", "intergreen.seconds", 0, 255},
        {R"("conflicts": [], "intergreen": [], "calculator": [{"from": @, "to": 2, )" + values, "calculator.from", 1,
         DirectionCount},
        {R"("conflicts": [], "intergreen": [], "calculator": [{"from": 1, "to": @, )" + values, "calculator.to", 1,
         DirectionCount},
    };
    for (const char* rule : {"yellow", "redYellowMin", "redYellowMax", "flashingGreen", "minGreenVehicle", "minGreenPedestrian"})
        members.push_back({std::string(R"("conflicts": [], "intergreen": [], "rules": {")") + rule + "\": @}}", rule, 0, 255});
    auto read = [&](const std::string& json, const std::string& number) {
        std::string text = json.rfind("{", 0) == 0 ? json : head + json;
        if (const auto at = text.find('@'); at != std::string::npos) text.replace(at, 1, number);
        SafetyData s;
        const SafetyLoadResult r = parseSafetyJson(text, *c, s);
        return r.status == SafetyFileStatus::Damaged ? r.message : std::string("read");
    };
    const std::string damaged = "Файл данных безопасности повреждён: ";
    for (const Member& m : members) {
        const std::string range = " вне " + std::to_string(m.lo) + ".." + std::to_string(m.hi);
        EXPECT_EQ(read(m.json, std::to_string(m.lo)), "read") << m.json;
        EXPECT_EQ(read(m.json, std::to_string(m.hi)), "read") << m.json;
        EXPECT_EQ(read(m.json, std::to_string(m.lo - 1)), damaged + m.name + " — число " + std::to_string(m.lo - 1) + range);
        EXPECT_EQ(read(m.json, std::to_string(m.hi + 1)), damaged + m.name + " — число " + std::to_string(m.hi + 1) + range);
        if (m.lo > 0) EXPECT_EQ(read(m.json, "0"), damaged + m.name + " — число 0" + range);
        EXPECT_EQ(read(m.json, "-1"), damaged + m.name + " — число -1" + range);
        EXPECT_EQ(read(m.json, "1.5"), damaged + m.name + " — не целое число");
        EXPECT_EQ(read(m.json, "18446744073709551615"), damaged + m.name + " — число 18446744073709551615" + range);
    }
    // The calculator's inputs are reals within their ranges.
    const std::pair<const char*, double> reals[] = {{"s0", 1000}, {"l", 100}, {"vr", 100},
                                                    {"se", 1000}, {"ve", 100}, {"tu", 60}};
    for (const auto& entry : reals) {
        const char* key = entry.first;  // clang 14 cannot capture a structured binding
        const double hi = entry.second;
        auto with = [&](const std::string& number) {
            std::string text = values;
            const auto at = text.find(std::string("\"") + key + "\": 1") + std::strlen(key) + 4;
            text.replace(at, 1, number);
            return read(calc + text, "");
        };
        const std::string what = damaged + "calculator." + key;
        EXPECT_EQ(with("0"), "read") << key;
        EXPECT_EQ(with(std::to_string(int(hi))), "read") << key;
        EXPECT_EQ(with("-0.001"), what + " — значение вне допустимого");
        EXPECT_EQ(with(std::to_string(int(hi)) + ".001"), what + " — значение вне допустимого");
        EXPECT_EQ(with("\"1\""), what + " — не число");
    }
    EXPECT_EQ(read(R"({"format": "livra-safety", "version": @, "directions": [], "conflicts": [], "intergreen": []})", "0"),
              damaged + "version — число 0 вне 1..1000");
    EXPECT_EQ(read(R"({"format": "livra-safety", "version": @, "directions": [], "conflicts": [], "intergreen": []})", "2"),
              damaged + "версия 2 не поддерживается");
}

TEST(SafetyFile, MissingStaleAndUnreadableFiles) {
    test::TempDir dir;
    auto c = fourDirections();
    SafetyData s;
    EXPECT_EQ(loadSafetyFile(pathToUtf8(dir / "none.safety.json"), *c, s).status, SafetyFileStatus::Missing);
    EXPECT_FALSE(s.defined);

    SafetyData written;
    written.defined = true;
    written.conflict[0].set(1), written.conflict[1].set(0);
    const std::string text = safetyJson(written, *c);
    test::writeBytes(dir / "p.safety.json", Bytes(text.begin(), text.end()));
    EXPECT_EQ(loadSafetyFile(pathToUtf8(dir / "p.safety.json"), *c, s).status, SafetyFileStatus::Loaded);
    EXPECT_TRUE(s.conflict[0][1]);

    // Direction 3 became a vehicle: the file is read but reported.
    c->DirectionKind[2] = DirVehicle;
    SafetyData stale;
    const SafetyLoadResult r = loadSafetyFile(pathToUtf8(dir / "p.safety.json"), *c, stale);
    EXPECT_EQ(r.status, SafetyFileStatus::Stale);
    EXPECT_EQ(r.message, "Данные безопасности записаны для других направлений (напр. 3): проверьте матрицу конфликтов");
    EXPECT_TRUE(stale.conflict[0][1]);

    // A folder where the file should be.
    std::filesystem::create_directory(dir / "f.safety.json");
    EXPECT_EQ(loadSafetyFile(pathToUtf8(dir / "f.safety.json"), *c, s).status, SafetyFileStatus::Damaged);
}

}  // namespace
}  // namespace livra
