#include "design/phase_design.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "model/go_signal.h"
#include "model/texts.h"

namespace livra {
namespace {

using Mask = uint64_t;
Mask bit(int d) { return Mask(1) << d; }

bool inMask(Mask m, int d) { return (m >> d) & 1; }

Mask maskOf(const std::vector<int>& dirs) {
    Mask m = 0;
    for (int d : dirs) m |= bit(d);
    return m;
}

std::string num(long n) { return std::to_string(n); }

bool isVehicle(uint8_t k) { return k == DirVehicle; }
bool isPedestrian(uint8_t k) { return k == DirPedestrian; }
bool isTram(uint8_t k) { return k >= DirTram1 && k <= DirTram3; }
bool mayGo(uint8_t k) { return isVehicle(k) || isPedestrian(k) || isTram(k) || k == DirExtraGreen; }

// The rules' times the changes are built of.
struct Times {
    int flashing, yellow, redYellow;
};

Times timesOf(const SafetyRules& r) {
    return {std::max(0, r.flashingGreen), std::max(0, r.yellow), std::max(0, r.redYellowMin)};
}

// Where a leaving direction's go ends within its change.
int goEnd(uint8_t kind, const Times& t) { return (isVehicle(kind) || isPedestrian(kind)) ? t.flashing : 0; }

// One signal state or change of the program, in tact order.
enum class SlotType { Phase, Hold, CallPhase, Change };

struct Slot {
    SlotType type = SlotType::Phase;
    int call = 0;   // 0 plain; 1 or 2: inside that call's group
    Mask from = 0;  // the go set (the state left, for a change)
    Mask to = 0;    // a change's state entered
    int tMin = 0, tMain = 0;
    int length = 0;  // a change's seconds
    std::string fromName, toName;
};

struct Pattern {
    bool call1 = false, call2 = false;
};

int countdown(int t) {
    const int v = int(uint8_t(t));
    return v == 0 ? 256 : v;
}

struct Candidate {
    int seconds = 0;
    ChangeReason reason = ChangeReason::None;
    int leaving = -1, entering = -1, required = 0;
};

// Larger wins; on a tie an intergreen before the signal rules, then the lower pair.
bool better(const Candidate& a, const Candidate& b) {
    if (a.seconds != b.seconds) return a.seconds > b.seconds;
    if (a.reason != b.reason) return int(a.reason) < int(b.reason);
    if (a.leaving != b.leaving) return a.leaving < b.leaving;
    return a.entering < b.entering;
}

struct Builder {
    const Configuration& c;
    const SafetyData& s;
    Times times;
    std::vector<Slot> slots;
    std::vector<Pattern> patterns;

    // Each slot's duration and start on one pattern; -1 where not played.
    struct Played {
        std::vector<int> index;  // slots played, in order
        std::vector<long> start;
        long cycle = 0;
    };

    int phaseSeconds(const Slot& sl, const Pattern& p, bool afterCall) const {
        const bool anyCall = p.call1 || p.call2;
        if (!anyCall) return countdown(sl.tMain);
        if (afterCall && !(p.call1 && p.call2)) return countdown(sl.tMain) == 1 ? 1 : 1 + countdown(sl.tMin);
        return countdown(sl.tMin);
    }

    bool served(const Slot& sl, const Pattern& p) const {
        return sl.call == 0 || (sl.call == 1 && p.call1) || (sl.call == 2 && p.call2);
    }

    Played play(const Pattern& p) const {
        Played out;
        for (int i = 0; i < int(slots.size()); ++i)
            if (served(slots[i], p)) out.index.push_back(i);
        // The tact before each phase, the cycle read round: whether it is a call tact.
        const int n = int(out.index.size());
        out.start.assign(size_t(n) + 1, 0);
        for (int k = 0; k < n; ++k) {
            const Slot& sl = slots[size_t(out.index[k])];
            long len = 0;
            if (sl.type == SlotType::Change) {
                len = sl.length;
            } else if (sl.type == SlotType::CallPhase) {
                len = countdown(sl.tMain);
            } else {
                bool afterCall = false;
                for (int back = 1; back < n; ++back) {
                    const Slot& prev = slots[size_t(out.index[(k - back + n) % n])];
                    if (prev.type == SlotType::Change && prev.length == 0) continue;
                    afterCall = prev.call != 0;
                    break;
                }
                len = phaseSeconds(sl, p, afterCall);
            }
            out.start[size_t(k) + 1] = out.start[size_t(k)] + len;
        }
        out.cycle = out.start[size_t(n)];
        return out;
    }

    int intergreen(int from, int to) const { return s.intergreen[size_t(from)][size_t(to)]; }

    // Every requirement on change `ci` on one played pattern, the others'
    // lengths as they stand. Calls `take` with each.
    template <class Take>
    void requirements(const Played& pl, int position, Take&& take) const {
        const Slot& ch = slots[size_t(pl.index[size_t(position)])];
        const Mask leaving = ch.from & ~ch.to, entering = ch.to & ~ch.from;
        for (Mask m = leaving; m; m &= m - 1) {
            const int d = std::countr_zero(m);
            const uint8_t k = c.DirectionKind[size_t(d)];
            if (isVehicle(k)) take({times.flashing + times.yellow, ChangeReason::Clearance, d, -1, 0});
            if (isPedestrian(k) && times.flashing > 0) take({times.flashing, ChangeReason::WalkClearance, d, -1, 0});
        }
        for (Mask m = entering; m; m &= m - 1) {
            const int d = std::countr_zero(m);
            if (isVehicle(c.DirectionKind[size_t(d)]) && times.redYellow > 0)
                take({times.redYellow, ChangeReason::RedYellow, -1, d, 0});
        }
        if (!entering) return;
        // The last end of each direction's go before this change, up to a cycle back.
        constexpr long kNever = std::numeric_limits<long>::min();
        std::array<long, DirectionCount> lastEnd;
        lastEnd.fill(kNever);
        const int n = int(pl.index.size());
        const long here = pl.start[size_t(position)];
        Mask pending = 0;
        for (Mask e = entering; e; e &= e - 1) pending |= s.conflict[size_t(std::countr_zero(e))].to_ullong();
        pending &= ~ch.from;
        for (int back = 1; back <= n && pending; ++back) {
            const int k = (position - back + n) % n;
            const Slot& sl = slots[size_t(pl.index[size_t(k)])];
            if (sl.type != SlotType::Change) continue;
            const long shift = position - back < 0 ? pl.cycle : 0;
            for (Mask m = sl.from & ~sl.to & pending; m; m &= m - 1) {
                const int d = std::countr_zero(m);
                lastEnd[size_t(d)] = pl.start[size_t(k)] - shift + goEnd(c.DirectionKind[size_t(d)], times);
                pending &= ~bit(d);
            }
        }
        for (Mask e = entering; e; e &= e - 1) {
            const int j = std::countr_zero(e);
            for (Mask m = s.conflict[size_t(j)].to_ullong(); m; m &= m - 1) {
                const int i = std::countr_zero(m);
                const int ig = intergreen(i, j);
                if (ig <= 0) continue;
                if (inMask(leaving, i)) {
                    take({goEnd(c.DirectionKind[size_t(i)], times) + ig, ChangeReason::Intergreen, i, j, ig});
                } else if (lastEnd[size_t(i)] != kNever) {
                    const long need = ig - (here - lastEnd[size_t(i)]);
                    if (need > 0) take({int(need), ChangeReason::Intergreen, i, j, ig});
                }
            }
        }
    }

    // What change `slot` asks for on every pattern that plays it, the
    // others as long as they stand.
    int need(int slot) const {
        int most = 0;
        for (const Pattern& p : patterns) {
            if (!served(slots[size_t(slot)], p)) continue;
            const Played pl = play(p);
            const int position = int(std::find(pl.index.begin(), pl.index.end(), slot) - pl.index.begin());
            requirements(pl, position, [&](const Candidate& x) { most = std::max(most, x.seconds); });
        }
        return most;
    }

    // Least lengths: each change exactly as long as it asks, the others as
    // they stand, swept round the cycle until nothing moves. A pair whose go
    // ended in an earlier change asks less the longer the changes between,
    // so the sweeps settle quickly; should they not, lengths only grow from
    // there, which keeps every change long enough.
    std::vector<Candidate> settle() {
        std::vector<Candidate> decided(slots.size());
        bool exact = false;
        for (int sweep = 0; sweep < 64 && !exact; ++sweep) {
            exact = true;
            for (int i = 0; i < int(slots.size()); ++i) {
                if (slots[size_t(i)].type != SlotType::Change) continue;
                const int n = need(i);
                if (n != slots[size_t(i)].length) slots[size_t(i)].length = n, exact = false;
            }
        }
        for (bool grew = !exact; grew;) {
            grew = false;
            for (int i = 0; i < int(slots.size()); ++i)
                if (slots[size_t(i)].type == SlotType::Change)
                    if (const int n = need(i); n > slots[size_t(i)].length) slots[size_t(i)].length = n, grew = true;
        }
        for (const Pattern& p : patterns) {
            const Played pl = play(p);
            for (int k = 0; k < int(pl.index.size()); ++k) {
                const int i = pl.index[size_t(k)];
                if (slots[size_t(i)].type != SlotType::Change) continue;
                requirements(pl, k, [&](const Candidate& x) {
                    if (decided[size_t(i)].reason == ChangeReason::None || better(x, decided[size_t(i)]))
                        decided[size_t(i)] = x;
                });
            }
        }
        return decided;
    }

    uint8_t idle(int d) const {
        const uint8_t k = c.DirectionKind[size_t(d)];
        if (k == DirEmpty) return SignalNotSet;
        if (k == DirExtraRed || k == DirExtraYellow || k == DirExtraGreen) return SignalOff;
        if (isCallInputDirection(k)) return SignalNotApplicable;
        return SignalRed;
    }

    TactSignalRow stateRow(Mask go) const {
        TactSignalRow row{};
        for (int d = 0; d < DirectionCount; ++d) row[size_t(d)] = inMask(go, d) ? uint8_t(SignalGreen) : idle(d);
        return row;
    }

    // The signals at second `t` of a change of length `len`.
    TactSignalRow changeRow(const Slot& ch, int t) const {
        TactSignalRow row{};
        const int len = ch.length;
        for (int d = 0; d < DirectionCount; ++d) {
            const uint8_t k = c.DirectionKind[size_t(d)];
            uint8_t sig = idle(d);
            if (inMask(ch.from & ch.to, d)) {
                sig = SignalGreen;
            } else if (inMask(ch.from, d)) {
                if (isVehicle(k)) sig = t < times.flashing ? SignalFlashingGreen
                                        : t < times.flashing + times.yellow ? SignalYellow
                                                                            : SignalRed;
                else if (isPedestrian(k)) sig = t < times.flashing ? SignalFlashingGreen : SignalRed;
            } else if (inMask(ch.to, d) && isVehicle(k) && t >= len - times.redYellow) {
                sig = SignalRedYellow;
            }
            row[size_t(d)] = sig;
        }
        return row;
    }
};

std::string directionsText(const std::vector<int>& dirs) {
    std::string out;
    for (int d : dirs) out += (out.empty() ? "" : ",") + num(d + 1);
    return out;
}

std::string callName(int call) { return "ТВП" + num(call); }

std::string reasonText(const Candidate& x, const Times& t) {
    switch (x.reason) {
        case ChangeReason::Intergreen:
            return kDesignDecidesText + num(x.leaving + 1) + "→" + num(x.entering + 1) + ": " + num(x.required) + " с";
        case ChangeReason::Clearance:
            return kDesignDecidesText + std::string("напр. ") + num(x.leaving + 1) + ": зелёное мигание " +
                   num(t.flashing) + " с и жёлтый " + num(t.yellow) + " с";
        case ChangeReason::WalkClearance:
            return kDesignDecidesText + std::string("напр. ") + num(x.leaving + 1) + ": зелёное мигание " +
                   num(t.flashing) + " с";
        case ChangeReason::RedYellow:
            return kDesignDecidesText + std::string("напр. ") + num(x.entering + 1) + ": красный с жёлтым " +
                   num(t.redYellow) + " с";
        case ChangeReason::None: break;
    }
    return kDesignNoChangeText;
}

// The checks that refuse a design before anything is built.
std::string refusal(const Configuration& c, const PhaseDesign& design) {
    const SafetyData& s = c.Safety;
    if (!s.defined) return kDesignNoMatrixText;
    if (design.phases.empty()) return kDesignNoPhasesText;
    if (design.phases.size() > 64) return kDesignTooManyPhasesText + num(64);
    Mask used = 0;
    auto checkPhase = [&](const Phase& ph, const std::string& name, bool call) -> std::string {
        for (int d : ph.directions) {
            if (d < 0 || d >= DirectionCount || !isUsedDirection(c.DirectionKind[size_t(d)]))
                return name + ": напр. " + num(d + 1) + kDesignNoDirectionText;
            if (!mayGo(c.DirectionKind[size_t(d)])) return name + ": напр. " + num(d + 1) + kDesignNotHeadText;
        }
        for (size_t a = 0; a < ph.directions.size(); ++a)
            for (size_t b = a + 1; b < ph.directions.size(); ++b)
                if (s.conflict[size_t(ph.directions[a])][size_t(ph.directions[b])])
                    return name + ": напр. " + num(ph.directions[a] + 1) + " и " + num(ph.directions[b] + 1) +
                           kDesignConflictText;
        if (!call) {
            if (ph.tMin < 1 || ph.tMin > 255) return name + ": Т мин" + kDesignTimeRangeText;
            if (ph.tMain < 1 || ph.tMain > 255) return name + ": Т осн" + kDesignTimeRangeText;
            if (ph.tMin > ph.tMain) return name + kDesignMinAboveMainText;
        } else if (ph.tMain < 1 || ph.tMain > 255) {
            return name + ": Т осн" + kDesignTimeRangeText;
        }
        const int shortest = call ? ph.tMain : ph.tMin;
        for (int d : ph.directions)
            if (shortest < designMinGreen(c, d))
                return name + (call ? ": Т осн " : ": Т мин ") + num(shortest) + " с" + kDesignMinGreenText +
                       num(designMinGreen(c, d)) + " с напр. " + num(d + 1);
        used |= maskOf(ph.directions);
        return {};
    };
    for (size_t k = 0; k < design.phases.size(); ++k)
        if (auto m = checkPhase(design.phases[k], phaseName(int(k)), false); !m.empty()) return m;
    for (int g = 0; g < 2; ++g) {
        if (!design.calls[size_t(g)]) continue;
        const CallPhase& cp = *design.calls[size_t(g)];
        const std::string name = "Фаза вызова " + callName(g + 1);
        if (cp.after < 0 || cp.after >= int(design.phases.size()))
            return name + kDesignCallPlaceText + num(cp.after + 1) + ", а фаз " + num(long(design.phases.size()));
        const uint8_t input = g == 0 ? DirTvp1 : DirTvp2;
        if (std::find(c.DirectionKind.begin(), c.DirectionKind.end(), input) == c.DirectionKind.end())
            return name + kDesignNoCallInputText + "«" + callName(g + 1) + "»";
        if (auto m = checkPhase(cp.phase, name, true); !m.empty()) return m;
        // The phase tact after the group would read back as the one it returns to.
        const int next = cp.after + 1;
        if (next < int(design.phases.size()) &&
            maskOf(design.phases[size_t(next)].directions) == maskOf(design.phases[size_t(cp.after)].directions))
            return name + kDesignCallPlaceText + num(cp.after + 1) + ": у фазы " + num(next + 1) +
                   kDesignSameNextText + num(next + 1);
    }
    for (Mask a = used; a; a &= a - 1) {
        const int i = std::countr_zero(a);
        for (Mask b = used & s.conflict[size_t(i)].to_ullong(); b; b &= b - 1) {
            const int j = std::countr_zero(b);
            if (s.intergreen[size_t(i)][size_t(j)] == IntergreenNotSet)
                return "Для пары " + num(i + 1) + "→" + num(j + 1) + kDesignNoIntergreenText;
        }
    }
    return {};
}

}  // namespace

std::string phaseName(int index) { return "Ф" + num(index + 1); }

int designMinGreen(const Configuration& c, int d) {
    const uint8_t k = c.DirectionKind[size_t(d)];
    if (isPedestrian(k)) return std::max(0, c.Safety.rules.minGreenPedestrian);
    if (isVehicle(k) || isTram(k)) return std::max(0, c.Safety.rules.minGreenVehicle);
    return 0;
}

DesignResult<BuiltProgram> buildProgram(const Configuration& c, const PhaseDesign& design) {
    if (std::string why = refusal(c, design); !why.empty()) return DesignResult<BuiltProgram>::refused(why);
    Builder b{c, c.Safety, timesOf(c.Safety.rules), {}, {}};
    const bool input1 = std::find(c.DirectionKind.begin(), c.DirectionKind.end(), DirTvp1) != c.DirectionKind.end();
    const bool input2 = std::find(c.DirectionKind.begin(), c.DirectionKind.end(), DirTvp2) != c.DirectionKind.end();
    b.patterns.push_back({});
    if (input1) b.patterns.push_back({true, false});
    if (input2) b.patterns.push_back({false, true});
    if (input1 && input2) b.patterns.push_back({true, true});

    const int n = int(design.phases.size());
    std::array<int, 2> holdAfter{-1, -1};  // slot of the hold that follows each call's group
    auto change = [&](Mask from, Mask to, int call, std::string fromName, std::string toName) {
        Slot sl;
        sl.type = SlotType::Change;
        sl.call = call, sl.from = from, sl.to = to;
        sl.fromName = std::move(fromName), sl.toName = std::move(toName);
        b.slots.push_back(sl);
    };
    for (int k = 0; k < n; ++k) {
        const Phase& ph = design.phases[size_t(k)];
        const Mask here = maskOf(ph.directions);
        const Mask next = maskOf(design.phases[size_t((k + 1) % n)].directions);
        std::vector<int> groups;
        for (int g = 0; g < 2; ++g)
            if (design.calls[size_t(g)] && design.calls[size_t(g)]->after == k) groups.push_back(g);
        // A hold after the groups keeps the directions that came back from
        // leaving again before their least green (and puts a phase between
        // the call tacts and the change, as the controller asks).
        Mask back = 0;
        for (int g : groups) back |= here & ~maskOf(design.calls[size_t(g)]->phase.directions);
        int hold = 0;
        if (!groups.empty() && here != next) {
            hold = 1;
            for (Mask m = back & ~next; m; m &= m - 1) hold = std::max(hold, designMinGreen(c, std::countr_zero(m)));
        }
        Slot phase;
        phase.type = SlotType::Phase;
        phase.from = here;
        phase.tMin = ph.tMin;
        phase.tMain = ph.tMain;
        phase.fromName = phaseName(k);
        b.slots.push_back(phase);
        for (size_t gi = 0; gi < groups.size(); ++gi) {
            const int g = groups[gi];
            const Mask callSet = maskOf(design.calls[size_t(g)]->phase.directions);
            change(here, callSet, g + 1, phaseName(k), callName(g + 1));
            Slot cp;
            cp.type = SlotType::CallPhase;
            cp.call = g + 1;
            cp.from = callSet;
            cp.tMin = cp.tMain = design.calls[size_t(g)]->phase.tMain;
            cp.fromName = callName(g + 1);
            b.slots.push_back(cp);
            change(callSet, here, g + 1, callName(g + 1), phaseName(k));
            // Between two groups after one phase: those back from the first
            // and leaving for the second get their least green first.
            if (gi + 1 < groups.size()) {
                const Mask second = maskOf(design.calls[size_t(groups[gi + 1])]->phase.directions);
                int between = 0;
                for (Mask m = (here & ~callSet) & ~second; m; m &= m - 1)
                    between = std::max({between, 1, designMinGreen(c, std::countr_zero(m))});
                if (between > 0) {
                    Slot h;
                    h.type = SlotType::Hold;
                    h.from = here;
                    h.tMin = h.tMain = between;
                    h.fromName = phaseName(k);
                    b.slots.push_back(h);
                }
            }
        }
        if (hold > 0) {
            Slot h;
            h.type = SlotType::Hold;
            h.from = here;
            h.tMin = h.tMain = hold;
            h.fromName = phaseName(k);
            holdAfter[size_t(groups.back())] = int(b.slots.size());
            b.slots.push_back(h);
        }
        change(here, next, 0, phaseName(k), phaseName((k + 1) % n));
    }

    const std::vector<Candidate> decided = b.settle();

    BuiltProgram out;
    for (int g = 0; g < 2; ++g)
        if (holdAfter[size_t(g)] >= 0) out.holdSeconds[size_t(g)] = b.slots[size_t(holdAfter[size_t(g)])].tMain;
    auto callInputs = [&](TactSignalRow& row, int call, bool waiting) {
        for (int d = 0; d < DirectionCount; ++d) {
            const uint8_t k = c.DirectionKind[size_t(d)];
            if (call != 0 && k == (call == 1 ? DirTvp1 : DirTvp2)) row[size_t(d)] = waiting ? SignalRed : SignalOff;
        }
    };
    auto push = [&](int32_t kind, int tMin, int tMain, const TactSignalRow& row) {
        out.tacts.push_back(Tact{kind, tMin, tMain, 0, 0});
        out.tactSignals.push_back(row);
    };
    for (size_t i = 0; i < b.slots.size(); ++i) {
        const Slot& sl = b.slots[i];
        const int32_t callKind = sl.call == 1 ? TactTvp1 : TactTvp2;
        if (sl.type == SlotType::Phase || sl.type == SlotType::Hold) {
            push(TactPhase, sl.tMin, sl.tMain, b.stateRow(sl.from));
            continue;
        }
        if (sl.type == SlotType::CallPhase) {
            TactSignalRow row = b.stateRow(sl.from);
            callInputs(row, sl.call, true);
            push(callKind, sl.tMin, sl.tMain, row);
            continue;
        }
        const Candidate& why = decided[i];
        DesignChange dc;
        dc.from = sl.fromName, dc.to = sl.toName, dc.call = sl.call, dc.seconds = sl.length;
        if (sl.length > 0) {
            dc.reason = why.reason, dc.leaving = why.leaving, dc.entering = why.entering;
            dc.required = why.reason == ChangeReason::Intergreen ? why.required : why.seconds;
        }
        dc.text = dc.from + "→" + dc.to + ": " +
                  (sl.length > 0 ? num(sl.length) + " с, " + reasonText(why, b.times) : std::string(kDesignNoChangeText));
        dc.firstTact = int(out.tacts.size());
        // The seconds where some direction's signal turns.
        std::vector<int> cuts{0, sl.length};
        const Mask leaving = sl.from & ~sl.to, entering = sl.to & ~sl.from;
        for (Mask m = leaving; m; m &= m - 1) {
            const uint8_t k = c.DirectionKind[size_t(std::countr_zero(m))];
            if (isVehicle(k) || isPedestrian(k)) cuts.push_back(b.times.flashing);
            if (isVehicle(k)) cuts.push_back(b.times.flashing + b.times.yellow);
        }
        for (Mask m = entering; m; m &= m - 1)
            if (isVehicle(c.DirectionKind[size_t(std::countr_zero(m))])) cuts.push_back(sl.length - b.times.redYellow);
        std::sort(cuts.begin(), cuts.end());
        cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
        for (size_t k = 0; k + 1 < cuts.size(); ++k) {
            if (cuts[k] < 0 || cuts[k + 1] > sl.length) continue;
            TactSignalRow row = b.changeRow(sl, cuts[k]);
            // A group's call input stays lit until its phase has run.
            callInputs(row, sl.call, sl.toName.rfind("ТВП", 0) == 0);
            // The controller counts a tact in one byte.
            for (int left = cuts[k + 1] - cuts[k]; left > 0; left -= 255)
                push(sl.call == 0 ? TactIntermediate : callKind, 0, std::min(left, 255), row);
        }
        dc.tactCount = int(out.tacts.size()) - dc.firstTact;
        out.changes.push_back(dc);
    }
    if (int(out.tacts.size()) > TactCount) return DesignResult<BuiltProgram>::refused(kDesignTooLongText);
    return {std::move(out), {}};
}

DesignResult<BuiltProgram> applyDesign(Configuration& c, int program, const PhaseDesign& design) {
    if (program < FirstUserProgram || program >= ProgramCount)
        return DesignResult<BuiltProgram>::refused(kDesignNotUserProgramText);
    DesignResult<BuiltProgram> r = buildProgram(c, design);
    if (!r.ok()) return r;
    const BuiltProgram& b = *r.value;
    for (int t = 0; t < TactCount; ++t) {
        c.TactTable[size_t(program)][size_t(t)] = t < int(b.tacts.size()) ? b.tacts[size_t(t)] : Tact{};
        if (t < int(b.tactSignals.size())) c.TactSignals[size_t(program)][size_t(t)] = b.tactSignals[size_t(t)];
        else c.TactSignals[size_t(program)][size_t(t)].fill(0);
    }
    recomputeDerivedTactFields(c, program);
    return r;
}

namespace {

Mask goMask(const Configuration& c, const TactSignalRow& row) {
    Mask m = 0;
    for (int d = 0; d < DirectionCount; ++d)
        if (mayGo(c.DirectionKind[size_t(d)]) && goesOn(c, row, d)) m |= bit(d);
    return m;
}

std::vector<int> directionsOf(Mask m) {
    std::vector<int> v;
    for (; m; m &= m - 1) v.push_back(std::countr_zero(m));
    return v;
}

// A tact that shows a steady state: nothing flashing, yellow or red-and-yellow.
bool steady(const Configuration& c, const TactSignalRow& row) {
    for (int d = 0; d < DirectionCount; ++d) {
        const uint8_t k = c.DirectionKind[size_t(d)];
        if (!isVehicle(k) && !isPedestrian(k)) continue;
        const uint8_t s = row[size_t(d)];
        if (s == SignalFlashingGreen || s == SignalYellow || s == SignalRedYellow) return false;
    }
    return true;
}

}  // namespace

DesignResult<PhaseDesign> readPhases(const Configuration& c, int program) {
    if (program < FirstUserProgram || program >= ProgramCount)
        return DesignResult<PhaseDesign>::refused(kDesignNotUserProgramText);
    const auto& tacts = c.TactTable[size_t(program)];
    const auto& rows = c.TactSignals[size_t(program)];
    int n = 0;
    while (n < TactCount && tacts[size_t(n)].kind != TactEmpty) ++n;
    PhaseDesign d;
    std::vector<Mask> sets;
    // The phase tact just before the last call group, and whether a hold may follow.
    int groupAfter = -1;
    bool mayHold = false;
    for (int t = 0; t < n;) {
        const Tact& tact = tacts[size_t(t)];
        if (tact.kind == TactPhase) {
            const Mask m = goMask(c, rows[size_t(t)]);
            if (mayHold && groupAfter >= 0 && sets[size_t(groupAfter)] == m) {
                // The hold after a call group belongs to the phase it returns to.
            } else {
                d.phases.push_back({directionsOf(m), tact.tMin, tact.tMain});
                sets.push_back(m);
            }
            mayHold = false;
            ++t;
            continue;
        }
        if (tact.kind == TactTvp1 || tact.kind == TactTvp2) {
            const int g = tact.kind == TactTvp1 ? 0 : 1;
            int end = t;
            while (end < n && tacts[size_t(end)].kind == tact.kind) ++end;
            // The call phase: the marked tact (tMin = tMain), else the
            // steady tact with most directions at go, the longest of them.
            int best = -1;
            for (int k = t; k < end; ++k)
                if (tacts[size_t(k)].tMin == tacts[size_t(k)].tMain && tacts[size_t(k)].tMain > 0) best = k;
            if (best < 0) {
                int bestCount = -1;
                for (int k = t; k < end; ++k) {
                    if (!steady(c, rows[size_t(k)])) continue;
                    const int count = std::popcount(goMask(c, rows[size_t(k)]));
                    if (count > bestCount ||
                        (count == bestCount && tacts[size_t(k)].tMain > tacts[size_t(best)].tMain))
                        best = k, bestCount = count;
                }
            }
            if (best < 0) best = t;
            CallPhase cp;
            cp.after = int(d.phases.size()) - 1;  // -1: before the first phase, fixed below
            cp.phase = {directionsOf(goMask(c, rows[size_t(best)])), 0, tacts[size_t(best)].tMain};
            d.calls[size_t(g)] = cp;
            if (!d.phases.empty()) groupAfter = int(d.phases.size()) - 1, mayHold = true;
            t = end;
            continue;
        }
        mayHold = false;
        ++t;
    }
    if (d.phases.empty()) return DesignResult<PhaseDesign>::refused(kDesignEmptyProgramText);
    for (auto& cp : d.calls)
        if (cp && cp->after < 0) cp->after = int(d.phases.size()) - 1;
    return {std::move(d), {}};
}

DesignResult<BuiltProgram> rebuildInterphases(Configuration& c, int program) {
    const DesignResult<PhaseDesign> phases = readPhases(c, program);
    if (!phases.ok()) return DesignResult<BuiltProgram>::refused(phases.error);
    return applyDesign(c, program, *phases.value);
}

std::string designArguments(const PhaseDesign& design) {
    std::string out;
    for (const Phase& ph : design.phases) {
        if (!out.empty()) out += ' ';
        out += "--phase " + directionsText(ph.directions) + ":" + num(ph.tMin) + ":" + num(ph.tMain);
    }
    for (int g = 0; g < 2; ++g) {
        if (!design.calls[size_t(g)]) continue;
        const CallPhase& cp = *design.calls[size_t(g)];
        const std::string key = "--call" + num(g + 1);
        out += " " + key + "-after " + num(cp.after + 1) + " " + key + "-phase " +
               directionsText(cp.phase.directions) + ":" + num(cp.phase.tMain);
    }
    return out;
}

std::optional<std::vector<int>> parseDirectionList(const std::string& text) {
    std::vector<int> out;
    size_t at = 0;
    if (text.empty()) return std::nullopt;
    while (at <= text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const std::string part = text.substr(at, comma - at);
        if (part.empty() || part.size() > 2) return std::nullopt;
        int v = 0;
        for (char ch : part) {
            if (ch < '0' || ch > '9') return std::nullopt;
            v = v * 10 + (ch - '0');
        }
        if (v < 1 || v > DirectionCount) return std::nullopt;
        if (std::find(out.begin(), out.end(), v - 1) != out.end()) return std::nullopt;
        out.push_back(v - 1);
        at = comma + 1;
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace livra
