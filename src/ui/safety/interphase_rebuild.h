#pragma once
// "Перестроить промтакты": the design from phases rebuilds a program's
// interphases. Kept apart from the Qt files (the design's own names clash
// with Qt's keywords).
#include <string>

#include "model/configuration.h"

namespace livra::ui {

// Rebuilds user program `program` (0-based); empty on success, else why not
// (the tables then unchanged).
std::string rebuildProgramInterphases(Configuration& c, int program);

}  // namespace livra::ui
