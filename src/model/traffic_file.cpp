#include "model/traffic_file.h"

#include <cmath>

namespace livra {
namespace {

using nlohmann::json;

struct Bad {
    std::string what;
};

const json& member(const json& o, const char* name) {
    const auto it = o.find(name);
    if (it == o.end()) throw Bad{std::string("нет поля \"") + name + "\""};
    return *it;
}

int integerIn(const json& v, int lo, int hi, const char* what) {
    if (!v.is_number_integer()) throw Bad{std::string(what) + " — не целое число"};
    const long long x = v.get<long long>();
    if (x < lo || x > hi)
        throw Bad{std::string(what) + " — число " + std::to_string(x) + " вне " + std::to_string(lo) + ".." +
                  std::to_string(hi)};
    return int(x);
}

double realIn(const json& v, double lo, double hi, const char* what) {
    if (!v.is_number()) throw Bad{std::string(what) + " — не число"};
    const double x = v.get<double>();
    if (!std::isfinite(x) || x < lo || x > hi) throw Bad{std::string(what) + " — значение вне допустимого"};
    return x;
}

void readProgram(const json& p, TrafficData& out) {
    if (!p.is_object()) throw Bad{"строка \"traffic\" — не объект"};
    const int program = integerIn(member(p, "program"), FirstUserProgram + 1, ProgramCount, "traffic.program") - 1;
    const json& dirs = member(p, "directions");
    if (!dirs.is_array()) throw Bad{"поле \"traffic.directions\" — не список"};
    for (const json& d : dirs) {
        if (!d.is_object()) throw Bad{"строка \"traffic.directions\" — не объект"};
        const int n = integerIn(member(d, "direction"), 1, DirectionCount, "traffic.direction") - 1;
        DirectionTraffic t;
        if (d.contains("flow")) t.flow = integerIn(d.at("flow"), 0, kMaxTrafficFlow, "traffic.flow");
        if (d.contains("lanes")) t.lanes = integerIn(d.at("lanes"), 1, kMaxTrafficLanes, "traffic.lanes");
        if (d.contains("laneSaturation"))
            t.laneSaturation =
                integerIn(d.at("laneSaturation"), kMinLaneSaturation, kMaxLaneSaturation, "traffic.laneSaturation");
        if (d.contains("crossing"))
            t.crossingLength = realIn(d.at("crossing"), 0, kMaxCrossingLength, "traffic.crossing");
        if (d.contains("walkingSpeed"))
            t.walkingSpeed = realIn(d.at("walkingSpeed"), kMinWalkingSpeed, kMaxWalkingSpeed, "traffic.walkingSpeed");
        out.programs[program].directions[n] = t;
    }
}

}  // namespace

std::string readTrafficMember(const json& root, TrafficData& out) {
    const auto it = root.find("traffic");
    if (it == root.end()) return {};
    try {
        if (!it->is_array()) throw Bad{"поле \"traffic\" — не список"};
        for (const json& p : *it) readProgram(p, out);
    } catch (const Bad& b) {
        return b.what;
    }
    return {};
}

void writeTrafficMember(nlohmann::ordered_json& root, const TrafficData& t) {
    if (t.empty()) return;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (int p = 0; p < ProgramCount; ++p) {
        if (t.programs[p].directions.empty()) continue;
        nlohmann::ordered_json program;
        program["program"] = p + 1;
        nlohmann::ordered_json dirs = nlohmann::ordered_json::array();
        for (const auto& [d, x] : t.programs[p].directions) {
            nlohmann::ordered_json row;
            row["direction"] = d + 1;
            row["flow"] = x.flow;
            row["lanes"] = x.lanes;
            row["laneSaturation"] = x.laneSaturation;
            row["crossing"] = x.crossingLength;
            row["walkingSpeed"] = x.walkingSpeed;
            dirs.push_back(row);
        }
        program["directions"] = dirs;
        list.push_back(program);
    }
    root["traffic"] = list;
}

}  // namespace livra
