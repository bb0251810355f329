// Push-button programs as SUMO actuated programs: the sample's file byte for
// byte against its net (as netconvert 1.15 builds it from examples/sumo), the
// ways past a call group when two groups follow one another, and the refusals.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "model/project_file.h"
#include "sumo/sumo_actuated.h"
#include "sumo/sumo_export.h"
#include "sumo_qt/sumo_xml_reader.h"
#include "support/test_support.h"

namespace livra {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(LIVRA_TEST_DATA) / "sumo";
const fs::path kExamples = fs::path(LIVRA_TEST_DATA).parent_path().parent_path() / "examples";

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::unique_ptr<Configuration> sample() {
    const auto bytes = readWholeFile(kExamples / "crossroad.ptm");
    auto parsed = parseProject(*bytes);
    return std::move(parsed->config);
}

SumoAdditional sampleNet() {
    auto r = readSumoFile((kData / "crossroad.net.xml").string());
    EXPECT_TRUE(r.file) << r.error;
    return r.file ? *r.file : SumoAdditional{};
}

const SumoTlLogic* logic(const SumoAdditional& a, const std::string& programId) {
    for (const auto& l : a.tlLogics)
        if (l.programId == programId) return &l;
    return nullptr;
}

TEST(SumoActuated, TheSampleIsWrittenByteForByte) {
    const auto c = sample();
    const SumoActuatedResult r = buildSumoActuatedExport(*c, "J", sampleNet());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(sumoExportXml(r.additional, "crossroad.ptm"), readText(kData / "crossroad.actuated.add.xml"));
    // The call variants are gone; the night flashing and the calendar stay.
    std::vector<std::string> ids;
    for (const auto& l : r.additional.tlLogics) ids.push_back(l.programId + "/" + l.type);
    EXPECT_EQ(ids, (std::vector<std::string>{"2/static", "4/actuated", "5/actuated"}));
    ASSERT_EQ(r.additional.wauts.size(), 1u);
    EXPECT_EQ(r.additional.wauts[0].switches.size(), 14u);
    EXPECT_EQ(r.notes.front(),
              "Программа 4 — по вызову (тип actuated): ТВП1 — пешеходы направления 4, переходы :J_c1 :J_c3, детекторов 12");
    // Program 4's group is for the walkers of direction 4 (3 walks on before
    // it): their crossings' waiting areas, each loop counting only those whose
    // way leads over its crossing.
    int loops4 = 0;
    for (const auto& d : r.additional.personLoops)
        if (d.id.rfind("J_4_", 0) == 0) {
            ++loops4;
            EXPECT_TRUE(d.nextEdges == ":J_c1" || d.nextEdges == ":J_c3") << d.id;
            EXPECT_EQ(d.lane.rfind(":J_w", 0), 0u) << d.id;
            EXPECT_GT(d.pos, 0);
            EXPECT_LT(d.pos, 3.26);
        }
    EXPECT_EQ(loops4, 12);
    // Without --actuated the export is what it always was.
    EXPECT_EQ(sumoExportXml(buildSumoExport(*c, "J"), "x.ptm").find("actuated"), std::string::npos);
}

TEST(SumoActuated, TwoGroupsInARowCanEachBeSkipped) {
    const auto c = sample();
    // Program 6: phase, ТВП1 group, ТВП2 group, phase; direction 4's walkers
    // call the first, direction 3's the second.
    const int p = 5;
    auto tact = [&](int t, int32_t kind, int tMin, int tMain, std::vector<uint8_t> s) {
        c->TactTable[p][t] = Tact{kind, tMin, tMain, 0, 0};
        for (std::size_t d = 0; d < s.size(); ++d) c->TactSignals[p][t][d] = s[d];
        c->TactSignals[p][t][4] = SignalNotApplicable;
    };
    tact(0, TactPhase, 10, 30, {SignalGreen, SignalRed, SignalRed, SignalRed});
    tact(1, TactTvp1, 0, 8, {SignalRed, SignalRed, SignalRed, SignalGreen});
    tact(2, TactTvp1, 0, 3, {SignalRed, SignalRed, SignalRed, SignalRed});
    tact(3, TactTvp2, 0, 8, {SignalRed, SignalRed, SignalGreen, SignalRed});
    tact(4, TactPhase, 20, 20, {SignalRed, SignalGreen, SignalRed, SignalRed});
    c->TactSignals[p][1][4] = SignalRed;
    c->TactSignals[p][2][4] = SignalRed;
    c->DirectionKind[5] = DirTvp2;
    const SumoActuatedResult r = buildSumoActuatedExport(*c, "J", sampleNet());
    ASSERT_TRUE(r.ok) << r.error;
    const SumoTlLogic* l = logic(r.additional, "6");
    ASSERT_TRUE(l);
    ASSERT_EQ(l->phases.size(), 5u);
    // The phase may end into either group or past both; the first group into
    // the second or past it; the second's last tact wraps round.
    EXPECT_EQ(l->phases[0].next, "1 3 4");
    EXPECT_EQ(l->phases[0].minDur, "10");
    EXPECT_EQ(l->phases[0].maxDur, "30");
    EXPECT_EQ(l->phases[1].earlyTarget, "call1");
    EXPECT_EQ(l->phases[1].finalTarget, "call1");
    EXPECT_EQ(l->phases[2].next, "3 4");
    EXPECT_EQ(l->phases[3].finalTarget, "call2");
    EXPECT_EQ(l->phases[3].next, "");
    // Past the groups: a pending call of either kind ends the first phase early.
    EXPECT_EQ(l->phases[4].earlyTarget, "callAny");
    EXPECT_EQ(l->phases[4].minDur, "");  // Т мин = Т осн: a fixed phase
    std::vector<std::string> conditions;
    for (const auto& k : l->conditions) conditions.push_back(k.id + "=" + k.value);
    EXPECT_EQ(conditions, (std::vector<std::string>{"wait1d4=0", "call1=wait1d4", "wait2d3=0", "call2=wait2d3",
                                                    "callAny=call1 or call2"}));
    // Each request is dropped when its walkers see green, set when one came to
    // a red crossing.
    ASSERT_EQ(l->assignments.size(), 4u);
    EXPECT_EQ(l->assignments[0].check, "g:3 > 0");
    EXPECT_EQ(l->assignments[0].value, "0");
    EXPECT_EQ(l->assignments[1].check.rfind("z:J_6_ped1_0 < r:3 or ", 0), 0u) << l->assignments[1].check;
    EXPECT_EQ(l->assignments[3].check.rfind("z:J_6_ped2_0 < r:2 or ", 0), 0u) << l->assignments[3].check;
}

TEST(SumoActuated, RefusesWhatItCannotPlace) {
    const auto c = sample();
    // A file that is not a net has no crossings to watch.
    SumoAdditional additional;
    auto r = buildSumoActuatedExport(*c, "J", additional);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("нужна сеть SUMO"), std::string::npos) << r.error;
    // Another light of the net: direction 4 crosses nothing there.
    r = buildSumoActuatedExport(*c, "K", sampleNet());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "программа 4: направление 4 (ТВП1) не проходит ни по одному переходу светофора K в сети");
    // A call group that opens no crossing: nobody to wait for.
    auto vehiclesOnly = sample();
    for (int t = 3; t <= 9; ++t) vehiclesOnly->TactSignals[3][t][3] = SignalRed;
    for (int t = 3; t <= 9; ++t) vehiclesOnly->TactSignals[3][t][2] = SignalRed;
    r = buildSumoActuatedExport(*vehiclesOnly, "J", sampleNet());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "программа 4: такты ТВП1 не дают зелёный ни одному пешеходному направлению — некого ждать у "
                       "перехода");
    // Nothing to change: a project without call tacts exports as before.
    auto plain = sample();
    for (int p = FirstUserProgram; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; ++t)
            if (plain->TactTable[p][t].kind == TactTvp1) plain->TactTable[p][t].kind = TactIntermediate;
    EXPECT_FALSE(hasCallPrograms(*plain));
    EXPECT_TRUE(hasCallPrograms(*c));
    r = buildSumoActuatedExport(*plain, "J", sampleNet());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(sumoExportXml(r.additional, "x"), sumoExportXml(buildSumoExport(*plain, "J"), "x"));
}

}  // namespace
}  // namespace livra
