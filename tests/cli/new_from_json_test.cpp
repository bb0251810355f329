// livra new --from: the project JSON built into a file, or refused with the
// place of the fault and nothing written.
#include <gtest/gtest.h>

#include "format/project_json.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "plan/plan_objects.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

Bytes planOf(const Configuration& c) {
    Plan plan;
    plan.planPicturePath = "D:\\планы\\перекрёсток.png";
    createSpecialObjects(plan);
    mountObject(plan, c, 0, 120, 80);
    mountObject(plan, c, 1, 300, 310);
    return serializePlan(plan);
}

}  // namespace

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
                               ": programs[0].tacts[0].tMain: число -2147483649 вне -2147483648..2147483647\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "c.ptm"));
    // A 0 for a 1-based number once wrote before the tables.
    for (const std::string zero : {R"("directions":[{"number":0,"kind":1}])", R"("programs":[{"number":0}])",
                                   R"("programs":[{"number":4,"tacts":[{"number":0}]}])",
                                   R"("calendar":{"mon":[{"entry":0,"hour":1,"minute":0,"program":4}]})"}) {
        const std::string text = R"({"format":"livra-configuration","version":1,)" + zero + "}";
        writeBytes(dir / "z.json", Bytes(text.begin(), text.end()));
        const auto z = runLivra({"new", "--out", (dir / "z.ptm").string(), "--from", (dir / "z.json").string()});
        EXPECT_EQ(z.exitCode, 2) << zero << z.err;
        EXPECT_NE(z.err.find(": число 0 вне 1.."), std::string::npos) << z.err;
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
    // Stamped with the project bytes it was written with.
    SafetyData stamped = safety;
    stamped.project = stampOf(serializeProject(*c, {}));
    EXPECT_EQ(std::string(side.begin(), side.end()), safetyJson(stamped, *c));

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
