#include "edit/program_summary.h"

#include "edit/tact_clipboard.h"

namespace livra {

ProgramSummary summarizeProgram(const Configuration& c, int program) {
    ProgramSummary s;
    if (program < 0 || program >= ProgramCount) return s;
    s.tacts = usedTactCount(c, program);
    for (int t = 0; t < s.tacts; ++t) {
        const Tact& tact = c.TactTable[program][t];
        if (tact.kind == TactPhase || tact.kind == TactIntermediate) s.cycle += tact.tMain;
    }
    for (const CalendarDay& day : c.Calendar)
        for (const CalendarEntry& e : day)
            if (!e.empty() && e.program == program + 1) s.inCalendar = true;
    return s;
}

int countForm(int n) {
    const int tens = n % 100, ones = n % 10;
    if (tens >= 11 && tens <= 14) return 2;
    if (ones == 1) return 0;
    if (ones >= 2 && ones <= 4) return 1;
    return 2;
}

}  // namespace livra
