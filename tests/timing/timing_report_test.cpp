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
    // Walkers of direction 4 need 11 s: tact 16 raised from 7 to 11, C from 44 to 48.
    EXPECT_EQ(pages[0].summary[0], "Y = 0,372    L = 15 с    C0 = 44 с    C = 48 с");
    EXPECT_EQ(pages[0].summary[1], "Средняя задержка: 14,8 с");
    EXPECT_EQ(pages[0].summary[2], "Зелёный поднят до минимального в фазе такта 16 (11 с)");
    ASSERT_EQ(pages[0].phases.size(), 4u);
    EXPECT_EQ(pages[0].phases[1], (std::vector<std::string>{"3", "1, 3", "0,250", "5", "11"}));
    EXPECT_EQ(pages[0].phases[2], (std::vector<std::string>{"11", "1, 3", "0,000", "5", "5"}));
    EXPECT_EQ(pages[0].phases[3], (std::vector<std::string>{"16", "2, 4", "0,122", "11", "11"}));
    ASSERT_EQ(pages[0].directions.size(), 5u);
    EXPECT_EQ(pages[0].directions[1], (std::vector<std::string>{"1", "450", "1", "1800", "—", "19", "0,63", "14,5"}));
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
