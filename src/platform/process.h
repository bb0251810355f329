#pragma once
// Running another program (SUMO) with both outputs captured, one file per
// platform behind this header.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace livra::platform {

struct ProcessOutcome {
    bool started = false;    // false: the program could not be run at all
    bool cancelled = false;  // stopped because `keepGoing` said so
    int exitCode = -1;
    std::string out, err;
};

// Runs `program` (a path, or a name looked up in PATH) with `args` in
// `workdir` (the current folder when empty). `keepGoing` is asked about every
// 100 ms and whenever output arrives, with what stdout and stderr hold so
// far; false stops the program and returns with `cancelled`.
ProcessOutcome runProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::filesystem::path& workdir = {},
                          const std::function<bool(const std::string& out, const std::string& err)>& keepGoing = {});

// The program's full path when `name` is found in PATH (or is a path to an
// existing file); nothing otherwise.
std::optional<std::filesystem::path> findProgram(const std::string& name);

}  // namespace livra::platform
