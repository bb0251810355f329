// livra traffic, livra timing: the traffic counts beside a project and the
// program timed from them.
#include <nlohmann/json.hpp>

#include <iostream>

#include "cli/cli_util.h"
#include "model/files.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "timing/program_timing.h"
#include "timing/traffic_edit.h"

namespace livra::cli {
namespace {

using timing::TrafficField;

constexpr int kMinFixedCycle = 10;
constexpr int kMaxFixedCycle = 255;

std::optional<int> userProgram(const std::optional<std::string>& text) {
    if (!text || text->empty() || text->size() > 2) return std::nullopt;
    int v = 0;
    for (char ch : *text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + (ch - '0');
    }
    if (v < FirstUserProgram + 1 || v > ProgramCount) return std::nullopt;
    return v - 1;
}

std::optional<int> directionNumber(const std::string& text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    int v = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + (ch - '0');
    }
    if (v < 1 || v > DirectionCount) return std::nullopt;
    return v - 1;
}

void printTraffic(const Configuration& c, int program) {
    const auto& dirs = c.Safety.traffic.programs[program].directions;
    if (dirs.empty()) {
        std::cout << "Интенсивности для программы " << program + 1 << " не заданы\n";
        return;
    }
    std::cout << "Программа " << program + 1 << ": интенсивности движения\n";
    for (const auto& [d, t] : dirs) {
        if (c.DirectionKind[d] == DirPedestrian)
            std::cout << "Напр. " << d + 1 << " (пешеходное): переход " << timing::decimal(t.crossingLength, 1)
                      << " м, скорость " << timing::decimal(t.walkingSpeed, 1) << " м/с\n";
        else
            std::cout << "Напр. " << d + 1 << ": " << t.flow << " ед/ч, полос " << t.lanes << ", поток насыщения "
                      << t.laneSaturation << " ед/ч на полосу (" << t.saturation() << " всего)\n";
    }
}

bool writeSafety(const Configuration& c, const std::string& project) {
    const std::string file = safetyFileNameFor(project);
    const std::string text = safetyJson(c.Safety, c);
    if (!writeFileAtomically(pathFromUtf8(file),
                             std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()))) {
        reportFileError(file, "Не удалось записать файл данных безопасности.");
        return false;
    }
    std::cout << "Записано: " << file << "\n";
    return true;
}

int runTraffic(const GlobalOptions&, const Args& args) {
    const char* usage =
        "usage: livra traffic FILE.ptm --program N [--flow DIR Q] [--lanes DIR K] [--saturation DIR S]\n"
        "       [--crossing DIR METRES] [--walking DIR M/S] [--clear] ...";
    struct Edit {
        TrafficField field;
        std::string direction, value;
    };
    std::string project;
    std::optional<std::string> programText;
    bool clear = false;
    std::vector<Edit> edits;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::optional<TrafficField> field;
        if (a == "--clear") {
            clear = true;
            continue;
        }
        if (a == "--program") {
            if (i + 1 >= args.size()) return usageError("traffic", "--program needs a number 4..16");
            programText = args[++i];
            continue;
        }
        if (a == "--flow") field = TrafficField::Flow;
        else if (a == "--lanes") field = TrafficField::Lanes;
        else if (a == "--saturation") field = TrafficField::LaneSaturation;
        else if (a == "--crossing") field = TrafficField::Crossing;
        else if (a == "--walking") field = TrafficField::WalkingSpeed;
        else if (a.rfind("--", 0) == 0) return usageError("traffic", "unknown option " + a + "\n" + usage);
        else if (project.empty()) {
            project = a;
            continue;
        } else {
            return usageError("traffic", "unexpected argument " + a + "\n" + usage);
        }
        if (i + 2 >= args.size()) return usageError("traffic", a + " needs a direction and a value");
        edits.push_back({*field, args[i + 1], args[i + 2]});
        i += 2;
    }
    if (project.empty() || !programText) return usageError("traffic", usage);
    const auto program = userProgram(programText);
    if (!program) return usageError("traffic", "--program needs a number 4..16 (a user program)");

    auto c = loadProjectForReading(project);
    if (!c) return ExitUsage;
    if (!loadSafetyForCommand(*c, project)) return ExitUsage;
    if (edits.empty() && !clear) {
        printTraffic(*c, *program);
        return ExitOk;
    }
    if (clear) c->Safety.traffic.programs[*program] = {};
    for (const Edit& e : edits) {
        const auto d = directionNumber(e.direction);
        if (!d) return usageError("traffic", "direction 1..63, not " + e.direction);
        const auto r = timing::setTrafficField(*c, *program, *d, e.field, e.value);
        if (!r.ok()) return usageError("traffic", r.error());
    }
    if (!writeSafety(*c, project)) return ExitFailed;
    printTraffic(*c, *program);
    return ExitOk;
}

nlohmann::json optionalNumber(const std::optional<double>& v) { return v ? nlohmann::json(*v) : nlohmann::json(); }

void printPlanJson(const timing::TimingPlan& plan) {
    nlohmann::ordered_json root;
    root["program"] = plan.program + 1;
    root["Y"] = plan.Y;
    root["lostTime"] = plan.lostTime;
    root["cycle0"] = plan.cycle0;
    root["cycle"] = plan.cycle;
    nlohmann::ordered_json phases = nlohmann::ordered_json::array();
    for (const auto& p : plan.phases) {
        nlohmann::ordered_json row;
        row["tact"] = p.tact + 1;
        nlohmann::ordered_json dirs = nlohmann::ordered_json::array();
        for (int d : p.directions) dirs.push_back(d + 1);
        row["directions"] = dirs;
        row["y"] = p.y;
        row["green"] = p.green;
        phases.push_back(row);
    }
    root["phases"] = phases;
    nlohmann::ordered_json dirs = nlohmann::ordered_json::array();
    for (const auto& d : plan.directions) {
        if (d.pedestrian) continue;
        nlohmann::ordered_json row;
        row["number"] = d.direction + 1;
        row["flow"] = d.flow;
        row["saturation"] = d.saturation;
        row["x"] = optionalNumber(d.x);
        row["delay"] = optionalNumber(d.delay);
        dirs.push_back(row);
    }
    root["directions"] = dirs;
    root["meanDelay"] = optionalNumber(plan.meanDelay);
    std::cout << root.dump(2) << "\n";
}

void printPlanText(const timing::TimingPlan& plan) {
    using timing::decimal;
    std::cout << "Программа " << plan.program + 1 << "\n";
    for (const auto& p : plan.phases) {
        std::cout << "Фаза, такт " << p.tact + 1 << ": напр.";
        for (size_t i = 0; i < p.directions.size(); ++i) std::cout << (i ? ", " : " ") << p.directions[i] + 1;
        std::cout << "; y = " << decimal(p.y, 3) << "; зелёный " << p.green << " с (мин. " << p.minGreen << " с)\n";
    }
    std::cout << "Y = " << decimal(plan.Y, 3) << "; L = " << plan.lostTime << " с; C0 = " << plan.cycle0
              << " с; C = " << plan.cycle << " с\n";
    for (const auto& d : plan.directions) {
        std::cout << "Напр. " << d.direction + 1;
        if (d.pedestrian) {
            std::cout << " (пешеходное): зелёный " << d.green << " с\n";
            continue;
        }
        std::cout << ": q = " << d.flow << ", s = " << d.saturation << ", зелёный " << d.green << " с, x = "
                  << (d.x ? decimal(*d.x, 2) : "—") << ", задержка " << (d.delay ? decimal(*d.delay, 1) + " с" : "—")
                  << "\n";
    }
    std::cout << "Средняя задержка: " << (plan.meanDelay ? decimal(*plan.meanDelay, 1) + " с" : "—") << "\n";
    for (const auto& n : plan.notes) std::cout << n << "\n";
}

int runTiming(const GlobalOptions&, const Args& args) {
    const char* usage = "usage: livra timing FILE.ptm --program N [--cycle C] [--apply] [--json]";
    ArgParser p(args, {"--program", "--cycle"}, {"--apply", "--json"});
    if (!p.error().empty()) return usageError("timing", p.error() + "\n" + usage);
    if (p.positional().size() != 1 || !p.value("--program")) return usageError("timing", usage);
    const auto program = userProgram(p.value("--program"));
    if (!program) return usageError("timing", "--program needs a number 4..16 (a user program)");
    std::optional<int> cycle;
    if (const auto text = p.value("--cycle")) {
        int n = 0;
        bool good = !text->empty() && text->size() <= 3;
        for (char ch : *text) good = good && ch >= '0' && ch <= '9', n = n * 10 + (ch - '0');
        if (!good || n < kMinFixedCycle || n > kMaxFixedCycle)
            return usageError("timing", "--cycle needs seconds " + std::to_string(kMinFixedCycle) + ".." +
                                            std::to_string(kMaxFixedCycle));
        cycle = n;
    }
    const std::string& project = p.positional()[0];
    std::string plan;
    auto c = loadProjectForReading(project, &plan);
    if (!c) return ExitUsage;
    if (!loadSafetyForCommand(*c, project)) return ExitUsage;
    recomputeDerivedTactFields(*c, *program);
    const auto r = timing::computeTiming(*c, *program, cycle);
    if (!r.ok()) {
        std::cerr << "livra timing: " << r.error() << "\n";
        return ExitFailed;
    }
    if (p.has("--json")) printPlanJson(r.value());
    else printPlanText(r.value());
    if (!p.has("--apply")) return ExitOk;
    timing::applyTiming(*c, r.value());
    const std::span<const uint8_t> planBytes(reinterpret_cast<const uint8_t*>(plan.data()), plan.size());
    const ProjectResult saved = saveProjectWithPlan(*c, project, planBytes);
    if (!saved.ok()) {
        reportFileError(project, saved.message);
        return ExitFailed;
    }
    if (!p.has("--json")) std::cout << "Записано: " << project << "\n";
    return ExitOk;
}

}  // namespace

// In its own file: the measurement in SUMO.
const Command& sumoEvaluateCommand();

const std::vector<Command>& timingCommands() {
    static const std::vector<Command> commands{
        {"traffic",
         "traffic FILE.ptm --program N [--flow DIR Q] [--lanes DIR K] [--saturation DIR S] [--crossing DIR METRES] "
         "[--walking DIR M/S] [--clear]",
         "Edits the traffic counts of user program N (4..16) in the safety file beside\n"
         "the project; without edits prints them. --flow is the direction's flow in\n"
         "pcu/h (a car 1, a lorry or a bus 2; docs/timing.md), 0..10000; --lanes 1..8;\n"
         "--saturation one lane's saturation flow in pcu/h of green, 100..3000\n"
         "(default 1800), the direction's is that × lanes; --crossing the length of a\n"
         "pedestrian direction's crossing in metres, 0..100; --walking the walkers'\n"
         "speed, 0.5..3 m/s (default 1.3). --clear first drops the program's counts.\n"
         "Several options at once; exit 2 on a bad value, nothing written.\n",
         runTraffic},
        {"timing", "timing FILE.ptm --program N [--cycle C] [--apply] [--json]",
         "Times user program N from its traffic counts (Webster): per phase the\n"
         "critical flow ratio y and the green; Y, the lost time L (the program's\n"
         "\"Промтакт\" tacts), C0 = (1.5·L + 5)/(1 − Y) rounded up, the cycle C held to\n"
         "25..120 s and raised with the minimum greens; per direction x and the delay,\n"
         "and the flow-weighted mean delay. --cycle C splits that cycle instead\n"
         "(10..255 s). --apply writes the phases' Т осн and Т мин and saves the\n"
         "project. --json prints one object with program, Y, lostTime, cycle0, cycle,\n"
         "phases, directions and meanDelay.\n"
         "Exit 1 when no timing follows from the data (no flows, Y ≥ 1).\n",
         runTiming},
        sumoEvaluateCommand(),
    };
    return commands;
}

}  // namespace livra::cli
