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
    object = ObjectData{};
    project = {};
    sumoMap.clear();
    traffic.clear();
}

void SafetyData::deleteDirection(int d) {
    if (d < 0 || d >= DirectionCount) return;
    sumoMap.deleteDirection(d);
    auto dropBit = [d](std::bitset<DirectionCount>& row) {
        std::bitset<DirectionCount> low = row, high = row;
        for (int i = d; i < DirectionCount; ++i) low.reset(i);
        for (int i = 0; i <= d; ++i) high.reset(i);
        row = low | (high >> 1);
    };
    auto dropRows = [d](auto& rows, auto empty) {
        for (int i = d; i < DirectionCount - 1; ++i) rows[i] = rows[i + 1];
        rows[DirectionCount - 1] = empty;
    };
    for (auto* m : {&conflict, &proposed}) {
        dropRows(*m, std::bitset<DirectionCount>{});
        for (auto& row : *m) dropBit(row);
    }
    std::array<int16_t, DirectionCount> unset;
    unset.fill(IntergreenNotSet);
    dropRows(intergreen, unset);
    for (auto& row : intergreen) {
        for (int i = d; i < DirectionCount - 1; ++i) row[i] = row[i + 1];
        row[DirectionCount - 1] = IntergreenNotSet;
    }
    std::map<std::pair<int, int>, IntergreenInputs> inputs;
    for (const auto& [pair, in] : calculatorInputs) {
        if (pair.first == d || pair.second == d) continue;
        inputs[{pair.first > d ? pair.first - 1 : pair.first, pair.second > d ? pair.second - 1 : pair.second}] = in;
    }
    calculatorInputs = std::move(inputs);
    dropRows(writtenKinds, uint8_t(0));
    object.deleteDirection(d);
    traffic.deleteDirection(d);
}

}  // namespace livra
