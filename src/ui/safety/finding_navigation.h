#pragma once
// A double-click on a finding in the error list leads to the tact to mend:
// the program shown, the tact selected and scrolled into view (for an
// intergreen cut short, the first tact of the short interphase).
#include <functional>

#include "check/safety_check.h"
#include "model/configuration.h"

class QListWidget;

namespace livra::ui {

class ProgramsTab;

// The program and tact a finding's line leads to; false for a line that is
// no finding of `report` or names no tact (a conflict without an intergreen).
bool findingTact(const SafetyReport& report, const std::string& line, int& program, int& tact);

// `showPrograms` brings the programs tab forward before the tact is shown.
void connectFindingNavigation(QListWidget* list, const SafetyReport& report, Configuration& c, ProgramsTab& tab,
                              std::function<void()> showPrograms);

}  // namespace livra::ui
