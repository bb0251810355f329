// Makes the sample project's plan: draws the intersection picture
// shem/crossroad.png and mounts a head for every approach of every direction,
// then writes the project with that plan. It also keeps the call input's
// signals to what the tact editor offers in a call tact (red or off), and
// moves the night flashing to 01:00..06:00. The crossing's conflicts and
// intergreen times go into OUT.safety.json (docs/safety.md shows the sums),
// and programs 4 and 5 are designed from their phases on them.
//
//   livra-make-crossroad IN.ptm OUT.ptm SHEM_DIR
//
// Running it again on its own output gives the same project.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <string>
#include <filesystem>

#include "design/phase_design.h"
#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_data.h"
#include "plan/plan_objects.h"

using namespace livra;

namespace {

constexpr int kSize = 500;
constexpr int kRoadFrom = 205, kRoadTo = 295;  // both roads, 90 px wide

QImage drawCrossroad() {
    QImage img(kSize, kSize, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), QColor(96, 150, 80));  // grass
    // Pavements along both roads.
    const QColor pavement(200, 196, 186);
    p.fillRect(QRect(0, kRoadFrom - 14, kSize, kRoadTo - kRoadFrom + 28), pavement);
    p.fillRect(QRect(kRoadFrom - 14, 0, kRoadTo - kRoadFrom + 28, kSize), pavement);
    // Asphalt.
    const QColor asphalt(70, 72, 76);
    p.fillRect(QRect(0, kRoadFrom, kSize, kRoadTo - kRoadFrom), asphalt);
    p.fillRect(QRect(kRoadFrom, 0, kRoadTo - kRoadFrom, kSize), asphalt);
    const int mid = (kRoadFrom + kRoadTo) / 2;
    const int zebraNear = kRoadFrom - 50, zebraFar = kRoadTo + 10;  // 40 px deep crossings
    QPen lane(QColor(235, 235, 235), 2, Qt::DashLine);
    p.setPen(lane);
    // Centre lines stop at the crossings.
    p.drawLine(0, mid, zebraNear - 12, mid);
    p.drawLine(zebraFar + 52, mid, kSize, mid);
    p.drawLine(mid, 0, mid, zebraNear - 12);
    p.drawLine(mid, zebraFar + 52, mid, kSize);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 245));
    // Stop lines on the right-hand half of each approach.
    p.drawRect(QRect(zebraNear - 10, mid, 4, kRoadTo - mid));             // from the west
    p.drawRect(QRect(zebraFar + 46, kRoadFrom, 4, mid - kRoadFrom));      // from the east
    p.drawRect(QRect(kRoadFrom, zebraNear - 10, mid - kRoadFrom, 4));     // from the north
    p.drawRect(QRect(mid, zebraFar + 46, kRoadTo - mid, 4));              // from the south
    // Zebra crossings on the four legs.
    for (int s = kRoadFrom + 4; s + 8 <= kRoadTo; s += 14) {
        p.drawRect(QRect(zebraNear, s, 40, 8));   // west leg
        p.drawRect(QRect(zebraFar, s, 40, 8));    // east leg
        p.drawRect(QRect(s, zebraNear, 8, 40));   // north leg
        p.drawRect(QRect(s, zebraFar, 8, 40));    // south leg
    }
    return img;
}

struct Placement {
    int direction;  // 1-based
    int x, y, angle;
    int labelX, labelY;
};

// Heads stand on the right-hand kerb before the stop line, facing the
// drivers; pedestrian heads stand at both ends of their crossing, facing
// across it. The head picture faces right at angle 0.
// Directions: 1 east-west road, 2 north-south road, 3 pedestrians across
// the north and south legs, 4 pedestrians across the west and east legs.
constexpr Placement kPlacements[] = {
    {1, 65, 300, 180, 77, 345},    // from the west
    {1, 365, 150, 0, 375, 132},    // from the east
    {2, 150, 85, 270, 122, 98},    // from the north
    {2, 300, 365, 90, 345, 382},   // from the south
    {3, 150, 150, 0, 125, 165},    // north leg, west end
    {3, 300, 300, 180, 350, 315},  // south leg, east end
    {4, 300, 150, 90, 345, 162},   // east leg, north end
    {4, 150, 300, 270, 127, 318},  // west leg, south end
};

// Program 4: an all-red start-up, vehicle phase 1+3, vehicle phase 2+4, and
// after 1+3, on a call from the button, the all-pedestrian group 3+4; program 5 a
// three-phase design (1+3, 2 alone, 2+4) with the call after its third
// phase. Both are built from their phases by the design, which makes each
// change as short as the matrix and the rules allow (docs/design.md works
// them out).
bool designPrograms(Configuration& c) {
    PhaseDesign four;
    // The night flashing hands over to program 4: its cycle starts with an
    // all-red phase long enough for the intergreens out of flashing yellow
    // (1 → 4 and 2 → 3: 6 s with the red-and-yellow), and ends on the change
    // after its last phase, never on a green.
    four.phases = {{{}, 5, 5}, {{0, 2}, 12, 30}, {{1, 3}, 8, 20}};
    four.calls[0] = CallPhase{1, {{2, 3}, 0, 12}};
    PhaseDesign five;
    five.phases = {{{0, 2}, 10, 25}, {{1}, 6, 15}, {{1, 3}, 8, 15}};
    five.calls[0] = CallPhase{2, {{2, 3}, 0, 10}};
    for (const auto& [program, design] : {std::pair{FirstUserProgram, four}, std::pair{FirstUserProgram + 1, five}}) {
        const DesignResult<BuiltProgram> r = applyDesign(c, program, design);
        if (!r.ok()) {
            std::fprintf(stderr, "program %d: %s\n", program + 1, r.error.c_str());
            return false;
        }
    }
    return true;
}

// Conflicts: the two roads cross (1-2), and each road's traffic crosses the
// crossings on its own legs (1-4, 2-3). Turning traffic meets the parallel
// walkers (1-3, 2-4) while yielding to them, as usual, so those are no
// conflicts. The intergreen times and their inputs are worked out in
// docs/safety.md.
void setSafety(Configuration& c) {
    SafetyData& s = c.Safety;
    s.clear();
    s.defined = true;
    struct Pair {
        int from, to, seconds;
        IntergreenInputs in;
    };
    // s0, l, vr, se, ve, tu
    const Pair pairs[] = {
        {1, 2, 5, {15, 6, 10, 6, 10, 3}},   // road clears the junction
        {2, 1, 5, {15, 6, 10, 6, 10, 3}},
        {1, 4, 6, {20, 6, 10, 0, 10, 3}},   // road clears the far crossing
        {2, 3, 6, {20, 6, 10, 0, 10, 3}},
        {4, 1, 5, {5.4, 0, 1.2, 1, 10, 0}}, // walkers clear the rest of the road
        {3, 2, 5, {5.4, 0, 1.2, 1, 10, 0}},
    };
    for (const Pair& pr : pairs) {
        const int a = pr.from - 1, b = pr.to - 1;
        s.conflict[a].set(b), s.conflict[b].set(a);
        s.intergreen[a][b] = int16_t(pr.seconds);
        s.calculatorInputs[{a, b}] = pr.in;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: livra-make-crossroad IN.ptm OUT.ptm SHEM_DIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const auto work = std::filesystem::temp_directory_path() /
                      ("livra-make-crossroad-" + std::to_string(QCoreApplication::applicationPid()));
    std::error_code ec;
    std::filesystem::create_directories(work, ec);

    Configuration c;
    c.ProgramDir = pathToUtf8(work) + "/";
    if (const ProjectResult r = loadProject(c, argv[1]); !r.ok()) {
        std::fprintf(stderr, "cannot read %s: %s\n", argv[1], r.message.c_str());
        return 1;
    }
    // A call input may only be red (call being served) or off in its own
    // call tacts; a green there is nothing the editors can produce.
    for (int p = FirstUserProgram; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; ++t)
            for (int d = 0; d < DirectionCount; ++d) {
                const int32_t kind = c.TactTable[p][t].kind;
                uint8_t& s = c.TactSignals[p][t][d];
                const bool ownCallTact = (c.DirectionKind[d] == DirTvp1 && kind == TactTvp1) ||
                                         (c.DirectionKind[d] == DirTvp2 && kind == TactTvp2);
                if (!ownCallTact || s == SignalRed || s == SignalOff) continue;
                // The walk tact shows the call being served, its clearance off.
                const bool walk = t + 1 < TactCount && c.TactTable[p][t + 1].kind == kind;
                s = walk ? SignalRed : SignalOff;
            }

    // Night flashing from 01:00 rather than 23:00, so that the simulator's
    // clock at its zero (a Thursday, 00:00) starts in the full cycle of
    // program 4. Each day stays sorted by time.
    for (CalendarDay& day : c.Calendar) {
        for (CalendarEntry& e : day)
            if (e.program == 2 && e.hour == 23 && e.minute == 0) e.hour = 1;
        std::stable_sort(day.begin(), day.end(), [](const CalendarEntry& a, const CalendarEntry& b) {
            if (a.empty() != b.empty()) return b.empty();
            return a.hour * 60 + a.minute < b.hour * 60 + b.minute;
        });
    }

    setSafety(c);
    if (!designPrograms(c)) return 1;

    Plan plan;
    createSpecialObjects(plan);
    for (const Placement& at : kPlacements) {
        const int32_t head = mountObject(plan, c, at.direction - 1, at.x, at.y);
        if (head == 0) {
            std::fprintf(stderr, "direction %d has no head\n", at.direction);
            return 1;
        }
        rotateObject(plan, head, at.angle);
        for (const PlanObject& o : plan.planObjects)
            if (o.owner == head) setObjectPosition(plan, o.id, at.labelX, at.labelY);
    }
    plan.planPicturePath = "shem\\crossroad.png";
    if (!writeFileAtomically(planFilePath(c), serializePlan(plan))) {
        std::fprintf(stderr, "cannot write the plan file\n");
        return 1;
    }
    if (const ProjectResult r = saveProject(c, argv[2]); !r.ok()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    std::filesystem::create_directories(pathFromUtf8(argv[3]), ec);
    const auto png = pathFromUtf8(argv[3]) / "crossroad.png";
    if (!drawCrossroad().save(QString::fromStdString(pathToUtf8(png)), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", pathToUtf8(png).c_str());
        return 1;
    }
    std::filesystem::remove_all(work, ec);
    return 0;
}
