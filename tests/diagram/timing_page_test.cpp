// The report's "Расчёт режима" part: from a new page, the rows of the program.
#include <gtest/gtest.h>

#include <algorithm>

#include "diagram/report_layout.h"
#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "timing/traffic_edit.h"

namespace livra::diagram {
namespace {

TEST(TimingPage, StartsOnItsOwnPageWithTheProgramsRows) {
    const auto root = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();
    auto parsed = parseProject(*readWholeFile(root / "examples" / "crossroad.ptm", kMaxProjectFileSize));
    Configuration& c = *parsed->config;
    loadProjectSafety(c, pathToUtf8(root / "examples" / "crossroad.ptm"));
    const Report plain = planReport(c, {"crossroad.ptm", "09.12.2026", ""});
    EXPECT_TRUE(plain.timing.empty());
    ASSERT_TRUE(timing::setTrafficField(c, FirstUserProgram, 0, timing::TrafficField::Flow, "450").ok());
    const Report r = planReport(c, {"crossroad.ptm", "09.12.2026", ""});
    ASSERT_EQ(r.pages.size(), plain.pages.size() + 1);
    const Page& last = r.pages.back();
    ASSERT_FALSE(last.blocks.empty());
    for (const Block& b : last.blocks) EXPECT_EQ(b.kind, BlockKind::Timing);
    EXPECT_EQ(last.blocks.front().first, 0);
    EXPECT_EQ(last.blocks.back().last, int(r.timing.size()));
    ASSERT_GE(r.timing.size(), 4u);
    EXPECT_EQ(r.timing[0].kind, TimingLine::Title);
    EXPECT_EQ(r.timing[0].cells[0], "Расчёт режима: программа 4");
    const auto header = std::find_if(r.timing.begin(), r.timing.end(),
                                     [](const TimingLine& l) { return l.kind == TimingLine::Header; });
    ASSERT_NE(header, r.timing.end());
    EXPECT_EQ(header->cells[0], "Такт");
    EXPECT_EQ(header[-1].kind, TimingLine::Text);
}

}  // namespace
}  // namespace livra::diagram
