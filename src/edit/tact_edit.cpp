#include "edit/tact_edit.h"

#include <algorithm>
#include <cstdint>

namespace livra {

namespace {

bool editable(int program, int tact) {
    return isUserProgram(program) && tact >= 0 && tact < TactCount;
}

void clearTact(Configuration& c, int program, int tact) {
    c.TactTable[program][tact] = Tact{};
    c.TactSignals[program][tact].fill(SignalNotSet);
}

// Moves tacts from..TactCount-2 one place on and empties `from`.
void openGap(Configuration& c, int program, int from) {
    auto& tacts = c.TactTable[program];
    auto& signals = c.TactSignals[program];
    std::move_backward(tacts.begin() + from, tacts.end() - 1, tacts.end());
    std::move_backward(signals.begin() + from, signals.end() - 1, signals.end());
    clearTact(c, program, from);
}

TactEditResult insertAt(Configuration& c, int program, int at) {
    if (c.TactTable[program][TactCount - 1].kind != TactEmpty) return TactEditResult::TableFull;
    if (at < TactCount) openGap(c, program, at);
    return TactEditResult::Done;
}

}  // namespace

bool isUserProgram(int program) { return program >= FirstUserProgram && program < ProgramCount; }

TactEditResult insertTactBefore(Configuration& c, int program, int tact) {
    if (!editable(program, tact)) return TactEditResult::Refused;
    return insertAt(c, program, tact);
}

TactEditResult insertTactAfter(Configuration& c, int program, int tact) {
    if (!editable(program, tact)) return TactEditResult::Refused;
    return insertAt(c, program, tact + 1);
}

TactEditResult deleteTact(Configuration& c, int program, int tact) {
    if (!editable(program, tact)) return TactEditResult::Refused;
    auto& tacts = c.TactTable[program];
    auto& signals = c.TactSignals[program];
    std::move(tacts.begin() + tact + 1, tacts.end(), tacts.begin() + tact);
    std::move(signals.begin() + tact + 1, signals.end(), signals.begin() + tact);
    clearTact(c, program, TactCount - 1);
    return TactEditResult::Done;
}

TactEditResult clearProgram(Configuration& c, int program) {
    if (!isUserProgram(program)) return TactEditResult::Refused;
    for (int t = 0; t < TactCount; ++t) clearTact(c, program, t);
    return TactEditResult::Done;
}

bool copyProgram(Configuration& c, int source) {
    const int target = c.CurrentProgram;
    if (!isUserProgram(target)) return false;
    c.Modified = 1;
    if (source < 0 || source >= ProgramCount || source == target) return true;
    c.TactTable[target] = c.TactTable[source];
    c.TactSignals[target] = c.TactSignals[source];
    return true;
}

int32_t parseTimeField(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    return int32_t(value);
}

TactPropertiesResult applyTactProperties(Configuration& c, int program, int tact, const TactPropertiesInput& in) {
    TactPropertiesResult r;
    if (!editable(program, tact)) return r;
    const int32_t k = in.kindIndex >= 0 && in.kindIndex <= 3 ? in.kindIndex + 1 : TactEmpty;
    const int32_t m = parseTimeField(in.tMin);
    const int32_t n = parseTimeField(in.tMain);
    if (n > 255) r.messages.emplace_back(kMainTimeTooLong);
    if (n == 0) r.messages.emplace_back(kMainTimeZero);
    if (k == TactPhase) {
        if (m > 255) r.messages.emplace_back(kMinTimeTooLong);
        if (m == 0) r.messages.emplace_back(kMinTimeZero);
        if (m > n) r.messages.emplace_back(kMinAboveMain);
    }
    if (!r.messages.empty()) return r;
    Tact& t = c.TactTable[program][tact];
    if (k != t.kind) c.TactSignals[program][tact].fill(SignalNotSet);
    t.kind = k;
    t.tMin = m;
    t.tMain = n;
    r.stored = true;
    return r;
}

}  // namespace livra
