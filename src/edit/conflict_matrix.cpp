#include "edit/conflict_matrix.h"

#include <algorithm>
#include <bitset>

#include "model/texts.h"

namespace livra {
namespace {

bool pairInside(int a, int b) { return a >= 0 && a < DirectionCount && b >= 0 && b < DirectionCount && a != b; }

}  // namespace

bool isMatrixKind(uint8_t kind) { return kind >= DirVehicle && kind <= DirTram3 && kind != 3; }

std::vector<int> matrixDirections(const Configuration& c) {
    std::vector<int> out;
    for (int d = 0; d < DirectionCount; ++d)
        if (isMatrixKind(c.DirectionKind[d])) out.push_back(d);
    return out;
}

bool isConflict(const SafetyData& s, int a, int b) { return pairInside(a, b) && s.conflict[a][b]; }
bool isProposed(const SafetyData& s, int a, int b) { return pairInside(a, b) && s.proposed[a][b]; }

bool setConflict(SafetyData& s, int a, int b, bool on) {
    if (!pairInside(a, b)) return false;
    s.conflict[a][b] = on;
    s.conflict[b][a] = on;
    if (!on) {
        s.proposed[a][b] = s.proposed[b][a] = false;
        s.intergreen[a][b] = s.intergreen[b][a] = IntergreenNotSet;
        s.calculatorInputs.erase({a, b});
        s.calculatorInputs.erase({b, a});
    }
    return true;
}

bool toggleConflict(SafetyData& s, int a, int b) {
    if (!pairInside(a, b)) return false;
    return setConflict(s, a, b, !s.conflict[a][b]);
}

bool setIntergreen(SafetyData& s, int from, int to, int seconds) {
    if (!isConflict(s, from, to)) return false;
    if (seconds != IntergreenNotSet && (seconds < 0 || seconds > 255)) return false;
    s.intergreen[from][to] = int16_t(seconds);
    return true;
}

std::optional<int> parseIntergreenText(const std::string& text) {
    std::size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return IntergreenNotSet;
    std::size_t e = text.find_last_not_of(" \t");
    const std::string digits = text.substr(b, e - b + 1);
    if (digits.size() > 3) return std::nullopt;
    int v = 0;
    for (char ch : digits) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + (ch - '0');
    }
    if (v > 255) return std::nullopt;
    return v;
}

namespace {

bool isTramRow(uint8_t kind) { return kind >= DirTram1 && kind <= DirTram3; }

bool sameTramHead(const Configuration& c, int a, int b) {
    const uint8_t ka = c.DirectionKind[a], kb = c.DirectionKind[b];
    return isTramRow(ka) && isTramRow(kb) && a - (ka - DirTram1) == b - (kb - DirTram1);
}

}  // namespace

int proposeConflicts(SafetyData& s, const Configuration& c) {
    const std::vector<int> dirs = matrixDirections(c);
    std::array<std::bitset<DirectionCount>, DirectionCount> together{};
    std::bitset<DirectionCount> everGo;
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        for (int t = 0; t < TactCount; ++t) {
            if (c.TactTable[p][t].kind == TactEmpty) break;  // the cycle ends there
            std::bitset<DirectionCount> go;
            for (int d : dirs) {
                go[d] = goesOn(c, c.TactSignals[p][t], d);
            }
            everGo |= go;
            for (int d : dirs)
                if (go[d]) together[d] |= go;
        }
    }
    int added = 0;
    for (std::size_t i = 0; i < dirs.size(); ++i) {
        for (std::size_t j = i + 1; j < dirs.size(); ++j) {
            const int a = dirs[i], b = dirs[j];
            if (!everGo[a] || !everGo[b] || together[a][b] || s.conflict[a][b]) continue;
            // Walkers on two crossings never endanger each other, and the
            // rows of one tram head are one signal: never green together,
            // never in conflict.
            if (c.DirectionKind[a] == DirPedestrian && c.DirectionKind[b] == DirPedestrian) continue;
            if (sameTramHead(c, a, b)) continue;
            setConflict(s, a, b, true);
            s.proposed[a][b] = s.proposed[b][a] = true;
            ++added;
        }
    }
    return added;
}

void confirmProposal(SafetyData& s, int a, int b) {
    if (!pairInside(a, b)) return;
    s.proposed[a][b] = s.proposed[b][a] = false;
}

void confirmAllProposals(SafetyData& s) {
    for (auto& row : s.proposed) row.reset();
}

int proposalCount(const SafetyData& s) {
    int n = 0;
    for (const auto& row : s.proposed) n += int(row.count());
    return n / 2;
}

void finishMatrixEdit(SafetyData& s) {
    if (s.defined) return;
    for (const auto& row : s.conflict)
        if (row.any()) {
            s.defined = true;
            return;
        }
}

std::map<int, std::vector<std::string>> findingsByTact(const std::vector<SafetyFinding>& findings, int program) {
    std::map<int, std::vector<std::string>> out;
    for (const SafetyFinding& f : findings) {
        // An intergreen cut short is framed on the interphase to lengthen.
        if (f.gapFirst >= 0) {
            if (f.gapProgram == program && f.gapLastProgram == program && f.gapFirst <= f.gapLast) {
                for (int t = f.gapFirst; t <= f.gapLast; ++t) out[t].push_back(f.text);
            } else {
                if (f.gapProgram == program) out[f.gapFirst].push_back(f.text);
                if (f.gapLastProgram == program && f.gapLast != f.gapFirst) out[f.gapLast].push_back(f.text);
            }
            continue;
        }
        if (f.program == program && f.tact >= 0 && f.tact < TactCount) out[f.tact].push_back(f.text);
    }
    return out;
}

std::map<int, std::vector<std::string>> findingsByTact(const SafetyReport& report, int program) {
    auto out = findingsByTact(report.findings, program);
    for (const SafetyTactRest& rest : report.restByTact)
        if (rest.program == program && rest.tact >= 0 && rest.tact < TactCount)
            out[rest.tact].push_back(std::string(kAndMoreText) + std::to_string(rest.count) + " " + findingsWord(rest.count) +
                                     " в этом такте");
    return out;
}

bool sameSafetyMarks(const SafetyReport& a, const SafetyReport& b) {
    const auto sameFinding = [](const SafetyFinding& x, const SafetyFinding& y) {
        return x.program == y.program && x.tact == y.tact && x.text == y.text;
    };
    const auto sameRest = [](const SafetyTactRest& x, const SafetyTactRest& y) {
        return x.program == y.program && x.tact == y.tact && x.count == y.count;
    };
    return std::equal(a.findings.begin(), a.findings.end(), b.findings.begin(), b.findings.end(), sameFinding) &&
           std::equal(a.restByTact.begin(), a.restByTact.end(), b.restByTact.begin(), b.restByTact.end(), sameRest);
}

}  // namespace livra
