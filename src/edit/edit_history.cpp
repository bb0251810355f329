#include "edit/edit_history.h"

namespace livra {

namespace {

// The end times and phase numbers are derived from the rest and rewritten by
// every redraw of the grid: they never make a step of their own.
bool sameTacts(const ProgramTacts& a, const ProgramTacts& b) {
    for (std::size_t t = 0; t < a.size(); ++t)
        if (a[t].kind != b[t].kind || a[t].tMin != b[t].tMin || a[t].tMain != b[t].tMain) return false;
    return true;
}

bool sameTactTables(const decltype(Configuration::TactTable)& a, const decltype(Configuration::TactTable)& b) {
    for (std::size_t p = 0; p < a.size(); ++p)
        if (!sameTacts(a[p], b[p])) return false;
    return true;
}

bool sameSafety(const SafetyData& a, const SafetyData& b) {
    return a.defined == b.defined && a.conflict == b.conflict && a.proposed == b.proposed &&
           a.intergreen == b.intergreen && a.calculatorInputs == b.calculatorInputs && a.rules == b.rules &&
           a.object.sameDescription(b.object);
}

}  // namespace

struct EditHistory::Tables {
    decltype(Configuration::TactTable) tactTable;
    decltype(Configuration::TactSignals) tactSignals;
    decltype(Configuration::DirectionKind) directionKind;
    decltype(Configuration::DirectionChannels) directionChannels;
    decltype(Configuration::DirectionControl) directionControl;
    decltype(Configuration::FreeChannels) freeChannels;
    decltype(Configuration::Calendar) calendar;
    uint8_t channelCount;
    std::string tvp1Delay, tvp2Delay;
    SafetyData safety;  // a matrix edit is a step like any other

    explicit Tables(const Configuration& c)
        : tactTable(c.TactTable), tactSignals(c.TactSignals), directionKind(c.DirectionKind),
          directionChannels(c.DirectionChannels), directionControl(c.DirectionControl),
          freeChannels(c.FreeChannels), calendar(c.Calendar), channelCount(c.ChannelCount),
          tvp1Delay(c.Tvp1Delay), tvp2Delay(c.Tvp2Delay), safety(c.Safety) {}

    bool same(const Configuration& c) const {
        return sameTactTables(tactTable, c.TactTable) && tactSignals == c.TactSignals && directionKind == c.DirectionKind &&
               directionChannels == c.DirectionChannels && directionControl == c.DirectionControl &&
               freeChannels == c.FreeChannels && calendar == c.Calendar && channelCount == c.ChannelCount &&
               tvp1Delay == c.Tvp1Delay && tvp2Delay == c.Tvp2Delay && sameSafety(safety, c.Safety);
    }

    void restoreInto(Configuration& c) const {
        c.TactTable = tactTable;
        c.TactSignals = tactSignals;
        c.DirectionKind = directionKind;
        c.DirectionChannels = directionChannels;
        c.DirectionControl = directionControl;
        c.FreeChannels = freeChannels;
        c.Calendar = calendar;
        c.ChannelCount = channelCount;
        c.Tvp1Delay = tvp1Delay;
        c.Tvp2Delay = tvp2Delay;
        // What the file held when it was read is not an edit.
        const auto written = c.Safety.writtenKinds;
        auto writes = std::move(c.Safety.object.writes);  // a write to a controller is no edit either
        c.Safety = safety;
        c.Safety.writtenKinds = written;
        c.Safety.object.writes = std::move(writes);
    }

    int firstChangedProgram(const Configuration& c) const {
        for (int p = 0; p < ProgramCount; ++p)
            if (!sameTacts(tactTable[p], c.TactTable[p]) || tactSignals[p] != c.TactSignals[p]) return p;
        return -1;
    }
};

EditHistory::EditHistory(std::size_t depth) : depth_(depth < 1 ? 1 : depth) {}
EditHistory::~EditHistory() = default;

void EditHistory::reset(const Configuration& c) {
    undo_.clear();
    redo_.clear();
    checkpoint_ = std::make_unique<Tables>(c);
}

bool EditHistory::checkpoint(const Configuration& c) {
    if (!checkpoint_) {
        reset(c);
        return false;
    }
    if (checkpoint_->same(c)) return false;
    undo_.push_back(std::move(checkpoint_));
    if (undo_.size() > depth_) undo_.pop_front();
    redo_.clear();
    checkpoint_ = std::make_unique<Tables>(c);
    return true;
}

int EditHistory::step(Configuration& c, std::deque<std::unique_ptr<Tables>>& from,
                      std::deque<std::unique_ptr<Tables>>& to) {
    if (from.empty()) return -2;
    std::unique_ptr<Tables> target = std::move(from.back());
    from.pop_back();
    const int program = target->firstChangedProgram(c);
    to.push_back(std::make_unique<Tables>(c));
    target->restoreInto(c);
    c.Modified = 1;
    checkpoint_ = std::move(target);
    return program;
}

int EditHistory::undo(Configuration& c) {
    checkpoint(c);
    return step(c, undo_, redo_);
}

int EditHistory::redo(Configuration& c) {
    // A change made after the last undo starts a new line of edits: there
    // is nothing left to redo.
    if (checkpoint(c)) return -2;
    return step(c, redo_, undo_);
}

}  // namespace livra
