// Every SUMO net with traffic lights that Debian's sumo and sumo-tools ship:
// each static program SUMO runs imports into a new project or is refused
// with its reason, and the export of what imported, loaded into the same net,
// shows the same states as the original, every link, g included, second by
// second over 600 s (up to where the cycle starts: a cycle that began in
// transition is rotated, and the export starts at offset 0). Two SUMO runs
// per net, without traffic. Skipped, with the reason, where SUMO or its
// examples are not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>

#include "sumo/sumo_export.h"
#include "sumo/sumo_import.h"
#include "sumo_qt/sumo_xml_reader.h"
#include "support/test_support.h"

namespace livra {
namespace {

namespace fs = std::filesystem;
using test::runProgram;

constexpr long kSeconds = 600;

std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');)
        if (!dir.empty() && fs::exists(fs::path(dir) / name)) return (fs::path(dir) / name).string();
    return {};
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::pair<std::string, std::string>> sumoEnv() {
    if (fs::exists("/usr/share/sumo/data")) return {{"SUMO_HOME", "/usr/share/sumo"}};
    return {};
}

// The packages' net files, as dpkg lists them.
std::vector<fs::path> shippedNets() {
    const auto dpkg = onPath("dpkg");
    if (dpkg.empty()) return {};
    const auto r = runProgram(dpkg, {"-L", "sumo", "sumo-tools"});
    std::vector<fs::path> nets;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (line.size() > 8 && line.compare(line.size() - 8, 8, ".net.xml") == 0 && fs::is_regular_file(line))
            nets.push_back(line);
    return nets;
}

struct SumoRun {
    std::map<std::string, std::string> program;            // tls -> program SUMO ran
    std::map<std::string, std::vector<std::string>> states;  // tls -> state each second
};

SumoRun runSumo(const std::string& sumo, const test::TempDir& dir, const fs::path& net, const std::vector<std::string>& tls,
            const std::string& additional, const std::string& tag) {
    const fs::path out = dir / (tag + ".tls.xml"), probe = dir / (tag + ".probe.add.xml");
    {
        // One event per light, all into one file; net ids hold no XML specials.
        std::ofstream p(probe);
        p << "<additional>\n";
        for (const auto& id : tls)
            p << "<timedEvent type=\"SaveTLSStates\" source=\"" << id << "\" dest=\"" << out.string() << "\"/>\n";
        p << "</additional>\n";
    }
    const std::string files = additional.empty() ? probe.string() : additional + "," + probe.string();
    const auto r = runProgram(sumo,
                              {"-n", net.string(), "-a", files, "--begin", "0", "--end", std::to_string(kSeconds),
                               "--no-step-log", "--no-warnings", "--duration-log.disable"},
                              sumoEnv());
    EXPECT_EQ(r.exitCode, 0) << net << ": " << r.err.substr(0, 2000);
    SumoRun run;
    const std::regex line(R"re(<tlsState time="([0-9.]+)" id="([^"]+)" programID="([^"]+)" phase="[0-9]+" state="([^"]*)")re");
    const std::string text = readText(out);
    for (std::sregex_iterator it(text.begin(), text.end(), line), e; it != e; ++it) {
        const std::string id = (*it)[2];
        if (!run.program.count(id)) run.program[id] = (*it)[3];
        run.states[id].push_back((*it)[4]);
    }
    return run;
}

// The shift of `b` against `a` at which they agree at every second; -1 when none.
long agreeingShift(const std::vector<std::string>& a, const std::vector<std::string>& b, long cycle) {
    if (a.size() != b.size() || a.empty()) return -1;
    const std::size_t n = a.size();
    for (long s = 0; s < std::max(cycle, 1L); ++s) {
        bool same = true;
        // b at time t shows what a showed at t + s; compare where both are known.
        for (std::size_t t = 0; t + std::size_t(s) < n && same; ++t) same = b[t] == a[t + std::size_t(s)];
        // And a's first s seconds come back one cycle later in b.
        for (std::size_t t = 0; t < std::size_t(s) && t + std::size_t(cycle - s) < n && same; ++t)
            same = a[t] == b[t + std::size_t(cycle - s)];
        if (same) return s;
    }
    return -1;
}

TEST(SumoShippedNets, EveryStaticLightImportsOrIsRefusedWithItsReasonAndExportsTheSameStates) {
    const std::string sumo = onPath("sumo");
    if (sumo.empty()) GTEST_SKIP() << "SUMO is not installed (Debian package sumo)";
    const auto nets = shippedNets();
    if (nets.empty()) GTEST_SKIP() << "dpkg lists no net files of the packages sumo and sumo-tools";
    test::TempDir dir;
    int lights = 0, imported = 0, refused = 0, actuated = 0, identical = 0, withG = 0, rotated = 0, netsWithLights = 0;
    std::map<std::string, int> reasons;
    for (const fs::path& net : nets) {
        const auto read = readSumoFile(net.string());
        ASSERT_TRUE(read.file) << net << ": " << read.error;
        const auto tls = sumoTlsIds(*read.file);
        if (tls.empty()) continue;
        ++netsWithLights;
        const SumoRun original = runSumo(sumo, dir, net, tls, "", "original");
        SumoAdditional exported;
        std::map<std::string, long> cycle;
        std::map<std::string, bool> hasG;
        for (const std::string& id : tls) {
            ++lights;
            const auto ran = original.program.find(id);
            ASSERT_NE(ran, original.program.end()) << net << ": SUMO ran no program for " << id;
            auto c = test::newConfiguration();
            const auto r = importSumoProgram(*c, *read.file, {id, ran->second, 3, false});
            if (!r.ok) {
                EXPECT_FALSE(r.error.empty());
                if (r.actuated) {
                    ++actuated;
                    // Fixed-time on request: said.
                    SumoImportRequest fixed{id, ran->second, 3, false};
                    fixed.asFixed = true;
                    auto d = test::newConfiguration();
                    const auto f = importSumoProgram(*d, *read.file, fixed);
                    EXPECT_TRUE(f.ok) << net << " " << id << ": " << f.error;
                } else {
                    ++refused;
                    ++reasons[r.error.substr(0, r.error.find(':'))];
                    // The only refusal a static light may get: what the controller cannot hold.
                    EXPECT_NE(r.error.find("свободно"), std::string::npos) << net << " " << id << ": " << r.error;
                }
                continue;
            }
            ++imported;
            for (const auto& n : r.notes) rotated += n.find("повёрнут") != std::string::npos ? 1 : 0;
            for (SumoTlLogic l : buildSumoExport(*c, id).tlLogics) {
                if (l.programId != "4") continue;
                long sum = 0;
                for (const auto& ph : l.phases) {
                    sum += std::stol(ph.duration);
                    hasG[id] = hasG[id] || ph.state.find('g') != std::string::npos;
                }
                cycle[id] = sum;
                l.programId = "livra";
                exported.tlLogics.push_back(std::move(l));
            }
        }
        if (exported.tlLogics.empty()) continue;
        const fs::path add = dir / "exported.add.xml";
        ASSERT_TRUE(saveSumoExport(exported, add.string(), net.filename().string()));
        std::vector<std::string> ids;
        for (const auto& l : exported.tlLogics) ids.push_back(l.id);
        const SumoRun back = runSumo(sumo, dir, net, ids, add.string(), "exported");
        for (const std::string& id : ids) {
            EXPECT_EQ(back.program.at(id), "livra") << net << " " << id;
            const long shift = agreeingShift(original.states.at(id), back.states.at(id), cycle[id]);
            EXPECT_GE(shift, 0) << net << " " << id << ": the export's states differ from the original's";
            if (shift >= 0) {
                ++identical;
                withG += hasG[id] ? 1 : 0;
            }
        }
    }
    std::cout << "nets with traffic lights " << netsWithLights << ", lights " << lights << ": imported " << imported
              << " (rotated " << rotated << "), the same in SUMO for " << kSeconds << " s: " << identical
              << " (with g: " << withG << "); actuated refused " << actuated << " (all taken with --as-fixed); static "
              << "refused " << refused << "\n";
    for (const auto& [why, n] : reasons) std::cout << "  refused " << n << ": " << why << "\n";
    EXPECT_EQ(identical, imported);
    EXPECT_EQ(lights, imported + refused + actuated);
    EXPECT_GT(imported, 0);
}

}  // namespace
}  // namespace livra
