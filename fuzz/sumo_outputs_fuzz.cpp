// SUMO's outputs are read after each run, but a file in the scratch folder
// may be cut short or be anything: every reader must refuse or read it,
// never read past its end, and the sums it gives stay finite and sound.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "evaluation/sumo_outputs.h"

using namespace livra::evaluation;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto trips = parseTripinfo(text, 0, 1e9);
    if (trips.ok()) {
        const TripStats& s = trips.value();
        if (!std::isfinite(s.timeLoss) || s.timeLoss < 0 || s.vehicles < 0) std::abort();
        int sum = 0;
        for (const auto& [edge, a] : s.approaches) sum += a.vehicles;
        if (sum != s.vehicles) std::abort();
    }
    const auto backlog = parseSummaryBacklog(text);
    if (backlog.ok() && backlog.value() < 0) std::abort();
    parseSignalledLanes(text, "J");
    parseDemandBegin(text);
    // The first half as detector output, the rest as switch times.
    const auto flows = parseSaturationFlows(text.substr(0, size / 2), text.substr(size / 2));
    if (flows.ok())
        for (const auto& [lane, f] : flows.value())
            if (!std::isfinite(f) || f <= 0) std::abort();
    lastLoggedStep(text);
    return 0;
}
