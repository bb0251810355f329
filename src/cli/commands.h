#pragma once
// The `livra` commands. Each returns the process exit code: 0 success, 1 the
// operation's own failure, 2 bad usage or an unreadable file.
#include <string>
#include <vector>

namespace livra::cli {

enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

struct GlobalOptions {
    std::string port;  // --port DEVICE: bypasses the cable search
};

using Args = std::vector<std::string>;  // the command's own arguments

struct Command {
    const char* name;
    const char* synopsis;
    const char* help;  // full text of `livra NAME --help`
    int (*run)(const GlobalOptions&, const Args&);
};

// Each group lives in its own file.
const std::vector<Command>& projectCommands();  // new, dump
const std::vector<Command>& imageCommands();    // check, compile, decompile
const std::vector<Command>& linkCommands();     // info, clock, sync, journal, write, verify, read, service
const std::vector<Command>& simCommands();      // simulate, plan
const std::vector<Command>& compareCommands();  // diff
const std::vector<Command>& diagramCommands();  // diagram, report
const std::vector<Command>& safetyCommands();   // safety
const std::vector<Command>& sumoCommands();     // sumo-export, sumo-import
const std::vector<Command>& passportCommands(); // passport
const std::vector<Command>& designCommands();   // design
const std::vector<Command>& timingCommands();   // traffic, timing, sumo-evaluate

}  // namespace livra::cli
