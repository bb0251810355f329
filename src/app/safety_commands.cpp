#include "app/safety_commands.h"

namespace livra {
namespace {

// The first few findings and how many more there are; `counted` of them were
// only counted by the check, not worded.
std::string listed(const std::vector<const SafetyFinding*>& findings, long counted) {
    std::string text;
    const int shown = std::min<int>(kSafetyBoxLines, int(findings.size()));
    for (int i = 0; i < shown; ++i) text += findings[i]->text + "\n";
    const long more = long(findings.size()) - shown + counted;
    if (more > 0) text += kAndMoreText + std::to_string(more) + "\n";
    return text;
}

}  // namespace

SafetyReport addSafetyLines(const Configuration& c, ErrorList& list) {
    SafetyReport r = checkSafety(c, c.Safety);
    for (const std::string& line : safetyReportLines(r)) list.add(line);
    return r;
}

bool safetyAllowsWrite(const Configuration& c, UserDialogs& ui) {
    // The box carries the findings; the list keeps the verdict and the size
    // report as they were (on the command line the box goes to stderr).
    const SafetyReport r = checkSafety(c, c.Safety);
    std::vector<const SafetyFinding*> conflicts, others;
    for (const SafetyFinding& f : r.findings) (f.rule == SafetyRule::Conflict ? conflicts : others).push_back(&f);
    if (r.hasConflict()) {
        ui.messageBox(kWarningTitle, kSafetyRefusedText + listed(conflicts, r.conflictsNotWorded), Buttons::Ok,
                      Icon::Exclamation);
        return false;
    }
    if (r.empty()) return true;
    const std::string text =
        kSafetyAskText + listed(others, r.notWorded - r.conflictsNotWorded) + "\n" + kSafetyAskQuestion;
    return ui.askDefaultNo(kSafetyAskTitle, text, Icon::Exclamation) == Answer::Yes;
}

void reportSafetyLoad(const SafetyLoadResult& r, ErrorList& list) {
    if (r.status != SafetyFileStatus::Loaded && r.status != SafetyFileStatus::Missing) list.add(r.message);
}

}  // namespace livra
