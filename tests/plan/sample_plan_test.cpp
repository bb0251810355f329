// The sample project in examples/ is one the editors could have made, and
// its plan shows every direction that has a head.
#include <gtest/gtest.h>

#include <set>

#include "check/validator.h"
#include "model/error_list.h"
#include "model/project_file.h"
#include "plan/plan_objects.h"
#include "support/test_support.h"

namespace livra {
namespace {

TEST(SamplePlan, ValidEditorMadeAndEveryDirectionMounted) {
    const auto examples = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path() / "examples";
    auto parsed = parseProject(test::readBytes(examples / "crossroad.ptm"));
    ASSERT_TRUE(parsed);
    const Configuration& c = *parsed->config;
    VectorErrorList verdict;
    EXPECT_EQ(validateConfiguration(c, verdict), 0);
    ASSERT_EQ(verdict.lines.size(), 1u);
    EXPECT_EQ(verdict.lines[0], "Ошибок не обнаружено");

    // A call input takes red or off in its own call tacts, nothing else.
    for (int p = FirstUserProgram; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; ++t)
            for (int d = 0; d < DirectionCount; ++d) {
                const int32_t kind = c.TactTable[p][t].kind;
                const uint8_t s = c.TactSignals[p][t][d];
                if ((c.DirectionKind[d] == DirTvp1 && kind == TactTvp1) ||
                    (c.DirectionKind[d] == DirTvp2 && kind == TactTvp2)) {
                    EXPECT_TRUE(s == SignalRed || s == SignalOff) << "program " << p + 1 << " tact " << t + 1;
                }
            }

    Configuration at = c;
    test::TempDir dir;
    at.ProgramDir = pathToUtf8(dir.path()) + "/";
    std::filesystem::create_directories(dir / "shem");
    std::filesystem::copy_file(examples / "shem" / "crossroad.png", dir / "shem" / "crossroad.png");
    Plan plan;
    const PlanLoadReport report = parsePlan(plan, parsed->plan, at);
    EXPECT_TRUE(report.pictureFound);
    EXPECT_EQ(report.dropped, 0);
    std::set<int> mounted, labelled;
    for (const PlanObject& o : plan.planObjects) {
        if (o.isHead()) mounted.insert(o.direction);
        if (o.isLabel()) labelled.insert(o.owner);
        EXPECT_TRUE(o.x >= 0 && o.y >= 0 && o.x + o.width <= 500 && o.y + o.height <= 500) << o.id;
    }
    std::set<int> headed;
    for (int d = 0; d < DirectionCount; ++d)
        if (kindHasHead(c.DirectionKind[d])) headed.insert(d + 1);
    EXPECT_EQ(mounted, headed);
    EXPECT_EQ(labelled.size(), 8u);
}

}  // namespace
}  // namespace livra
