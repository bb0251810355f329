// SUMO files come from anywhere: whatever the reader accepts goes through the
// import of every program it holds, into a small configuration and into an
// empty one (directions from the links, the net's conflicts). A refusal must
// leave the configuration as it was; an import must leave only signals the
// grid could have offered, and a link map that names existing directions.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "edit/signal_choice.h"
#include "sumo/sumo_import.h"
#include "sumo_qt/sumo_xml_reader.h"

using namespace livra;

namespace {

const Configuration& templateConfiguration() {
    static const Configuration c = [] {
        Configuration t;
        t.DirectionKind[0] = DirVehicle;
        t.DirectionKind[1] = DirPedestrian;
        t.DirectionKind[2] = DirTvp1;
        t.DirectionKind[3] = DirExtraGreen;
        t.DirectionKind[4] = DirTram1, t.DirectionKind[5] = DirTram2, t.DirectionKind[6] = DirTram3;
        t.DirectionKind[7] = DirTvp2;
        t.TactTable[4][0] = Tact{TactPhase, 5, 10, 10, 1};
        return t;
    }();
    return c;
}

bool offered(uint8_t kind, int32_t tactKind, uint8_t code) {
    if (isCallInputDirection(kind)) return code == SignalNotApplicable || code == SignalOff;
    for (uint8_t s : variantSignals(allowedSignals(kind, tactKind)))
        if (s == code) return true;
    return kind == DirEmpty && code == 0;
}

void checkImported(const Configuration& c, int program, int tacts) {
    if (tacts < 1 || tacts > TactCount) std::abort();
    for (int t = 0; t < tacts; ++t) {
        const Tact& tact = c.TactTable[program][t];
        if (tact.tMain < 1 || tact.tMain > 255 || tact.tMin < 0 || tact.tMin > tact.tMain) std::abort();
        for (int d = 0; d < DirectionCount; ++d)
            if (!offered(c.DirectionKind[d], tact.kind, c.TactSignals[program][t][d])) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto read = parseSumoXml(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read.file) {
        if (read.error.empty()) std::abort();
        return 0;
    }
    static Configuration c;
    for (const auto& logic : read.file->tlLogics) {
        c = templateConfiguration();
        const int program = logic.phases.size() % 2 ? 3 : 4;
        const auto r = importSumoProgram(c, *read.file, {logic.id, logic.programId, program, size % 3 == 0});
        if (!r.ok) {
            if (r.error.empty() || !c.sameTables(templateConfiguration())) std::abort();
            continue;
        }
        checkImported(c, program, r.tacts);
    }
    static Configuration empty;
    for (const auto& logic : read.file->tlLogics) {
        empty = Configuration();
        SumoImportRequest request{logic.id, logic.programId, 3, false};
        request.asFixed = size % 2 == 0;
        const auto r = importSumoProgram(empty, *read.file, request);
        if (!r.ok) {
            if (r.error.empty() || !empty.sameTables(Configuration())) std::abort();
            continue;
        }
        checkImported(empty, 3, r.tacts);
        for (const auto& link : empty.Safety.sumoMap.links)
            if (link.direction >= DirectionCount || (link.direction >= 0 && empty.DirectionKind[link.direction] == DirEmpty))
                std::abort();
        for (int a = 0; a < DirectionCount; ++a)
            for (int b = 0; b < DirectionCount; ++b)
                if (empty.Safety.intergreen[a][b] != IntergreenNotSet &&
                    (!empty.Safety.conflict[a][b] || empty.Safety.intergreen[a][b] > 255))
                    std::abort();
    }
    return 0;
}
