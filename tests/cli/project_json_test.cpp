#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <random>

#include "cli/project_json.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "plan/plan_objects.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::cli;
using namespace livra::test;

namespace {

// ptm → json → ptm; the bytes must come back unchanged.
::testing::AssertionResult roundTrips(const Bytes& file) {
    const auto json = projectToJson(file);
    if (!json) return ::testing::AssertionFailure() << "no JSON for the file";
    std::string error;
    const auto back = projectFromJson(*json, error);
    if (!back) return ::testing::AssertionFailure() << error << "\n" << json->substr(0, 400);
    if (back->file != file) {
        std::size_t at = 0;
        while (at < file.size() && at < back->file.size() && file[at] == back->file[at]) ++at;
        return ::testing::AssertionFailure() << "first difference at byte " << at << " of " << file.size() << " / "
                                             << back->file.size();
    }
    return ::testing::AssertionSuccess();
}

Bytes planOf(const Configuration& c) {
    Plan plan;
    plan.planPicturePath = "D:\\планы\\перекрёсток.png";
    createSpecialObjects(plan);
    const int32_t head = mountObject(plan, c, 0, 120, 80);
    PlanObject* o = findObject(plan, head);
    if (!o) return {};
    rotateObject(plan, head, 315);
    o->width = o->height = 55.000004f;  // one step above 55
    mountObject(plan, c, 1, 300, 310);
    return serializePlan(plan);
}

std::string errorOf(const std::string& json) {
    std::string error;
    const auto r = projectFromJson(json, error);
    return r ? "accepted" : error;
}

const std::string kHead = R"({"format": "livra-configuration", "version": 1, )";

}  // namespace

TEST(ProjectJson, EveryProjectOfTheTestsComesBackByteForByte) {
    EXPECT_TRUE(roundTrips(readBytes(std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path() / "examples" / "crossroad.ptm")));
    EXPECT_TRUE(roundTrips(serializeProject(*newConfiguration(), {})));
    const auto sample = sampleConfiguration();
    EXPECT_TRUE(roundTrips(serializeProject(*sample, {})));
    EXPECT_TRUE(roundTrips(serializeProject(*sample, planOf(*sample))));
    EXPECT_TRUE(roundTrips(serializeProject(*fullConfiguration(), planOf(*sample))));
}

// Arbitrary values in every table, field and byte: what the file holds, the
// JSON must hold, whatever the editors would have made of it.
TEST(ProjectJson, ArbitraryTablesComeBackByteForByte) {
    std::mt19937 random(24);
    auto byte = [&] { return uint8_t(random()); };
    for (int round = 0; round < 12; ++round) {
        auto c = std::make_unique<Configuration>();
        const int fill = 1 + round * 8;  // one value in `fill` is not zero
        auto some = [&](auto value) { return random() % fill == 0 ? value : decltype(value){}; };
        for (auto& program : c->TactTable)
            for (auto& t : program) {
                t.kind = some(int32_t(random()));
                t.tMin = some(int32_t(random()));
                t.tMain = some(int32_t(random()));
                t.tEnd = some(int32_t(random()));  // derived fields alone, beyond the last tact with a kind
                t.phaseNo = some(int32_t(random()));
            }
        for (auto& program : c->TactSignals)
            for (auto& row : program)
                for (auto& s : row) s = some(byte());
        for (int d = 0; d < DirectionCount; ++d) {
            c->DirectionKind[d] = some(byte());
            c->FreeChannels[d] = byte();
            for (int k = 0; k < SlotCount; ++k) c->DirectionChannels[d][k] = some(byte()), c->DirectionControl[d][k] = some(byte());
        }
        for (auto& day : c->Calendar)
            for (auto& e : day)
                if (random() % 3 == 0) e = CalendarEntry{byte(), byte(), byte()};  // 128 in one or two places too
        c->ChannelCount = byte();
        c->Tvp1Delay = round % 2 ? "abc \"quoted\" \\ tab\t" : "";
        c->Tvp2Delay = "Задержка ё №";
        Bytes plan;
        if (round % 3 == 1) plan = planOf(*sampleConfiguration());
        if (round % 3 == 2)
            for (int i = 0; i < 100 + round; ++i) plan.push_back(byte());  // not a plan file: carried as base64
        EXPECT_TRUE(roundTrips(serializeProject(*c, plan))) << "round " << round;
    }
}

TEST(ProjectJson, OddFilesComeBackByteForByte) {
    const auto c = sampleConfiguration();
    Bytes file = serializeProject(*c, planOf(*c));
    // A delay byte with no character (0x98) and a line that ends in LF alone.
    Bytes odd(file.begin(), file.begin() + 17);
    for (uint8_t b : {uint8_t('1'), uint8_t(0x98), uint8_t('\n'), uint8_t('0'), uint8_t('\r'), uint8_t('\n')}) odd.push_back(b);
    odd.insert(odd.end(), file.begin() + 23, file.end());
    EXPECT_TRUE(roundTrips(odd));
    const std::string json = *projectToJson(odd);
    EXPECT_NE(json.find(R"("fileHead": {"tvp1DelayCp1251": "3198", "lineEnds": ["\r\n", "\n", "\r\n"]})"),
              std::string::npos);

    // A plan whose sizes are not numbers, and one with a short last record.
    Bytes plan = planOf(*c);
    const uint32_t nan = 0x7FC00001;
    for (int i = 0; i < 4; ++i) plan[plan.size() - 58 + 20 + i] = uint8_t(nan >> (8 * i));
    EXPECT_TRUE(roundTrips(serializeProject(*c, plan)));
    plan.resize(plan.size() - 3);
    EXPECT_TRUE(roundTrips(serializeProject(*c, plan)));
    EXPECT_TRUE(roundTrips(serializeProject(*c, Bytes{'\r', '\n'})));
    const std::string readable = *projectToJson(serializeProject(*c, planOf(*c)));
    EXPECT_NE(readable.find(R"("plan": {"picture": "D:\\планы\\перекрёсток.png", "objects": [)"), std::string::npos);
    EXPECT_NE(readable.find(R"("width": 55.000004, "height": 55.000004, "angle": 315, "stored": [0, 50, 50, 16777215, 255, 0, 0, 0]})"),
              std::string::npos);
}

TEST(ProjectJson, HandWrittenJsonFillsTheRestWithStartupValues) {
    std::string error;
    const auto r = projectFromJson(kHead + R"("directions": [{"number": 2, "kind": 1}],
        "programs": [{"number": 4, "tacts": [{"number": 1, "kind": 1, "tMain": 20, "signals": [0, 3]}]}],
        "calendar": {"tue": [{"entry": 3, "hour": 6, "minute": 30, "program": 4}]},
        "plan": {"picture": "", "objects": [{"id": 1, "owner": 0, "direction": 2, "x": 10, "y": 20,
                                             "width": 50, "height": 50, "angle": 0}]}})",
                                   error);
    ASSERT_TRUE(r) << error;
    auto expected = newConfiguration();
    expected->DirectionKind[1] = 1;
    expected->TactTable[3][0] = Tact{1, 0, 20, 0, 0};
    expected->TactSignals[3][0][1] = 3;
    expected->Calendar[1][2] = CalendarEntry{30, 6, 4};
    Plan plan;
    createObject(plan, 1, HeadSize, HeadSize);
    setObjectDirection(plan, 1, 2);
    setObjectPosition(plan, 1, 10, 20);
    EXPECT_EQ(r->file, serializeProject(*expected, serializePlan(plan)));
    EXPECT_TRUE(r->config->sameTables(*expected));
}

TEST(ProjectJson, FaultsAreRefusedWithTheirPlace) {
    EXPECT_EQ(errorOf("{\"format\": "), "not JSON (at byte 12)");
    EXPECT_EQ(errorOf("[]"), "the document: expected an object");
    EXPECT_EQ(errorOf("{}"), "format: missing");
    EXPECT_EQ(errorOf(R"({"format": "x"})"), "format: expected \"livra-configuration\"");
    EXPECT_EQ(errorOf(R"({"format": "livra-configuration", "version": 2})"),
              "version: 2 is not a version this program reads (1)");
    EXPECT_EQ(errorOf(kHead + R"("channelCount": 300})"), "channelCount: 300 is out of range 0..255");
    EXPECT_EQ(errorOf(kHead + R"("channelCount": 1.5})"), "channelCount: expected a whole number from 0 to 255");
    EXPECT_EQ(errorOf(kHead + R"("tvp1Delay": "1\n2"})"), "tvp1Delay: a line end inside the text");
    EXPECT_EQ(errorOf(kHead + R"("tvp2Delay": "日"})"), "tvp2Delay: a character outside the Windows Cyrillic code page");
    EXPECT_EQ(errorOf(kHead + R"("freeChannels": [1, -1]})"), "freeChannels[1]: -1 is out of range 0..255");
    EXPECT_EQ(errorOf(kHead + R"("directions": [{"number": 64}]})"), "directions[0].number: 64 is out of range 1..63");
    EXPECT_EQ(errorOf(kHead + R"("directions": [{"number": 1}, {"number": 1}]})"),
              "directions[1].number: 1 is given twice");
    EXPECT_EQ(errorOf(kHead + R"("directions": [{"number": 1, "channels": [1,2,3,4,5,6,7,8]}]})"),
              "directions[0].channels: more than 7 elements");
    std::string tacts;
    for (int t = 1; t <= 13; ++t) tacts += (t > 1 ? "," : "") + std::string("{\"number\": ") + std::to_string(t) + "}";
    EXPECT_EQ(errorOf(kHead + R"("programs": [{"number": 1}, {"number": 2}, {"number": 3}, {"number": 4, "tacts": [)" +
                      tacts.substr(0, tacts.size() - 1) + R"(, "tMain": 4294967296}]}]})"),
              "programs[3].tacts[12].tMain: 4294967296 is out of range -2147483648..2147483647");
    EXPECT_EQ(errorOf(kHead + R"("programs": [{"number": 4, "tacts": [{"number": 1, "tmain": 5}]}]})"),
              "programs[0].tacts[0].tmain: unknown member");
    EXPECT_EQ(errorOf(kHead + R"("programs": [{"number": 4, "tacts": [{"number": 1, "signals": [1, "З"]}]}]})"),
              "programs[0].tacts[0].signals[1]: expected a whole number from 0 to 255");
    EXPECT_EQ(errorOf(kHead + R"("calendar": {"mon": [{"entry": 25, "hour": 1, "minute": 0, "program": 4}]}})"),
              "calendar.mon[0].entry: 25 is out of range 1..24");
    EXPECT_EQ(errorOf(kHead + R"("calendar": {"mon": [{"entry": 1, "hour": 1, "program": 4}]}})"),
              "calendar.mon[0].minute: missing");
    EXPECT_EQ(errorOf(kHead + R"("calendar": {"mo": []}})"), "calendar.mo: unknown member");
    EXPECT_EQ(errorOf(kHead + R"("plan": "abc"})"), "plan: not base64 text");
    EXPECT_EQ(errorOf(kHead + R"("plan": {"picture": "", "objects": [{"id": 1}]}})"), "plan.objects[0].owner: missing");
    EXPECT_EQ(errorOf(kHead + R"("plan": {"picture": "", "objects": [{"id": 1, "owner": 0, "direction": 1, "x": 0,
              "y": 0, "width": 1e300, "height": 1, "angle": 0}]}})"),
              "plan.objects[0].width: 1e+300 is out of range");
    EXPECT_EQ(errorOf(kHead + R"("fileHead": {"lineEnds": ["\r\n", "\t", "\n"]}})"),
              "fileHead.lineEnds[1]: expected \"\\r\\n\", \"\\r\" or \"\\n\"");
}

// Every number of the document, at both its bounds and one past each, and
// as a fraction: the bound itself is taken, the rest refused with its place.
TEST(ProjectJson, EveryNumberIsCheckedAtBothBounds) {
    struct Member {
        std::string json;  // '@' stands for the number
        std::string path;
        int64_t lo, hi;
    };
    const int64_t i32lo = std::numeric_limits<int32_t>::min(), i32hi = std::numeric_limits<int32_t>::max();
    const std::string tact = R"("programs": [{"number": 4, "tacts": [{"number": 1, )";
    const std::string object = R"("plan": {"picture": "", "objects": [{"id": 1, "owner": 0, "direction": 1, "x": 0, "y": 0, "width": 1, "height": 1, "angle": 0, )";
    std::vector<Member> members = {
        {R"("channelCount": @})", "channelCount", 0, 255},
        {R"("freeChannels": [0, @]})", "freeChannels[1]", 0, 255},
        {R"("directions": [{"number": @}]})", "directions[0].number", 1, DirectionCount},
        {R"("directions": [{"number": 1, "kind": @}]})", "directions[0].kind", 0, 255},
        {R"("directions": [{"number": 1, "channels": [@]}]})", "directions[0].channels[0]", 0, 255},
        {R"("directions": [{"number": 1, "modes": [0, @]}]})", "directions[0].modes[1]", 0, 255},
        {R"("programs": [{"number": @}]})", "programs[0].number", 1, ProgramCount},
        {R"("programs": [{"number": 4, "tacts": [{"number": @}]}]})", "programs[0].tacts[0].number", 1, TactCount},
        {tact + R"("signals": [@]}]}]})", "programs[0].tacts[0].signals[0]", 0, 255},
        {R"("calendar": {"sun": [{"entry": @, "hour": 1, "minute": 2, "program": 4}]}})", "calendar.sun[0].entry", 1,
         AlarmCount},
        {object + R"("stored": [0, 0, 0, 0, 0, @, 0, 0]}]}})", "plan.objects[0].stored[5]", 0, 255},
    };
    for (const char* key : {"kind", "tMin", "tMain", "tEnd", "phaseNo"})
        members.push_back({tact + "\"" + key + "\": @}]}]}", std::string("programs[0].tacts[0].") + key, i32lo, i32hi});
    members.push_back({R"("calendar": {"sun": [{"entry": 1, "hour": @, "minute": 2, "program": 4}]}})",
                       "calendar.sun[0].hour", 0, 255});
    members.push_back({R"("calendar": {"sun": [{"entry": 1, "hour": 1, "minute": @, "program": 4}]}})",
                       "calendar.sun[0].minute", 0, 255});
    members.push_back({R"("calendar": {"sun": [{"entry": 1, "hour": 1, "minute": 2, "program": @}]}})",
                       "calendar.sun[0].program", 0, 255});
    for (const char* key : {"id", "owner", "x", "y", "angle", "direction"}) {
        std::string text = object;
        const auto at = text.find(std::string("\"") + key + "\": ");
        const auto value = at + std::strlen(key) + 4;
        text.replace(value, text.find(',', value) - value, "@");
        members.push_back({text + R"("stored": [0, 0, 0, 0, 0, 0, 0, 0]}]}})", std::string("plan.objects[0].") + key,
                           key[0] == 'd' ? 0 : i32lo, key[0] == 'd' ? 255 : i32hi});
    }
    for (int k : {0, 1, 2, 3, 4, 6, 7}) {
        std::string stored = "[0, 0, 0, 0, 0, 0, 0, 0]";
        stored.replace(1 + 3 * std::size_t(k), 1, "@");
        members.push_back({object + "\"stored\": " + stored + "}]}}", "plan.objects[0].stored[" + std::to_string(k) + "]",
                           i32lo, i32hi});
    }
    ASSERT_EQ(members.size(), 32u);
    for (const Member& m : members) {
        auto with = [&](const std::string& number) {
            std::string text = kHead + m.json;
            text.replace(text.find('@'), 1, number);
            return errorOf(text);
        };
        const auto range = std::to_string(m.lo) + ".." + std::to_string(m.hi);
        EXPECT_EQ(with(std::to_string(m.lo)), "accepted") << m.path;
        EXPECT_EQ(with(std::to_string(m.hi)), "accepted") << m.path;
        EXPECT_EQ(with(std::to_string(m.lo - 1)), m.path + ": " + std::to_string(m.lo - 1) + " is out of range " + range);
        EXPECT_EQ(with(std::to_string(m.hi + 1)), m.path + ": " + std::to_string(m.hi + 1) + " is out of range " + range);
        EXPECT_EQ(with("-1"), m.lo <= -1 ? "accepted" : m.path + ": -1 is out of range " + range);
        EXPECT_EQ(with("0"), m.lo <= 0 ? "accepted" : m.path + ": 0 is out of range " + range);
        EXPECT_EQ(with("1.5"), m.path + ": expected a whole number from " + std::to_string(m.lo) + " to " + std::to_string(m.hi));
        EXPECT_EQ(with("18446744073709551615"), m.path + ": 18446744073709551615 is out of range " + range);
    }
    // The sizes of a plan object are floats: up to the largest float either way.
    const std::string size = kHead + object + R"("stored": [0, 0, 0, 0, 0, 0, 0, 0]}]}})";
    auto withWidth = [&](const std::string& number) {
        std::string text = size;
        text.replace(text.find("\"width\": 1"), 10, "\"width\": " + number);
        return errorOf(text);
    };
    EXPECT_EQ(withWidth("3.4028234e38"), "accepted");
    EXPECT_EQ(withWidth("-3.4028234e38"), "accepted");
    EXPECT_EQ(withWidth("3.5e38"), "plan.objects[0].width: 3.5e+38 is out of range");
    EXPECT_EQ(withWidth("-3.5e38"), "plan.objects[0].width: -3.5e+38 is out of range");
    EXPECT_EQ(withWidth("\"1\""), "plan.objects[0].width: expected a number");
}

TEST(CliNewFromJson, BuildsTheFileOrNamesTheFaultAndWritesNothing) {
    TempDir dir;
    const auto original = dir / "a.ptm";
    const auto c = sampleConfiguration();
    writeBytes(original, serializeProject(*c, planOf(*c)));
    const auto dump = runLivra({"dump", "--json", original.string()}, dir / "work");
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    writeBytes(dir / "a.json", Bytes(dump.out.begin(), dump.out.end()));
    const auto made = runLivra({"new", "--from", (dir / "a.json").string(), "--out", (dir / "b.ptm").string()}, dir / "work");
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(readBytes(dir / "b.ptm"), readBytes(original));

    std::string bad = dump.out;
    bad.replace(bad.find("\"tMain\": 20"), 11, "\"tMain\": -2147483649");
    writeBytes(dir / "bad.json", Bytes(bad.begin(), bad.end()));
    const auto refused = runLivra({"new", "--from", (dir / "bad.json").string(), "--out", (dir / "c.ptm").string()}, dir / "work");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err, "livra new: " + (dir / "bad.json").string() +
                               ": programs[0].tacts[0].tMain: -2147483649 is out of range -2147483648..2147483647\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "c.ptm"));
    // A 0 for a 1-based number once wrote before the tables.
    for (const std::string zero : {R"("directions":[{"number":0,"kind":1}])", R"("programs":[{"number":0}])",
                                   R"("programs":[{"number":4,"tacts":[{"number":0}]}])",
                                   R"("calendar":{"mon":[{"entry":0,"hour":1,"minute":0,"program":4}]})"}) {
        const std::string text = R"({"format":"livra-configuration","version":1,)" + zero + "}";
        writeBytes(dir / "z.json", Bytes(text.begin(), text.end()));
        const auto z = runLivra({"new", "--out", (dir / "z.ptm").string(), "--from", (dir / "z.json").string()});
        EXPECT_EQ(z.exitCode, 2) << zero << z.err;
        EXPECT_NE(z.err.find(": 0 is out of range 1.."), std::string::npos) << z.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "z.ptm"));
    }
    const auto missing = runLivra({"new", "--from", (dir / "none.json").string(), "--out", (dir / "c.ptm").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("Файл: " + (dir / "none.json").string()), std::string::npos);
}

TEST(CliNewFromJson, TheSafetyMemberGoesIntoTheFileBesideTheProject) {
    TempDir dir;
    const auto c = sampleConfiguration();
    SafetyData safety;
    safety.conflict[0].set(1);
    safety.conflict[1].set(0);
    safety.intergreen[0][1] = 5;
    safety.intergreen[1][0] = 4;
    std::string json = *projectToJson(serializeProject(*c, {}));
    json.insert(json.rfind('}'), ",\n  \"safety\": " + safetyJson(safety, *c));
    writeBytes(dir / "s.json", Bytes(json.begin(), json.end()));
    const auto made = runLivra({"new", "--from", (dir / "s.json").string(), "--out", (dir / "s.ptm").string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(readBytes(dir / "s.ptm"), serializeProject(*c, {}));
    const Bytes side = readBytes(dir / "s.safety.json");
    EXPECT_EQ(std::string(side.begin(), side.end()), safetyJson(safety, *c));

    // Safety data for other directions than the project's is refused whole.
    auto other = sampleConfiguration();
    other->DirectionKind[0] = DirPedestrian;
    std::string stale = *projectToJson(serializeProject(*c, {}));
    stale.insert(stale.rfind('}'), ",\n  \"safety\": " + safetyJson(safety, *other));
    writeBytes(dir / "stale.json", Bytes(stale.begin(), stale.end()));
    const auto refused = runLivra({"new", "--from", (dir / "stale.json").string(), "--out", (dir / "t.ptm").string()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find(": safety: "), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "t.ptm"));
    EXPECT_FALSE(std::filesystem::exists(dir / "t.safety.json"));
}
