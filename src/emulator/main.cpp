// livra-emulator: a virtual Ливра controller on a pseudo-terminal. Prints
// the device to open as the first line of stdout and serves it until it is
// interrupted or terminated.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "emulator/virtual_controller.h"
#include "livra_version.h"

#ifndef _WIN32
#include <pthread.h>
#endif

using namespace livra;

namespace {

const char* const kUsage =
    "Usage: livra-emulator [OPTIONS]\n\n"
    "A virtual Ливра controller (ДК) on a pseudo-terminal. The first line of\n"
    "stdout names the device; use it with `livra --port DEVICE ...`.\n\n"
    "Options:\n"
    "  --model N          model number in the identity reply (default 3)\n"
    "  --firmware N       firmware version (default 14)\n"
    "  --class N          compatibility class (default 2; the configurator needs 2)\n"
    "  --corrupt-rate P   damage one bit of a reply with probability P (0..1)\n"
    "  --drop-rate P      leave a request unanswered with probability P (0..1)\n"
    "  --line-rate BAUD   pace the bytes as a serial line of that rate (10 bits a byte)\n"
    "  --seed N           seed of the fault injection (default 1)\n"
    "  --trace FILE       write each received request frame as a line of hex bytes\n"
    "  --state FILE       keep memory, journal and clock across runs (saved on exit)\n"
    "  --apply-ms N       time spent applying a new configuration (default 300)\n"
    "  --clock YYYY-MM-DDTHH:MM:SS   initial clock (default: the computer's)\n"
    "  --help             this text\n"
    "  --version          the program's version\n";

bool parseNumber(const std::string& s, double lo, double hi, double& out) {
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && end && *end == 0 && out >= lo && out <= hi;
}

bool parseClock(const std::string& s, ClockRecord& out) {
    int y, mo, d, h, mi, se;
    char t;
    if (std::sscanf(s.c_str(), "%d-%d-%d%c%d:%d:%d", &y, &mo, &d, &t, &h, &mi, &se) != 7) return false;
    if (y < 2000 || y > 2255 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || se > 59) return false;
    out = clockRecordAt(civilSeconds(y, mo, d, h, mi, se));
    return true;
}

int usage(const std::string& message) {
    std::cerr << "livra-emulator: " << message << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    VirtualControllerOptions options;
    std::string traceFile;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (a == "--version") {
            std::cout << "livra-emulator " << LIVRA_VERSION << "\n";
            return 0;
        }
        if (i + 1 >= argc) return usage("unknown option or missing value: " + a);
        const std::string v = argv[++i];
        double x = 0;
        if (a == "--model" || a == "--firmware" || a == "--class") {
            if (!parseNumber(v, 0, 255, x)) return usage(a + " needs a number 0..255");
            (a == "--model" ? options.model : a == "--firmware" ? options.firmware : options.compatibilityClass) =
                uint8_t(x);
        } else if (a == "--corrupt-rate" || a == "--drop-rate") {
            if (!parseNumber(v, 0, 1, x)) return usage(a + " needs a probability 0..1");
            (a == "--corrupt-rate" ? options.corruptRate : options.dropRate) = x;
        } else if (a == "--line-rate") {
            if (!parseNumber(v, 0, 10'000'000, x)) return usage("--line-rate needs a rate in baud");
            options.lineRate = uint32_t(x);
        } else if (a == "--seed") {
            if (!parseNumber(v, 0, 1e18, x)) return usage("--seed needs a number");
            options.seed = uint64_t(x);
        } else if (a == "--apply-ms") {
            if (!parseNumber(v, 0, 60000, x)) return usage("--apply-ms needs milliseconds");
            options.applyTime = std::chrono::milliseconds(int64_t(x));
        } else if (a == "--clock") {
            ClockRecord c;
            if (!parseClock(v, c)) return usage("--clock needs YYYY-MM-DDTHH:MM:SS");
            options.clock = c;
        } else if (a == "--trace") {
            traceFile = v;
        } else if (a == "--state") {
            options.stateFile = v;
        } else {
            return usage("unknown option " + a);
        }
    }

    std::ofstream trace;
    if (!traceFile.empty()) {
        trace.open(traceFile, std::ios::binary | std::ios::trunc);
        if (!trace) return usage("cannot write the trace file " + traceFile);
        options.trace = &trace;
    }

#ifndef _WIN32
    // The serving thread must not take the stop signals; this thread waits for them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
#endif

    VirtualController controller(options);
    const std::string path = controller.start();
    if (path.empty()) {
        std::cerr << "livra-emulator: " << controller.error() << "\n";
        return 1;
    }
    std::cout << path << std::endl;

#ifndef _WIN32
    int signal = 0;
    sigwait(&stopSignals, &signal);
#endif
    controller.stop();
    if (!controller.saveState()) {
        std::cerr << "livra-emulator: cannot save the state file " << options.stateFile << "\n";
        return 1;
    }
    return 0;
}
