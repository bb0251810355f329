// The export against the real simulator: the sample crossroad's net built by
// netconvert, the exported programs played by SUMO with SaveTLSStates, every
// link at every second compared with `livra simulate` through the letter
// table. Skipped (with the reason) only where SUMO is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "model/project_file.h"
#include "sumo/sumo_export.h"
#include "sumo/sumo_letters.h"
#include "sumo_qt/sumo_xml_reader.h"
#include "support/test_support.h"

namespace livra {
namespace {

namespace fs = std::filesystem;
using test::runLivra;
using test::runProgram;

const fs::path kExamples = fs::path(LIVRA_TEST_DATA).parent_path().parent_path() / "examples";

std::string findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && fs::exists(fs::path(dir) / name)) return (fs::path(dir) / name).string();
    return {};
}

std::vector<std::pair<std::string, std::string>> sumoEnv() {
    // Without SUMO_HOME SUMO cannot find its schemas and says so on every run.
    if (fs::exists("/usr/share/sumo/data")) return {{"SUMO_HOME", "/usr/share/sumo"}};
    return {};
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeText(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

struct Sumo {
    std::string sumo = findOnPath("sumo"), netconvert = findOnPath("netconvert");
    bool present() const { return !sumo.empty() && !netconvert.empty(); }
};

#define SKIP_WITHOUT_SUMO(s)                                                                                  \
    if (!(s).present()) GTEST_SKIP() << "SUMO is not installed (Debian package sumo): sumo and netconvert are " \
                                        "needed to play the export"

std::unique_ptr<Configuration> sample() {
    const auto bytes = readWholeFile(kExamples / "crossroad.ptm");
    auto parsed = parseProject(*bytes);
    return std::move(parsed->config);
}

// The sample's net as docs/sumo.md builds it: plain files, then the signal groups.
fs::path buildSampleNet(const Sumo& s, const test::TempDir& dir) {
    const fs::path src = kExamples / "sumo";
    const fs::path base = dir / "crossroad.base.net.xml", net = dir / "crossroad.net.xml";
    auto r = runProgram(s.netconvert,
                        {"-n", (src / "crossroad.nod.xml").string(), "-e", (src / "crossroad.edg.xml").string(), "-x",
                         (src / "crossroad.con.xml").string(), "-o", base.string()},
                        sumoEnv());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = runProgram(s.netconvert, {"-s", base.string(), "-i", (src / "crossroad.tll.xml").string(), "-o", net.string()},
                   sumoEnv());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("Warning"), std::string::npos) << r.err;
    return net;
}

struct TlsState {
    long time;
    std::string program, state;
};

// SaveTLSStates: one line per second.
std::vector<TlsState> runSumo(const Sumo& s, const test::TempDir& dir, const fs::path& net,
                              const std::vector<fs::path>& additional, long begin, long end, std::string* log) {
    const fs::path out = dir / "states.tls.xml", probe = dir / "probe.add.xml";
    writeText(probe, "<additional><timedEvent type=\"SaveTLSStates\" source=\"J\" dest=\"" + out.string() +
                         "\"/></additional>\n");
    std::string files;
    for (const auto& a : additional) files += a.string() + ",";
    files += probe.string();
    const auto r = runProgram(s.sumo,
                              {"-n", net.string(), "-a", files, "--begin", std::to_string(begin), "--end",
                               std::to_string(end), "--no-step-log"},
                              sumoEnv());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    *log = r.out + r.err;
    std::vector<TlsState> states;
    const std::regex line(R"re(time="([0-9]+)\.00" id="J" programID="([^"]+)" phase="[0-9]+" state="([^"]*)")re");
    const std::string text = readText(out);
    for (std::sregex_iterator it(text.begin(), text.end(), line), e; it != e; ++it)
        states.push_back({std::stol((*it)[1]), (*it)[2], (*it)[3]});
    return states;
}

// `livra simulate` lines as SUMO letters, one state per second.
std::vector<std::string> simulatedStates(const Configuration& c, const std::vector<std::string>& args) {
    const auto r = runLivra(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> states;
    std::istringstream lines(r.out);
    const int length = sumoStateLength(c);
    for (std::string text; std::getline(lines, text);) {
        std::istringstream signals(text.substr(text.rfind('\t') + 1));
        std::string state;
        int code = 0;
        for (int d = 0; d < length && signals >> code; ++d) state += sumoLetter(c.DirectionKind[d], uint8_t(code));
        states.push_back(state);
    }
    return states;
}

// No warning at all, so none about the traffic light ("Missing yellow phase",
// "Unsafe green", unused states).
void expectNoTrafficLightWarning(const std::string& log) {
    EXPECT_EQ(log.find("Warning"), std::string::npos) << "SUMO said: " << log;
}

int servedCycle(const Configuration& c, int p, bool call1) {
    int sum = 0;
    for (int t = 0; t < TactCount && c.TactTable[p][t].kind != TactEmpty; ++t) {
        const auto& tact = c.TactTable[p][t];
        if (tact.kind == TactPhase || tact.kind == TactIntermediate || (call1 && tact.kind == TactTvp1))
            sum += tact.tMain;
    }
    return sum;
}

// `seconds` of SUMO's states from `from` on equal `expected`, all of `program`.
void expectSameStates(const std::vector<TlsState>& states, long from, const std::vector<std::string>& expected,
                      const std::string& program) {
    std::size_t compared = 0;
    for (const auto& st : states) {
        if (st.time < from || st.time >= from + long(expected.size())) continue;
        ASSERT_EQ(st.program, program) << "at " << st.time;
        ASSERT_EQ(st.state, expected[std::size_t(st.time - from)]) << "second " << st.time - from;
        ++compared;
    }
    EXPECT_EQ(compared, expected.size());
}

TEST(SumoRun, ExportPlaysInSumoAsSimulateEverySecondWithAndWithoutCalls) {
    Sumo s;
    SKIP_WITHOUT_SUMO(s);
    test::TempDir dir;
    const auto c = sample();
    const std::string ptm = (kExamples / "crossroad.ptm").string();
    const fs::path add = dir / "crossroad.add.xml", net = buildSampleNet(s, dir);
    const auto exported = runLivra({"sumo-export", ptm, "--out", add.string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    std::vector<std::string> args = {"simulate", ptm, "--start", "07.12.2026 06:00:00", "--seconds"};

    // The calendar's WAUT brings program 4 at Monday 06:00 (second 21600 of
    // the week), after the night's flashing yellow; ten cycles from there.
    const long from = 6 * 3600, seconds = 10L * servedCycle(*c, 3, false);
    std::string log;
    const auto states = runSumo(s, dir, net, {add}, 0, from + seconds, &log);
    expectNoTrafficLightWarning(log);
    args.push_back(std::to_string(seconds));
    expectSameStates(states, from, simulatedStates(*c, args), "4");
    ASSERT_GT(states.size(), std::size_t(5 * 3600));
    EXPECT_EQ(states.front().program, "4");  // Sunday 07:00 still in force at Monday 00:00
    EXPECT_EQ(states[5 * 3600].program, "2");
    EXPECT_EQ(states[5 * 3600].state.substr(0, 2), "oo");

    // "4-call1" alone (SUMO plays the program loaded last) against presses of
    // call 1 where the tact before the call tacts runs out at its main time
    // (an intermediate tact, or tMain − tMin into a phase): no phase is cut.
    const auto read = parseSumoXml(readText(add));
    ASSERT_TRUE(read.file) << read.error;
    SumoAdditional only;
    std::copy_if(read.file->tlLogics.begin(), read.file->tlLogics.end(), std::back_inserter(only.tlLogics),
                 [](const SumoTlLogic& l) { return l.programId == "4-call1"; });
    ASSERT_EQ(only.tlLogics.size(), 1u);
    writeText(dir / "call1.add.xml", sumoExportXml(only, "call1"));
    const int cycle = servedCycle(*c, 3, true);
    int start = 0, press = -1;
    for (int t = 0; t < TactCount && c->TactTable[3][t].kind != TactEmpty && c->TactTable[3][t].kind != TactTvp1; ++t) {
        const Tact& tact = c->TactTable[3][t];
        if (tact.kind != TactPhase && tact.kind != TactIntermediate) continue;
        press = start + (tact.kind == TactPhase ? tact.tMain - tact.tMin : 0);
        start += tact.tMain;
    }
    ASSERT_GE(press, 0);
    args.back() = std::to_string(10L * cycle);
    for (int n = 0; n < 10; ++n) args.insert(args.end(), {"--call1", std::to_string(n * cycle + press)});
    const auto calls = runSumo(s, dir, net, {dir / "call1.add.xml"}, 0, 10L * cycle, &log);
    expectNoTrafficLightWarning(log);
    expectSameStates(calls, 0, simulatedStates(*c, args), "4-call1");
}

TEST(SumoRun, SampleScenarioRunsWithTrafficAndSummarisesTheWaiting) {
    Sumo s;
    SKIP_WITHOUT_SUMO(s);
    test::TempDir dir;
    // The scenario as docs/sumo.md runs it, in a copy of examples/sumo.
    for (const auto& entry : fs::directory_iterator(kExamples / "sumo"))
        if (entry.is_regular_file()) fs::copy_file(entry.path(), dir / entry.path().filename().string());
    ASSERT_EQ(runLivra({"sumo-export", (kExamples / "crossroad.ptm").string(), "--out",
                        (dir / "crossroad.add.xml").string()})
                  .exitCode,
              0);
    buildSampleNet(s, dir);
    const auto run = runProgram(s.sumo, {"-c", (dir / "crossroad.sumocfg").string()}, sumoEnv());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ((run.out + run.err).find("Warning"), std::string::npos) << run.out << run.err;
    const std::string trips = readText(dir / "crossroad.tripinfo.xml");
    std::size_t vehicles = 0;
    for (std::size_t at = 0; (at = trips.find("<tripinfo ", at)) != std::string::npos; ++at) ++vehicles;
    EXPECT_GT(vehicles, 1200u);  // an hour of 1340 departures, a few still on the way
    const std::string python = findOnPath("python3");
    if (python.empty()) return;
    const auto summary = runProgram(python, {(dir / "waiting.py").string(), (dir / "crossroad.tripinfo.xml").string()});
    ASSERT_EQ(summary.exitCode, 0) << summary.err;
    for (const char* approach : {"\nWJ (с запада)\t", "\nEJ (с востока)\t", "\nNJ (с севера)\t", "\nSJ (с юга)\t"})
        EXPECT_NE(summary.out.find(approach), std::string::npos) << summary.out;
}

TEST(SumoRun, DefaultProgramGuessedByNetconvertComesBackUnchanged) {
    Sumo s;
    SKIP_WITHOUT_SUMO(s);
    test::TempDir dir;
    // netconvert numbers every connection and crossing itself when nothing
    // says otherwise: four roads' links, then four crossings.
    const fs::path src = kExamples / "sumo";
    writeText(dir / "g.nod.xml",
              std::regex_replace(readText(src / "crossroad.nod.xml"), std::regex(R"( type="traffic_light" tl="J")"), ""));
    writeText(dir / "g.con.xml",
              std::regex_replace(readText(src / "crossroad.con.xml"), std::regex(R"( linkIndex2?="[0-9]+")"), ""));
    const fs::path net = dir / "guess.net.xml";
    const auto built = runProgram(s.netconvert,
                                  {"-n", (dir / "g.nod.xml").string(), "-e", (src / "crossroad.edg.xml").string(), "-x",
                                   (dir / "g.con.xml").string(), "--tls.guess", "-o", net.string()},
                                  sumoEnv());
    ASSERT_EQ(built.exitCode, 0) << built.err;
    const auto guessed = parseSumoXml(readText(net));
    ASSERT_TRUE(guessed.file) << guessed.error;
    ASSERT_EQ(guessed.file->tlLogics.size(), 1u);
    const SumoTlLogic& original = guessed.file->tlLogics[0];
    ASSERT_EQ(original.phases.at(0).state.size(), 8u);

    // A project whose directions follow that order: four vehicle heads, four
    // pedestrian heads.
    auto c = test::newConfiguration();
    for (int d = 0; d < 4; ++d) test::addDirection(*c, d, DirVehicle);
    for (int d = 4; d < 8; ++d) test::addDirection(*c, d, DirPedestrian);
    test::addAlarm(*c, 0, 0, 0, 4);
    const fs::path ptm = dir / "guess.ptm";
    test::writeBytes(ptm, serializeProject(*c, {}));

    const auto imported = runLivra({"sumo-import", net.string(), "--tls", "J", "--program-id", "0", "--into",
                                    ptm.string(), "--program", "4"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.out.find("Принято тактов: " + std::to_string(original.phases.size())), std::string::npos);
    EXPECT_NE(imported.out.find("Проверка: "), std::string::npos) << imported.out;
    // SUMO's default program passes the validator, and the safety check names
    // what it lacks by our rules: no red-and-yellow before the vehicles'
    // green, no flashing green before the pedestrians' red — each head once.
    const auto checked = runLivra({"check", "--safety", ptm.string()});
    EXPECT_EQ(checked.exitCode, 1) << checked.out << checked.err;
    EXPECT_EQ(checked.out.rfind("Ошибок не обнаружено\n", 0), 0u) << checked.out;
    const auto count = [&](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = 0; (at = checked.out.find(what, at)) != std::string::npos; ++at) ++n;
        return n;
    };
    EXPECT_EQ(count("\nПрограмма 4, такт "), 8u) << checked.out;
    EXPECT_EQ(count(" — красный сменяется зелёным без красного с жёлтым\n"), 4u) << checked.out;
    EXPECT_EQ(count(" — зелёный сменяется красным без зелёного мигания\n"), 4u) << checked.out;

    const fs::path again = dir / "again.add.xml";
    const auto exported = runLivra({"sumo-export", ptm.string(), "--out", again.string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const auto back = parseSumoXml(readText(again));
    ASSERT_TRUE(back.file) << back.error;
    const auto it = std::find_if(back.file->tlLogics.begin(), back.file->tlLogics.end(),
                                 [](const SumoTlLogic& l) { return l.programId == "4"; });
    ASSERT_NE(it, back.file->tlLogics.end());
    ASSERT_EQ(it->phases.size(), original.phases.size());
    for (std::size_t i = 0; i < original.phases.size(); ++i) {
        EXPECT_EQ(it->phases[i].state, original.phases[i].state) << "phase " << i;
        EXPECT_EQ(it->phases[i].duration, original.phases[i].duration) << "phase " << i;
    }
}

// The push-button export (--actuated) with walkers: program 4's call group
// (for direction 4, across the west and east legs) runs only while a walker of
// direction 4 is on the way or waiting, never in the quiet cycles or for the
// walkers of direction 3 (who walk on before it) or those who cross nothing,
// and no walker waits longer than the cycle with the call, those who come
// while the call tacts run included.
TEST(SumoRun, PushButtonProgramServesItsWalkersOnDemand) {
    const Sumo s;
    SKIP_WITHOUT_SUMO(s);
    const test::TempDir dir;
    const fs::path net = buildSampleNet(s, dir);
    const fs::path add = dir / "crossroad.add.xml", routes = dir / "walkers.rou.xml", trips = dir / "trips.xml",
                   states = dir / "states.xml", probe = dir / "probe.add.xml";
    const auto exported = runLivra({"sumo-export", (kExamples / "crossroad.ptm").string(), "--out", add.string(),
                                    "--actuated", "--net", net.string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;

    // Walkers at a steady pace, each with the crossing it needs.
    struct Way {
        const char *from, *to;
        int departPos, arrivalPos;
    };
    const Way dir4[] = {{"EJ", "JE", 185, 15}, {"JW", "WJ", 15, 185}, {"WJ", "JW", 185, 15}, {"JE", "EJ", 15, 185}};
    const Way dir3[] = {{"NJ", "JN", 185, 15}, {"JS", "SJ", 15, 185}};
    const Way around = {"NJ", "JW", 185, 15};
    std::string text = "<routes>\n    <vType id=\"walker\" vClass=\"pedestrian\" speedDev=\"0\"/>\n";
    int n = 0;
    auto walker = [&](const std::string& kind, long depart, const Way& w) {
        text += "    <person id=\"" + kind + "_" + std::to_string(n++) + "\" type=\"walker\" depart=\"" +
                std::to_string(depart) + "\" departPos=\"" + std::to_string(w.departPos) + "\"><walk from=\"" + w.from +
                "\" to=\"" + w.to + "\" arrivalPos=\"" + std::to_string(w.arrivalPos) + "\"/></person>\n";
    };
    for (int k = 0; k < 5; ++k) walker("d4", 10 + 97L * k, dir4[k % 4]);  // one now and then
    // 500..1100 nobody; 1100..1700 walkers who do not need the call.
    for (int k = 0; k < 12; ++k) walker(k % 3 == 2 ? "around" : "d3", 1100 + 50L * k, k % 3 == 2 ? around : dir3[k % 2]);
    for (int k = 0; k < 46; ++k) walker("d4", 1700 + 13L * k, dir4[k % 4]);  // a crowd
    text += "</routes>\n";
    writeText(routes, text);
    writeText(probe, "<additional><timedEvent type=\"SaveTLSStates\" source=\"J\" dest=\"" + states.string() +
                         "\"/></additional>\n");
    const auto r = runProgram(s.sumo,
                              {"-n", net.string(), "-r", routes.string(), "-a", add.string() + "," + probe.string(),
                               "--begin", "0", "--end", "2700", "--no-step-log", "--tripinfo-output", trips.string()},
                              sumoEnv());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    expectNoTrafficLightWarning(r.out + r.err);

    // The cycles (phase 0 entered) and the runs of the call group (phase 3).
    std::vector<long> cycles, calls;
    const std::regex line(R"re(time="([0-9]+)\.00" id="J" programID="4" phase="([0-9]+)")re");
    const std::string stateText = readText(states);
    int previous = -1;
    for (std::sregex_iterator it(stateText.begin(), stateText.end(), line), e; it != e; ++it) {
        const int phase = std::stoi((*it)[2]);
        if (phase != previous && phase == 0) cycles.push_back(std::stol((*it)[1]));
        if (phase != previous && phase == 3) calls.push_back(std::stol((*it)[1]));
        previous = phase;
    }
    struct Trip {
        std::string id;
        double depart, arrival, timeLoss;
    };
    std::vector<Trip> walked;
    const std::string tripText = readText(trips);
    const std::regex trip(
        R"re(<personinfo id="([^"]+)" depart="([0-9.]+)"[^>]*>\s*<walk [^>]*arrival="([0-9.]+)"[^>]*timeLoss="([0-9.]+)")re");
    for (std::sregex_iterator it(tripText.begin(), tripText.end(), trip), e; it != e; ++it)
        walked.push_back({(*it)[1], std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    ASSERT_EQ(int(walked.size()), n) << "every walker arrives";

    const auto c = sample();
    const int callCycle = servedCycle(*c, 3, true);  // 105 s: the cycle with the call, every tact at Т осн
    ASSERT_GT(cycles.size(), 25u);
    ASSERT_GE(calls.size(), 5u);
    EXPECT_LT(calls.size(), cycles.size() - 10) << "the call tacts ran in nearly every cycle";
    // On demand: each run has a walker of direction 4 on the way or waiting.
    for (long t : calls) {
        const bool someone = std::any_of(walked.begin(), walked.end(), [&](const Trip& w) {
            return w.id.rfind("d4_", 0) == 0 && w.depart <= t && t <= w.arrival;
        });
        EXPECT_TRUE(someone) << "call tacts at " << t << " s with nobody of direction 4 about";
    }
    // The quiet stretch and the other walkers: cycles without the call.
    const long quiet = std::count_if(cycles.begin(), cycles.end(), [](long t) { return t >= 600 && t < 1700; });
    EXPECT_GE(quiet, 10);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](long t) { return t >= 600 && t < 1700; }), 0);
    // The first walker comes while direction 4 is red in phase 2: the call ends
    // that phase at its Т мин (12 s after its start at 6 s) and runs for him.
    EXPECT_EQ(calls.front(), 18);
    // Nobody is stranded.
    for (const Trip& w : walked) EXPECT_LE(w.timeLoss, callCycle) << w.id << " departed at " << w.depart;
}

}  // namespace
}  // namespace livra
