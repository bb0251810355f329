// The report's "Расчёт режима" page as rows of text.
#include "timing/timing_report.h"

#include <gtest/gtest.h>

#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "timing/traffic_edit.h"

namespace livra::timing {
namespace {

TEST(TimingReport, OnePagePerProgramWithCountsAndTheirNumbers) {
    const auto root = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();
    auto parsed = parseProject(*readWholeFile(root / "examples" / "crossroad.ptm", kMaxProjectFileSize));
    Configuration& c = *parsed->config;
    loadProjectSafety(c, pathToUtf8(root / "examples" / "crossroad.ptm"));
    EXPECT_TRUE(timingReportPages(c).empty());
    ASSERT_TRUE(setTrafficField(c, FirstUserProgram, 0, TrafficField::Flow, "450").ok());
    ASSERT_TRUE(setTrafficField(c, FirstUserProgram, 1, TrafficField::Flow, "220").ok());
    ASSERT_TRUE(setTrafficField(c, FirstUserProgram, 3, TrafficField::Crossing, "14").ok());
    auto pages = timingReportPages(c);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].title, "Расчёт режима: программа 4");
    // Walkers of direction 4 need 11 s: tact 6 raised from 5 to 11, C from 37 to 43.
    EXPECT_EQ(pages[0].summary[0], "Y = 0,372    L = 12 с    C0 = 37 с    C = 43 с");
    EXPECT_EQ(pages[0].summary[1], "Средняя задержка: 13,1 с");
    EXPECT_EQ(pages[0].summary[2], "Зелёный поднят до минимального в фазе такта 6 (11 с)");
    ASSERT_EQ(pages[0].phases.size(), 4u);
    EXPECT_EQ(pages[0].phases[1], (std::vector<std::string>{"1", "1, 3", "0,250", "5", "8"}));
    EXPECT_EQ(pages[0].phases[2], (std::vector<std::string>{"6", "2, 4", "0,122", "11", "11"}));
    EXPECT_EQ(pages[0].phases[3], (std::vector<std::string>{"11", "1, 3", "0,000", "5", "6"}));
    ASSERT_EQ(pages[0].directions.size(), 5u);
    EXPECT_EQ(pages[0].directions[1], (std::vector<std::string>{"1", "450", "1", "1800", "—", "17", "0,63", "13,4"}));
    EXPECT_EQ(pages[0].directions[4], (std::vector<std::string>{"4", "—", "—", "—", "14,0", "14", "—", "—"}));
    // Counts that give no timing: the page says why.
    ASSERT_TRUE(setTrafficField(c, FirstUserProgram, 0, TrafficField::Flow, "2000").ok());
    pages = timingReportPages(c);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(pages[0].phases.empty());
    EXPECT_EQ(pages[0].summary[0].rfind("Расчёт режима невозможен: перегрузка", 0), 0u);
}

}  // namespace
}  // namespace livra::timing
