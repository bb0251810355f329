#include "model/go_signal.h"

namespace livra {

SafetyAspect lampAspect(uint8_t kind, uint8_t sig) {
    using Aspect = SafetyAspect;
    switch (kind) {
        case DirVehicle:
        case DirPedestrian:
            switch (sig) {
                case SignalRed: return Aspect::Red;
                case SignalYellow: return Aspect::Yellow;
                case SignalRedYellow: return Aspect::RedYellow;
                case SignalGreen: return Aspect::Green;
                case SignalFlashingGreen: return Aspect::FlashingGreen;
                case SignalFlashingYellow: return Aspect::FlashingYellow;
                case SignalOff: return Aspect::Dark;
                default: return Aspect::Other;
            }
        case DirExtraGreen:
            return sig == SignalGreen ? Aspect::Green : sig == SignalFlashingGreen ? Aspect::FlashingGreen : Aspect::Other;
        case DirTram1:
        case DirTram2:
        case DirTram3:
            return sig == SignalGreen           ? Aspect::Green
                   : sig == SignalFlashingGreen ? Aspect::FlashingGreen
                   : sig == SignalRed           ? Aspect::Red
                                                : Aspect::Other;
        default: return Aspect::Other;
    }
}

SafetyAspect safetyAspect(const Configuration& c, const TactSignalRow& row, int d) {
    const uint8_t kind = c.DirectionKind[d];
    if (kind >= DirTram1 && kind <= DirTram3) {
        // The head goes dark when any of its rows is off.
        const int base = d - (kind - DirTram1);
        for (int k = base; k < base + 3 && k < DirectionCount; ++k)
            if (k >= 0 && row[k] == SignalOff) return SafetyAspect::Other;
    }
    return lampAspect(kind, row[d]);
}

}  // namespace livra
