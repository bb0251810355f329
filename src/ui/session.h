#pragma once
// What the desktop program holds while it runs: the configuration, the link
// (serial ports, or the virtual controller started in-process) and the main
// window, set up in the order the start-up needs.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/configuration.h"

namespace livra {
struct SimulatorMemory;
}

namespace livra::ui {

class MainWindow;

struct StartOptions {
    std::string port;               // --port DEVICE: use it instead of the cable search
    bool virtualController = false; // --virtual-controller
    bool quitAfterShow = false;     // --quit-after-show: for start-up timing
    std::string project;            // optional project file to open
};

inline constexpr const char* kUsage =
    "usage: livra-configurator [--port DEVICE | --virtual-controller] [PROJECT.ptm]\n"
    "  --port DEVICE         talk to the controller on this serial device\n"
    "  --virtual-controller  start a virtual controller in-process and use it\n"
    "  --quit-after-show     print the start-up time and quit (for timing)\n";

// Nothing and a message when the arguments are wrong; "help" for --help.
std::optional<StartOptions> parseCommandLine(const std::vector<std::string>& args, std::string& error);

class Session {
public:
    explicit Session(StartOptions options);
    ~Session();

    // Link set-up, main window shown, left-over plan file removed, the
    // command-line project opened, refresh started. False when the virtual
    // controller could not be started (the message has been shown).
    bool start();

    Configuration& configuration() { return *config_; }
    MainWindow& window() { return *window_; }
    const std::string& controllerPort() const;

private:
    struct Link;
    StartOptions options_;
    std::string placeFile_;  // where the window's size and place are kept
    std::unique_ptr<Configuration> config_;
    std::unique_ptr<Link> link_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<SimulatorMemory> simulator_;  // clock and pickers kept between openings
};

}  // namespace livra::ui
