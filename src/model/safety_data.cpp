#include "model/safety_data.h"

namespace livra {

void SafetyData::clear() {
    defined = false;
    for (auto& row : conflict) row.reset();
    for (auto& row : proposed) row.reset();
    for (auto& row : intergreen) row.fill(IntergreenNotSet);
    calculatorInputs.clear();
    rules = SafetyRules{};
    writtenKinds.fill(0);
}

}  // namespace livra
