#include "model/sumo_map_file.h"

#include <algorithm>

#include "model/limits.h"

namespace livra {

namespace {

using nlohmann::json;

struct Bad {
    std::string what;
};

int integerIn(const json& v, int lo, int hi, const char* what) {
    if (!v.is_number_integer()) throw Bad{std::string("sumo.") + what + " — не целое число"};
    // Above the signed range the number would wrap round to a negative one.
    if (v.is_number_unsigned() && v.get<unsigned long long>() > unsigned(hi))
        throw Bad{std::string("sumo.") + what + " — число " + std::to_string(v.get<unsigned long long>()) + " вне " +
                  std::to_string(lo) + ".." + std::to_string(hi)};
    const long long x = v.get<long long>();
    if (x < lo || x > hi)
        throw Bad{std::string("sumo.") + what + " — число " + std::to_string(x) + " вне " + std::to_string(lo) + ".." +
                  std::to_string(hi)};
    return int(x);
}

const json& listIn(const json& o, const char* name) {
    static const json empty = json::array();
    const auto it = o.find(name);
    if (it == o.end()) return empty;
    if (!it->is_array()) throw Bad{std::string("sumo.") + name + " — не список"};
    return *it;
}

std::string textIn(const json& o, const char* name, bool required) {
    const auto it = o.find(name);
    if (it == o.end()) {
        if (required) throw Bad{std::string("нет поля sumo.") + name};
        return {};
    }
    if (!it->is_string() || it->get<std::string>().size() > 1000)
        throw Bad{std::string("sumo.") + name + " — не строка до 1000 знаков"};
    return it->get<std::string>();
}

}  // namespace

std::optional<std::string> readSumoMapJson(const json& root, SumoLinkMap& out) {
    out.clear();
    const auto it = root.find("sumo");
    if (it == root.end()) return std::nullopt;
    try {
        const json& m = *it;
        if (!m.is_object()) throw Bad{"поле \"sumo\" — не объект"};
        SumoLinkMap map;
        map.tls = textIn(m, "tls", true);
        if (map.tls.empty()) throw Bad{"sumo.tls — пустая строка"};
        map.net = textIn(m, "net", false);
        for (const json& p : listIn(m, "programs")) {
            const int program = integerIn(p, 1, ProgramCount, "programs") - 1;
            if (std::find(map.programs.begin(), map.programs.end(), program) == map.programs.end())
                map.programs.push_back(program);
        }
        const json& links = listIn(m, "links");
        if (links.size() > std::size_t(kMaxSumoMapLinks))
            throw Bad{"в sumo.links больше " + std::to_string(kMaxSumoMapLinks) + " связей"};
        for (const json& l : links) {
            if (!l.is_object()) throw Bad{"sumo.links — не объект"};
            SumoMapLink link;
            const auto d = l.find("direction");
            if (d == l.end()) throw Bad{"нет поля sumo.links.direction"};
            link.direction = integerIn(*d, 0, DirectionCount, "links.direction") - 1;
            for (const json& g : listIn(l, "g")) {
                if (!g.is_array() || g.size() != 2) throw Bad{"sumo.links.g — не пара"};
                link.permissive.emplace_back(integerIn(g[0], 1, ProgramCount, "links.g") - 1,
                                             integerIn(g[1], 1, TactCount, "links.g") - 1);
            }
            for (const json& y : listIn(l, "yields")) link.yieldsTo.push_back(integerIn(y, 1, DirectionCount, "links.yields") - 1);
            map.links.push_back(std::move(link));
        }
        out = std::move(map);
        return std::nullopt;
    } catch (const Bad& b) {
        return b.what;
    }
}

void writeSumoMapJson(nlohmann::ordered_json& root, const SumoLinkMap& m) {
    if (m.empty()) return;
    nlohmann::ordered_json map;
    map["tls"] = m.tls;
    if (!m.net.empty()) map["net"] = m.net;
    json programs = json::array();
    for (int p : m.programs) programs.push_back(p + 1);
    map["programs"] = programs;
    nlohmann::ordered_json links = nlohmann::ordered_json::array();
    for (const SumoMapLink& l : m.links) {
        nlohmann::ordered_json link;
        link["direction"] = l.direction + 1;
        if (!l.permissive.empty()) {
            json g = json::array();
            for (const auto& [p, t] : l.permissive) g.push_back(json::array({p + 1, t + 1}));
            link["g"] = g;
        }
        if (!l.yieldsTo.empty()) {
            json y = json::array();
            for (int d : l.yieldsTo) y.push_back(d + 1);
            link["yields"] = y;
        }
        links.push_back(link);
    }
    map["links"] = links;
    root["sumo"] = map;
}

}  // namespace livra
