// livra passport: the object data beside the project, shown and edited.
#include <charconv>
#include <iostream>
#include <map>
#include <memory>

#include "cli/cli_util.h"
#include "model/files.h"
#include "model/object_file.h"
#include "model/safety_file.h"
#include "model/texts.h"

namespace livra::cli {
namespace {

struct TextOption {
    const char* option;
    std::string ObjectData::*field;
    const char* label;
    bool multiline;
};

constexpr TextOption kTextOptions[] = {
    {"--name", &ObjectData::name, kObjectNameLabel, false},
    {"--address", &ObjectData::address, kObjectAddressLabel, false},
    {"--owner", &ObjectData::owner, kObjectOwnerLabel, false},
    {"--designer", &ObjectData::designer, kObjectDesignerLabel, false},
    {"--prepared", &ObjectData::prepared, kObjectPreparedLabel, false},
    {"--checked", &ObjectData::checked, kObjectCheckedLabel, false},
    {"--approved", &ObjectData::approved, kObjectApprovedLabel, false},
    {"--revision", &ObjectData::revision, kObjectRevisionLabel, false},
    {"--revision-date", &ObjectData::revisionDate, kObjectRevisionDateLabel, false},
    {"--model", &ObjectData::model, kObjectModelLabel, false},
    {"--serial", &ObjectData::serial, kObjectSerialLabel, false},
    {"--notes", &ObjectData::notes, kObjectNotesLabel, true},
};

bool numberIn(const std::string& text, int lo, int hi, int& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= lo && out <= hi;
}

void printObject(const ObjectData& o, const Configuration& c) {
    for (const TextOption& t : kTextOptions) {
        std::string value = o.*t.field;
        // Notes keep their lines, indented under the label.
        for (std::size_t at = value.find('\n'); at != std::string::npos; at = value.find('\n', at + 3))
            value.replace(at, 1, "\n  ");
        std::cout << t.label << ": " << value << "\n";
    }
    std::cout << kDirectionNamesLabel << ":\n";
    for (int d = 0; d < DirectionCount; ++d)
        if (!o.directionNames[d].empty() && c.DirectionKind[d] != DirEmpty)
            std::cout << "  " << d + 1 << "\t" << o.directionNames[d] << "\n";
    std::cout << kProgramNamesLabel << ":\n";
    for (int p = 0; p < ProgramCount; ++p)
        if (!o.programNames[p].empty()) std::cout << "  " << programTitle(p) << "\t" << o.programNames[p] << "\n";
    std::cout << kWritesLabel << ":\n";
    if (o.writes.empty()) std::cout << "  " << kNoWritesText << "\n";
    for (const WriteRecord& w : o.writes)
        std::cout << "  " << w.when << "\t" << w.controller << "\t" << kObjectRevisionLabel << " " << w.revision << "\n";
}

int runPassport(const GlobalOptions&, const Args& args) {
    const char* usage =
        "usage: livra passport FILE.ptm [--name TEXT] [--address TEXT] [--owner TEXT] [--designer TEXT] "
        "[--prepared TEXT] [--checked TEXT] [--approved TEXT] [--revision TEXT] [--revision-date DD.MM.YYYY] "
        "[--model TEXT] [--serial TEXT] [--notes TEXT] [--direction-name N TEXT]... [--program-name N TEXT]...";
    std::vector<std::string> positional;
    std::map<std::string, std::string> texts;  // option → value; the last one given wins
    std::vector<std::pair<int, std::string>> directionNames, programNames;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            positional.push_back(a);
            continue;
        }
        if (a == "--direction-name" || a == "--program-name") {
            if (i + 2 >= args.size()) return usageError("passport", a + " needs a number and a text");
            const bool direction = a == "--direction-name";
            const int hi = direction ? DirectionCount : ProgramCount;
            int n = 0;
            if (!numberIn(args[i + 1], 1, hi, n))
                return usageError("passport", a + " takes a number 1.." + std::to_string(hi) + ", not '" + args[i + 1] + "'");
            if (const std::string why = objectTextProblem(args[i + 2], kMaxObjectNameLength, false); !why.empty())
                return usageError("passport", a + " " + args[i + 1] + ": " + why);
            (direction ? directionNames : programNames).emplace_back(n, args[i + 2]);
            i += 2;
            continue;
        }
        const TextOption* option = nullptr;
        for (const TextOption& t : kTextOptions)
            if (a == t.option) option = &t;
        if (!option) return usageError("passport", "unknown option " + a);
        if (i + 1 >= args.size()) return usageError("passport", a + " needs a value");
        const std::string& value = args[++i];
        if (const std::string why = objectTextProblem(value, kMaxObjectTextLength, option->multiline); !why.empty())
            return usageError("passport", a + ": " + why);
        if (option->field == &ObjectData::revisionDate && !isRevisionDate(value))
            return usageError("passport", std::string("--revision-date: ") + kRevisionDateProblem + ", not '" + value + "'");
        texts[a] = value;
    }
    if (positional.size() != 1) return usageError("passport", usage);
    const std::string& project = positional[0];
    auto c = loadProjectForReading(project);
    if (!c) return ExitUsage;
    const SafetyLoadResult loaded = loadProjectSafety(*c, project);
    if (loaded.status == SafetyFileStatus::Damaged) {
        reportFileError(safetyFileNameFor(project), loaded.message);
        return ExitUsage;
    }
    if (loaded.status == SafetyFileStatus::Stale) std::cerr << loaded.message << "\n";
    for (const auto& [n, name] : directionNames)
        if (c->DirectionKind[n - 1] == DirEmpty)
            return usageError("passport", "--direction-name: direction " + std::to_string(n) + " is not in use");

    if (texts.empty() && directionNames.empty() && programNames.empty()) {
        printObject(c->Safety.object, *c);
        return ExitOk;
    }
    ObjectData& o = c->Safety.object;
    for (const TextOption& t : kTextOptions)
        if (const auto it = texts.find(t.option); it != texts.end()) o.*t.field = it->second;
    for (const auto& [n, name] : directionNames) o.directionNames[n - 1] = name;
    for (const auto& [n, name] : programNames) o.programNames[n - 1] = name;

    if (!saveCompanionFile(*c, project, loaded.status == SafetyFileStatus::Stale)) return ExitFailed;
    return ExitOk;
}

}  // namespace

const std::vector<Command>& passportCommands() {
    static const std::vector<Command> commands = {
        {"passport",
         "passport FILE.ptm [--name TEXT] [--address TEXT] [--owner TEXT] [--designer TEXT] [--prepared TEXT] "
         "[--checked TEXT] [--approved TEXT] [--revision TEXT] [--revision-date DD.MM.YYYY] [--direction-name N "
         "TEXT]... [--program-name N TEXT]...",
         "Without options prints the object data kept beside the project (in\n"
         "NAME.safety.json): the object's name and address, owner, designer, the\n"
         "prepared/checked/approved names, revision and its date, the controller's\n"
         "model and serial number, notes, the names of directions and programs and\n"
         "the record of verified writes. With options sets those fields (an empty\n"
         "TEXT clears one; also --model, --serial, --notes) and writes the file;\n"
         "the project file itself is not touched. Direction N is 1..63 and must be\n"
         "in use, program N is 1..16.\n",
         runPassport},
    };
    return commands;
}

}  // namespace livra::cli
