#pragma once
// Where the safety check puts its findings. Every distinct finding is one bit
// (so the count is exact whatever their number); only the first ones of each
// program and rule are kept whole, to be worded. The check asks wanted()
// before it makes a finding where they pile up, and only marks it when not.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "check/safety_check.h"

namespace livra {

class FindingCollector {
public:
    // False when a finding of `rule` at this tact can no longer be among the
    // kept ones; mark() it then instead of add().
    bool wanted(SafetyRule rule, int program, int tact) const;

    // Counts the finding and keeps it when it is among the first of its
    // program and rule. One finding per rule, program, tact, directions and
    // requirement: the shortest measure wins (the longest for a
    // red-and-yellow above its range), then the lower path.
    void add(const SafetyFinding& f);

    // Counts pair findings of one tact without keeping them: a conflict of
    // `index` with each higher direction in `mask`, or an intergreen into
    // `index` from each direction in `mask`.
    void markPairs(SafetyRule rule, int program, int tact, int index, uint64_t mask);

    // The worded findings (without their texts) in program, tact, rule order,
    // and the counts of the rest.
    void finish(SafetyReport& r) const;

private:
    static constexpr int kRules = 10;  // those with a program and a tact
    static constexpr int kSingle = 0, kConflict = 1, kIntergreen = 2, kSeamPair = 3, kKinds = 4;

    // Within one program and rule: tact, direction, other, required, above.
    using Key = std::tuple<int, int, int, int, bool>;
    using Bucket = std::map<Key, SafetyFinding>;

    uint64_t* block(int program, int tact, int kind);
    const Bucket& bucket(SafetyRule rule, int program) const { return kept_[program * kRules + int(rule)]; }
    Bucket& bucket(SafetyRule rule, int program) { return kept_[program * kRules + int(rule)]; }

    std::array<Bucket, ProgramCount * kRules> kept_;
    // Per bucket the tact of its last kept finding once it is full, else past
    // every tact: a finding of a later tact cannot be kept.
    std::array<int, ProgramCount * kRules> lastTact_ = filled(TactCount);
    static std::array<int, ProgramCount * kRules> filled(int v) {
        std::array<int, ProgramCount * kRules> a;
        a.fill(v);
        return a;
    }
    // Per program, grown to its last tact with a finding: (tact, kind) → its
    // words, null for none. The single-direction rules take 8 words (a bit
    // per direction each), conflicts, intergreens and the intergreens after a
    // flashing yellow 64 (per direction, a bit per other one). The words come from chunks that never move.
    std::array<std::vector<uint64_t*>, ProgramCount> slots_;
    std::vector<std::unique_ptr<uint64_t[]>> chunks_;
    size_t chunkSize_ = 0, chunkUsed_ = 0;
};

}  // namespace livra
