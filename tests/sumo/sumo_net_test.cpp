// Directions, conflicts and intergreens from a net: the small junction of
// tests/data (four arms with crossings) and, where SUMO is installed, the
// game's `cross`, against what their own programs keep apart and what the
// calculator gives for the distances measured by hand on the lane shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "check/intergreen_calculator.h"
#include "edit/conflict_matrix.h"
#include "sumo/sumo_export.h"
#include "sumo/sumo_import.h"
#include "sumo/sumo_net.h"
#include "sumo_qt/sumo_xml_reader.h"
#include "support/test_support.h"

namespace livra {
namespace {

namespace fs = std::filesystem;

const fs::path kSmallNet = fs::path(LIVRA_TEST_DATA) / "sumo" / "small.net.xml";
const fs::path kCrossNet = "/usr/share/sumo/tools/game/cross/cross.net.xml";

SumoAdditional readNet(const fs::path& p) {
    const auto r = readSumoFile(p.string());
    EXPECT_TRUE(r.file) << r.error;
    return r.file ? *r.file : SumoAdditional{};
}

std::vector<std::string> states(const SumoAdditional& a, const std::string& tls, const std::string& id) {
    std::vector<std::string> out;
    for (const auto& l : a.tlLogics)
        if (l.id == tls && l.programId == id)
            for (const auto& ph : l.phases) out.push_back(ph.state);
    return out;
}

// Pairs marked as proposed, 1-based as the engineer reads them.
std::vector<std::pair<int, int>> proposedPairs(const SafetyData& s) {
    std::vector<std::pair<int, int>> out;
    for (int a = 0; a < DirectionCount; ++a)
        for (int b = a + 1; b < DirectionCount; ++b)
            if (isProposed(s, a, b)) out.emplace_back(a + 1, b + 1);
    return out;
}

// The pairs "Предложить по программам" proposes from the imported programs.
std::vector<std::pair<int, int>> keptApartByPrograms(const Configuration& c) {
    auto copy = std::make_unique<Configuration>(c);
    copy->Safety.clear();
    proposeConflicts(copy->Safety, *copy);
    return proposedPairs(copy->Safety);
}

TEST(SumoNetImport, SignalGroupsBecomeDirectionsAndTheExportGivesTheNetsStatesBack) {
    const SumoAdditional net = readNet(kSmallNet);
    auto c = test::newConfiguration();
    SumoImportRequest r{"C", "0", 3, false};
    r.netName = "small.net.xml";
    const auto result = importSumoProgram(*c, net, r);
    ASSERT_TRUE(result.ok) << result.error;
    // Four vehicle groups (right and left turns, straight ahead, on each axis)
    // and the two pairs of crossings.
    EXPECT_EQ(result.directionsCreated, 6);
    EXPECT_EQ((std::vector<uint8_t>(c->DirectionKind.begin(), c->DirectionKind.begin() + 7)),
              (std::vector<uint8_t>{DirVehicle, DirVehicle, DirVehicle, DirVehicle, DirPedestrian, DirPedestrian, DirEmpty}));
    // Wired as the directions tab wires them: three channels a vehicle head, two a pedestrian one.
    auto wired = test::newConfiguration();
    for (int d = 0; d < 6; ++d) test::addDirection(*wired, d, d < 4 ? DirVehicle : DirPedestrian);
    EXPECT_EQ(c->DirectionChannels, wired->DirectionChannels);
    const SumoLinkMap& map = c->Safety.sumoMap;
    EXPECT_EQ(map.tls, "C");
    EXPECT_EQ(map.net, "small.net.xml");
    ASSERT_EQ(map.links.size(), 16u);
    std::vector<int> dirs;
    for (const auto& l : map.links) dirs.push_back(l.direction + 1);
    EXPECT_EQ(dirs, (std::vector<int>{1, 2, 1, 3, 4, 3, 1, 2, 1, 3, 4, 3, 5, 6, 5, 6}));
    EXPECT_TRUE(c->Safety.defined);
    // The export for this net: the same links, the same letters, g included.
    const SumoAdditional back = buildSumoExport(*c, "C");
    EXPECT_EQ(states(back, "C", "4"), states(net, "C", "0"));
    // Another light's export knows nothing of this map.
    EXPECT_EQ(buildSumoExport(*c, "J").tlLogics.at(0).phases.at(0).state.size(), 6u);
    // A program designed here writes g where a link meets a direction it
    // yields to: the right turns (links 0, 6) give way to the crossings only,
    // so with the crossings red they show G; the left turns (2, 8) still meet
    // the opposing stream.
    auto designed = std::make_unique<Configuration>(*c);
    designed->TactTable[4] = designed->TactTable[3];
    designed->TactSignals[4] = designed->TactSignals[3];
    const auto again = states(buildSumoExport(*designed, "C"), "C", "5");
    ASSERT_EQ(again.size(), 6u);
    EXPECT_EQ(again[0], "gGgrrrgGgrrrrGrG");
    EXPECT_EQ(again[1], "GGgrrrGGgrrrrrrr");
    EXPECT_EQ(again[3], "rrrgGgrrrgGgGrGr");
}

TEST(SumoNetImport, ConflictsFromTheNetAreThePairsItsProgramsKeepApartAndYieldingPairsAreNot) {
    for (const fs::path& file : {kSmallNet, kCrossNet}) {
        if (!fs::exists(file)) {
            std::cout << "skipped " << file << ": SUMO's examples are not installed (Debian package sumo-tools)\n";
            continue;
        }
        const SumoAdditional net = readNet(file);
        const std::string tls = net.tlLogics.at(0).id, id = net.tlLogics.at(0).programId;
        auto c = test::newConfiguration();
        const auto result = importSumoProgram(*c, net, {tls, id, 3, false});
        ASSERT_TRUE(result.ok) << file << ": " << result.error;
        const auto proposed = proposedPairs(c->Safety);
        EXPECT_EQ(int(proposed.size()), result.conflictsProposed);
        EXPECT_GT(result.conflictsProposed, 0) << file;
        // Every pair the net proposes is one the programs keep apart.
        const auto apart = keptApartByPrograms(*c);
        for (const auto& pair : proposed)
            EXPECT_NE(std::find(apart.begin(), apart.end(), pair), apart.end())
                << file << ": " << pair.first << "-" << pair.second;
        // Pairs that go together (a g link and what it yields to) are no conflict.
        for (int t = 0; c->TactTable[3][t].kind != TactEmpty; ++t)
            for (int a = 0; a < 6; ++a)
                for (int b = 0; b < 6; ++b)
                    if (isGoSignal(c->DirectionKind[a], c->TactSignals[3][t][a]) &&
                        isGoSignal(c->DirectionKind[b], c->TactSignals[3][t][b])) {
                        EXPECT_FALSE(isConflict(c->Safety, a, b)) << file << " tact " << t;
                    }
        if (file == kSmallNet) {
            EXPECT_EQ(proposed, (std::vector<std::pair<int, int>>{{1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}, {3, 6}, {4, 6}}));
            EXPECT_TRUE(result.notes.size() >= 3);
            EXPECT_NE(result.notes[2].find("По сети предложено конфликтов: 8, межфазных интервалов: 16"), std::string::npos)
                << result.notes[2];
            EXPECT_NE(result.notes[2].find("только уступают (g), не предложено: 4"), std::string::npos);
        } else {
            // cross: the two axes' straight-and-right and left-turn groups cross each other.
            EXPECT_EQ(proposed, (std::vector<std::pair<int, int>>{{1, 3}, {1, 4}, {2, 3}, {2, 4}}));
        }
        // Every proposed pair has its intergreen both ways, from inputs the calculator takes.
        for (const auto& [a, b] : proposed)
            for (const auto& [from, to] : {std::pair<int, int>(a - 1, b - 1), std::pair<int, int>(b - 1, a - 1)}) {
                const auto in = c->Safety.calculatorInputs.find({from, to});
                ASSERT_NE(in, c->Safety.calculatorInputs.end()) << file << " " << from << "->" << to;
                const auto again = computeIntergreen(in->second);
                ASSERT_TRUE(again.ok) << again.error;
                EXPECT_EQ(c->Safety.intergreen[from][to], again.seconds) << file << " " << from << "->" << to;
            }
    }
}

// Where two straight segments cross: the distances from each start.
std::pair<double, double> crossingAlong(SumoPoint p0, SumoPoint p1, SumoPoint q0, SumoPoint q1) {
    const double rx = p1.x - p0.x, ry = p1.y - p0.y, sx = q1.x - q0.x, sy = q1.y - q0.y;
    const double den = rx * sy - ry * sx;
    const double t = ((q0.x - p0.x) * sy - (q0.y - p0.y) * sx) / den;
    const double u = ((q0.x - p0.x) * ry - (q0.y - p0.y) * rx) / den;
    return {t * std::hypot(rx, ry), u * std::hypot(sx, sy)};
}

TEST(SumoNetImport, IntergreensFromTheGeometryAreAtLeastTheCalculatorsForAPairMeasuredByHand) {
    if (!fs::exists(kCrossNet)) GTEST_SKIP() << "SUMO's examples are not installed (Debian package sumo-tools)";
    const SumoAdditional net = readNet(kCrossNet);
    auto c = test::newConfiguration();
    ASSERT_TRUE(importSumoProgram(*c, net, {"0", "0", 3, false}).ok);
    // Link 1 (east arm, straight on, lane :0_1_0) against link 4 (south arm,
    // straight on, lane :0_4_0): both straight lines in the net.
    auto lane = [&](const std::string& id) {
        return *std::find_if(net.internalLanes.begin(), net.internalLanes.end(), [&](const SumoLane& l) { return l.id == id; });
    };
    const SumoLane east = lane(":0_1_0"), south = lane(":0_4_0");
    ASSERT_EQ(east.shape.size(), 2u);
    ASSERT_EQ(south.shape.size(), 2u);
    const auto [s0, se] = crossingAlong(east.shape[0], east.shape[1], south.shape[0], south.shape[1]);
    const int from = c->Safety.sumoMap.links[1].direction, to = c->Safety.sumoMap.links[4].direction;
    IntergreenInputs byHand = defaultIntergreenInputs(DirVehicle, DirVehicle);
    byHand.clearingDistance = s0;
    byHand.enteringDistance = se;
    byHand.clearingSpeed = east.speed;
    byHand.enteringSpeed = south.speed;
    const auto hand = computeIntergreen(byHand);
    ASSERT_TRUE(hand.ok) << hand.error;
    // The pair's time is the worst of its links' meetings: never below this one.
    EXPECT_GE(c->Safety.intergreen[from][to], hand.seconds);
    EXPECT_LE(c->Safety.intergreen[from][to], hand.seconds + 3);
    // The meeting the import found for these two links is the one measured by hand.
    const auto links = sumoLinks(net, "0", 12);
    const auto meet = sumoMeeting(links[1], links[4]);
    ASSERT_TRUE(meet);
    EXPECT_NEAR(meet->alongA, s0, 1e-6);
    EXPECT_NEAR(meet->alongB, se, 1e-6);
    EXPECT_TRUE(sumoFoes(net, links[1], links[4]));
    EXPECT_FALSE(sumoFoes(net, links[1], links[7]));  // opposite straight movements pass each other
}

}  // namespace
}  // namespace livra
