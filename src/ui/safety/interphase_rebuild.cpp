#include "ui/safety/interphase_rebuild.h"

#include "design/phase_design.h"

namespace livra::ui {

std::string rebuildProgramInterphases(Configuration& c, int program) {
    const auto built = rebuildInterphases(c, program);
    return built.ok() ? std::string() : built.error;
}

}  // namespace livra::ui
