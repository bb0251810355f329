#include "evaluation/sumo_outputs.h"

#include <algorithm>

#include "evaluation/xml_scan.h"

namespace livra::evaluation {
namespace {

// Times and durations of a run stay far below this; anything above is damage.
constexpr double kMaxSeconds = 1e8;

struct Bad {
    std::string what;
};

double numberIn(const XmlAttributes& a, std::string_view name, double lo, double hi, bool required = true,
                double otherwise = 0) {
    const std::string* text = a.find(name);
    if (!text) {
        if (required) throw Bad{"нет атрибута " + std::string(name)};
        return otherwise;
    }
    const auto v = xmlNumber(text);
    if (!v || *v < lo || *v > hi) throw Bad{"атрибут " + std::string(name) + " = \"" + *text + "\" вне допустимого"};
    return *v;
}

std::string edgeOfLane(const std::string& lane) {
    const size_t us = lane.rfind('_');
    return us == std::string::npos ? lane : lane.substr(0, us);
}

template <class T>
Result<T> scanned(std::string_view text, T value, const std::function<void(std::string_view, const XmlAttributes&)>& f) {
    try {
        const std::string error = scanXml(text, f);
        if (!error.empty()) return Result<T>::failure("повреждённый XML: " + error);
    } catch (const Bad& b) {
        return Result<T>::failure(b.what);
    }
    return value;
}

}  // namespace

Result<TripStats> parseTripinfo(std::string_view text, double from, double to) {
    TripStats s;
    bool personCounts = false;
    auto r = scanned<int>(text, 0, [&](std::string_view name, const XmlAttributes& a) {
        if (name == "tripinfo") {
            const double depart = numberIn(a, "depart", -1, kMaxSeconds);
            if (depart < from || depart >= to) return;
            const double loss = numberIn(a, "timeLoss", 0, kMaxSeconds);
            const double wait = numberIn(a, "waitingTime", 0, kMaxSeconds);
            const std::string* lane = a.find("departLane");
            if (!lane) throw Bad{"нет атрибута departLane"};
            ++s.vehicles;
            s.timeLoss += loss;
            s.waitingTime += wait;
            Approach& ap = s.approaches[edgeOfLane(*lane)];
            ++ap.vehicles;
            ap.timeLoss += loss;
            ap.waitingTime += wait;
        } else if (name == "personinfo") {
            const double depart = numberIn(a, "depart", -1, kMaxSeconds);
            personCounts = depart >= from && depart < to;
            if (personCounts) ++s.pedestrians;
        } else if (name == "walk" && personCounts) {
            const bool waits = a.find("waitingTime") != nullptr;
            s.pedestrianWaiting += numberIn(a, waits ? "waitingTime" : "timeLoss", 0, kMaxSeconds, false);
        }
    });
    if (!r.ok()) return Result<TripStats>::failure(r.error());
    return s;
}

Result<int> parseSummaryBacklog(std::string_view text) {
    int backlog = 0;
    bool any = false;
    auto r = scanned<int>(text, 0, [&](std::string_view name, const XmlAttributes& a) {
        if (name != "step") return;
        backlog = int(numberIn(a, "waiting", 0, 1e9));
        any = true;
    });
    if (!r.ok()) return r;
    if (!any) return Result<int>::failure("в сводке нет шагов");
    return backlog;
}

Result<std::vector<SignalledLane>> parseSignalledLanes(std::string_view net, const std::string& tls) {
    std::map<std::string, double> lengths;
    std::vector<std::string> order;
    auto r = scanned<int>(net, 0, [&](std::string_view name, const XmlAttributes& a) {
        if (name == "lane") {
            const std::string* id = a.find("id");
            if (id) lengths[*id] = numberIn(a, "length", 0, 1e6);
        } else if (name == "connection") {
            const std::string* tl = a.find("tl");
            const std::string* fromEdge = a.find("from");
            const std::string* fromLane = a.find("fromLane");
            if (!tl || *tl != tls || !fromEdge || !fromLane || fromEdge->empty() || (*fromEdge)[0] == ':') return;
            numberIn(a, "fromLane", 0, 1000);
            const std::string lane = *fromEdge + "_" + *fromLane;
            if (std::find(order.begin(), order.end(), lane) == order.end()) order.push_back(lane);
        }
    });
    if (!r.ok()) return Result<std::vector<SignalledLane>>::failure(r.error());
    std::vector<SignalledLane> lanes;
    for (const std::string& l : order) {
        const auto it = lengths.find(l);
        if (it == lengths.end()) return Result<std::vector<SignalledLane>>::failure("в сети нет полосы " + l);
        lanes.push_back({l, it->second});
    }
    if (lanes.empty()) return Result<std::vector<SignalledLane>>::failure("в сети нет полос светофора " + tls);
    return lanes;
}

Result<double> parseDemandBegin(std::string_view routes) {
    std::optional<double> first;
    auto r = scanned<int>(routes, 0, [&](std::string_view name, const XmlAttributes& a) {
        const char* attr = nullptr;
        if (name == "vehicle" || name == "trip" || name == "person") attr = "depart";
        else if (name == "flow" || name == "personFlow") attr = "begin";
        if (!attr || !a.find(attr)) return;
        const std::string* text = a.find(attr);
        if (*text == "triggered" || *text == "containerTriggered") return;
        const double t = numberIn(a, attr, 0, kMaxSeconds);
        if (!first || t < *first) first = t;
    });
    if (!r.ok()) return Result<double>::failure(r.error());
    return first.value_or(0);
}

Result<std::map<std::string, double>> parseSaturationFlows(std::string_view detectorOutput,
                                                           std::string_view switchTimes) {
    std::map<std::string, std::vector<std::pair<double, double>>> greens;  // lane -> [begin, end)
    auto r = scanned<int>(switchTimes, 0, [&](std::string_view name, const XmlAttributes& a) {
        if (name != "tlsSwitch") return;
        const std::string* lane = a.find("fromLane");
        if (!lane) throw Bad{"нет атрибута fromLane"};
        const double begin = numberIn(a, "begin", 0, kMaxSeconds), end = numberIn(a, "end", 0, kMaxSeconds);
        if (end < begin) throw Bad{"зелёный кончается раньше, чем начался"};
        auto& list = greens[*lane];
        // Links of one lane switch together; a green is kept once.
        if (std::find(list.begin(), list.end(), std::make_pair(begin, end)) == list.end()) list.emplace_back(begin, end);
    });
    if (!r.ok()) return Result<std::map<std::string, double>>::failure("время переключений: " + r.error());
    std::map<std::string, std::vector<double>> entries;
    const std::string prefix = kDetectorPrefix;
    r = scanned<int>(detectorOutput, 0, [&](std::string_view name, const XmlAttributes& a) {
        if (name != "instantOut") return;
        const std::string* id = a.find("id");
        const std::string* state = a.find("state");
        if (!id || !state) throw Bad{"нет атрибута id или state"};
        if (*state != "enter" || id->rfind(prefix, 0) != 0) return;
        entries[id->substr(prefix.size())].push_back(numberIn(a, "time", 0, kMaxSeconds));
    });
    if (!r.ok()) return Result<std::map<std::string, double>>::failure("детекторы: " + r.error());
    std::map<std::string, double> flows;
    for (auto& [lane, times] : entries) {
        std::sort(times.begin(), times.end());
        double headways = 0;
        int counted = 0;
        for (const auto& [begin, end] : greens[lane]) {
            // The vehicles crossing in this green; SUMO's green includes what follows it.
            auto first = std::lower_bound(times.begin(), times.end(), begin);
            auto last = std::lower_bound(times.begin(), times.end(), end);
            const long n = long(last - first);
            for (long k = kSkippedStartVehicles + 1; k < n; ++k) {
                const double h = first[k] - first[k - 1];
                if (h > kQueuedHeadway) break;
                headways += h;
                ++counted;
            }
        }
        if (counted > 0 && headways > 0) flows[lane] = 3600.0 * counted / headways;
    }
    return flows;
}

std::optional<double> lastLoggedStep(std::string_view log) {
    const size_t at = log.rfind("Step #");
    if (at == std::string_view::npos) return std::nullopt;
    size_t i = at + 6, j = i;
    while (j < log.size() && ((log[j] >= '0' && log[j] <= '9') || log[j] == '.')) ++j;
    const std::string digits(log.substr(i, j - i));
    return xmlNumber(&digits);
}

}  // namespace livra::evaluation
