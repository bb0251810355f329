// The plan file travels inside project files from other computers: any bytes
// must parse without a crash, and what parses must save and parse again to
// the same plan.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "model/configuration.h"
#include "plan/plan_objects.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::unique_ptr<livra::Configuration> config = [] {
        auto c = std::make_unique<livra::Configuration>();
        for (int d = 0; d < livra::DirectionCount; ++d) c->DirectionKind[d] = uint8_t(1 + d % 9);
        return c;
    }();
    livra::Plan plan;
    livra::parsePlan(plan, std::span<const uint8_t>(data, size), *config);
    const livra::Bytes saved = livra::serializePlan(plan);
    livra::Plan again;
    livra::parsePlan(again, saved, *config);
    if (livra::serializePlan(again) != saved) std::abort();
    return 0;
}
