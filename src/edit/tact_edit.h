#pragma once
// The tact list of a user program: insert, delete, clear, copy, and the
// tact properties with their checks. Programs 1..3 follow the directions
// (fixed_programs.h) and are refused here.
#include <string>
#include <vector>

#include "model/configuration.h"
#include "model/texts.h"

namespace livra {

// Digits a time field takes; enough for any value the checks can reject.
constexpr int TimeFieldDigits = 9;

enum class TactEditResult {
    Done,
    TableFull,  // the last tact slot is used: nothing inserted, nothing moved
    Refused,    // a fixed program or a tact outside the table: nothing changed
};

bool isUserProgram(int program);

// An empty tact at `tact` (before) or at `tact` + 1 (after); the tacts from
// there move one place on, fields and signals together.
TactEditResult insertTactBefore(Configuration& c, int program, int tact);
TactEditResult insertTactAfter(Configuration& c, int program, int tact);
// The following tacts move one place back; the last slot becomes empty.
TactEditResult deleteTact(Configuration& c, int program, int tact);
// Every tact of the program empty, every signal 0. Directions stay.
TactEditResult clearProgram(Configuration& c, int program);

// The copy box: program `source` (index) into CurrentProgram. Marks the
// configuration changed whenever CurrentProgram is a user program, even when
// the source is the program itself; false for a fixed program.
bool copyProgram(Configuration& c, int source);

// A time field's value: the leading decimal digits, saturating at INT32_MAX,
// so that a long number is never wrapped into a small one; blank or no
// digits count 0.
int32_t parseTimeField(const std::string& text);

struct TactPropertiesInput {
    int kindIndex = -1;  // 0 "Фаза" … 3 "ТВП2"; -1 nothing selected
    std::string tMin;    // "Т мин" text
    std::string tMain;   // "Т осн" text
};

struct TactPropertiesResult {
    bool stored = false;
    std::vector<std::string> messages;  // each in its own "Ошибка !" box, in order
};

// Checks the input and, only when every check passes, stores kind, tMin and
// tMain; a changed kind clears the tact's signals first.
TactPropertiesResult applyTactProperties(Configuration& c, int program, int tact, const TactPropertiesInput& in);

}  // namespace livra
