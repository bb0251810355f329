#include "edit/signal_choice.h"

namespace livra {

namespace {

constexpr uint8_t kA[] = {SignalRed, SignalYellow, SignalGreen, SignalRedYellow, SignalFlashingYellow,
                          SignalFlashingGreen};
constexpr uint8_t kRedGreen[] = {SignalRed, SignalGreen};  // B and G
constexpr uint8_t kC[] = {SignalRed, SignalGreen, SignalFlashingGreen};
constexpr uint8_t kD[] = {SignalRed, SignalOff};
constexpr uint8_t kE[] = {SignalGreen, SignalFlashingGreen, SignalOff};
constexpr uint8_t kF[] = {SignalYellow, SignalFlashingYellow, SignalOff};

}  // namespace

SignalVariant allowedSignals(uint8_t directionKind, int32_t tactKind) {
    if (tactKind < TactPhase || tactKind > TactTvp2) return SignalVariant::None;
    const bool phase = tactKind == TactPhase;
    switch (directionKind) {
    case DirVehicle: return phase ? SignalVariant::B : SignalVariant::A;
    case DirPedestrian: return phase ? SignalVariant::B : SignalVariant::C;
    case DirExtraRed: return SignalVariant::D;
    case DirExtraYellow: return SignalVariant::F;
    case DirExtraGreen: return SignalVariant::E;
    case DirTram1:
    case DirTram2:
    case DirTram3: return SignalVariant::G;
    case DirTvp1: return tactKind == TactTvp1 ? SignalVariant::D : SignalVariant::None;
    case DirTvp2: return tactKind == TactTvp2 ? SignalVariant::D : SignalVariant::None;
    default: return SignalVariant::None;
    }
}

std::span<const uint8_t> variantSignals(SignalVariant v) {
    switch (v) {
    case SignalVariant::A: return kA;
    case SignalVariant::B:
    case SignalVariant::G: return kRedGreen;
    case SignalVariant::C: return kC;
    case SignalVariant::D: return kD;
    case SignalVariant::E: return kE;
    case SignalVariant::F: return kF;
    default: return {};
    }
}

char variantLetter(SignalVariant v) {
    return v == SignalVariant::None ? '-' : char('A' + (int(v) - int(SignalVariant::A)));
}

}  // namespace livra
