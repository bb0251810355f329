#include "sumo/sumo_net.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace livra {

namespace {

std::string laneId(const std::string& edge, int lane) { return edge + "_" + std::to_string(lane); }

// The bit of link j in a request's row: the row lists the last link first.
bool bit(const std::string& row, int j) {
    if (j < 0 || j >= int(row.size())) return false;
    return row[row.size() - 1 - std::size_t(j)] == '1';
}

const SumoRequest* request(const SumoAdditional& f, const SumoLinkPath& p) {
    if (p.junction < 0 || p.junction >= int(f.junctions.size())) return nullptr;
    for (const SumoRequest& r : f.junctions[std::size_t(p.junction)].requests)
        if (r.index == p.request) return &r;
    return nullptr;
}

template <class Rule>
bool anyPair(const SumoAdditional& f, const SumoLinkInfo& a, const SumoLinkInfo& b, Rule rule) {
    for (const SumoLinkPath& pa : a.paths)
        for (const SumoLinkPath& pb : b.paths) {
            if (pa.junction != pb.junction || pa.junction < 0) continue;
            if (const SumoRequest* r = request(f, pa); r && rule(*r, pb.request)) return true;
        }
    return false;
}

struct Polyline {
    std::vector<SumoPoint> points;
    std::vector<double> speeds;  // of the lane each segment belongs to
};

Polyline polyline(const SumoLinkPath& p) {
    Polyline out;
    for (const SumoLane* lane : p.lanes) {
        for (std::size_t i = 0; i < lane->shape.size(); ++i) {
            if (i == 0 && !out.points.empty()) continue;  // lanes join end to start
            if (!out.points.empty()) out.speeds.push_back(lane->speed);
            out.points.push_back(lane->shape[i]);
        }
    }
    return out;
}

double dist(SumoPoint a, SumoPoint b) { return std::hypot(b.x - a.x, b.y - a.y); }

}  // namespace

std::vector<SumoLinkInfo> sumoLinks(const SumoAdditional& f, const std::string& tlsId, int linkCount) {
    if (!f.isNet) return {};
    std::unordered_map<std::string, const SumoLane*> lanes;
    for (const SumoLane& l : f.internalLanes) lanes.emplace(l.id, &l);
    std::unordered_map<std::string, std::string> next;  // internal lane -> the internal lane after it
    for (const SumoConnection& k : f.connections)
        if (!k.via.empty() && !k.from.empty() && k.from[0] == ':') next.emplace(laneId(k.from, k.fromLane), k.via);
    std::unordered_map<std::string, std::pair<int, int>> slot;  // last internal lane -> (junction, request)
    for (std::size_t j = 0; j < f.junctions.size(); ++j)
        for (std::size_t i = 0; i < f.junctions[j].intLanes.size(); ++i)
            slot.emplace(f.junctions[j].intLanes[i], std::pair<int, int>(int(j), int(i)));
    int count = linkCount;
    for (const SumoConnection& k : f.connections)
        if (k.tl == tlsId) count = std::max(count, k.linkIndex + 1);
    std::vector<SumoLinkInfo> links(std::size_t(std::max(0, count)));
    for (const SumoConnection& k : f.connections) {
        if (k.tl != tlsId || k.linkIndex < 0) continue;
        SumoLinkInfo& info = links[std::size_t(k.linkIndex)];
        SumoLinkPath path;
        const bool crossing = std::find(f.crossingEdges.begin(), f.crossingEdges.end(), k.to) != f.crossingEdges.end();
        std::string lane = crossing ? laneId(k.to, k.toLane) : k.via;
        info.pedestrian = info.pedestrian || crossing;
        for (int step = 0; step < 16 && !lane.empty(); ++step) {
            const auto it = lanes.find(lane);
            if (it == lanes.end()) break;
            path.lanes.push_back(it->second);
            const auto n = next.find(lane);
            if (n == next.end()) break;
            lane = n->second;
        }
        if (!path.lanes.empty()) {
            const auto s = slot.find(path.lanes.back()->id);
            if (s != slot.end()) path.junction = s->second.first, path.request = s->second.second;
        }
        info.paths.push_back(std::move(path));
    }
    return links;
}

bool sumoFoes(const SumoAdditional& f, const SumoLinkInfo& a, const SumoLinkInfo& b) {
    return anyPair(f, a, b, [](const SumoRequest& r, int j) { return bit(r.foes, j); }) ||
           anyPair(f, b, a, [](const SumoRequest& r, int j) { return bit(r.foes, j); });
}

bool sumoYields(const SumoAdditional& f, const SumoLinkInfo& a, const SumoLinkInfo& b) {
    return anyPair(f, a, b, [](const SumoRequest& r, int j) { return bit(r.response, j); });
}

std::optional<SumoMeeting> sumoMeeting(const SumoLinkInfo& a, const SumoLinkInfo& b) {
    std::optional<SumoMeeting> best;
    for (const SumoLinkPath& pa : a.paths)
        for (const SumoLinkPath& pb : b.paths) {
            const Polyline la = polyline(pa), lb = polyline(pb);
            if (la.points.size() < 2 || lb.points.size() < 2) continue;
            // The first crossing along a's path.
            std::optional<SumoMeeting> here;
            double sa = 0;
            for (std::size_t i = 0; i + 1 < la.points.size() && !here; ++i) {
                const SumoPoint p = la.points[i], r{la.points[i + 1].x - p.x, la.points[i + 1].y - p.y};
                double sb = 0;
                for (std::size_t j = 0; j + 1 < lb.points.size(); ++j) {
                    const SumoPoint q = lb.points[j], s{lb.points[j + 1].x - q.x, lb.points[j + 1].y - q.y};
                    const double den = r.x * s.y - r.y * s.x;
                    if (std::fabs(den) > 1e-12) {
                        const double t = ((q.x - p.x) * s.y - (q.y - p.y) * s.x) / den;
                        const double u = ((q.x - p.x) * r.y - (q.y - p.y) * r.x) / den;
                        if (t >= 0 && t <= 1 && u >= 0 && u <= 1) {
                            here = SumoMeeting{sa + t * std::hypot(r.x, r.y), sb + u * std::hypot(s.x, s.y),
                                               la.speeds[i], lb.speeds[j]};
                            break;
                        }
                    }
                    sb += std::hypot(s.x, s.y);
                }
                sa += std::hypot(r.x, r.y);
            }
            if (!here) {
                // Merging paths meet where they end.
                double lenA = 0, lenB = 0;
                for (std::size_t i = 0; i + 1 < la.points.size(); ++i) lenA += dist(la.points[i], la.points[i + 1]);
                for (std::size_t j = 0; j + 1 < lb.points.size(); ++j) lenB += dist(lb.points[j], lb.points[j + 1]);
                here = SumoMeeting{lenA, lenB, la.speeds.back(), lb.speeds.back()};
            }
            // The worst meeting for the one clearing: farthest from a's stop line.
            if (!best || here->alongA > best->alongA) best = here;
        }
    return best;
}

}  // namespace livra
