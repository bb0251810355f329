#include "check/safety_check.h"

#include <algorithm>
#include <bit>
#include <tuple>

#include "check/finding_collector.h"
#include "model/calendar_choice.h"
#include "model/texts.h"

namespace livra {
namespace {

using Aspect = SafetyAspect;

bool isGo(Aspect a) { return isGoAspect(a); }

// What the sequence rules ask of a direction, by its kind.
enum class Role : uint8_t { None, Vehicle, Pedestrian, Tram, ExtraGreen };

Role roleOf(uint8_t kind) {
    switch (kind) {
        case DirVehicle: return Role::Vehicle;
        case DirPedestrian: return Role::Pedestrian;
        case DirTram1:
        case DirTram2:
        case DirTram3: return Role::Tram;
        case DirExtraGreen: return Role::ExtraGreen;
        default: return Role::None;
    }
}

// Seconds a countdown loaded with `t` runs: the controller's counters are
// 8 bits wide, so 0 runs a full 256 and values above 255 lose their top bits.
int countdownSeconds(int32_t t) {
    const int v = int(uint8_t(t));
    return v == 0 ? 256 : v;
}

// A phase loaded while no call is pending counts its first second on the main
// countdown; a call pressed then ends it tMin seconds later.
int firstSecondWithoutCall(const Tact& t) {
    return countdownSeconds(t.tMain) == 1 ? 1 : 1 + countdownSeconds(t.tMin);
}

bool isCallTact(int32_t kind) { return kind == TactTvp1 || kind == TactTvp2; }

// One tact as played on a path.
struct Step {
    int program;
    int tact;
    int seconds;
};

// A stretch of steps with the same aspect for one direction.
struct Run {
    Aspect aspect;
    int firstStep;
    int t0, t1;  // seconds from the timeline's start (three turns of 321 tacts of 256 s at most)
};

struct Calls {
    bool call1 = false, call2 = false;
};

int programLength(const Configuration& c, int p) {
    int n = 0;
    while (n < TactCount && c.TactTable[p][n].kind != TactEmpty) ++n;
    return n;
}

bool programHasKind(const Configuration& c, int p, int32_t kind) {
    for (int t = 0, n = programLength(c, p); t < n; ++t)
        if (c.TactTable[p][t].kind == kind) return true;
    return false;
}

bool included(int32_t kind, Calls calls) {
    if (kind == TactTvp1) return calls.call1;
    if (kind == TactTvp2) return calls.call2;
    return true;
}

// The cycle of program p with the calls held from before its start (a delay
// only holds a call back, so none is the shortest case): every phase ends at
// tMin, except the one loaded right after a served call group when no other
// call is left pending; that one's first second runs without a call.
std::vector<Step> cycleSteps(const Configuration& c, int p, Calls calls) {
    std::vector<Step> steps;
    const int n = programLength(c, p);
    const bool anyCall = calls.call1 || calls.call2;
    const bool both = calls.call1 && calls.call2;
    for (int t = 0; t < n; ++t)
        if (included(c.TactTable[p][t].kind, calls)) steps.push_back({p, t, 0});
    const int m = int(steps.size());
    for (int i = 0; i < m; ++i) {
        const Tact& t = c.TactTable[p][steps[i].tact];
        if (t.kind != TactPhase) {
            steps[i].seconds = countdownSeconds(t.tMain);
        } else if (!anyCall) {
            steps[i].seconds = countdownSeconds(t.tMain);
        } else {
            const int32_t prevKind = c.TactTable[p][steps[(i + m - 1) % m].tact].kind;
            steps[i].seconds =
                (!both && isCallTact(prevKind)) ? firstSecondWithoutCall(t) : countdownSeconds(t.tMin);
        }
    }
    return steps;
}

uint64_t bit(int d) { return uint64_t(1) << d; }

// The tacts played between the end of a go and a conflicting green.
struct Gap {
    const Step* first = nullptr;
    const Step* last = nullptr;
};

struct Checker {
    const Configuration& c;
    const SafetyData& s;
    FindingCollector& out;
    std::array<Role, DirectionCount> roles{};
    std::vector<int> checked;  // directions with a role
    std::array<uint64_t, DirectionCount> conflictsOf{};
    // Intergreen pairs with a value, by the entering direction: for each
    // value the clearing directions that ask for it.
    std::array<std::vector<std::pair<int, uint64_t>>, DirectionCount> intergreenInto{};
    uint64_t entering = 0;  // directions with any intergreen into them

    // Scratch for one timeline: per direction its runs; per step of one
    // period its start and the directions at go.
    std::array<std::vector<Run>, DirectionCount> runs{};
    std::vector<int> start;
    std::vector<uint64_t> goAt;
    std::vector<std::pair<long, uint64_t>> ends;  // (time, directions whose go ended then)

    // What each checked direction shows in each tact, classified once per
    // program at its first use: the timelines play the same tacts many times.
    struct TactAspects {
        std::array<Aspect, DirectionCount> of{};
        uint64_t go = 0;
    };
    std::array<std::vector<TactAspects>, ProgramCount> aspects{};
    std::vector<const TactAspects*> rows;  // per step of one period

    const TactAspects& aspectsAt(int p, int t) {
        auto& program = aspects[size_t(p)];
        if (program.empty()) {
            program.resize(size_t(programLength(c, p)));
            for (size_t k = 0; k < program.size(); ++k)
                for (int d : checked) {
                    const Aspect a = safetyAspect(c, c.TactSignals[p][k], d);
                    program[k].of[size_t(d)] = a;
                    if (isGo(a)) program[k].go |= bit(d);
                }
        }
        return program[size_t(t)];
    }

    // The steps from `end` (the first without the clearing go) up to the one
    // before `green`, of a timeline that may run round several turns.
    static Gap gapOf(const std::vector<Step>& steps, size_t end, size_t green) {
        if (end >= green) return {};
        const size_t n = steps.size();
        return {&steps[end % n], &steps[(green - 1) % n]};
    }

    void add(SafetyRule rule, const Step& at, int d, int other, int path, int fromProgram, int seconds,
             int required, Gap gap = {}) {
        SafetyFinding f;
        if (gap.first) {
            f.gapProgram = gap.first->program, f.gapFirst = gap.first->tact;
            f.gapLastProgram = gap.last->program, f.gapLast = gap.last->tact;
        }
        f.rule = rule;
        f.program = at.program;
        f.tact = at.tact;
        f.direction = d;
        f.other = other;
        f.path = path;
        f.fromProgram = fromProgram;
        f.seconds = seconds;
        f.required = required;
        out.add(std::move(f));
    }

    // The runs of `turns` repetitions of the first `period` steps (the steps
    // vector holds them all); each tact is classified once.
    void buildRuns(const std::vector<Step>& steps, size_t period, int turns) {
        start.assign(period + 1, 0);
        goAt.resize(period);
        rows.resize(period);
        for (size_t i = 0; i < period; ++i) {
            start[i + 1] = start[i] + steps[i].seconds;
            rows[i] = &aspectsAt(steps[i].program, steps[i].tact);
            goAt[i] = rows[i]->go;
        }
        for (int d : checked) {
            auto& r = runs[d];
            r.clear();
            for (size_t i = 0; i < period; ++i) {
                const Aspect a = rows[i]->of[size_t(d)];
                if (!r.empty() && r.back().aspect == a) {
                    r.back().t1 = start[i + 1];
                } else {
                    r.push_back({a, int(i), start[i], start[i + 1]});
                }
            }
        }
        if (turns <= 1) return;
        const int cycle = start[period];
        for (int d : checked) {
            auto& r = runs[d];
            const size_t one = r.size();
            // The last run of a turn and the first of the next join when alike.
            const bool joins = one > 1 && r.front().aspect == r.back().aspect;
            r.reserve(one * size_t(turns));
            for (int turn = 1; turn < turns; ++turn) {
                const int shift = cycle * turn;
                const int stepShift = int(period) * turn;
                for (size_t k = 0; k < one; ++k) {
                    Run x = r[k];
                    x.t0 += shift, x.t1 += shift, x.firstStep += stepShift;
                    if (k == 0 && (joins || one == 1)) {
                        r.back().t1 = x.t1;
                        continue;
                    }
                    r.push_back(x);
                }
            }
        }
    }

    // The sequence rules and minimum green on one direction's runs. The first
    // and the last run are cut by the timeline's ends: their lengths are not
    // known, so nothing that needs them is judged.
    void sequenceRules(int d, const std::vector<Step>& steps, int path, int fromProgram) {
        const Role role = roles[d];
        const SafetyRules& r = s.rules;
        const auto& rs = runs[d];
        const int last = int(rs.size()) - 1;
        for (int i = 0; i <= last;) {
            if (!isGo(rs[i].aspect)) {
                ++i;
                continue;
            }
            int j = i;
            while (j < last && isGo(rs[j + 1].aspect)) ++j;
            const bool startKnown = i > 0;
            const bool endKnown = j < last;
            const Step& goStart = steps[rs[i].firstStep];
            if (startKnown && endKnown) {
                const int minGreen = role == Role::Pedestrian ? r.minGreenPedestrian
                                     : (role == Role::Vehicle || role == Role::Tram) ? r.minGreenVehicle
                                                                                      : 0;
                const long len = rs[j].t1 - rs[i].t0;
                if (minGreen > 0 && len < minGreen)
                    add(SafetyRule::MinGreen, goStart, d, -1, path, fromProgram, int(len), minGreen);
            }
            if (role == Role::Vehicle || role == Role::Pedestrian) {
                if (endKnown && r.flashingGreen > 0 && rs[j].aspect == Aspect::FlashingGreen && (j > i || startKnown)) {
                    const long len = rs[j].t1 - rs[j].t0;
                    if (len < r.flashingGreen)
                        add(SafetyRule::FlashingGreen, steps[rs[j].firstStep], d, -1, path, fromProgram, int(len),
                            r.flashingGreen);
                }
            }
            if (role == Role::Vehicle && endKnown && r.yellow > 0) {
                const Run& next = rs[j + 1];
                if (next.aspect == Aspect::Red) {
                    add(SafetyRule::Yellow, steps[next.firstStep], d, -1, path, fromProgram, 0, r.yellow);
                } else if (next.aspect == Aspect::Yellow && j + 1 < last && next.t1 - next.t0 < r.yellow) {
                    add(SafetyRule::Yellow, steps[next.firstStep], d, -1, path, fromProgram, int(next.t1 - next.t0),
                        r.yellow);
                }
            }
            if (role == Role::Pedestrian && endKnown && r.flashingGreen > 0 && rs[j].aspect == Aspect::Green &&
                rs[j + 1].aspect == Aspect::Red) {
                add(SafetyRule::PedestrianClear, steps[rs[j + 1].firstStep], d, -1, path, fromProgram, 0,
                    r.flashingGreen);
            }
            if (role == Role::Vehicle && startKnown && r.redYellowMin > 0) {
                const Run& prev = rs[i - 1];
                if (prev.aspect == Aspect::Red) {
                    add(SafetyRule::RedYellow, goStart, d, -1, path, fromProgram, 0, r.redYellowMin);
                } else if (prev.aspect == Aspect::RedYellow && i - 1 > 0) {
                    const long len = prev.t1 - prev.t0;
                    const Step& at = steps[prev.firstStep];
                    if (len < r.redYellowMin)
                        add(SafetyRule::RedYellow, at, d, -1, path, fromProgram, int(len), r.redYellowMin);
                    else if (r.redYellowMax > 0 && len > r.redYellowMax)
                        add(SafetyRule::RedYellow, at, d, -1, path, fromProgram, int(len), r.redYellowMax);
                }
            }
            i = j + 1;
        }
    }

    // For each start of a direction's go whose start is known, each
    // direction with an intergreen into it that is not at go then: the time
    // since the end of its last go is below the value. Swept once over the
    // steps with sets of directions, as in a full matrix nearly every pair
    // has a value.
    void intergreens(const std::vector<Step>& steps, size_t period, int turns, int path, int fromProgram) {
        std::array<long, DirectionCount> lastEnd;
        std::array<size_t, DirectionCount> lastEndStep{};
        lastEnd.fill(-1);
        ends.clear();
        const long cycle = start[period];
        uint64_t before = 0;
        for (size_t i = 0; i < period * size_t(turns); ++i) {
            const size_t k = i % period;
            const long now = start[k] + cycle * long(i / period);
            const uint64_t go = goAt[k];
            if (i > 0) {
                if (const uint64_t ended = before & ~go) {
                    ends.push_back({now, ended});
                    for (uint64_t e = ended; e; e &= e - 1) {
                        lastEnd[size_t(std::countr_zero(e))] = now;
                        lastEndStep[size_t(std::countr_zero(e))] = i;
                    }
                }
                for (uint64_t started = go & ~before & entering; started; started &= started - 1) {
                    const int to = std::countr_zero(started);
                    for (const auto& [required, from] : intergreenInto[size_t(to)]) {
                        const uint64_t clear = from & ~go;  // at go now is a conflict
                        if (!clear) continue;
                        uint64_t recent = 0;  // ended less than `required` ago
                        for (size_t e = ends.size(); e-- > 0 && ends[e].first > now - required;) recent |= ends[e].second;
                        const uint64_t hit = clear & recent;
                        if (!hit) continue;
                        const Step& at = steps[i];
                        if (!out.wanted(SafetyRule::Intergreen, at.program, at.tact)) {
                            out.markPairs(SafetyRule::Intergreen, at.program, at.tact, to, hit);
                            continue;
                        }
                        for (uint64_t h = hit; h; h &= h - 1) {
                            const int d = std::countr_zero(h);
                            add(SafetyRule::Intergreen, at, d, to, path, fromProgram, int(now - lastEnd[size_t(d)]),
                                required, gapOf(steps, lastEndStep[size_t(d)], i));
                        }
                    }
                }
            }
            before = go;
        }
    }

    // A switch to or from a fixed program: what its flashing yellow or dark
    // heads meet. Drivers may enter on flashing yellow, so its end counts as
    // the end of a go for the intergreen into a conflicting green.
    void fixedSeams(const std::vector<Step>& steps, int path, int fromProgram) {
        auto seamKind = [](Aspect a) { return a == Aspect::Dark ? kSeamDark : kSeamFlashingYellow; };
        auto fixed = [](Aspect a) { return a == Aspect::FlashingYellow || a == Aspect::Dark; };
        for (int d : checked) {
            const auto& rs = runs[d];
            for (size_t i = 0; i < rs.size(); ++i) {
                if (!isGo(rs[i].aspect)) continue;
                if (i > 0 && roles[d] == Role::Vehicle && fixed(rs[i - 1].aspect))
                    add(SafetyRule::SeamToGreen, steps[rs[i].firstStep], d, -1, path, fromProgram, 0,
                        seamKind(rs[i - 1].aspect));
                if (i + 1 < rs.size() && fixed(rs[i + 1].aspect) && roles[d] != Role::ExtraGreen)
                    add(SafetyRule::SeamFromGreen, steps[rs[i + 1].firstStep - 1], d, -1, path, fromProgram, 0,
                        seamKind(rs[i + 1].aspect));
            }
        }
        if (!s.defined) return;
        for (int to : checked) {
            const auto& into = runs[to];
            for (size_t i = 1; i < into.size(); ++i) {
                if (!isGo(into[i].aspect) || isGo(into[i - 1].aspect)) continue;
                const int green = into[i].t0;
                for (int from : checked) {
                    const int v = s.intergreen[size_t(from)][size_t(to)];
                    if (from == to || !s.conflict[size_t(from)][size_t(to)] || v <= 0) continue;
                    // The last flashing yellow of `from` before the green, with
                    // no go of its own since (that hand-over is the intergreen rule's).
                    int ended = -1;
                    size_t endStep = 0;
                    const auto& rf = runs[from];
                    for (size_t k = 0; k < rf.size() && rf[k].t0 < green; ++k) {
                        if (rf[k].aspect == Aspect::FlashingYellow) {
                            ended = rf[k].t1;
                            endStep = k + 1 < rf.size() ? size_t(rf[k + 1].firstStep) : steps.size();
                        } else if (isGo(rf[k].aspect)) {
                            ended = -1;
                        }
                    }
                    if (ended < 0 || ended > green || green - ended >= v) continue;
                    add(SafetyRule::SeamIntergreen, steps[into[i].firstStep], from, to, path, fromProgram,
                        green - ended, v, gapOf(steps, endStep, size_t(into[i].firstStep)));
                }
            }
        }
    }

    void timeline(const std::vector<Step>& steps, int path, int fromProgram, int turns = 1, bool fixedSeam = false) {
        if (steps.empty()) return;
        const size_t period = steps.size() / size_t(turns);
        buildRuns(steps, period, turns);
        for (int d : checked) sequenceRules(d, steps, path, fromProgram);
        if (s.defined && entering) intergreens(steps, period, turns, path, fromProgram);
        if (fixedSeam) fixedSeams(steps, path, fromProgram);
    }

    // Conflicts are a matter of single tacts: each tact once, on the path
    // that first plays it.
    void conflicts(int p, bool input1, bool input2) {
        for (int t = 0, n = programLength(c, p); t < n; ++t) {
            const int32_t kind = c.TactTable[p][t].kind;
            if ((kind == TactTvp1 && !input1) || (kind == TactTvp2 && !input2)) continue;
            const int path = kind == TactTvp1 ? PathCall1 : kind == TactTvp2 ? PathCall2 : PathPlain;
            const uint64_t go = aspectsAt(p, t).go;
            const bool word = out.wanted(SafetyRule::Conflict, p, t);
            for (uint64_t higher = go; higher;) {
                const int d = std::countr_zero(higher);
                higher &= higher - 1;
                const uint64_t hits = conflictsOf[size_t(d)] & higher;
                if (!hits) continue;
                if (!word) {
                    out.markPairs(SafetyRule::Conflict, p, t, d, hits);
                    continue;
                }
                for (uint64_t h = hits; h; h &= h - 1)
                    add(SafetyRule::Conflict, {p, t, 0}, d, std::countr_zero(h), path, -1, 0, 0);
            }
        }
    }
};

bool userProgramRuns(const Configuration& c, int p) {
    return p >= FirstUserProgram && p < ProgramCount && !isProgramEmpty(c, p);
}

// КК, ЖМ and ОС run their one tact as a cycle; the calendar switches into
// and out of them as into any program.
bool seamProgramRuns(const Configuration& c, int p) {
    return (p >= 0 && p < FirstUserProgram && programLength(c, p) > 0) || userProgramRuns(c, p);
}

std::vector<Calls> callPatterns(bool input1, bool input2) {
    std::vector<Calls> v{{false, false}};
    if (input1) v.push_back({true, false});
    if (input2) v.push_back({false, true});
    if (input1 && input2) v.push_back({true, true});
    return v;
}

int pathOf(Calls k) { return (k.call1 ? PathCall1 : 0) | (k.call2 ? PathCall2 : 0); }

// "промтакты 2–5 программы 4", "промтакт 3 программы 4".
std::string tactsText(int program, int first, int last) {
    const std::string of = " программы " + std::to_string(program + 1);
    if (first == last) return "промтакт " + std::to_string(first + 1) + of;
    return "промтакты " + std::to_string(first + 1) + "–" + std::to_string(last + 1) + of;
}

// What lengthens an intergreen that is cut short.
std::string mendText(const SafetyFinding& f) {
    const std::string by = std::to_string(f.required - f.seconds) + " с";
    if (f.gapFirst < 0)
        return "; вставьте промтакт не менее " + by + " перед тактом " + std::to_string(f.tact + 1) + " программы " +
               std::to_string(f.program + 1);
    std::string tacts;
    if (f.gapProgram == f.gapLastProgram && f.gapFirst <= f.gapLast) {
        tacts = tactsText(f.gapProgram, f.gapFirst, f.gapLast);
    } else if (f.gapProgram == f.gapLastProgram) {  // round the cycle's end
        tacts = "промтакты с " + std::to_string(f.gapFirst + 1) + " по " + std::to_string(f.gapLast + 1) +
                " (через начало цикла) программы " + std::to_string(f.gapProgram + 1);
    } else {
        tacts = "промтакты от такта " + std::to_string(f.gapFirst + 1) + " программы " +
                std::to_string(f.gapProgram + 1) + " до такта " + std::to_string(f.gapLast + 1) + " программы " +
                std::to_string(f.gapLastProgram + 1);
    }
    return "; удлините " + tacts + " на " + by;
}

std::string directionText(const SafetyFinding& f) {
    return "напр. " + std::to_string(f.direction + 1);
}

std::string conditionText(const SafetyFinding& f) {
    const std::string sec = std::to_string(f.seconds);
    const std::string req = std::to_string(f.required);
    switch (f.rule) {
        case SafetyRule::Conflict:
            return "напр. " + std::to_string(f.direction + 1) + " и " + std::to_string(f.other + 1) +
                   " — конфликтующие направления одновременно на разрешающем сигнале";
        case SafetyRule::Intergreen:
            return "напр. " + std::to_string(f.direction + 1) + " → " + std::to_string(f.other + 1) +
                   " — промежуточное время " + sec + " с, нужно не менее " + req + " с" + mendText(f);
        case SafetyRule::Yellow:
            if (f.seconds == 0) return directionText(f) + " — зелёный сменяется красным без жёлтого";
            return directionText(f) + " — жёлтый " + sec + " с, нужно не менее " + req + " с";
        case SafetyRule::RedYellow:
            if (f.seconds == 0) return directionText(f) + " — красный сменяется зелёным без красного с жёлтым";
            if (f.seconds > f.required)
                return directionText(f) + " — красный с жёлтым " + sec + " с, нужно не более " + req + " с";
            return directionText(f) + " — красный с жёлтым " + sec + " с, нужно не менее " + req + " с";
        case SafetyRule::FlashingGreen:
            return directionText(f) + " — зелёное мигание " + sec + " с, нужно не менее " + req + " с";
        case SafetyRule::PedestrianClear:
            return directionText(f) + " — зелёный сменяется красным без зелёного мигания";
        case SafetyRule::MinGreen:
            return directionText(f) + " — зелёный " + sec + " с, нужно не менее " + req + " с";
        case SafetyRule::SeamToGreen:
            return directionText(f) + (f.required == kSeamDark ? " — выключенный сигнал сменяется зелёным без красного"
                                                                : " — жёлтое мигание сменяется зелёным без красного");
        case SafetyRule::SeamIntergreen:
            return "напр. " + std::to_string(f.direction + 1) + " → " + std::to_string(f.other + 1) +
                   " — зелёный через " + sec + " с после жёлтого мигания, нужно не менее " + req + " с" + mendText(f);
        case SafetyRule::SeamFromGreen:
            return directionText(f) + (f.required == kSeamDark ? " — зелёный сменяется выключенным сигналом"
                                                                : " — зелёный сменяется жёлтым миганием");
        case SafetyRule::MissingIntergreen:
            return "напр. " + std::to_string(f.direction + 1) + " → " + std::to_string(f.other + 1) +
                   ": конфликт без промежуточного времени";
    }
    return {};
}

}  // namespace

std::vector<std::pair<int, int>> calendarSwitches(const Configuration& c) {
    std::vector<int> times{1440};
    for (int d = 0; d < DayCount; ++d)
        for (const CalendarEntry& e : c.Calendar[d]) {
            if (isCalendarEntryIgnored(e)) continue;
            const int t = calendarEntryMinute(d, e);
            if (t >= 1440 && t <= 8 * 1440 - 1) times.push_back(t);
        }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    std::vector<int> programs;
    for (int t : times) {
        const int p = calendarProgramAt(c, t) - 1;
        if (programs.empty() || programs.back() != p) programs.push_back(p);
    }
    while (programs.size() > 1 && programs.front() == programs.back()) programs.pop_back();
    std::vector<std::pair<int, int>> out;
    if (programs.size() < 2) return out;
    for (size_t i = 0; i < programs.size(); ++i) {
        const std::pair<int, int> sw{programs[i], programs[(i + 1) % programs.size()]};
        if (std::find(out.begin(), out.end(), sw) == out.end()) out.push_back(sw);
    }
    return out;
}

bool refusesWrite(SafetyRule rule) {
    return rule == SafetyRule::Conflict || rule == SafetyRule::Intergreen || rule == SafetyRule::MissingIntergreen;
}

bool SafetyReport::refusesWrite() const {
    return conflictsNotWorded > 0 || intergreensNotWorded > 0 || missingNotWorded > 0 ||
           std::any_of(findings.begin(), findings.end(), [](const SafetyFinding& f) { return livra::refusesWrite(f.rule); });
}

bool SafetyReport::hasConflict() const {
    return conflictsNotWorded > 0 || std::any_of(findings.begin(), findings.end(), [](const SafetyFinding& f) {
               return f.rule == SafetyRule::Conflict;
           });
}

SafetyReport checkSafety(const Configuration& c, const SafetyData& s) {
    SafetyReport report;
    report.matrixDefined = s.defined;
    FindingCollector collector;
    Checker k{c, s, collector};
    for (int d = 0; d < DirectionCount; ++d) {
        k.roles[d] = roleOf(c.DirectionKind[d]);
        if (k.roles[d] != Role::None) k.checked.push_back(d);
    }
    if (s.defined)
        for (int to : k.checked) {
            k.conflictsOf[size_t(to)] = s.conflict[size_t(to)].to_ullong();
            auto& into = k.intergreenInto[size_t(to)];
            for (int from : k.checked) {
                const int v = s.intergreen[size_t(from)][size_t(to)];
                if (from == to || !s.conflict[size_t(from)][size_t(to)] || v <= 0) continue;
                auto same = std::find_if(into.begin(), into.end(), [v](const auto& g) { return g.first == v; });
                if (same == into.end()) same = into.insert(into.end(), {v, 0});
                same->second |= bit(from);
                k.entering |= bit(to);
            }
        }

    const bool input1 = std::find(c.DirectionKind.begin(), c.DirectionKind.end(), DirTvp1) != c.DirectionKind.end();
    const bool input2 = std::find(c.DirectionKind.begin(), c.DirectionKind.end(), DirTvp2) != c.DirectionKind.end();
    const std::vector<Calls> patterns = callPatterns(input1, input2);

    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        if (!userProgramRuns(c, p)) continue;
        if (s.defined) k.conflicts(p, input1, input2);
        for (Calls calls : patterns) {
            const std::vector<Step> cycle = cycleSteps(c, p, calls);
            // Three turns of the cycle: every window of one cycle or less
            // lies whole in the middle one with what came before it.
            std::vector<Step> steps;
            steps.reserve(cycle.size() * 3);
            for (int turn = 0; turn < 3; ++turn) steps.insert(steps.end(), cycle.begin(), cycle.end());
            k.timeline(steps, pathOf(calls), -1, 3);
        }
    }

    // The calendar switches at the end of a cycle, and only with no call
    // pending: the old program's last cycle serves its calls before its last
    // call group and runs on at tMain after it; the new one starts with no
    // call, its leading call tacts skipped.
    for (const auto& [from, to] : calendarSwitches(c)) {
        if (!seamProgramRuns(c, from) || !seamProgramRuns(c, to)) continue;
        const bool fixedSeam = from < FirstUserProgram || to < FirstUserProgram;
        for (Calls old : patterns) {
            if ((old.call1 && !programHasKind(c, from, TactTvp1)) || (old.call2 && !programHasKind(c, from, TactTvp2)))
                continue;
            std::vector<Step> tail = cycleSteps(c, from, old);
            int lastCall = -1;
            for (int i = 0; i < int(tail.size()); ++i)
                if (isCallTact(c.TactTable[from][tail[i].tact].kind)) lastCall = i;
            for (int i = lastCall + 1; i < int(tail.size()); ++i)
                tail[i].seconds = countdownSeconds(c.TactTable[from][tail[i].tact].tMain);
            for (Calls next : patterns) {
                std::vector<Step> head = cycleSteps(c, to, next);
                size_t lead = 0;
                while (lead < head.size() && isCallTact(c.TactTable[to][head[lead].tact].kind)) ++lead;
                head.erase(head.begin(), head.begin() + long(lead));
                if (head.empty()) continue;
                const Tact& first = c.TactTable[to][head.front().tact];
                if ((next.call1 || next.call2) && first.kind == TactPhase)
                    head.front().seconds = firstSecondWithoutCall(first);
                std::vector<Step> steps = tail;
                steps.insert(steps.end(), head.begin(), head.end());
                k.timeline(steps, PathCalendarSeam, from, 1, fixedSeam);
            }
        }
    }

    collector.finish(report);
    for (SafetyFinding& f : report.findings)
        f.text = "Программа " + std::to_string(f.program + 1) + ", такт " + std::to_string(f.tact + 1) +
                 safetyPathText(f.path, f.fromProgram, f.program) + ": " + conditionText(f);

    // An engineer must say the time of every declared conflict, both ways
    // (0 s is a statement too): a matrix finding, named before the programs'.
    if (s.defined) {
        std::vector<SafetyFinding> missing;
        for (int from : k.checked)
            for (int to : k.checked) {
                if (from == to || !s.conflict[size_t(from)][size_t(to)]) continue;
                if (s.intergreen[size_t(from)][size_t(to)] != IntergreenNotSet) continue;
                if (int(missing.size()) >= kSafetyWordedPerProgramAndRule) {
                    ++report.missingNotWorded, ++report.notWorded;
                    continue;
                }
                SafetyFinding f;
                f.rule = SafetyRule::MissingIntergreen;
                f.program = f.tact = -1;
                f.direction = from;
                f.other = to;
                f.text = "Матрица конфликтов, " + conditionText(f);
                missing.push_back(std::move(f));
            }
        report.findings.insert(report.findings.begin(), missing.begin(), missing.end());
    }
    return report;
}

std::string safetyPathText(int path, int fromProgram, int program) {
    switch (path) {
        case PathCall1: return " (при вызове ТВП1)";
        case PathCall2: return " (при вызове ТВП2)";
        case PathCall12: return " (при вызове ТВП1 и ТВП2)";
        case PathCalendarSeam:
            if (program == fromProgram) return " (в последнем цикле перед сменой программы по календарю)";
            return " (после программы " + programTitle(fromProgram) + " по календарю)";
        default: return {};
    }
}

std::vector<std::string> safetyReportLines(const SafetyReport& r) {
    std::vector<std::string> lines;
    if (!r.matrixDefined) lines.push_back("Матрица конфликтов не задана: проверены только последовательности сигналов");
    for (const SafetyFinding& f : r.findings) lines.push_back(f.text);
    if (r.notWorded > 0) {
        std::string more = std::string(kAndMoreText) + std::to_string(r.notWorded) + " " + findingsWord(r.notWorded);
        if (r.conflictsNotWorded > 0) more += ", из них конфликтов: " + std::to_string(r.conflictsNotWorded);
        lines.push_back(more);
    }
    if (r.empty() && r.matrixDefined) lines.push_back("Проверка безопасности: замечаний нет");
    return lines;
}

std::string findingsWord(long n) {
    const long tens = n % 100, ones = n % 10;
    if (ones == 1 && tens != 11) return "замечание";
    if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14)) return "замечания";
    return "замечаний";
}

}  // namespace livra
