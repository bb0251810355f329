// The safety file beside a project comes from people's hands, merges and
// other programs. Whatever it holds, reading must not crash; what is read
// must write out as a text that reads back to the same data and writes out
// to the same text again.
// Input: byte 0 gives the project's directions (kinds 1..3 for the first
// byte % 8 of them), the rest is the file.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "model/configuration.h"
#include "model/safety_file.h"

using namespace livra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    auto c = std::make_unique<Configuration>();
    resetConfiguration(*c);
    for (int d = 0; d < data[0] % 8; ++d) c->DirectionKind[d] = uint8_t(1 + (data[0] >> 3) % 3);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    auto read = std::make_unique<SafetyData>();
    const SafetyLoadResult r = parseSafetyJson(text, *c, *read);
    if (r.status == SafetyFileStatus::Damaged) {
        if (r.message.empty() || read->defined) std::abort();  // said why, left the data alone
        return 0;
    }
    const std::string written = safetyJson(*read, *c);
    auto back = std::make_unique<SafetyData>();
    if (parseSafetyJson(written, *c, *back).status != SafetyFileStatus::Loaded) std::abort();
    // The kinds written are the project's; everything else comes back as read.
    back->writtenKinds = read->writtenKinds;
    if (!(*back == *read)) std::abort();
    if (safetyJson(*back, *c) != written) std::abort();
    return 0;
}
