#pragma once
// Which signals a cell of the tact grid may take, by the kind of its
// direction and the kind of its tact. Each allowed set is one variant of the
// signal choice dialog; None opens no dialog.
#include <cstdint>
#include <span>

#include "model/configuration.h"

namespace livra {

enum class SignalVariant { None, A, B, C, D, E, F, G };

// Codes that a tact of this kind and a direction of this kind may show. Kinds
// that no table knows (a damaged file) give None.
SignalVariant allowedSignals(uint8_t directionKind, int32_t tactKind);

// The variant's codes in button order, left to right; empty for None.
std::span<const uint8_t> variantSignals(SignalVariant v);

// 'A' … 'G', '-' for None.
char variantLetter(SignalVariant v);

}  // namespace livra
