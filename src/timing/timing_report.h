#pragma once
// The report's page "Расчёт режима" of one program, as text for any
// renderer: the counts, the result (Y, L, C0, C, the mean delay and what
// was said), the phases' greens and each direction's x and delay.
#include <string>
#include <vector>

#include "model/configuration.h"

namespace livra::timing {

struct TimingReportPage {
    int program = 0;                              // 0-based
    std::string title;                            // "Расчёт режима: программа 4"
    std::vector<std::string> summary;             // "Y = 0,372   L = 18 с   C0 = 51 с   C = 51 с", …
    std::vector<std::vector<std::string>> phases;      // header row, then one per phase
    std::vector<std::vector<std::string>> directions;  // header row, then one per direction
};

// One page per user program that has counts; a program whose counts give
// no timing says why in its summary and has no tables.
std::vector<TimingReportPage> timingReportPages(const Configuration& c);

}  // namespace livra::timing
