#pragma once
// Codes shared by the image encoder and decoder: tact kinds and the output
// byte each direction gets in a tact record.
#include <cstdint>

#include "model/configuration.h"

namespace livra::image {

// Output bits of an ordinary head.
constexpr uint8_t OutRed = 0x01;
constexpr uint8_t OutYellow = 0x02;
constexpr uint8_t OutGreen = 0x04;
constexpr uint8_t OutGreenMark = 0x08;  // tram group with a lit green, on its first member
constexpr uint8_t OutYellowFlash = 0x20;
constexpr uint8_t OutGreenFlash = 0x40;
constexpr uint8_t OutTramRed = 0x40;    // a tram member before the group rule

constexpr uint8_t KindCodeLast = 0x10;
constexpr uint8_t KindCodeEmpty = 0x12;

inline uint8_t tactKindCode(int32_t kind) {
    switch (kind) {
        case TactPhase: return 0x01;
        case TactIntermediate: return 0x02;
        case TactTvp1: return 0x04;
        case TactTvp2: return 0x08;
        default: return KindCodeEmpty;
    }
}

// Kind from the low nibble of a record's kind code; -1 when it is none of them.
inline int32_t tactKindFromCode(uint8_t code) {
    switch (code & 0x0F) {
        case 0x01: return TactPhase;
        case 0x02: return TactIntermediate;
        case 0x04: return TactTvp1;
        case 0x08: return TactTvp2;
        default: return -1;
    }
}

// Output byte of one direction before the tram group rule.
inline uint8_t outputCode(uint8_t directionKind, uint8_t signal) {
    switch (directionKind) {
        case DirVehicle:
            switch (signal) {
                case SignalRed: return OutRed;
                case SignalYellow: return OutYellow;
                case SignalGreen: return OutGreen;
                case SignalFlashingYellow: return OutYellowFlash | OutYellow;
                case SignalFlashingGreen: return OutGreenFlash | OutGreen;
                case SignalRedYellow: return OutRed | OutYellow;
                default: return 0;
            }
        case DirPedestrian:
            switch (signal) {
                case SignalRed: return OutRed;
                case SignalGreen: return OutGreen;
                case SignalFlashingGreen: return OutGreenFlash | OutGreen;
                default: return 0;
            }
        case DirExtraRed: return signal == SignalRed ? OutRed : 0;
        case DirExtraYellow:
            return signal == SignalYellow ? OutYellow : signal == SignalFlashingYellow ? OutYellowFlash | OutYellow : 0;
        case DirExtraGreen:
            return signal == SignalGreen ? OutGreen : signal == SignalFlashingGreen ? OutGreenFlash | OutGreen : 0;
        case DirTvp1:
        case DirTvp2: return signal == SignalRed ? OutGreen : 0;
        case DirTram1: return signal == SignalRed ? OutTramRed : signal == SignalGreen ? OutRed : 0;
        case DirTram2: return signal == SignalRed ? OutTramRed : signal == SignalGreen ? OutYellow : 0;
        case DirTram3: return signal == SignalRed ? OutTramRed : signal == SignalGreen ? OutGreen : 0;
        default: return 0;
    }
}

// The three members of a tram share one head: all red is sent as the three
// lamp bits, and a group with any green lit is marked on its first member.
inline void applyTramGroupRule(uint8_t& first, uint8_t& second, uint8_t& third) {
    if (first == OutTramRed && second == OutTramRed && third == OutTramRed) {
        first = OutRed, second = OutYellow, third = OutGreen;
    } else if (third == OutGreen || second == OutYellow || first == OutRed) {
        first |= OutGreenMark;
    }
}

// Signal of an ordinary head (kinds 1..6) from its output byte.
inline uint8_t signalFromHeadCode(uint8_t code) {
    switch (code) {
        case 0x01: return SignalRed;
        case 0x02: return SignalYellow;
        case 0x04: return SignalGreen;
        case 0x22: return SignalFlashingYellow;
        case 0x44: return SignalFlashingGreen;
        case 0x03: return SignalRedYellow;
        default: return SignalOff;
    }
}

// Signals of the three tram members from the ORed low nibbles of their codes.
struct TramSignals {
    uint8_t first, second, third;
};
inline TramSignals tramSignalsFromNibble(uint8_t nibble) {
    constexpr uint8_t R = SignalRed, G = SignalGreen, O = SignalOff;
    switch (nibble & 0x0F) {
        case 7: return {R, R, R};
        case 9: return {G, R, R};
        case 10: return {R, G, R};
        case 12: return {R, R, G};
        case 11: return {G, G, R};
        case 13: return {G, R, G};
        case 14: return {R, G, G};
        case 15: return {G, G, G};
        default: return {O, O, O};
    }
}

}  // namespace livra::image
