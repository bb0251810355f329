#include "cli/commands.h"

namespace livra::cli {

const std::vector<Command>& simCommands() {
    static const std::vector<Command> commands;
    return commands;
}

}  // namespace livra::cli
