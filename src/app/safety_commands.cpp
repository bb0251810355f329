#include "app/safety_commands.h"

#include "check/validator.h"

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
    // The list shows the current verdict after the size report; the box
    // carries the findings that decide (on the command line it goes to stderr).
    const SafetyReport r = addSafetyLines(c, ui);
    std::vector<const SafetyFinding*> conflicts, short_, missing, others;
    for (const SafetyFinding& f : r.findings) {
        switch (f.rule) {
            case SafetyRule::Conflict: conflicts.push_back(&f); break;
            case SafetyRule::Intergreen: short_.push_back(&f); break;
            case SafetyRule::MissingIntergreen: missing.push_back(&f); break;
            default: others.push_back(&f); break;
        }
    }
    if (r.refusesWrite()) {
        std::string text = kSafetyRefusedText, line = kSafetyRefusedLine;
        auto part = [&](const std::vector<const SafetyFinding*>& group, long counted, const char* head,
                        const char* word) {
            if (group.empty() && counted == 0) return;
            text += head + listed(group, counted);
            if (line != kSafetyRefusedLine) line += ", ";
            line += word;
        };
        part(conflicts, r.conflictsNotWorded, kSafetyRefusedConflictText, kSafetyRefusedConflictWord);
        part(short_, r.intergreensNotWorded, kSafetyRefusedIntergreenText, kSafetyRefusedIntergreenWord);
        part(missing, r.missingNotWorded, kSafetyRefusedMissingText, kSafetyRefusedMissingWord);
        ui.messageBox(kWarningTitle, text, Buttons::Ok, Icon::Exclamation);
        ui.add(line);
        return false;
    }
    if (r.empty()) return true;
    const long sequenceNotWorded = r.notWorded - r.conflictsNotWorded - r.intergreensNotWorded - r.missingNotWorded;
    const std::string text = kSafetyAskText + listed(others, sequenceNotWorded) + "\n" + kSafetyAskQuestion;
    return ui.askDefaultNo(kSafetyAskTitle, text, Icon::Exclamation) == Answer::Yes;
}

void showVerdict(const Configuration& c, const SafetyReport& r, ErrorList& list, bool fresh) {
    VectorErrorList verdict;
    if (validateConfiguration(c, verdict) == 0)
        for (const std::string& line : safetyReportLines(r)) verdict.add(line);
    if (fresh) list.clear();
    for (const std::string& line : verdict.lines) list.add(line);
}

void reportSafetyLoad(const SafetyLoadResult& r, ErrorList& list) {
    if (r.status != SafetyFileStatus::Loaded && r.status != SafetyFileStatus::Missing) list.add(r.message);
}

}  // namespace livra
