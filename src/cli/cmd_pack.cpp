// livra pack, livra unpack.
#include <iostream>
#include <string>

#include "cli/cli_util.h"
#include "format/project_pack.h"
#include "model/files.h"
#include "format/texts.h"

namespace livra::cli {
namespace {

int runPack(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--out"}, {});
    if (!p.error().empty()) return usageError("pack", p.error());
    const auto out = p.value("--out");
    if (p.positional().size() != 1 || !out) return usageError("pack", "usage: livra pack FILE.ptm --out FILE.zip");
    const auto project = pathFromUtf8(p.positional()[0]);
    const PackResult r = packProject(project, pathFromUtf8(*out), workingFolder() / "shem");
    if (!r.ok) {
        std::cerr << r.message << "\n";
        return ExitFailed;
    }
    for (const auto& name : r.names) std::cout << name << "\n";
    if (r.pictureMissing) std::cerr << kPlanPictureMissingText << r.pictureName << "\n";
    return ExitOk;
}

int runUnpack(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--out"}, {});
    if (!p.error().empty()) return usageError("unpack", p.error());
    const auto out = p.value("--out");
    if (p.positional().size() != 1 || !out) return usageError("unpack", "usage: livra unpack FILE.zip --out DIR");
    const UnpackResult r = unpackProject(pathFromUtf8(p.positional()[0]), pathFromUtf8(*out));
    if (!r.ok) {
        std::cerr << r.message << "\n";
        return ExitFailed;
    }
    for (const auto& f : r.files) std::cout << pathToUtf8(f) << "\n";
    return ExitOk;
}

}  // namespace

const std::vector<Command>& packCommands() {
    static const std::vector<Command> commands = {
        {"pack", "pack FILE.ptm --out FILE.zip",
         "Puts the project, its safety file (NAME.safety.json) and the plan picture\n"
         "its plan names (found in the working folder's shem/ or in shem/ beside the\n"
         "project) into one zip archive, and prints the names it holds. The project\n"
         "file goes in byte for byte. A picture found nowhere is reported on stderr;\n"
         "the archive is written without it.\n",
         runPack},
        {"unpack", "unpack FILE.zip --out DIR",
         "Takes a packed project out into DIR (made when missing): the project file,\n"
         "its safety file and shem/PICTURE beside it, where the program looks for the\n"
         "plan picture. The whole archive is checked first (names that would leave\n"
         "DIR, sizes, checksums, one project file); a damaged or hostile archive is\n"
         "refused with exit status 1 and leaves nothing in DIR. A different file of\n"
         "the same name in DIR is not replaced.\n",
         runUnpack},
    };
    return commands;
}

}  // namespace livra::cli
