// livra: the configurator's command line.
#include <cstring>
#include <iostream>
#include <new>

#include "cli/commands.h"
#include "livra_version.h"
#include "platform/platform.h"

using namespace livra::cli;

namespace {

std::vector<const Command*> allCommands() {
    std::vector<const Command*> all;
    for (auto* group : {&projectCommands(), &imageCommands(), &linkCommands(), &simCommands(), &compareCommands(),
                        &diagramCommands(), &safetyCommands(), &sumoCommands(), &designCommands(),
                        &timingCommands(), &passportCommands()})
        for (const auto& c : *group) all.push_back(&c);
    return all;
}

void printHelp(std::ostream& out) {
    out << "livra — configurator of the Ливра traffic-light controllers (ДК)\n\n"
           "Usage: livra [--port DEVICE] COMMAND [ARGS]\n\n"
           "Commands:\n";
    for (const Command* c : allCommands()) out << "  " << c->synopsis << "\n";
    out << "\nOptions:\n"
           "  --port DEVICE   use this serial port instead of searching for the cable\n"
           "  --help          this text; `livra COMMAND --help` describes one command\n"
           "  --version       the program's version\n\n"
           "Exit status: 0 success, 1 the operation failed, 2 bad usage or unreadable file.\n";
}

}  // namespace

int main(int argc, char** argv) {
    // File names in UTF-8 on every system (Windows hands over the ANSI code page).
    std::vector<std::string> utf8 = livra::platform::utf8Arguments(argc, argv);
    std::vector<char*> utf8Argv;
    for (auto& a : utf8) utf8Argv.push_back(a.data());
    argv = utf8Argv.data();
    GlobalOptions global;
    int i = 1;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0) {
            if (i + 1 >= argc) {
                std::cerr << "livra: --port needs a device\n";
                return ExitUsage;
            }
            global.port = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            printHelp(std::cout);
            return ExitOk;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "livra " << LIVRA_VERSION << "\n";
            return ExitOk;
        } else {
            break;
        }
    }
    if (i >= argc) {
        printHelp(std::cerr);
        return ExitUsage;
    }
    const std::string name = argv[i];
    Args args(argv + i + 1, argv + argc);
    for (const Command* c : allCommands()) {
        if (name != c->name) continue;
        for (const auto& a : args)
            if (a == "--help" || a == "-h") {
                std::cout << "Usage: livra " << c->synopsis << "\n\n" << c->help;
                return ExitOk;
            }
        // The last line of defence: no input may end the program in an abort.
        try {
            return c->run(global, args);
        } catch (const std::bad_alloc&) {
            std::cerr << "livra " << name << ": not enough memory for this input\n";
            return ExitFailed;
        }
    }
    std::cerr << "livra: unknown command '" << name << "' (see livra --help)\n";
    return ExitUsage;
}
