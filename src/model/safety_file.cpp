#include "model/safety_file.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <memory>

#include "model/files.h"
#include "model/object_file.h"
#include "model/texts.h"
#include "model/sumo_map_file.h"
#include "model/traffic_file.h"

namespace livra {
namespace {

using nlohmann::json;

// A real file holds at most 63·62/2 pairs and as many calculator rows: a few
// hundred kilobytes. Anything far above that is not ours.
constexpr std::size_t kMaxSafetyFileSize = std::size_t(4) << 20;
constexpr int kMaxRuleSeconds = 255;

struct Damage {
    std::string what;
};

SafetyLoadResult damaged(const std::string& why) {
    return {SafetyFileStatus::Damaged, "Файл данных безопасности повреждён: " + why};
}

int integerIn(const json& v, int lo, int hi, const char* what) {
    if (!v.is_number_integer()) throw Damage{std::string(what) + " — не целое число"};
    // Above the signed range the number would wrap round to a negative one.
    if (v.is_number_unsigned() && v.get<unsigned long long>() > unsigned(hi))
        throw Damage{std::string(what) + " — число " + std::to_string(v.get<unsigned long long>()) + " вне " +
                     std::to_string(lo) + ".." + std::to_string(hi)};
    const long long x = v.get<long long>();
    if (x < lo || x > hi)
        throw Damage{std::string(what) + " — число " + std::to_string(x) + " вне " + std::to_string(lo) + ".." +
                     std::to_string(hi)};
    return int(x);
}

double realIn(const json& v, double lo, double hi, const char* what) {
    if (!v.is_number()) throw Damage{std::string(what) + " — не число"};
    const double x = v.get<double>();
    if (!std::isfinite(x) || x < lo || x > hi) throw Damage{std::string(what) + " — значение вне допустимого"};
    return x;
}

const json& member(const json& o, const char* name) {
    const auto it = o.find(name);
    if (it == o.end()) throw Damage{std::string("нет поля \"") + name + "\""};
    return *it;
}

const json& arrayMember(const json& o, const char* name) {
    const json& v = member(o, name);
    if (!v.is_array()) throw Damage{std::string("поле \"") + name + "\" — не список"};
    return v;
}

// [[a, b], …] of 1-based directions into a symmetric 0-based bitset matrix.
void readPairs(const json& list, const char* name, std::array<std::bitset<DirectionCount>, DirectionCount>& out) {
    for (const json& pair : list) {
        if (!pair.is_array() || pair.size() != 2) throw Damage{std::string("поле \"") + name + "\" — не пара"};
        const int a = integerIn(pair[0], 1, DirectionCount, name) - 1;
        const int b = integerIn(pair[1], 1, DirectionCount, name) - 1;
        if (a == b) throw Damage{std::string("поле \"") + name + "\" — направление в паре с самим собой"};
        out[a].set(b);
        out[b].set(a);
    }
}

void parseInto(const json& root, SafetyData& s, std::array<int, DirectionCount>& kinds, int& kindCount) {
    if (!root.is_object()) throw Damage{"не объект JSON"};
    const json& format = member(root, "format");
    if (!format.is_string() || format.get<std::string>() != "livra-safety") throw Damage{"не файл данных безопасности"};
    const int version = integerIn(member(root, "version"), 1, 1000, "version");
    if (version != 1) throw Damage{"версия " + std::to_string(version) + " не поддерживается"};

    const json& directions = arrayMember(root, "directions");
    if (directions.size() > std::size_t(DirectionCount)) throw Damage{"в поле \"directions\" больше 63 направлений"};
    kindCount = int(directions.size());
    for (int i = 0; i < kindCount; ++i) kinds[i] = integerIn(directions[i], 0, 255, "directions");

    readPairs(arrayMember(root, "conflicts"), "conflicts", s.conflict);
    if (root.contains("proposed")) readPairs(arrayMember(root, "proposed"), "proposed", s.proposed);

    for (const json& row : arrayMember(root, "intergreen")) {
        if (!row.is_object()) throw Damage{"строка \"intergreen\" — не объект"};
        const int from = integerIn(member(row, "from"), 1, DirectionCount, "intergreen.from") - 1;
        const int to = integerIn(member(row, "to"), 1, DirectionCount, "intergreen.to") - 1;
        if (from == to) throw Damage{"\"intergreen\" — направление с самим собой"};
        s.intergreen[from][to] = int16_t(integerIn(member(row, "seconds"), 0, 255, "intergreen.seconds"));
    }

    if (root.contains("calculator")) {
        for (const json& row : arrayMember(root, "calculator")) {
            if (!row.is_object()) throw Damage{"строка \"calculator\" — не объект"};
            const int from = integerIn(member(row, "from"), 1, DirectionCount, "calculator.from") - 1;
            const int to = integerIn(member(row, "to"), 1, DirectionCount, "calculator.to") - 1;
            IntergreenInputs in;
            in.clearingDistance = realIn(member(row, "s0"), 0, 1000, "calculator.s0");
            in.vehicleLength = realIn(member(row, "l"), 0, 100, "calculator.l");
            in.clearingSpeed = realIn(member(row, "vr"), 0, 100, "calculator.vr");
            in.enteringDistance = realIn(member(row, "se"), 0, 1000, "calculator.se");
            in.enteringSpeed = realIn(member(row, "ve"), 0, 100, "calculator.ve");
            in.crossingTime = realIn(member(row, "tu"), 0, 60, "calculator.tu");
            s.calculatorInputs[{from, to}] = in;
        }
    }

    if (const std::string fault = readProjectStamp(root, s.project); !fault.empty()) throw Damage{fault};
    if (root.contains("rules")) {
        const json& r = member(root, "rules");
        if (!r.is_object()) throw Damage{"поле \"rules\" — не объект"};
        auto rule = [&](const char* name, int& field) {
            if (r.contains(name)) field = integerIn(r.at(name), 0, kMaxRuleSeconds, name);
        };
        rule("yellow", s.rules.yellow);
        rule("redYellowMin", s.rules.redYellowMin);
        rule("redYellowMax", s.rules.redYellowMax);
        rule("flashingGreen", s.rules.flashingGreen);
        rule("minGreenVehicle", s.rules.minGreenVehicle);
        rule("minGreenPedestrian", s.rules.minGreenPedestrian);
    }
    if (root.contains("object"))
        if (const std::string why = readObjectJson(root.at("object"), s.object); !why.empty()) throw Damage{why};
    if (root.contains("matrix") && !root.at("matrix").is_boolean()) throw Damage{"поле \"matrix\" — не логическое"};
    if (const auto bad = readSumoMapJson(root, s.sumoMap)) throw Damage{*bad};
    if (const std::string bad = readTrafficMember(root, s.traffic); !bad.empty()) throw Damage{bad};
}

json pairsJson(const std::array<std::bitset<DirectionCount>, DirectionCount>& m) {
    json list = json::array();
    for (int a = 0; a < DirectionCount; ++a)
        for (int b = a + 1; b < DirectionCount; ++b)
            if (m[a][b]) list.push_back(json::array({a + 1, b + 1}));
    return list;
}

// Number of directions the kinds list covers: up to the last used one.
int usedDirectionSpan(const Configuration& c) {
    int n = DirectionCount;
    while (n > 0 && c.DirectionKind[n - 1] == DirEmpty) --n;
    return n;
}

}  // namespace

std::string safetyFileNameFor(const std::string& projectFileName) {
    std::filesystem::path p = pathFromUtf8(projectFileName);
    p.replace_extension(".safety.json");
    return pathToUtf8(p);
}

SafetyLoadResult parseSafetyJson(const std::string& text, const Configuration& c, SafetyData& out) {
    if (text.size() > kMaxSafetyFileSize) return damaged("файл слишком велик");
    const json root = json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (root.is_discarded()) return damaged("это не JSON");
    auto fresh = std::make_unique<SafetyData>();
    std::array<int, DirectionCount> kinds{};
    int kindCount = 0;
    try {
        parseInto(root, *fresh, kinds, kindCount);
    } catch (const Damage& d) {
        return damaged(d.what);
    } catch (const json::exception&) {
        return damaged("неверная структура");
    }
    // A file kept for the object data or the traffic counts alone says it has no matrix.
    fresh->defined = !(root.contains("matrix") && root["matrix"] == false);
    for (int i = 0; i < kindCount; ++i) fresh->writtenKinds[i] = uint8_t(kinds[i]);
    out = *fresh;
    for (int i = 0; i < DirectionCount; ++i) {
        if (out.writtenKinds[i] != c.DirectionKind[i]) {
            return {SafetyFileStatus::Stale,
                    "Данные безопасности записаны для других направлений (напр. " + std::to_string(i + 1) +
                        "): проверьте матрицу конфликтов"};
        }
    }
    return {SafetyFileStatus::Loaded, ""};
}

SafetyLoadResult loadSafetyFile(const std::string& path, const Configuration& c, SafetyData& out) {
    const std::filesystem::path p = pathFromUtf8(path);
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(p, ec))) return {SafetyFileStatus::Missing, ""};
    const auto bytes = readWholeFile(p, kMaxSafetyFileSize);
    if (!bytes) return damaged("не удалось прочитать " + pathToUtf8(p.filename()));
    return parseSafetyJson(std::string(bytes->begin(), bytes->end()), c, out);
}

SafetyLoadResult loadProjectSafety(Configuration& c, const std::string& projectPath) {
    c.Safety.clear();
    const SafetyLoadResult r = loadSafetyFile(safetyFileNameFor(projectPath), c, c.Safety);
    if ((r.status == SafetyFileStatus::Loaded || r.status == SafetyFileStatus::Stale) && c.Safety.project.crc32) {
        const auto bytes = readWholeFile(pathFromUtf8(projectPath), kMaxProjectFileSize);
        if (bytes && projectChecksum(*bytes) != *c.Safety.project.crc32)
            return {SafetyFileStatus::Mismatched, kSafetyMismatchText};
    }
    return r;
}

void dropForeignSafetyFile(const std::string& projectPath) {
    const std::string name = safetyFileNameFor(projectPath);
    auto probe = std::make_unique<Configuration>();
    auto scratch = std::make_unique<SafetyData>();
    const SafetyFileStatus status = loadSafetyFile(name, *probe, *scratch).status;
    if (status == SafetyFileStatus::Loaded || status == SafetyFileStatus::Stale) {
        std::error_code ec;
        std::filesystem::remove(pathFromUtf8(name), ec);
    }
}

std::string safetyJson(const SafetyData& s, const Configuration& c) {
    // ordered_json keeps the members in the order documented for the file.
    nlohmann::ordered_json root;
    root["format"] = "livra-safety";
    root["version"] = 1;
    if (!s.defined) root["matrix"] = false;
    json kinds = json::array();
    for (int i = 0, n = usedDirectionSpan(c); i < n; ++i) kinds.push_back(int(c.DirectionKind[i]));
    root["directions"] = kinds;
    root["conflicts"] = pairsJson(s.conflict);
    root["proposed"] = pairsJson(s.proposed);
    nlohmann::ordered_json intergreen = nlohmann::ordered_json::array();
    for (int a = 0; a < DirectionCount; ++a)
        for (int b = 0; b < DirectionCount; ++b)
            if (s.intergreen[a][b] != IntergreenNotSet) {
                nlohmann::ordered_json row;
                row["from"] = a + 1;
                row["to"] = b + 1;
                row["seconds"] = int(s.intergreen[a][b]);
                intergreen.push_back(row);
            }
    root["intergreen"] = intergreen;
    nlohmann::ordered_json calculator = nlohmann::ordered_json::array();
    for (const auto& [pair, in] : s.calculatorInputs) {
        nlohmann::ordered_json row;
        row["from"] = pair.first + 1;
        row["to"] = pair.second + 1;
        row["s0"] = in.clearingDistance;
        row["l"] = in.vehicleLength;
        row["vr"] = in.clearingSpeed;
        row["se"] = in.enteringDistance;
        row["ve"] = in.enteringSpeed;
        row["tu"] = in.crossingTime;
        calculator.push_back(row);
    }
    root["calculator"] = calculator;
    nlohmann::ordered_json rules;
    rules["yellow"] = s.rules.yellow;
    rules["redYellowMin"] = s.rules.redYellowMin;
    rules["redYellowMax"] = s.rules.redYellowMax;
    rules["flashingGreen"] = s.rules.flashingGreen;
    rules["minGreenVehicle"] = s.rules.minGreenVehicle;
    rules["minGreenPedestrian"] = s.rules.minGreenPedestrian;
    root["rules"] = rules;
    if (!s.object.empty()) root["object"] = objectJson(s.object);
    writeProjectStamp(s.project, root);
    writeSumoMapJson(root, s.sumoMap);
    writeTrafficMember(root, s.traffic);
    return root.dump(2) + "\n";
}

}  // namespace livra
