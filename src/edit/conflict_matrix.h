#pragma once
// Editing the conflict matrix: which pairs of directions may never show go
// together, and the intergreen time of each conflicting ordered pair. The
// rules keep the matrix symmetric and never leave an intergreen on a pair
// that does not conflict. Directions are 0-based.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "check/safety_check.h"
#include "model/configuration.h"
#include "model/go_signal.h"
#include "model/safety_data.h"

namespace livra {

// The directions a conflict matrix has rows for: signal heads of every kind
// (vehicle, pedestrian, extra sections, each tram row), not call inputs.
bool isMatrixKind(uint8_t kind);
std::vector<int> matrixDirections(const Configuration& c);

bool isConflict(const SafetyData& s, int a, int b);
bool isProposed(const SafetyData& s, int a, int b);

// Sets or clears the conflict of a pair, both halves. Clearing drops the
// pair's intergreens (both orders), its calculator inputs and its proposal
// mark: a value on a non-conflicting pair would still be checked. False,
// nothing changed, for a pair outside the table or a direction with itself.
bool setConflict(SafetyData& s, int a, int b, bool on);
bool toggleConflict(SafetyData& s, int a, int b);

// The intergreen from the end of `from`'s go to the start of `to`'s green:
// 0..255 s, or IntergreenNotSet. Refused for a pair that does not conflict
// and for values outside the range.
bool setIntergreen(SafetyData& s, int from, int to, int seconds);

// The engineer's text for an intergreen: empty → IntergreenNotSet, a whole
// number 0..255 → itself (spaces around it allowed), anything else → none.
std::optional<int> parseIntergreenText(const std::string& text);

// Pairs of matrix directions that both show go somewhere in the user
// programs (the tacts up to each one's first empty tact, the call tacts
// included) but never in the same tact of any of them become conflicts marked
// as proposed, except two pedestrian crossings and two rows of one tram
// head. Existing conflicts stay as they are (an engineer's conflict is
// never removed or re-marked). Returns how many pairs were proposed.
int proposeConflicts(SafetyData& s, const Configuration& c);

// The engineer accepts a proposal (one pair, or all of them).
void confirmProposal(SafetyData& s, int a, int b);
void confirmAllProposals(SafetyData& s);
int proposalCount(const SafetyData& s);

// What "Ок" of the matrix editor stores: the edited data, counted as a
// matrix from now on once it holds a conflict or was one before.
void finishMatrixEdit(SafetyData& s);

// The findings of the shown program by tact (0-based), each a list of the
// finding texts, for marking the tact grid's header; an intergreen cut short
// under each tact of the interphase to lengthen.
std::map<int, std::vector<std::string>> findingsByTact(const std::vector<SafetyFinding>& findings, int program);
// The same for every tact with a finding, worded or only counted: a tact
// whose findings were counted ends its list with "… и ещё N замечаний в этом
// такте" (alone when none of its findings was worded).
std::map<int, std::vector<std::string>> findingsByTact(const SafetyReport& report, int program);

// Whether two reports mark the tact grid alike.
bool sameSafetyMarks(const SafetyReport& a, const SafetyReport& b);

}  // namespace livra
