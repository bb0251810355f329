// The companion file travels with projects and is edited by hand. Whatever
// it holds, reading it must not crash; what is read must write back to a
// text that reads as the same data (the matrix, the object data, the names).
#include <cstdlib>
#include <memory>
#include <string>

#include "model/safety_file.h"

using namespace livra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    auto c = std::make_unique<Configuration>();
    for (int d = 0; d < 6; ++d) c->DirectionKind[d] = d % 2 ? DirPedestrian : DirVehicle;
    auto read = std::make_unique<SafetyData>();
    const SafetyLoadResult r = parseSafetyJson(text, *c, *read);
    if (r.status == SafetyFileStatus::Damaged) {
        if (r.message.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    // Written with the kinds it was read for, it reads back the same.
    c->DirectionKind = read->writtenKinds;
    auto again = std::make_unique<SafetyData>();
    if (parseSafetyJson(safetyJson(*read, *c), *c, *again).status != SafetyFileStatus::Loaded) std::abort();
    if (!(again->object == read->object) || again->defined != read->defined || again->intergreen != read->intergreen)
        std::abort();
    return 0;
}
