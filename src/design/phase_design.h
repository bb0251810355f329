#pragma once
// A program designed from its phases: the engineer says which directions go
// together and in what order, and the changes between phases (flashing
// green, yellow, all red, red-and-yellow) are built from the conflict matrix,
// the intergreen times and the signal rules, each as short as the rules
// allow, so that the safety check finds nothing on any sequence the
// controller can run. Directions are 0-based here, 1-based in texts.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/configuration.h"

namespace livra {

// The one error convention of the design: a value, or the reason it was
// refused in the engineer's words (what to mend).
template <class T>
struct DesignResult {
    std::optional<T> value;
    std::string error;
    bool ok() const { return value.has_value(); }
    static DesignResult refused(std::string why) { return {std::nullopt, std::move(why)}; }
};

// One phase: the directions at go, and its times (a call shortens it to
// tMin; a call phase runs tMain, its tMin is not used).
struct Phase {
    std::vector<int> directions;  // 0-based, ascending, each once
    int tMin = 0;
    int tMain = 0;
    bool operator==(const Phase&) const = default;
};

// A phase served only on a call: its call-tact group (the changes in and out
// included) follows phase `after` (0-based), leaving from and returning to
// that phase's signals.
struct CallPhase {
    int after = 0;
    Phase phase;
    bool operator==(const CallPhase&) const = default;
};

struct PhaseDesign {
    std::vector<Phase> phases;                   // in cycle order
    std::array<std::optional<CallPhase>, 2> calls;  // ТВП1, ТВП2
    bool operator==(const PhaseDesign&) const = default;
};

// What decides a change's length.
enum class ChangeReason {
    None,           // nothing leaves or enters: no change tacts
    Intergreen,     // the end of `leaving`'s go plus the pair's intergreen
    Clearance,      // flashing green plus yellow of the leaving vehicle `leaving`
    WalkClearance,  // flashing green of the leaving pedestrian `leaving`
    RedYellow,      // red-and-yellow of the entering vehicle `entering`
};

// One change between two signal states of the design.
struct DesignChange {
    std::string from, to;  // "Ф1", "Ф2", "ТВП1" (the call phase)
    int call = 0;          // 0 in the plain cycle, 1 or 2 inside that call's group
    int seconds = 0;
    ChangeReason reason = ChangeReason::None;
    int leaving = -1;   // 0-based
    int entering = -1;  // 0-based
    int required = 0;   // the pair's intergreen, or the rule's seconds
    std::string text;   // "Ф1→Ф2: 9 с, решает 1→4: 6 с"
    int firstTact = 0;  // 0-based tact of the program where the change begins
    int tactCount = 0;  // its tacts (none for a change of 0 s)
};

struct BuiltProgram {
    std::vector<Tact> tacts;                  // kinds and times; tEnd/phaseNo left 0
    std::vector<TactSignalRow> tactSignals;   // one row per tact (not "signals": a word Qt takes)
    std::vector<DesignChange> changes;        // in tact order
    // After a call group that returns to a phase whose next change lets
    // directions go, the phase holds them this long before that change
    // (their least green); 0 where no hold was needed.
    std::array<int, 2> holdSeconds{};
};

// The least time each kind of direction must stay at go.
int designMinGreen(const Configuration& c, int direction);

// The changes, their deciding pairs and the tacts of a design, or why it
// cannot be built (the phase or pair to mend). Needs the conflict matrix.
DesignResult<BuiltProgram> buildProgram(const Configuration& c, const PhaseDesign& design);

// Builds the design into user program `program` (0-based 3..15): its tacts
// replaced, the rest of the configuration untouched. Nothing changes when
// it is refused.
DesignResult<BuiltProgram> applyDesign(Configuration& c, int program, const PhaseDesign& design);

// The phases of an existing program: its "Фаза" tacts with what is at go in
// each, its call groups with the phase they follow. A program built here
// reads back as the design it was built from.
DesignResult<PhaseDesign> readPhases(const Configuration& c, int program);

// Builds the changes of an existing program again from its phases.
DesignResult<BuiltProgram> rebuildInterphases(Configuration& c, int program);

// The phases in the command line's form: "--phase 1,3:12:30 --phase 2,4:8:20
// --call1-after 2 --call1-phase 3,4:12".
std::string designArguments(const PhaseDesign& design);

// "1,3" → {0, 2}; empty on a bad list (numbers 1..63, each once).
std::optional<std::vector<int>> parseDirectionList(const std::string& text);

// "Ф2" for phase index 1; "ТВП1" for a call phase.
std::string phaseName(int index);

}  // namespace livra
