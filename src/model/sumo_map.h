#pragma once
// Which direction shows each link of a SUMO traffic light, kept beside the
// project after an import, so that the export writes the same links in the
// same order for that net. A link that SUMO showed as a permissive green (g)
// keeps where it did, and the directions it yields to in the net, so the
// export writes g again. Directions, programs and tacts are 0-based here,
// 1-based in the file.
#include <string>
#include <utility>
#include <vector>

namespace livra {

struct SumoMapLink {
    int direction = -1;                          // -1: the link shows no direction (always red)
    std::vector<std::pair<int, int>> permissive;  // (program, tact) where it showed g
    std::vector<int> yieldsTo;                    // directions whose links it gives way to
    bool operator==(const SumoMapLink&) const = default;
};

struct SumoLinkMap {
    std::string tls;  // empty: no map
    std::string net;  // the file it was read from, by name (shown only)
    std::vector<SumoMapLink> links;  // by link index
    std::vector<int> programs;       // the programs imported from this light: their g are as listed

    bool empty() const { return tls.empty(); }
    void clear() { *this = SumoLinkMap{}; }
    // Direction d is deleted: its links show none, those above move down.
    void deleteDirection(int d);
    bool operator==(const SumoLinkMap&) const = default;
};

// Bounds of the map as its file holds it.
inline constexpr int kMaxSumoMapLinks = 10000;

// The map's lines for the command line and the desktop program:
// "связь 0 → направление 1 (g)".
std::vector<std::string> sumoMapLines(const SumoLinkMap& m);

}  // namespace livra
