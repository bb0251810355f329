#pragma once
// The program and intergreen tables as a spreadsheet file: ";" between
// fields (the decimal comma of Russian spreadsheets leaves "," to numbers),
// fields quoted where they need it, UTF-8 with its mark so a spreadsheet
// reads the Cyrillic.
#include <string>
#include <vector>

#include "model/texts.h"
#include "report/report.h"

namespace livra::report {

// One CSV field: quoted when it holds ";", a quote or a line break.
std::string csvField(const std::string& text);

// Two tables one under the other, each with its header: every phase and
// interphase of every user program, then every conflicting pair of every
// change with its required and provided intergreen.
std::string reportCsv(const Report& r);

}  // namespace livra::report
