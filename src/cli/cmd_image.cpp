// livra check, livra compile, livra decompile.
#include <iostream>

#include "check/image_limits.h"
#include "app/safety_commands.h"
#include "check/validator.h"
#include "cli/cli_util.h"
#include "image/image.h"
#include "model/files.h"
#include "model/project_file.h"

namespace livra::cli {
namespace {

int runCheck(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {}, {"--safety"});
    if (!p.error().empty()) return usageError("check", p.error());
    if (p.positional().size() != 1) return usageError("check", "usage: livra check FILE.ptm [--safety]");
    const bool safety = p.has("--safety");
    auto c = loadProjectForReading(p.positional()[0]);
    if (!c) return ExitUsage;
    SafetyFileStatus status = SafetyFileStatus::Missing;
    if (safety && !loadSafetyForCommand(*c, p.positional()[0], &status)) return ExitUsage;
    VectorErrorList list;
    const int result = validateConfiguration(*c, list);
    ConsoleDialogs console;
    for (const auto& line : list.lines) console.add(line);
    if (!safety || result != 0) return result == 0 ? ExitOk : ExitFailed;
    // As in the error list: the safety lines follow a clean verdict.
    const SafetyReport report = addSafetyLines(*c, console);
    // A pair that was not saved together is checked all the same, but the
    // verdict cannot stand for the project.
    if (status == SafetyFileStatus::Mismatched) return ExitUsage;
    return result == 0 && report.empty() ? ExitOk : ExitFailed;
}

int runCompile(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--out"}, {"--no-check"});
    if (!p.error().empty()) return usageError("compile", p.error());
    const auto out = p.value("--out");
    if (!out || p.positional().size() != 1)
        return usageError("compile", "usage: livra compile FILE.ptm --out DIR [--no-check]");
    auto c = loadProjectForReading(p.positional()[0]);
    if (!c) return ExitUsage;

    // The error list and message boxes of the main window, on stdout and stderr.
    ConsoleDialogs console;
    if (!p.has("--no-check")) {
        VectorErrorList verdict;
        const int result = validateConfiguration(*c, verdict);
        for (const auto& line : verdict.lines) console.add(line);
        if (result != 0) return ExitFailed;
        // What the image cannot carry faithfully is never compiled for a controller.
        VectorErrorList limits;
        if (checkImageLimits(*c, limits) != 0) {
            for (const auto& line : limits.lines) console.add(line);
            return ExitFailed;
        }
    }
    const ImageFiles image = encodeImage(*c);
    const auto folder = pathFromUtf8(*out);
    int failed = 0;
    std::vector<int> replaced;
    if (!writeImageParts(folder, image, &failed, realFileSystem(), &replaced)) {
        std::cerr << "livra compile: cannot write " << imagePart(failed).fileName << " into " << *out;
        if (replaced.empty()) {
            std::cerr << "; the part files there were left as they were\n";
        } else {
            std::cerr << "; these part files were replaced and could not be put back, the folder holds a mixed image:";
            for (int part : replaced) std::cerr << " " << imagePart(part).fileName;
            std::cerr << "\n";
        }
        return ExitFailed;
    }
    if (reportImageSize(image, console) != 0) {
        console.messageBox(kWarningTitle, kImageTooLargeText, Buttons::Ok, Icon::Exclamation);
        return ExitFailed;
    }
    return ExitOk;
}

int runDecompile(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--out"}, {});
    if (!p.error().empty()) return usageError("decompile", p.error());
    const auto out = p.value("--out");
    if (!out || p.positional().size() != 1)
        return usageError("decompile", "usage: livra decompile DIR --out FILE.ptm");
    const std::string& dir = p.positional()[0];
    const auto image = readImageParts(pathFromUtf8(dir));
    if (!image) {
        std::cerr << "livra decompile: " << dir << ": a part file is missing, unreadable or too long\n";
        return ExitUsage;
    }
    const auto c = decodeImage(*image);
    if (!c) {
        std::cerr << "livra decompile: " << dir << ": the image is damaged; nothing was written\n";
        return ExitUsage;
    }
    return saveForCommand(*out, serializeProject(*c, {}), nullptr, *c);
}

}  // namespace

const std::vector<Command>& imageCommands() {
    static const std::vector<Command> commands = {
        {"check", "check FILE.ptm [--safety]",
         "Runs the configuration check of the \"Тест\" button over user programs 4..16\n"
         "and prints its verdict: the first error found, or \"Ошибок не обнаружено\".\n"
         "Exit status: 0 no error, 1 an error was found, 2 the file cannot be loaded.\n"
         "--safety also runs the safety check with FILE.safety.json beside the project:\n"
         "after the verdict one line per finding (conflicts, intergreen times, signal\n"
         "sequences, minimum greens), or \"Проверка безопасности: замечаний нет\".\n"
         "Exit status then: 0 no error and no finding, 1 otherwise, 2 the project cannot\n"
         "be loaded or its safety file is damaged.\n",
         runCheck},
        {"compile", "compile FILE.ptm --out DIR [--no-check]",
         "Compiles the configuration into the ten controller memory part files\n"
         "(decod_*.snt) in DIR, creating DIR when needed, and prints the size report.\n"
         "The configuration is checked first; on an error the verdict is printed, nothing\n"
         "is written and the exit status is 1. --no-check skips the check.\n"
         "When the external memory part exceeds 100000 bytes the files are written, the\n"
         "refusal is printed on stderr and the exit status is 1: such an image does not\n"
         "fit the controller.\n",
         runCompile},
        {"decompile", "decompile DIR --out FILE.ptm",
         "Turns the ten part files of DIR (as compiled, or as read from a controller)\n"
         "back into a configuration and saves it as a project without a plan.\n"
         "A missing, oversized or damaged part file is reported on stderr, nothing is\n"
         "written and the exit status is 2.\n",
         runDecompile},
    };
    return commands;
}

}  // namespace livra::cli
