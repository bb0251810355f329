#pragma once
// A program at a glance, for the program selector and the programs tab: its
// cycle, its tact count and whether the calendar switches to it.
#include "model/configuration.h"

namespace livra {

struct ProgramSummary {
    int cycle = 0;            // seconds: the main times of the phases and intermediate tacts
    int tacts = 0;            // tacts of any kind, up to the last one used
    bool inCalendar = false;  // some day's entry switches to it
};
ProgramSummary summarizeProgram(const Configuration& c, int program);

// The Russian count form of a number: 0 for "1 такт", 1 for "2 такта", 2 for
// "5 тактов" (11..14 take the last).
int countForm(int n);

}  // namespace livra
