#include "model/sumo_map.h"

#include <algorithm>

namespace livra {

void SumoLinkMap::deleteDirection(int d) {
    for (SumoMapLink& l : links) {
        if (l.direction == d) {
            l.direction = -1;
            l.permissive.clear();
        } else if (l.direction > d) {
            --l.direction;
        }
        std::erase(l.yieldsTo, d);
        for (int& y : l.yieldsTo)
            if (y > d) --y;
    }
}

std::vector<std::string> sumoMapLines(const SumoLinkMap& m) {
    std::vector<std::string> lines;
    if (m.empty()) return lines;
    lines.push_back("Связи светофора SUMO " + m.tls + (m.net.empty() ? "" : " (" + m.net + ")") + ": " +
                    std::to_string(m.links.size()));
    for (std::size_t k = 0; k < m.links.size(); ++k) {
        const SumoMapLink& l = m.links[k];
        std::string s = "  связь " + std::to_string(k) + " → ";
        s += l.direction < 0 ? "нет направления (красный)" : "направление " + std::to_string(l.direction + 1);
        if (!l.permissive.empty()) s += ", g в тактах: " + std::to_string(l.permissive.size());
        if (!l.yieldsTo.empty()) {
            s += ", уступает направлениям";
            for (std::size_t i = 0; i < l.yieldsTo.size(); ++i)
                s += (i ? ", " : " ") + std::to_string(l.yieldsTo[i] + 1);
        }
        lines.push_back(std::move(s));
    }
    return lines;
}

}  // namespace livra
