#include "app/sumo_evaluation.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <filesystem>
#include <random>

#include "app/texts.h"
#include "model/files.h"
#include "platform/process.h"
#include "sumo/sumo_export.h"
#include "timing/program_phases.h"
#include "timing/program_timing.h"

namespace livra {
namespace {

using timing::Result;

std::optional<std::string> readText(const std::filesystem::path& p, std::size_t limit) {
    const auto bytes = readWholeFile(p, limit);
    if (!bytes) return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

bool writeText(const std::filesystem::path& p, const std::string& text) {
    return writeFileAtomically(p, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::string escaped(const std::string& s) {
    std::string out;
    for (char ch : s) {
        if (ch == '&') out += "&amp;";
        else if (ch == '<') out += "&lt;";
        else if (ch == '>') out += "&gt;";
        else if (ch == '"') out += "&quot;";
        else out += ch;
    }
    return out;
}

// A scratch folder for one evaluation, removed with it.
struct Scratch {
    std::filesystem::path dir;
    Scratch() {
        std::random_device rd;
        for (int i = 0; i < 100 && dir.empty(); ++i) {
            auto p = std::filesystem::temp_directory_path() / ("livra-sumo-" + std::to_string(rd()));
            std::error_code ec;
            if (std::filesystem::create_directory(p, ec)) dir = p;
        }
    }
    ~Scratch() {
        std::error_code ec;
        if (!dir.empty()) std::filesystem::remove_all(dir, ec);
    }
};

constexpr std::size_t kMaxInput = std::size_t(256) << 20;  // nets and outputs of a city's hour stay far below

}  // namespace

Result<SumoEvaluation> evaluateInSumo(const Configuration& c, const SumoEvaluationRequest& request, UserDialogs& ui) {
    using R = Result<SumoEvaluation>;
    // SUMO runs in a scratch folder: the user's files by their whole path.
    SumoEvaluationRequest rq = request;
    std::error_code ec;
    for (std::string* path : {&rq.net, &rq.routes}) {
        const auto whole = std::filesystem::absolute(pathFromUtf8(*path), ec);
        if (!ec) *path = pathToUtf8(whole);
    }
    if (!platform::findProgram(rq.sumo)) return R::failure(kSumoMissingText);
    for (int p : rq.programs)
        if (p < FirstUserProgram || p >= ProgramCount || isProgramEmpty(c, p))
            return R::failure(kSumoNoProgramText + std::to_string(p + 1));
    const auto net = readText(pathFromUtf8(rq.net), kMaxInput);
    if (!net) return R::failure(std::string(kSumoOutputText) + rq.net);
    const auto lanes = evaluation::parseSignalledLanes(*net, rq.tls);
    if (!lanes.ok()) return R::failure(rq.net + ": " + lanes.error());
    const auto routes = readText(pathFromUtf8(rq.routes), kMaxInput);
    if (!routes) return R::failure(std::string(kSumoOutputText) + rq.routes);
    const auto begin = evaluation::parseDemandBegin(*routes);
    if (!begin.ok()) return R::failure(rq.routes + ": " + begin.error());

    Scratch scratch;
    if (scratch.dir.empty()) return R::failure(std::string(kSumoOutputText) + "временная папка");
    const auto& dir = scratch.dir;
    std::string detectors = "<additional>\n";
    for (const auto& l : lanes.value()) {
        char pos[32];
        std::snprintf(pos, sizeof pos, "%.2f", std::max(0.0, l.length - 0.5));
        detectors += "    <instantInductionLoop id=\"" + escaped(evaluation::kDetectorPrefix + l.lane) + "\" lane=\"" +
                     escaped(l.lane) + "\" pos=\"" + pos + "\" file=\"detectors.xml\"/>\n";
    }
    detectors += "    <timedEvent type=\"SaveTLSSwitchTimes\" source=\"" + escaped(rq.tls) + "\" dest=\"switches.xml\"/>\n";
    detectors += "</additional>\n";
    if (!writeText(dir / "detectors.add.xml", detectors)) return R::failure(std::string(kSumoOutputText) + "detectors.add.xml");

    SumoEvaluation e;
    e.begin = begin.value();
    e.seconds = rq.seconds;
    const SumoAdditional all = buildSumoExport(c, rq.tls);
    const std::size_t total = rq.programs.size() * std::size_t(rq.seconds);
    ui.exchangeBegin();
    for (std::size_t k = 0; k < rq.programs.size(); ++k) {
        const int program = rq.programs[k];
        SumoAdditional one;
        for (const SumoTlLogic& l : all.tlLogics)
            if (l.programId == sumoProgramId(program + 1)) one.tlLogics.push_back(l);
        // SUMO runs the program loaded last; no calendar switches it away.
        if (!saveSumoExport(one, pathToUtf8(dir / "program.add.xml"), "evaluation")) {
            ui.exchangeEnd();
            return R::failure(std::string(kSumoOutputText) + "program.add.xml");
        }
        char b[32], end[32];
        std::snprintf(b, sizeof b, "%.2f", e.begin);
        std::snprintf(end, sizeof end, "%.2f", e.begin + rq.seconds);
        const std::vector<std::string> args{"-n", rq.net, "-r", rq.routes, "-a",
                                            pathToUtf8(dir / "program.add.xml") + "," + pathToUtf8(dir / "detectors.add.xml"),
                                            "-b", b, "-e", end, "--tripinfo-output", "trips.xml",
                                            "--tripinfo-output.write-unfinished", "--summary-output", "summary.xml",
                                            "--step-log.period", "60", "--no-warnings"};
        const auto run = platform::runProcess(rq.sumo, args, dir, [&](const std::string& out, const std::string& err) {
            const auto step = evaluation::lastLoggedStep(out.size() > 4096 ? std::string_view(out).substr(out.size() - 4096) : out);
            (void)err;
            if (step) {
                const double done = std::clamp(*step - e.begin, 0.0, double(rq.seconds));
                ui.exchangeProgress(k * std::size_t(rq.seconds) + std::size_t(done), total);
            }
            return !ui.cancelRequested();
        });
        if (!run.started) {
            ui.exchangeEnd();
            return R::failure(kSumoMissingText);
        }
        if (run.cancelled) {
            ui.exchangeEnd();
            return R::failure(kSumoCancelledText);
        }
        if (run.exitCode != 0) {
            ui.exchangeEnd();
            std::string why = run.err;
            while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
            return R::failure(kSumoFailedText + std::to_string(run.exitCode) + (why.empty() ? "" : "\n" + why));
        }
        ProgramEvaluation pe;
        pe.program = program;
        pe.cycle = timing::readProgramPhases(c, program).cycle;
        const auto trips = readText(dir / "trips.xml", kMaxInput);
        const auto summary = readText(dir / "summary.xml", kMaxInput);
        const auto det = readText(dir / "detectors.xml", kMaxInput);
        const auto sw = readText(dir / "switches.xml", kMaxInput);
        if (!trips || !summary || !det || !sw) {
            ui.exchangeEnd();
            return R::failure(std::string(kSumoOutputText) + pathToUtf8(dir));
        }
        auto t = evaluation::parseTripinfo(*trips, e.begin, e.begin + rq.seconds);
        auto s = evaluation::parseSummaryBacklog(*summary);
        auto f = evaluation::parseSaturationFlows(*det, *sw);
        if (!t.ok() || !s.ok() || !f.ok()) {
            ui.exchangeEnd();
            return R::failure(std::string(kSumoOutputText) + (!t.ok() ? t.error() : !s.ok() ? s.error() : f.error()));
        }
        pe.trips = t.value();
        pe.notEntered = s.value();
        std::map<std::string, std::pair<double, int>> perEdge;
        for (const auto& [lane, flow] : f.value()) {
            const size_t us = lane.rfind('_');
            auto& acc = perEdge[us == std::string::npos ? lane : lane.substr(0, us)];
            acc.first += flow, ++acc.second;
        }
        for (const auto& [edge, acc] : perEdge) pe.saturation[edge] = acc.first / acc.second;
        e.programs.push_back(std::move(pe));
    }
    ui.exchangeProgress(total, total);
    ui.exchangeEnd();
    return e;
}

std::vector<std::string> sumoEvaluationLines(const SumoEvaluation& e) {
    using timing::decimal;
    std::vector<std::string> lines;
    auto mean = [](double sum, int n) { return n ? decimal(sum / n, 1) : std::string("—"); };
    auto row = [&](const std::string& label, const std::function<std::string(const ProgramEvaluation&)>& cell) {
        std::string line = label;
        for (const auto& p : e.programs) line += "\t" + cell(p);
        lines.push_back(line);
    };
    row("Программа", [](const ProgramEvaluation& p) { return std::to_string(p.program + 1); });
    row("Цикл, с", [](const ProgramEvaluation& p) { return std::to_string(p.cycle); });
    row("Автомобилей", [](const ProgramEvaluation& p) { return std::to_string(p.trips.vehicles); });
    row("Потеря времени, с/авт", [&](const ProgramEvaluation& p) { return mean(p.trips.timeLoss, p.trips.vehicles); });
    row("Ожидание, с/авт", [&](const ProgramEvaluation& p) { return mean(p.trips.waitingTime, p.trips.vehicles); });
    std::vector<std::string> edges;
    for (const auto& p : e.programs)
        for (const auto& [edge, a] : p.trips.approaches)
            if (std::find(edges.begin(), edges.end(), edge) == edges.end()) edges.push_back(edge);
    for (const std::string& edge : edges) {
        auto approach = [&](const ProgramEvaluation& p) {
            const auto it = p.trips.approaches.find(edge);
            return it == p.trips.approaches.end() ? evaluation::Approach{} : it->second;
        };
        row("Подход " + edge + ": потеря / ожидание, с",
            [&](const ProgramEvaluation& p) { return mean(approach(p).timeLoss, approach(p).vehicles) + " / " + mean(approach(p).waitingTime, approach(p).vehicles); });
        row("Подход " + edge + ": насыщение, ед/ч на полосу", [&](const ProgramEvaluation& p) {
            const auto it = p.saturation.find(edge);
            return it == p.saturation.end() ? std::string("—") : std::to_string(int(it->second + 0.5));
        });
    }
    bool walkers = false;
    for (const auto& p : e.programs) walkers = walkers || p.trips.pedestrians > 0;
    if (walkers)
        row("Пешеходы: ожидание, с/чел", [&](const ProgramEvaluation& p) { return mean(p.trips.pedestrianWaiting, p.trips.pedestrians); });
    row("Не въехали в сеть", [](const ProgramEvaluation& p) { return std::to_string(p.notEntered); });
    return lines;
}

}  // namespace livra
