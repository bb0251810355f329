#include "plan/plan_pictures.h"

namespace livra {
namespace {

constexpr uint8_t MaxTramLampCode = 8;

HeadPicture pic(HeadPictureSet set, int index) { return HeadPicture{set, uint8_t(index)}; }

}  // namespace

std::optional<HeadPicture> darkHeadPicture(uint8_t kind) {
    switch (kind) {
    case DirVehicle: return pic(HeadPictureSet::Vehicle, 0);
    case DirPedestrian: return pic(HeadPictureSet::Pedestrian, 0);
    case DirExtraRed:
    case DirExtraYellow:
    case DirExtraGreen: return pic(HeadPictureSet::Section, 0);
    case DirTram1: return pic(HeadPictureSet::Tram, 0);
    default: return std::nullopt;
    }
}

uint8_t darkSignal(uint8_t kind) { return kind == DirTram1 ? 0 : SignalOff; }

std::optional<HeadPicture> chooseHeadPicture(uint8_t kind, uint8_t signal, int blinkPhase, PlanDrawMode mode) {
    if (mode == PlanDrawMode::Reset) signal = darkSignal(kind);
    const bool lit = blinkPhase == 1;
    using S = HeadPictureSet;
    switch (kind) {
    case DirVehicle:
        switch (signal) {
        case SignalRed: return pic(S::Vehicle, 1);
        case SignalYellow: return pic(S::Vehicle, 2);
        case SignalGreen: return pic(S::Vehicle, 3);
        case SignalFlashingYellow: return pic(S::Vehicle, lit ? 2 : 0);
        case SignalFlashingGreen: return pic(S::Vehicle, lit ? 3 : 0);
        case SignalRedYellow: return pic(S::Vehicle, 4);
        case SignalOff: return pic(S::Vehicle, 0);
        default: return std::nullopt;
        }
    case DirPedestrian:
        switch (signal) {
        case SignalRed: return pic(S::Pedestrian, 1);
        case SignalGreen: return pic(S::Pedestrian, 2);
        case SignalFlashingGreen: return pic(S::Pedestrian, lit ? 2 : 0);
        case SignalOff: return pic(S::Pedestrian, 0);
        default: return std::nullopt;
        }
    case DirExtraRed:
        if (signal == SignalRed) return pic(S::Section, 1);
        if (signal == SignalOff) return pic(S::Section, 0);
        return std::nullopt;
    case DirExtraYellow:
        if (signal == SignalYellow) return pic(S::Section, 2);
        if (signal == SignalFlashingYellow) return pic(S::Section, lit ? 2 : 0);
        if (signal == SignalOff) return pic(S::Section, 0);
        return std::nullopt;
    case DirExtraGreen:
        if (signal == SignalGreen) return pic(S::Section, 3);
        if (signal == SignalFlashingGreen) return pic(S::Section, lit ? 3 : 0);
        if (signal == SignalOff) return pic(S::Section, 0);
        return std::nullopt;
    case DirTram1:
        // Nine tram pictures exist; any other code would index past them.
        if (signal > MaxTramLampCode) return std::nullopt;
        return pic(S::Tram, signal);
    default: return std::nullopt;
    }
}

void darkenHeads(Plan& plan, const Configuration& c) {
    for (PlanObject& o : plan.planObjects) {
        if (!o.isHead() || o.direction > DirectionCount) continue;
        const uint8_t kind = c.DirectionKind[o.direction - 1];
        o.kind = kind;
        o.signal = darkSignal(kind);
    }
}

}  // namespace livra
