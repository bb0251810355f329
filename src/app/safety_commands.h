#pragma once
// Where the safety check meets the user: its lines after the validator's in
// the error list, the gate before a write to the controller, and the report
// of a safety file that could not be taken as it is.
#include "app/texts.h"
#include "app/user_dialogs.h"
#include "check/safety_check.h"
#include "model/configuration.h"
#include "model/safety_file.h"

namespace livra {

// How many findings a box lists before "… и ещё N".
inline constexpr int kSafetyBoxLines = 5;

// Runs the check and adds its lines to the list (after the validator's).
SafetyReport addSafetyLines(const Configuration& c, ErrorList& list);

// Before a write: adds the safety lines to the list; a conflict, an
// intergreen cut short or a conflict without an intergreen refuses it with a
// box saying why and a list line "Запись в ДК отменена: …"; the sequence
// findings ask "Записать всё равно?" (default No), listing the first few.
// True when the write may go on.
bool safetyAllowsWrite(const Configuration& c, UserDialogs& ui);

// The current verdict as the list shows it after every change of the tables:
// the validator's line, and after a clean one the lines of `r` (the check of
// the same tables). `fresh` clears the list first; otherwise the verdict
// follows what a command has just put there (a read, an opening).
void showVerdict(const Configuration& c, const SafetyReport& r, ErrorList& list, bool fresh);

// The error-list line for a safety file that is stale or damaged, if any.
void reportSafetyLoad(const SafetyLoadResult& r, ErrorList& list);

}  // namespace livra
