#include "timing/traffic_edit.h"

#include <cmath>

namespace livra::timing {
namespace {

struct Bounds {
    double lo, hi;
    bool whole;
};

Bounds boundsOf(TrafficField f) {
    switch (f) {
        case TrafficField::Flow: return {0, kMaxTrafficFlow, true};
        case TrafficField::Lanes: return {1, kMaxTrafficLanes, true};
        case TrafficField::LaneSaturation: return {kMinLaneSaturation, kMaxLaneSaturation, true};
        case TrafficField::Crossing: return {0, kMaxCrossingLength, false};
        case TrafficField::WalkingSpeed: return {kMinWalkingSpeed, kMaxWalkingSpeed, false};
    }
    return {0, 0, true};
}

std::string shown(double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (!s.empty() && s.back() == '.') s.pop_back();
    for (char& ch : s)
        if (ch == '.') ch = ',';
    return s;
}

}  // namespace

std::optional<double> parseTrafficNumber(TrafficField f, const std::string& text) {
    const Bounds b = boundsOf(f);
    if (text.empty() || text.size() > 12) return std::nullopt;
    double whole = 0, fraction = 0, scale = 1;
    bool point = false, digits = false;
    for (char ch : text) {
        if (ch >= '0' && ch <= '9') {
            digits = true;
            if (point) fraction += (ch - '0') * (scale /= 10);
            else whole = whole * 10 + (ch - '0');
        } else if ((ch == '.' || ch == ',') && !point && !b.whole) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits) return std::nullopt;
    const double v = whole + fraction;
    if (v < b.lo || v > b.hi) return std::nullopt;
    return v;
}

std::string trafficBounds(TrafficField f) {
    const Bounds b = boundsOf(f);
    return shown(b.lo) + ".." + shown(b.hi);
}

bool fieldApplies(TrafficField f, uint8_t kind) {
    if (!isNormalDirection(kind)) return false;
    const bool walkers = f == TrafficField::Crossing || f == TrafficField::WalkingSpeed;
    return walkers == (kind == DirPedestrian);
}

Result<bool> setTrafficField(Configuration& c, int program, int d, TrafficField f, const std::string& text) {
    if (program < FirstUserProgram || program >= ProgramCount)
        return Result<bool>::failure("Интенсивности задаются только для программ 4..16");
    if (d < 0 || d >= DirectionCount || !isNormalDirection(c.DirectionKind[d]))
        return Result<bool>::failure("Нет такого направления: " + std::to_string(d + 1));
    if (!fieldApplies(f, c.DirectionKind[d]))
        return Result<bool>::failure(c.DirectionKind[d] == DirPedestrian
                                         ? "Напр. " + std::to_string(d + 1) + " пешеходное: для него задаются длина перехода и скорость"
                                         : "Напр. " + std::to_string(d + 1) + " транспортное: для него задаются интенсивность, полосы и поток насыщения");
    const auto v = parseTrafficNumber(f, text);
    if (!v) return Result<bool>::failure("Значение \"" + text + "\" вне " + trafficBounds(f));
    DirectionTraffic& t = c.Safety.traffic.programs[program].directions[d];
    switch (f) {
        case TrafficField::Flow: t.flow = int(*v); break;
        case TrafficField::Lanes: t.lanes = int(*v); break;
        case TrafficField::LaneSaturation: t.laneSaturation = int(*v); break;
        case TrafficField::Crossing: t.crossingLength = *v; break;
        case TrafficField::WalkingSpeed: t.walkingSpeed = *v; break;
    }
    return true;
}

DirectionTraffic trafficOf(const Configuration& c, int program, int d) {
    const auto& m = c.Safety.traffic.programs[program].directions;
    const auto it = m.find(d);
    return it == m.end() ? DirectionTraffic{} : it->second;
}

}  // namespace livra::timing
