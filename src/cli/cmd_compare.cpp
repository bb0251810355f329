// livra diff: two projects compared offline, as the controller would hold
// them; silent and 0 when equal, so it fits beside version control.
#include <iostream>

#include "check/compare.h"
#include "cli/cli_util.h"

namespace livra::cli {
namespace {

int runDiff(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {}, {});
    if (!p.error().empty()) return usageError("diff", p.error());
    if (p.positional().size() != 2) return usageError("diff", "needs two project files");
    std::unique_ptr<Configuration> sides[2];
    for (int i = 0; i < 2; ++i) {
        const std::string& file = p.positional()[std::size_t(i)];
        sides[i] = loadProjectForReading(file);
        if (!sides[i]) return ExitUsage;
        // What the image would change cannot be compared honestly.
        if (const auto finding = imageFinding(*sides[i])) return usageError("diff", file + ": " + *finding);
    }
    const auto lines = compareConfigurations(*sides[0], *sides[1]);
    for (const auto& line : lines) std::cout << line << '\n';
    std::cout << std::flush;
    return lines.empty() ? ExitOk : ExitFailed;
}

}  // namespace

const std::vector<Command>& compareCommands() {
    static const std::vector<Command> commands = {
        {"diff", "diff A.ptm B.ptm",
         "Compares two projects as the controller would hold them (editor state such as\n"
         "marks and derived fields is not compared) and prints each difference on a line,\n"
         "\"what: A → B\". Needs no controller. Exit 0 equal (nothing printed), 1 different,\n"
         "2 bad usage, an unreadable project or one the controller image cannot carry.\n",
         runDiff},
    };
    return commands;
}

}  // namespace livra::cli
