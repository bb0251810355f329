#pragma once
// Configurations more than one benchmark measures, made one way.
#include <memory>

#include "model/configuration.h"
#include "support/test_support.h"

namespace livra::bench {

// Sixteen directions and five programs of 200 tacts: a valid configuration
// whose image is close to 20 KB, the size of a large real intersection. Every
// fourth phase shows `fourthPhaseSignal`, the others green.
inline std::unique_ptr<Configuration> twentyKilobyteConfiguration(SignalCode fourthPhaseSignal) {
    auto c = test::newConfiguration();
    for (int d = 0; d < 16; ++d) test::addDirection(*c, d, d % 3 == 2 ? DirPedestrian : DirVehicle);
    for (int p = 3; p < 8; ++p)
        for (int t = 0; t < 200; ++t)
            test::addTact(*c, p, t % 2 ? TactIntermediate : TactPhase, t % 2 ? 3 : 10 + t % 20, t % 2 ? 0 : 5,
                          t % 2 ? SignalYellow : (t % 4 ? SignalGreen : fourthPhaseSignal));
    test::addAlarm(*c, 0, 6, 0, 4);
    return c;
}

}  // namespace livra::bench
