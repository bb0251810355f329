#pragma once
// A second, deliberately plain model of the simulator, written from the rules
// of the engine alone and kept apart from src/sim. The differential tests run
// `livra simulate` and this model side by side and compare every line.
#include <string>
#include <vector>

#include "model/configuration.h"

namespace livra::oracle {

struct ClockStart {
    int day = 1, month = 1, year = 1970;
    int hour = 0, minute = 0, second = 0;
};

struct SimRequest {
    ClockStart start;
    int seconds = 0;
    std::vector<int> call1;  // press call button 1 after K seconds have run
    std::vector<int> call2;
};

// What a run went through, so that a test can tell that its generated
// configurations reach every rule of the engine.
struct SimStats {
    long acceptedPresses = 0;
    long callTactsShown = 0;     // ТВП tacts loaded
    long callTactsSkipped = 0;
    long programChanges = 0;     // a new cycle started in another program
    long nothingSelected = 0;    // steps with no program in force
    long givenUp = 0;            // steps whose loading found nothing to run
    long endOfTable = 0;         // steps stuck after tact 321
    long shortenedTicks = 0;     // phase seconds counted on the minimum time
    long heldByDelay = 0;        // phase seconds with a call still held by its delay
    long tramHeads = 0;          // tram lamp codes handed
};

struct SimResult {
    std::string out;            // the lines `livra simulate` prints
    std::vector<int> refused1;  // presses (K) the engine did not accept
    std::vector<int> refused2;
    SimStats stats;
};

SimResult simulate(const Configuration& c, const SimRequest& request);

// "DD.MM.YYYY HH:MM:SS", the form of `--start`.
std::string startText(const ClockStart& s);

}  // namespace livra::oracle
