// livra simulate, livra plan.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/texts.h"
#include "check/validator.h"
#include "cli/cli_util.h"
#include "model/cp1251.h"
#include "plan/plan_objects.h"
#include "sim/conflict_monitor.h"
#include "sim/simulation.h"

namespace livra::cli {
namespace {

constexpr long kMaxSeconds = 100'000'000;  // a little over three years

// Digits only, at most `maxDigits` of them.
std::optional<long> number(const std::string& s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    long v = 0;
    for (char ch : s) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + (ch - '0');
    }
    return v;
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const auto at = s.find(sep, from);
        parts.push_back(s.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return parts;
        from = at + 1;
    }
}

}  // namespace

bool setClockFromText(SimClock& clock, const std::string& text) {
    const auto blank = text.find(' ');
    if (blank == std::string::npos) return false;
    const auto rest = text.find_first_not_of(' ', blank);
    if (rest == std::string::npos) return false;
    const auto date = split(text.substr(0, blank), '.');
    const auto time = split(text.substr(rest), ':');
    if (date.size() != 3 || time.size() != 3) return false;
    const auto d = number(date[0], 2), mo = number(date[1], 2), y = number(date[2], 4);
    const auto h = number(time[0], 2), mi = number(time[1], 2), s = number(time[2], 2);
    if (!d || !mo || !y || !h || !mi || !s) return false;
    SimClock set = clock;
    if (!setClockDate(set, int(*d), int(*mo), int(*y)) || !setClockTime(set, int(*h), int(*mi), int(*s))) return false;
    clock = set;
    return true;
}

namespace {

struct Press {
    long after;
    int button;
};

int runSimulate(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--start", "--seconds", "--call1", "--call2"}, {});
    if (!p.error().empty()) return usageError("simulate", p.error());
    const char* usage =
        "usage: livra simulate FILE.ptm --start \"DD.MM.YYYY HH:MM:SS\" --seconds N [--call1 K]... [--call2 K]...";
    const auto start = p.value("--start");
    const auto secondsText = p.value("--seconds");
    if (p.positional().size() != 1 || !start || !secondsText) return usageError("simulate", usage);
    const auto seconds = number(*secondsText, 9);
    if (!seconds || *seconds > kMaxSeconds)
        return usageError("simulate", "--seconds needs a whole number 0.." + std::to_string(kMaxSeconds));
    Simulation sim;
    if (!setClockFromText(sim.clock, *start))
        return usageError("simulate", "--start needs a real date and time as \"DD.MM.YYYY HH:MM:SS\", got \"" +
                                          *start + "\"");
    // The printed clock has four year digits, as --start has.
    SimClock last = sim.clock;
    last.seconds += *seconds;
    if (clockFields(last).year > 9999)
        return usageError("simulate", "--seconds runs the clock past 31.12.9999 23:59:59");
    std::vector<Press> presses;
    for (int button : {1, 2}) {
        const std::string option = button == 1 ? "--call1" : "--call2";
        for (const auto& v : p.values(option)) {
            const auto k = number(v, 9);
            if (!k || *k > *seconds)
                return usageError("simulate", option + " needs a number of seconds 0.." + std::to_string(*seconds));
            presses.push_back({*k, button});
        }
    }

    auto config = loadProjectWithSafety(p.positional()[0]);
    if (!config) return ExitUsage;
    VectorErrorList verdict;
    if (validateConfiguration(*config, verdict) != 0) {
        for (const auto& line : verdict.lines) std::cerr << line << "\n";
        std::cerr << kSimulationRefusedText << "\n";
        return ExitFailed;
    }

    // As the simulator window: opened (reset twice around the plan), the
    // clock set, "Пуск" pressed; then one timer second after another.
    const Configuration& c = *config;
    resetSimulation(sim, c);
    resetSimulation(sim, c);
    const int width = simulatedDirectionCount(c);
    // As in the window: a monitor fed every simulated second, its first trip
    // told once the run is over.
    ConflictMonitor monitor;
    std::string out;
    out.reserve(1 << 16);
    auto pressDue = [&](long after) {
        for (const Press& press : presses) {
            if (press.after != after) continue;
            const bool accepted = press.button == 1 ? callTvp1(sim, c) : callTvp2(sim, c);
            if (!accepted)
                std::cerr << "livra simulate: call " << press.button << " after " << after
                          << " s not accepted (no user program in force, no ТВП" << press.button
                          << " input, or its call tact on show)\n";
        }
    };
    for (long second = 0; second < *seconds; ++second) {
        pressDue(second);
        advanceClock(sim.clock);
        out += clockText(sim.clock);
        simulationStep(sim, c, StepTick);
        tickCallDelays(sim.state);
        monitor.observe(c, sim);
        out += '\t';
        out += std::to_string(sim.display.programField);
        out += '\t';
        out += std::to_string(sim.display.tactField);
        out += '\t';
        for (int i = 0; i < width; ++i) {
            if (i) out += ' ';
            out += std::to_string(sim.display.directions[i].signal);
        }
        out += '\n';
        if (out.size() > (1 << 16) - 512) {
            std::cout << out;
            out.clear();
        }
    }
    std::cout << out << std::flush;
    if (monitor.tripped()) std::cerr << kMonitorTrippedLine << monitor.trip().text << "\n";
    return std::cout ? ExitOk : ExitFailed;
}

std::string sizeText(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(v));
    return buf;
}

int runPlan(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {}, {});
    if (!p.error().empty()) return usageError("plan", p.error());
    if (p.positional().size() != 1) return usageError("plan", "usage: livra plan FILE.ptm");
    std::string planBytes;
    auto config = loadProjectForReading(p.positional()[0], &planBytes);
    if (!config) return ExitUsage;
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(planBytes.data()), planBytes.size());

    // As the simulator window opens it: the two special objects, then the file.
    Plan plan;
    createSpecialObjects(plan);
    const PlanLoadReport report = parsePlan(plan, bytes, *config);

    std::cout << "Рисунок плана: " << cp1251ToUtf8(storedPicturePath(bytes)) << "\n";
    if (report.created == 0) {
        std::cout << "Объектов нет\n";
    } else {
        std::cout << "id\tвладелец\tнапр.\tx\ty\tширина\tвысота\tугол\tподпись\n";
        for (const auto& o : plan.planObjects) {
            if (o.id == PlanPictureObjectId || o.id == PointerProbeId) continue;
            const std::string label =
                o.isLabel() ? o.text : labelText(config->DirectionKind[o.direction - 1], o.direction);
            std::cout << o.id << '\t' << o.owner << '\t' << int(o.direction) << '\t' << o.x << '\t' << o.y << '\t'
                      << sizeText(o.width) << '\t' << sizeText(o.height) << '\t' << o.angle << '\t' << label << "\n";
        }
    }
    if (report.dropped > 0) std::cout << "Отброшено записей: " << report.dropped << "\n";
    return ExitOk;
}

}  // namespace

const std::vector<Command>& simCommands() {
    static const std::vector<Command> commands = {
        {"simulate",
         "simulate FILE.ptm --start \"DD.MM.YYYY HH:MM:SS\" --seconds N [--call1 K]... [--call2 K]...",
         "Plays the project's configuration as the simulator window does: the\n"
         "simulation is reset, the simulated clock is set to --start, \"Пуск\" is\n"
         "pressed, and N simulated seconds run. Each second advances the clock, steps\n"
         "the engine and counts the call delays down, and prints one line:\n"
         "\n"
         "  clock TAB program TAB tact TAB signals\n"
         "\n"
         "clock as the window shows it (\"Пн.07.12.2026  05:14:13\"), the program\n"
         "and tact fields of the window, and the signal last handed to each of the\n"
         "directions 1..D separated by blanks, where D is the number of leading\n"
         "directions of a used kind (0: not handed anything yet; a tram's first\n"
         "direction carries the code of its tram head picture).\n"
         "\n"
         "--call1 K, --call2 K (repeatable) press call button 1 / 2 after K seconds\n"
         "have run (K = 0: before the first). A press that the controller would not\n"
         "accept is noted on stderr.\n"
         "\n"
         "A configuration with errors is refused as the window refuses it: the\n"
         "validator's verdict and the refusal go to stderr, exit status 1.\n"
         "The conflict monitor watches every second with the safety file beside the\n"
         "project; its first trip goes to stderr after the run (\"Монитор конфликтов\n"
         "сработал: …\").\n",
         runSimulate},
        {"plan", "plan FILE.ptm",
         "Lists the intersection plan that the project carries: the plan picture\n"
         "named in it, then each signal head and label that the simulator would\n"
         "create from it (id, owner, direction, position, size, angle in degrees,\n"
         "label text). Records that would create nothing (a head whose direction has\n"
         "no head kind any more, a label without its head, damaged records) are\n"
         "counted as dropped.\n",
         runPlan},
    };
    return commands;
}

}  // namespace livra::cli
