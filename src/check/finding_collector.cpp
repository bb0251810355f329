#include "check/finding_collector.h"

#include <algorithm>
#include <bit>

namespace livra {
namespace {

bool above(const SafetyFinding& f) { return f.seconds > f.required; }

// The word of a single-direction finding within its tact's block.
int singleWord(const SafetyFinding& f) {
    switch (f.rule) {
        case SafetyRule::Yellow: return 0;
        case SafetyRule::RedYellow: return above(f) ? 2 : 1;
        case SafetyRule::FlashingGreen: return 3;
        case SafetyRule::PedestrianClear: return 4;
        case SafetyRule::SeamToGreen: return 6;
        case SafetyRule::SeamFromGreen: return 7;
        default: return 5;  // minimum green
    }
}

}  // namespace

uint64_t* FindingCollector::block(int program, int tact, int kind) {
    auto& slots = slots_[size_t(program)];
    const size_t index = size_t(tact) * kKinds + size_t(kind);
    if (index >= slots.size())
        slots.resize(std::min(std::max(index + 1, slots.size() * 2), size_t(TactCount) * kKinds));
    uint64_t*& at = slots[index];
    if (!at) {
        const size_t words = kind == kSingle ? 8 : 64;
        if (chunks_.empty() || chunkUsed_ + words > chunkSize_) {
            // Small for the usual handful of findings, larger as they pile up.
            chunkSize_ = std::min<size_t>(chunks_.empty() ? 128 : chunkSize_ * 2, 1 << 16);
            chunks_.push_back(std::make_unique<uint64_t[]>(chunkSize_));
            chunkUsed_ = 0;
        }
        at = chunks_.back().get() + chunkUsed_;
        chunkUsed_ += words;
    }
    return at;
}

bool FindingCollector::wanted(SafetyRule rule, int program, int tact) const {
    return tact <= lastTact_[size_t(program * kRules + int(rule))];
}

void FindingCollector::markPairs(SafetyRule rule, int program, int tact, int index, uint64_t mask) {
    block(program, tact, rule == SafetyRule::Conflict ? kConflict : rule == SafetyRule::Intergreen ? kIntergreen : kSeamPair)[index] |= mask;
}

void FindingCollector::add(const SafetyFinding& f) {
    if (f.rule == SafetyRule::Conflict)
        block(f.program, f.tact, kConflict)[f.direction] |= uint64_t(1) << f.other;
    else if (f.rule == SafetyRule::Intergreen)
        block(f.program, f.tact, kIntergreen)[f.other] |= uint64_t(1) << f.direction;
    else if (f.rule == SafetyRule::SeamIntergreen)
        block(f.program, f.tact, kSeamPair)[f.other] |= uint64_t(1) << f.direction;
    else
        block(f.program, f.tact, kSingle)[singleWord(f)] |= uint64_t(1) << f.direction;

    // Kept: the first kSafetyWordedPerProgramAndRule keys of all seen. A key
    // past the last kept one stays out for good, as the last kept one only
    // moves down; so a kept key has been here since it was first seen, and
    // its measure is the worst of all sequences.
    if (!wanted(f.rule, f.program, f.tact)) return;
    Bucket& b = bucket(f.rule, f.program);
    const Key k{f.tact, f.direction, f.other, f.required, above(f)};
    const bool full = int(b.size()) >= kSafetyWordedPerProgramAndRule;
    if (full && b.rbegin()->first < k) return;
    const auto it = b.find(k);
    if (it != b.end()) {
        SafetyFinding& old = it->second;
        const bool longIsWorse = f.rule == SafetyRule::RedYellow && above(f);
        const bool worse = longIsWorse ? f.seconds > old.seconds : f.seconds < old.seconds;
        const bool tie = f.seconds == old.seconds;
        if (worse || (tie && std::tie(f.path, f.fromProgram) < std::tie(old.path, old.fromProgram))) old = f;
        return;
    }
    if (full) b.erase(std::prev(b.end()));  // k is below the last kept one
    b.emplace(k, f);
    if (int(b.size()) >= kSafetyWordedPerProgramAndRule)
        lastTact_[size_t(f.program * kRules + int(f.rule))] = std::get<0>(b.rbegin()->first);
}

void FindingCollector::finish(SafetyReport& r) const {
    // Taken in turns, the first of every program and rule, then the second
    // of each, …, so that none is left out while the others fill the report.
    std::vector<const SafetyFinding*> chosen;
    std::vector<Bucket::const_iterator> next;
    for (const Bucket& b : kept_) next.push_back(b.begin());
    for (bool more = true; more && int(chosen.size()) < kSafetyWorded;) {
        more = false;
        for (size_t i = 0; i < kept_.size() && int(chosen.size()) < kSafetyWorded; ++i)
            if (next[i] != kept_[i].end()) {
                chosen.push_back(&(next[i]++)->second);
                more = true;
            }
    }
    std::sort(chosen.begin(), chosen.end(), [](const SafetyFinding* a, const SafetyFinding* b) {
        return std::make_tuple(a->program, a->tact, a->rule, a->direction, a->other, a->required, above(*a)) <
               std::make_tuple(b->program, b->tact, b->rule, b->direction, b->other, b->required, above(*b));
    });
    r.findings.clear();
    r.findings.reserve(chosen.size());
    for (const SafetyFinding* f : chosen) r.findings.push_back(*f);

    r.notWorded = r.conflictsNotWorded = 0;
    r.restByTact.clear();
    long conflicts = 0, intergreens = 0;
    size_t worded = 0;  // walks r.findings along the tacts
    for (int p = 0; p < ProgramCount; ++p) {
        const auto& slots = slots_[size_t(p)];
        for (int t = 0; size_t(t) * kKinds < slots.size(); ++t) {
            long here = 0;
            for (int kind = 0; kind < kKinds; ++kind) {
                const size_t index = size_t(t) * kKinds + size_t(kind);
                const uint64_t* at = index < slots.size() ? slots[index] : nullptr;
                if (!at) continue;
                long bits = 0;
                for (int w = 0, words = kind == kSingle ? 8 : 64; w < words; ++w) bits += std::popcount(at[w]);
                here += bits;
                if (kind == kConflict) conflicts += bits;
                if (kind == kIntergreen) intergreens += bits;
            }
            long wordedHere = 0;
            for (; worded < r.findings.size() && r.findings[worded].program == p && r.findings[worded].tact == t;
                 ++worded)
                ++wordedHere, conflicts -= r.findings[worded].rule == SafetyRule::Conflict,
                    intergreens -= r.findings[worded].rule == SafetyRule::Intergreen;
            if (here > wordedHere) {
                r.restByTact.push_back({p, t, here - wordedHere});
                r.notWorded += here - wordedHere;
            }
        }
    }
    r.conflictsNotWorded = conflicts;
    r.intergreensNotWorded = intergreens;
}

}  // namespace livra
