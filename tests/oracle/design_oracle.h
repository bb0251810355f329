#pragma once
// A second way to the least length of each change of a program designed from
// its phases, kept apart from src/design: it reads the program's tacts back
// as steady states (the phase tacts and the call phase) and the changes
// between them, plays the program second by second on every call pattern
// the controller can run, and asks of each change what the rule asks: the
// largest of, for each conflicting pair (i leaving, j entering), the end of
// i's go plus the intergreen (measured from i's last go wherever it ended),
// each leaving vehicle's flashing green plus yellow, each leaving
// pedestrian's flashing green, each entering vehicle's red-and-yellow.
#include <vector>

#include "model/configuration.h"

namespace livra::oracle {

struct OracleChange {
    int firstTact = 0;  // 0-based; the tacts of the change follow from here
    int tacts = 0;
    int seconds = 0;    // as built
    int least = 0;      // as the rule asks
};

// The changes of user program `program`, in tact order, the cycle's wrap last.
std::vector<OracleChange> designedChanges(const Configuration& c, int program);

}  // namespace livra::oracle
