#pragma once
// A user program as the road authority's papers describe it: its phases
// (which directions go, for how long), the interphases between them with the
// required and provided intergreen of every conflicting pair that hands over,
// and the call groups. Read from the "Фаза" tacts of the program.
#include <string>
#include <vector>

#include "diagram/diagram_layout.h"
#include "model/configuration.h"

namespace livra::report {

struct PhaseSheet {
    int phaseNo = 0;  // 1-based, in cycle order
    int tact = 0;     // 0-based index of its "Фаза" tact
    int tMin = 0, tMain = 0;
    std::vector<int> going;        // 0-based directions at go
    TactSignalRow shown{};       // what every direction shows meanwhile
};

struct PairSheet {
    int from = 0, to = 0;           // 0-based directions: `from` clears, `to` enters
    std::string fromLabel, toLabel;  // "6.2" for a tram row
    int required = IntergreenNotSet;
    int provided = 0;
    bool deciding = false;  // the pair with the least margin: it sets the interphase
    bool tooShort() const { return required != IntergreenNotSet && provided < required; }
};

// From one phase to the next, read round the cycle; the intermediate tacts
// between them (a call group and the phase it hands back to are its own).
struct ChangeSheet {
    int fromPhase = 0, toPhase = 0;  // phase numbers
    std::vector<int> tacts;          // 0-based
    int seconds = 0;                 // Т осн of those tacts, calls served
    std::vector<PairSheet> pairs;
    // What decides the change as the phase design builds it ("Ф1→Ф2: 9 с,
    // решает 1→4: 6 с"); empty when the design cannot read the program.
    std::string decidedBy;
};

struct CallSheet {
    int input = 1;           // ТВП1 or ТВП2
    int inputDirection = -1; // 0-based direction of kind ТВП1/ТВП2, −1 when none is set up
    int firstTact = 0, lastTact = 0;  // 0-based, the group's tacts
    int afterPhase = 0;      // the phase the group follows; 0 when it opens the program
    int seconds = 0;
    long delay = 0;          // the call input's delay, s
};

struct ProgramSheet {
    int program = 0;
    int cycleSeconds = 0, totalSeconds = 0;
    std::vector<PhaseSheet> phases;
    std::vector<ChangeSheet> changes;  // change i leaves phases[i]
    std::vector<CallSheet> calls;
};

ProgramSheet programSheet(const Configuration& c, const diagram::Timeline& t);

// The timeline's phases numbered as the sheet numbers them, so the report's
// diagram and tables agree: the phase a call group hands back to keeps the
// number of the phase it resumes.
void numberPhasesAsSheet(diagram::Timeline& t, const ProgramSheet& sheet);

// The label a direction has in the tables: "5", "6.2" for a tram row.
std::string directionNumber(const Configuration& c, int direction);

}  // namespace livra::report
