// livra sumo-evaluate: programs measured side by side in SUMO.
#include <nlohmann/json.hpp>

#include <iostream>

#include "app/sumo_evaluation.h"
#include "app/texts.h"
#include "cli/cli_util.h"
#include "sumo/sumo_export.h"

namespace livra::cli {
namespace {

std::optional<int> wholeIn(const std::string& text, int lo, int hi) {
    if (text.empty() || text.size() > 6) return std::nullopt;
    int v = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + (ch - '0');
    }
    if (v < lo || v > hi) return std::nullopt;
    return v;
}

constexpr int kMaxEvaluatedSeconds = 7 * 24 * 3600;

void printJson(const SumoEvaluation& e) {
    nlohmann::ordered_json root;
    root["begin"] = e.begin;
    root["seconds"] = e.seconds;
    nlohmann::ordered_json programs = nlohmann::ordered_json::array();
    auto mean = [](double sum, int n) { return n ? nlohmann::ordered_json(sum / n) : nlohmann::ordered_json(); };
    for (const auto& p : e.programs) {
        nlohmann::ordered_json row;
        row["program"] = p.program + 1;
        row["cycle"] = p.cycle;
        row["vehicles"] = p.trips.vehicles;
        row["timeLoss"] = mean(p.trips.timeLoss, p.trips.vehicles);
        row["waitingTime"] = mean(p.trips.waitingTime, p.trips.vehicles);
        nlohmann::ordered_json approaches = nlohmann::ordered_json::array();
        for (const auto& [edge, a] : p.trips.approaches) {
            nlohmann::ordered_json ap;
            ap["edge"] = edge;
            ap["vehicles"] = a.vehicles;
            ap["timeLoss"] = mean(a.timeLoss, a.vehicles);
            ap["waitingTime"] = mean(a.waitingTime, a.vehicles);
            const auto it = p.saturation.find(edge);
            ap["saturationFlow"] = it == p.saturation.end() ? nlohmann::ordered_json() : nlohmann::ordered_json(it->second);
            approaches.push_back(ap);
        }
        row["approaches"] = approaches;
        row["pedestrians"] = p.trips.pedestrians;
        row["pedestrianWaiting"] = mean(p.trips.pedestrianWaiting, p.trips.pedestrians);
        row["notEntered"] = p.notEntered;
        programs.push_back(row);
    }
    root["programs"] = programs;
    std::cout << root.dump(2) << "\n";
}

int runSumoEvaluate(const GlobalOptions&, const Args& args) {
    const char* usage =
        "usage: livra sumo-evaluate FILE.ptm --net NET.net.xml --routes ROUTES.xml --tls ID --program N "
        "[--program M ...] [--seconds S] [--json]";
    ArgParser p(args, {"--net", "--routes", "--tls", "--program", "--seconds"}, {"--json"});
    if (!p.error().empty()) return usageError("sumo-evaluate", p.error() + "\n" + usage);
    const auto net = p.value("--net"), routes = p.value("--routes"), tls = p.value("--tls");
    if (p.positional().size() != 1 || !net || !routes || !tls || p.values("--program").empty())
        return usageError("sumo-evaluate", usage);
    if (!isValidSumoId(*tls)) return usageError("sumo-evaluate", "--tls needs an id without blanks, quotes, <, > or &");
    SumoEvaluationRequest rq;
    rq.net = *net, rq.routes = *routes, rq.tls = *tls;
    for (const auto& text : p.values("--program")) {
        const auto n = wholeIn(text, FirstUserProgram + 1, ProgramCount);
        if (!n) return usageError("sumo-evaluate", "--program needs a number 4..16 (a user program), not " + text);
        rq.programs.push_back(*n - 1);
    }
    if (const auto s = p.value("--seconds")) {
        const auto v = wholeIn(*s, 1, kMaxEvaluatedSeconds);
        if (!v) return usageError("sumo-evaluate", "--seconds needs 1.." + std::to_string(kMaxEvaluatedSeconds));
        rq.seconds = *v;
    }
    auto c = loadProjectForReading(p.positional()[0]);
    if (!c) return ExitUsage;
    for (int program : rq.programs)
        if (isProgramEmpty(*c, program)) return usageError("sumo-evaluate", "program " + std::to_string(program + 1) + " is empty");
    ConsoleDialogs console;
    const auto r = evaluateInSumo(*c, rq, console);
    if (!r.ok()) {
        std::cerr << "livra sumo-evaluate: " << r.error() << "\n";
        return ExitFailed;
    }
    if (p.has("--json")) {
        printJson(r.value());
    } else {
        for (const auto& line : sumoEvaluationLines(r.value())) std::cout << line << "\n";
    }
    return ExitOk;
}

}  // namespace

const Command& sumoEvaluateCommand() {
    static const Command command{"sumo-evaluate",
         "sumo-evaluate FILE.ptm --net NET.net.xml --routes ROUTES.xml --tls ID --program N [--program M ...] "
         "[--seconds S] [--json]",
         "Runs each program in SUMO (the `sumo` program on PATH) on the net and the\n"
         "demand for S seconds (default 3600) from the demand's first departure, the\n"
         "program exported as sumo-export does and run alone, and prints them side by\n"
         "side: mean time loss and waiting per vehicle, per approach (the edge the\n"
         "vehicles entered on), the pedestrians' waiting where the demand has walkers,\n"
         "the vehicles that could not enter, and each approach's saturation flow as\n"
         "SUMO's vehicles show it (pcu/h of green per lane: discharge over the stop\n"
         "line after the first four vehicles while the queue lasts). --json prints one\n"
         "object. Exit 1 when SUMO is missing or fails.\n",
         runSumoEvaluate};
    return command;
}

}  // namespace livra::cli
