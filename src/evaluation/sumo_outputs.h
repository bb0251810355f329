#pragma once
// What a SUMO run says about a timing, read from its output files: trip
// information (time loss and waiting per vehicle, per approach, the
// pedestrians' waiting), the summary (vehicles that could not enter), and
// the stop-line detectors with the signal's green times (the saturation
// flow the simulated vehicles really show). Toolkit-free and bounded.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "timing/result.h"

namespace livra::evaluation {

using timing::Result;

struct Approach {
    int vehicles = 0;
    double timeLoss = 0;     // sums, s
    double waitingTime = 0;
};

struct TripStats {
    int vehicles = 0;
    double timeLoss = 0;  // sums, s
    double waitingTime = 0;
    std::map<std::string, Approach> approaches;  // by the edge the vehicles entered on
    int pedestrians = 0;
    double pedestrianWaiting = 0;  // sum of the walks' waiting (time loss where SUMO writes no waiting), s
};

// Vehicles and persons departing in [from, to) count.
Result<TripStats> parseTripinfo(std::string_view text, double from, double to);

// The vehicles still waiting to be inserted at the last step of the summary.
Result<int> parseSummaryBacklog(std::string_view text);

// The lanes signalled by traffic light `tls` in a net, with their lengths:
// the approaches' lanes (internal and crossing lanes left out).
struct SignalledLane {
    std::string lane;
    double length = 0;
};
Result<std::vector<SignalledLane>> parseSignalledLanes(std::string_view net, const std::string& tls);

// The earliest departure or flow begin of a route file; 0 when it has none.
Result<double> parseDemandBegin(std::string_view routes);

// Discharge over the stop line: for each green of a lane (from the
// traffic light's switch times) the vehicles entering the detector at its
// stop line, from the fifth on while the queue lasts (headways up to 3.5 s).
// Per lane pcu/h of green; a lane without such a queue has no entry.
inline constexpr int kSkippedStartVehicles = 4;
inline constexpr double kQueuedHeadway = 3.5;
// Detector ids are kDetectorPrefix + lane id.
inline constexpr const char* kDetectorPrefix = "livra_";
Result<std::map<std::string, double>> parseSaturationFlows(std::string_view detectorOutput,
                                                           std::string_view switchTimes);

// The last "Step #T" SUMO's step log shows; nothing before the first.
std::optional<double> lastLoggedStep(std::string_view stepLog);

}  // namespace livra::evaluation
