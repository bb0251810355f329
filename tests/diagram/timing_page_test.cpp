// The report's "Расчёт режима" part: from a new page, the rows of the program.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "report/report.h"
#include "timing/traffic_edit.h"

namespace livra::report {
namespace {

TEST(TimingPage, StartsOnItsOwnPageWithTheProgramsRows) {
    const auto root = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();
    auto parsed = parseProject(*readWholeFile(root / "examples" / "crossroad.ptm", kMaxProjectFileSize));
    Configuration& c = *parsed->config;
    loadProjectSafety(c, pathToUtf8(root / "examples" / "crossroad.ptm"));
    auto timingSections = [](const Report& r) {
        std::vector<int> at;
        for (int i = 0; i < int(r.sections.size()); ++i)
            if (r.sections[i].tag == "timing") at.push_back(i);
        return at;
    };
    const Report plain = planReport(c, {"crossroad.ptm", "09.12.2026", ""});
    EXPECT_TRUE(timingSections(plain).empty());
    ASSERT_TRUE(timing::setTrafficField(c, FirstUserProgram, 0, timing::TrafficField::Flow, "450").ok());
    const Report r = planReport(c, {"crossroad.ptm", "09.12.2026", ""});
    const auto at = timingSections(r);
    ASSERT_FALSE(at.empty());
    const Section& s = r.sections[at[0]];
    EXPECT_EQ(s.title, "Расчёт режима: программа 4");
    EXPECT_TRUE(s.newPage);
    EXPECT_FALSE(s.lead.empty()) << "the summary lines";
    ASSERT_FALSE(s.table.columns.empty());
    EXPECT_EQ(s.table.columns[0].title, "Такт");
    // It begins a page of its own: the first block of that page is its heading.
    bool found = false;
    for (const Page& page : r.pages)
        if (!page.blocks.empty() && page.blocks.front().section == at[0]) found = true;
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace livra::report
