#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <random>

#include "format/project_json.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "plan/plan_objects.h"
#include "support/test_support.h"

using namespace livra;
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
    EXPECT_EQ(errorOf("{\"format\": "), "это не JSON (байт 12)");
    EXPECT_EQ(errorOf("[]"), "документ: ожидается объект");
    EXPECT_EQ(errorOf("{}"), "format: нет поля");
    EXPECT_EQ(errorOf(R"({"format": "x"})"), "format: ожидается \"livra-configuration\"");
    EXPECT_EQ(errorOf(R"({"format": "livra-configuration", "version": 2})"),
              "version: версия 2 не поддерживается (читается 1)");
    EXPECT_EQ(errorOf(kHead + R"("channelCount": 300})"), "channelCount: число 300 вне 0..255");
    EXPECT_EQ(errorOf(kHead + R"("channelCount": 1.5})"), "channelCount: ожидается целое число от 0 до 255");
    EXPECT_EQ(errorOf(kHead + R"("tvp1Delay": "1\n2"})"), "tvp1Delay: перевод строки внутри текста");
    EXPECT_EQ(errorOf(kHead + R"("tvp2Delay": "日"})"), "tvp2Delay: символ вне кодовой страницы Windows-1251");
    EXPECT_EQ(errorOf(kHead + R"("freeChannels": [1, -1]})"), "freeChannels[1]: число -1 вне 0..255");
    EXPECT_EQ(errorOf(kHead + R"("directions": [{"number": 64}]})"), "directions[0].number: число 64 вне 1..63");
    EXPECT_EQ(errorOf(kHead + R"("directions": [{"number": 1}, {"number": 1}]})"),
              "directions[1].number: номер 1 указан дважды");
    EXPECT_EQ(errorOf(kHead + R"("directions": [{"number": 1, "channels": [1,2,3,4,5,6,7,8]}]})"),
              "directions[0].channels: больше 7 элементов");
    std::string tacts;
    for (int t = 1; t <= 13; ++t) tacts += (t > 1 ? "," : "") + std::string("{\"number\": ") + std::to_string(t) + "}";
    EXPECT_EQ(errorOf(kHead + R"("programs": [{"number": 1}, {"number": 2}, {"number": 3}, {"number": 4, "tacts": [)" +
                      tacts.substr(0, tacts.size() - 1) + R"(, "tMain": 4294967296}]}]})"),
              "programs[3].tacts[12].tMain: число 4294967296 вне -2147483648..2147483647");
    EXPECT_EQ(errorOf(kHead + R"("programs": [{"number": 4, "tacts": [{"number": 1, "tmain": 5}]}]})"),
              "programs[0].tacts[0].tmain: неизвестное поле");
    EXPECT_EQ(errorOf(kHead + R"("programs": [{"number": 4, "tacts": [{"number": 1, "signals": [1, "З"]}]}]})"),
              "programs[0].tacts[0].signals[1]: ожидается целое число от 0 до 255");
    EXPECT_EQ(errorOf(kHead + R"("calendar": {"mon": [{"entry": 25, "hour": 1, "minute": 0, "program": 4}]}})"),
              "calendar.mon[0].entry: число 25 вне 1..24");
    EXPECT_EQ(errorOf(kHead + R"("calendar": {"mon": [{"entry": 1, "hour": 1, "program": 4}]}})"),
              "calendar.mon[0].minute: нет поля");
    EXPECT_EQ(errorOf(kHead + R"("calendar": {"mo": []}})"), "calendar.mo: неизвестное поле");
    EXPECT_EQ(errorOf(kHead + R"("plan": "abc"})"), "plan: не текст base64");
    EXPECT_EQ(errorOf(kHead + R"("plan": {"picture": "", "objects": [{"id": 1}]}})"), "plan.objects[0].owner: нет поля");
    EXPECT_EQ(errorOf(kHead + R"("plan": {"picture": "", "objects": [{"id": 1, "owner": 0, "direction": 1, "x": 0,
              "y": 0, "width": 1e300, "height": 1, "angle": 0}]}})"),
              "plan.objects[0].width: число 1e+300 вне допустимого");
    EXPECT_EQ(errorOf(kHead + R"("fileHead": {"lineEnds": ["\r\n", "\t", "\n"]}})"),
              "fileHead.lineEnds[1]: ожидается \"\\r\\n\", \"\\r\" или \"\\n\"");
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
        EXPECT_EQ(with(std::to_string(m.lo - 1)), m.path + ": число " + std::to_string(m.lo - 1) + " вне " + range);
        EXPECT_EQ(with(std::to_string(m.hi + 1)), m.path + ": число " + std::to_string(m.hi + 1) + " вне " + range);
        EXPECT_EQ(with("-1"), m.lo <= -1 ? "accepted" : m.path + ": число -1 вне " + range);
        EXPECT_EQ(with("0"), m.lo <= 0 ? "accepted" : m.path + ": число 0 вне " + range);
        EXPECT_EQ(with("1.5"), m.path + ": ожидается целое число от " + std::to_string(m.lo) + " до " + std::to_string(m.hi));
        EXPECT_EQ(with("18446744073709551615"), m.path + ": число 18446744073709551615 вне " + range);
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
    EXPECT_EQ(withWidth("3.5e38"), "plan.objects[0].width: число 3.5e+38 вне допустимого");
    EXPECT_EQ(withWidth("-3.5e38"), "plan.objects[0].width: число -3.5e+38 вне допустимого");
    EXPECT_EQ(withWidth("\"1\""), "plan.objects[0].width: ожидается число");
}

