#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "model/project_file.h"
#include "plan/plan_objects.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::addAlarm;
using test::addDirection;
using test::runLivra;

void setTact(Configuration& c, int p, int t, int32_t kind, int32_t tMain, int32_t tMin, std::vector<uint8_t> signals) {
    c.TactTable[p][t] = Tact{kind, tMin, tMain, 0, 0};
    for (std::size_t d = 0; d < signals.size(); ++d) c.TactSignals[p][t][d] = signals[d];
    recomputeDerivedTactFields(c, p);
}

// Vehicle 1, pedestrian 2, ТВП1 input 3, tram 4..6, ТВП2 input 7.
// Program 4: phase 6/2, intermediate 2, ТВП1 4, phase 9/3, ТВП2 3.
// Program 5: ТВП2 2, phase 4/1, ТВП1 2, phase 3/3.
// Calendar: Monday 06:01 → 5, Sunday 20:00 → 4. Delays: ТВП1 2 s, ТВП2 0.
std::unique_ptr<Configuration> goldenConfiguration() {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirPedestrian);
    addDirection(*c, 2, DirTvp1);
    addDirection(*c, 3, DirTram1);
    addDirection(*c, 6, DirTvp2);
    setTact(*c, 3, 0, TactPhase, 6, 2, {3, 1, 9, 3, 1, 1, 9});
    setTact(*c, 3, 1, TactIntermediate, 2, 0, {2, 1, 9, 1, 1, 1, 9});
    setTact(*c, 3, 2, TactTvp1, 4, 0, {1, 3, 1, 7, 7, 7, 9});
    setTact(*c, 3, 3, TactPhase, 9, 3, {1, 5, 9, 1, 3, 3, 9});
    setTact(*c, 3, 4, TactTvp2, 3, 0, {1, 1, 9, 1, 1, 1, 1});
    setTact(*c, 4, 0, TactTvp2, 2, 0, {4, 1, 9, 3, 3, 3, 1});
    setTact(*c, 4, 1, TactPhase, 4, 1, {6, 3, 9, 3, 3, 1, 9});
    setTact(*c, 4, 2, TactTvp1, 2, 0, {1, 1, 1, 1, 3, 1, 9});
    setTact(*c, 4, 3, TactPhase, 3, 3, {7, 7, 9, 2, 1, 1, 9});
    addAlarm(*c, 0, 6, 1, 5);
    addAlarm(*c, 6, 20, 0, 4);
    c->Tvp1Delay = "2";
    c->Tvp2Delay = "0";
    return c;
}

struct Segment {
    int from, to;  // ticks, inclusive
    int program, tact;
    const char* signals;
};

// Expected output of a run that starts on Monday 07.12.2026 at `startSecond`
// of the day and stays within that day.
std::string expand(int startSecond, const std::vector<Segment>& segments) {
    std::string out;
    for (const auto& s : segments) {
        for (int tick = s.from; tick <= s.to; ++tick) {
            const int t = startSecond + tick;
            char line[128];
            std::snprintf(line, sizeof line, "Пн.07.12.2026  %02d:%02d:%02d\t%d\t%d\t%s\n", t / 3600, t / 60 % 60, t % 60,
                          s.program, s.tact, s.signals);
            out += line;
        }
    }
    return out;
}

struct SimCli : ::testing::Test {
    test::TempDir dir;
    std::string project(const Configuration& c, const Bytes& plan = {}) {
        const auto path = (dir / "p.ptm").string();
        test::writeBytes(path, serializeProject(c, plan));
        return path;
    }
    test::RunResult livra(const std::vector<std::string>& args) { return runLivra(args, dir / "work"); }
};

TEST_F(SimCli, LongRunWithCalendarPhasesIntermediateAndCallTacts) {
    auto c = goldenConfiguration();
    const auto r = livra({"simulate", project(*c), "--start", "07.12.2026 05:59:40", "--seconds", "110", "--call1", "0",
                          "--call1", "2", "--call1", "11", "--call2", "25", "--call2", "30", "--call2", "83"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const char* p4t1 = "3 1 9 2 1 1 9";  // tram 3,1,1 → lamp code 2
    const char* p4t2 = "2 1 9 8 1 1 9";
    const char* p4t3 = "1 3 1 0 7 7 9";  // any row off → all dark
    const char* p4t4 = "1 5 9 7 3 3 9";
    const char* p4t5 = "1 1 9 8 1 1 1";
    const char* p5t1 = "4 1 9 1 3 3 1";
    const char* p5t2 = "6 3 9 3 3 1 9";
    const char* p5t4 = "7 7 9 2 1 1 9";  // 2,1,1 matches nothing: the first row's own code
    const std::vector<Segment> expected = {
        // Before Monday's first entry, Sunday's program 4 is in force.
        {1, 4, 4, 1, p4t1},    // call 1 pressed after 2 s: the phase ends on tMin
        {5, 6, 4, 2, p4t2},
        {7, 10, 4, 3, p4t3},   // the called ТВП1 tact
        {11, 15, 4, 4, p4t4},  // call 1 again after 11 s, held 1 s by the 2 s delay
        {16, 17, 4, 1, p4t1},  // ТВП2 tact skipped; the pending call keeps program 4 and cuts the phase
        {18, 19, 4, 2, p4t2},
        {20, 23, 4, 3, p4t3},
        {24, 28, 4, 4, p4t4},  // call 2 after 25 s: effective at once
        {29, 31, 4, 5, p4t5},  // the press after 30 s is ignored: its tact is on show
        {32, 37, 4, 1, p4t1},  // no calls: tMain, both call tacts skipped
        {38, 39, 4, 2, p4t2},
        {40, 48, 4, 4, p4t4},
        {49, 54, 4, 1, p4t1},
        {55, 56, 4, 2, p4t2},
        {57, 65, 4, 4, p4t4},
        {66, 71, 4, 1, p4t1},
        {72, 73, 4, 2, p4t2},
        {74, 82, 4, 4, p4t4},
        {83, 84, 5, 2, p5t2},  // 06:01:03, a new cycle: Monday's 06:01 entry wins; call 2 after 83 s
        {85, 87, 5, 4, p5t4},
        {88, 89, 5, 1, p5t1},  // the program's first tact is the called ТВП2
        {90, 93, 5, 2, p5t2},
        {94, 96, 5, 4, p5t4},
        {97, 100, 5, 2, p5t2},
        {101, 103, 5, 4, p5t4},
        {104, 107, 5, 2, p5t2},
        {108, 110, 5, 4, p5t4},
    };
    EXPECT_EQ(r.out, expand(5 * 3600 + 59 * 60 + 40, expected));
    EXPECT_NE(r.err.find("call 1 after 0 s not accepted"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("call 2 after 30 s not accepted"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("after 2 s"), std::string::npos) << r.err;
}

TEST_F(SimCli, FullProgramAndCalendarByteNamingNoProgram) {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirPedestrian);
    for (int t = 0; t < TactCount; ++t)
        setTact(*c, 3, t, TactPhase, 1, 0, {uint8_t(t % 2 ? 1 : 3), uint8_t(t == TactCount - 1 ? 5 : 1)});
    addAlarm(*c, 0, 0, 0, 4);
    const auto r = livra({"simulate", project(*c), "--start", "07.12.2026 00:00:00", "--seconds", "325"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 325u);
    EXPECT_EQ(lines[0], "Пн.07.12.2026  00:00:01\t4\t1\t3 1");
    EXPECT_EQ(lines[1], "Пн.07.12.2026  00:00:02\t4\t2\t1 1");
    EXPECT_EQ(lines[320], "Пн.07.12.2026  00:05:21\t4\t321\t3 5");
    EXPECT_EQ(lines[324], "Пн.07.12.2026  00:05:25\t4\t321\t3 5") << "nothing more is loaded";

    // A later entry naming program 110 passes the validator; the engine then
    // selects nothing instead of reading past the program table.
    addAlarm(*c, 0, 0, 0, 110);
    const auto odd = livra({"simulate", project(*c), "--start", "07.12.2026 00:00:00", "--seconds", "2"});
    ASSERT_EQ(odd.exitCode, 0) << odd.err;
    EXPECT_EQ(odd.out, "Пн.07.12.2026  00:00:01\t110\t0\t0 0\nПн.07.12.2026  00:00:02\t110\t0\t0 0\n");
}

TEST_F(SimCli, RefusesAnInvalidConfiguration) {
    auto c = goldenConfiguration();
    for (auto& day : c->Calendar) day.fill(CalendarEntry{});
    const auto r = livra({"simulate", project(*c), "--start", "07.12.2026 00:00:00", "--seconds", "5"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Пустой каледарь\nМоделирование невозможно.\nВ конфигурации обнаружены ошибки.\nИсправьте ошибки и "
              "повторите.\n");
}

TEST_F(SimCli, UsageErrors) {
    const auto path = project(*goldenConfiguration());
    const std::vector<std::vector<std::string>> bad = {
        {"simulate"},
        {"simulate", path, "--seconds", "5"},
        {"simulate", path, "--start", "07.12.2026 00:00:00"},
        {"simulate", path, "--start", "31.02.2026 00:00:00", "--seconds", "5"},
        {"simulate", path, "--start", "07.12.2026 24:00:00", "--seconds", "5"},
        {"simulate", path, "--start", "07.12.2026", "--seconds", "5"},
        {"simulate", path, "--start", "07-12-2026 00:00:00", "--seconds", "5"},
        {"simulate", path, "--start", "07.12.2026 00:00:00", "--seconds", "-1"},
        {"simulate", path, "--start", "07.12.2026 00:00:00", "--seconds", "5x"},
        {"simulate", path, "--start", "07.12.2026 00:00:00", "--seconds", "5", "--call1", "6"},
        {"simulate", path, "--start", "07.12.2026 00:00:00", "--seconds", "5", "--call2", "x"},
        {"simulate", path, "--start", "07.12.2026 00:00:00", "--seconds", "5", "--call3", "1"},
        {"simulate", (dir / "missing.ptm").string(), "--start", "07.12.2026 00:00:00", "--seconds", "5"},
        {"plan"},
        {"plan", (dir / "missing.ptm").string()},
    };
    for (const auto& args : bad) {
        const auto r = livra(args);
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_EQ(r.out, "");
    }
    const auto help = livra({"simulate", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--call1 K"), std::string::npos);
    EXPECT_NE(livra({"--help"}).out.find("plan FILE.ptm"), std::string::npos);
    const auto none = livra({"simulate", path, "--start", "07.12.2026 00:00:00", "--seconds", "0"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "");
}

TEST_F(SimCli, PlanListsTheObjectsThatWouldBeCreated) {
    auto c = goldenConfiguration();
    Plan plan;
    plan.planPicturePath = "D:\\планы\\x.png";
    createSpecialObjects(plan);
    const int32_t head = mountObject(plan, *c, 0, 100, 120);
    rotateObject(plan, head, 90);
    scaleObject(plan, head, 200);
    mountObject(plan, *c, 3, 10, 20);
    shrinkObject(plan, 3);
    Bytes bytes = serializePlan(plan);
    // A head of the ТВП1 input (no head kind) and its label: dropped.
    Plan extra;
    createObject(extra, 7, 50, 50);
    setObjectDirection(extra, 7, 3);
    createLabel(extra, 8, 7, 40, 20, "");
    const Bytes more = serializePlan(extra);
    bytes.insert(bytes.end(), more.begin() + 2, more.end());

    const auto r = livra({"plan", project(*c, bytes)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Рисунок плана: D:\\планы\\x.png\n"
              "id\tвладелец\tнапр.\tx\ty\tширина\tвысота\tугол\tподпись\n"
              "1\t0\t1\t100\t120\t100\t100\t90\t1Т\n"
              "2\t1\t0\t155\t120\t40\t20\t0\t1Т\n"
              "3\t0\t4\t10\t20\t45.4545\t45.4545\t0\t4-6Р\n"
              "4\t3\t0\t65\t20\t40\t20\t0\t4-6Р\n"
              "Отброшено записей: 2\n");

    const auto empty = livra({"plan", project(*c)});
    ASSERT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "Рисунок плана: \nОбъектов нет\n");

    // A first line longer than any path is cut at a path's length; the
    // records behind it are read as ever.
    Plan named;
    named.planPicturePath = std::string(5000, 'a');
    Bytes withObjects = serializePlan(named);
    ASSERT_EQ(withObjects.size(), 5002u);
    const auto records = std::find(bytes.begin(), bytes.end(), uint8_t('\n')) + 1;
    withObjects.insert(withObjects.end(), records, bytes.end());
    const auto cut = livra({"plan", project(*c, withObjects)});
    ASSERT_EQ(cut.exitCode, 0) << cut.err;
    EXPECT_TRUE(cut.out.starts_with("Рисунок плана: " + std::string(260, 'a') + "\nid\t")) << cut.out.substr(0, 300);
    EXPECT_NE(cut.out.find("\n1\t0\t1\t100\t120\t100\t100\t90\t1Т\n"), std::string::npos);
}

TEST_F(SimCli, TheClockNeverRunsPastTheYear9999) {
    const auto path = project(*goldenConfiguration());
    const auto past = livra({"simulate", path, "--start", "31.12.9999 23:59:55", "--seconds", "5"});
    EXPECT_EQ(past.exitCode, 2);
    EXPECT_EQ(past.out, "");
    EXPECT_EQ(past.err, "livra simulate: --seconds runs the clock past 31.12.9999 23:59:59\n");
    const auto last = livra({"simulate", path, "--start", "31.12.9999 23:59:55", "--seconds", "4"});
    ASSERT_EQ(last.exitCode, 0) << last.err;
    EXPECT_EQ(std::count(last.out.begin(), last.out.end(), '\n'), 4);
    EXPECT_NE(last.out.find("31.12.9999  23:59:59\t"), std::string::npos) << last.out;
}

}  // namespace
}  // namespace livra
