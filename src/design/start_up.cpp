#include "design/start_up.h"

#include <algorithm>
#include <memory>

#include "check/safety_check.h"

namespace livra {

namespace {

constexpr int kFlashingYellowProgram = 1;  // program 2, ЖМ
constexpr int kDarkProgram = 2;            // program 3, ОС

bool seamFinding(const SafetyReport& r, int program) {
    return std::any_of(r.findings.begin(), r.findings.end(), [&](const SafetyFinding& f) {
        return f.program == program && (f.rule == SafetyRule::SeamToGreen || f.rule == SafetyRule::SeamIntergreen ||
                                        f.rule == SafetyRule::SeamFromGreen);
    });
}

}  // namespace

bool calendarMeetsFlashingOrDark(const Configuration& c, int program) {
    for (const auto& [from, to] : calendarSwitches(c)) {
        const int other = from == program ? to : to == program ? from : -1;
        if (other == kFlashingYellowProgram || other == kDarkProgram) return true;
    }
    return false;
}

PhaseDesign withStartUp(const Configuration& c, int program, PhaseDesign design, std::string& said) {
    said.clear();
    if (design.phases.empty() || design.phases.front().directions.empty()) return design;
    if (!c.Safety.defined || !calendarMeetsFlashingOrDark(c, program)) return design;
    // The seams are the safety check's rules: no start-up where it finds
    // nothing at them as designed, else the shortest all-red phase with
    // which it finds nothing.
    auto trial = std::make_unique<Configuration>(c);
    if (!applyDesign(*trial, program, design).ok() || !seamFinding(checkSafety(*trial, trial->Safety), program))
        return design;
    PhaseDesign withAllRed = design;
    withAllRed.phases.insert(withAllRed.phases.begin(), Phase{{}, 1, 1});
    for (auto& call : withAllRed.calls)
        if (call) ++call->after;
    for (int seconds = 1; seconds <= kMaxStartUpSeconds; ++seconds) {
        withAllRed.phases.front().tMin = withAllRed.phases.front().tMain = seconds;
        *trial = c;
        if (!applyDesign(*trial, program, withAllRed).ok()) return design;  // the design says why itself
        if (seamFinding(checkSafety(*trial, trial->Safety), program)) continue;
        said = "Добавлена фаза «все красные» " + std::to_string(seconds) +
               " с в начало цикла: календарь переключает программу " + std::to_string(program + 1) +
               " с ЖМ или ОС или на них";
        return withAllRed;
    }
    return design;
}

}  // namespace livra
