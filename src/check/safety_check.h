#pragma once
// The safety check, beside the validator: conflicting directions at go
// together, intergreen times cut short, and signal sequences a driver or a
// pedestrian must never see, over every tact sequence the controller can
// run (the plain cycle, each call served, phases ended at tMin or tMain, the
// calendar's switch from one program to the next).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/configuration.h"
#include "model/go_signal.h"
#include "model/safety_data.h"

namespace livra {

enum class SafetyRule {
    Conflict,         // two conflicting directions at go together
    Intergreen,       // less than the pair's intergreen between go and green
    Yellow,           // go -> red without enough yellow
    RedYellow,        // red -> green without red-and-yellow in its range
    FlashingGreen,    // flashing green too short before yellow
    PedestrianClear,  // pedestrian green -> red without flashing green
    MinGreen,         // a go period shorter than its minimum
    // At a calendar switch to or from the fixed programs (КК, ЖМ, ОС):
    SeamToGreen,        // a vehicle from flashing yellow or dark straight to green
    SeamIntergreen,     // green less than the intergreen after a conflicting flashing yellow
    SeamFromGreen,      // a go straight to flashing yellow or dark
    MissingIntergreen,  // a declared conflict without an intergreen time (no program, no tact)
};

// What a direction shows instead of a green at a seam rule (SeamToGreen,
// SeamFromGreen), kept in SafetyFinding::required.
inline constexpr int kSeamFlashingYellow = 1;
inline constexpr int kSeamDark = 2;

// Conflicts, intergreens cut short and conflicts without an intergreen stop
// a write; the sequence rules only ask.
bool refusesWrite(SafetyRule rule);

// Which sequence a finding was found on.
enum SafetyPath : int {
    PathPlain = 0,       // no call served
    PathCall1 = 1,       // "при вызове ТВП1"
    PathCall2 = 2,       // "при вызове ТВП2"
    PathCall12 = 3,      // both calls served
    PathCalendarSeam = 4 // switch to the next program at the end of a cycle
};

struct SafetyFinding {
    SafetyRule rule = SafetyRule::Conflict;
    int program = 0;      // 0-based index 3..15
    int tact = 0;         // 0-based index of the tact the finding names
    int direction = -1;   // 0-based
    int other = -1;       // 0-based second direction of a pair rule, −1 otherwise
    int path = PathPlain;
    int seconds = 0;      // the measured time where a time rule fails
    int required = 0;     // what the rule asks for
    int fromProgram = -1; // 0-based program left at a calendar seam, −1 otherwise
    // For an intergreen cut short: the tacts played between the end of
    // `direction`'s go and the start of `other`'s green — the interphase to
    // lengthen — as program and tact (0-based) of the first and the last;
    // −1 when the green starts the second the go ends.
    int gapProgram = -1, gapFirst = -1, gapLastProgram = -1, gapLast = -1;
    std::string text;     // one line in the engineer's words
};

// A pathological project (every direction at go in most tacts, every pair
// conflicting) has millions of findings; nobody reads them, and wording them
// would freeze the window that re-checks after every edit. So only the first
// findings of each program and rule are worded, at most
// kSafetyWordedPerProgramAndRule of them and kSafetyWorded in all (shared out
// so that every program and rule with a finding has its first ones worded);
// the rest are counted exactly.
inline constexpr int kSafetyWordedPerProgramAndRule = 50;
inline constexpr int kSafetyWorded = 300;

// Findings of one tact that were counted but not worded.
struct SafetyTactRest {
    int program = 0;  // 0-based
    int tact = 0;     // 0-based
    long count = 0;
};

struct SafetyReport {
    bool matrixDefined = false;
    std::vector<SafetyFinding> findings;   // the worded ones, in program, tact, rule order
    long notWorded = 0;                    // further findings, counted
    long conflictsNotWorded = 0;           // of them conflicts
    long intergreensNotWorded = 0;         // of them intergreens cut short
    long missingNotWorded = 0;             // of them conflicts without an intergreen
    std::vector<SafetyTactRest> restByTact;  // where the counted ones are, by program and tact
    bool hasConflict() const;
    bool refusesWrite() const;  // any finding of a rule that stops a write
    bool empty() const { return findings.empty() && notWorded == 0; }
};

SafetyReport checkSafety(const Configuration& c, const SafetyData& s);

// The calendar's switches between two different programs (0-based, old → new)
// as the week runs, each once, the week's wrap included.
std::vector<std::pair<int, int>> calendarSwitches(const Configuration& c);

// The line's "(при вызове ТВП1)" part for a path; empty for the plain cycle.
std::string safetyPathText(int path, int fromProgram, int program);

// The lines that follow the validator's verdict in the error list and on
// the command line: one per finding, or the one line "Проверка безопасности:
// замечаний нет", or "Матрица конфликтов не задана: проверены только
// последовательности сигналов" first when no matrix is set; findings counted
// but not worded end it as one line "… и ещё N замечаний".
std::vector<std::string> safetyReportLines(const SafetyReport& r);

// "замечание", "замечания" or "замечаний", as the number asks.
std::string findingsWord(long n);

}  // namespace livra
