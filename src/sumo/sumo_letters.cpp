#include "sumo/sumo_letters.h"

#include "edit/signal_choice.h"
#include "model/configuration.h"

namespace livra {

char sumoLetter(uint8_t directionKind, uint8_t signal) {
    if (isCallInputDirection(directionKind) || !isNormalDirection(directionKind)) return 'O';
    if (directionKind == DirExtraGreen && signal == SignalOff) return 'r';
    switch (signal) {
    case SignalRed: return 'r';
    case SignalYellow: return 'y';
    case SignalGreen:
    case SignalFlashingGreen: return 'G';
    case SignalFlashingYellow: return 'o';
    case SignalRedYellow: return 'u';
    default: return 'O';  // off, not applicable, not set
    }
}

bool isSumoLetter(char letter) {
    switch (letter) {
    case 'r':
    case 'y':
    case 'g':
    case 'G':
    case 's':
    case 'u':
    case 'o':
    case 'O': return true;
    default: return false;
    }
}

std::optional<uint8_t> signalFromSumoLetter(uint8_t directionKind, int32_t tactKind, char letter) {
    if (letter == 'g') letter = 'G';
    if (isCallInputDirection(directionKind)) {
        // Outside its own call tact a call input is "not applicable".
        if (letter != 'O') return std::nullopt;
        const bool own = (directionKind == DirTvp1 && tactKind == TactTvp1) ||
                         (directionKind == DirTvp2 && tactKind == TactTvp2);
        return own ? std::optional<uint8_t>(SignalOff) : std::optional<uint8_t>(SignalNotApplicable);
    }
    // Steady green before flashing green: the letter cannot tell them apart.
    for (uint8_t code : variantSignals(allowedSignals(directionKind, tactKind)))
        if (code != SignalFlashingGreen && sumoLetter(directionKind, code) == letter) return code;
    for (uint8_t code : variantSignals(allowedSignals(directionKind, tactKind)))
        if (sumoLetter(directionKind, code) == letter) return code;
    return std::nullopt;
}

}  // namespace livra
