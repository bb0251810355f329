// livra info | clock | sync | journal | write | verify | read | service: the
// controller commands, one connection each.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#define LIVRA_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define LIVRA_ISATTY(fd) ::isatty(fd)
#endif

#include "app/controller_commands.h"
#include "app/texts.h"
#include "app/verify_commands.h"
#include "check/compare.h"
#include "cli/cli_util.h"
#include "link/serial_port.h"
#include "model/files.h"
#include "model/project_file.h"
#include "serial_qt/qt_serial_port.h"

namespace livra::cli {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) { interrupted = true; }

// Boxes go to stderr with their title (the identity box is the result of
// `info` and goes to stdout); Ctrl+C is the exchange window's Cancel; a
// progress bar is drawn while bytes move, on a terminal only.
class LinkConsole : public ConsoleDialogs {
public:
    std::optional<std::string> fileName;
    std::optional<std::string> input;
    std::string port;  // named with --port; empty when the cable is searched for
    bool anyBox = false;

    // The error list shows its final state: the validator clears it for
    // each program it checks, then the size report adds its lines.
    void clear() override { list_.clear(); }
    void add(const std::string& line) override { list_.push_back(line); }
    void flushList() {
        for (const auto& line : list_) std::cout << line << '\n';
        std::cout << std::flush;
        list_.clear();
    }

    Answer messageBox(const std::string& title, const std::string& text, Buttons buttons, Icon icon) override {
        endBar();
        flushList();
        anyBox = true;
        return ConsoleDialogs::messageBox(title, text, buttons, icon);
    }
    std::optional<std::string> saveFileName(const std::string&, const std::string&) override { return fileName; }
    std::optional<std::string> textInput(const std::string&, const std::string&, bool) override { return input; }

    void exchangeBegin() override {
        flushList();
        interrupted = false;
        previous_ = std::signal(SIGINT, onInterrupt);
    }
    void exchangeProgress(std::size_t done, std::size_t total) override {
        if (!showBar_ || total == 0) return;
        constexpr int kWidth = 40;
        const int filled = int(kWidth * std::min(done, total) / total);
        std::cerr << "\r[" << std::string(std::size_t(filled), '#') << std::string(std::size_t(kWidth - filled), '.')
                  << "] " << done << "/" << total << " байт" << std::flush;
        barDrawn_ = true;
    }
    bool cancelRequested() override { return interrupted; }
    void exchangeEnd() override {
        endBar();
        std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
    }

    // Ends the progress line before other output.
    void endBar() {
        if (barDrawn_) std::cerr << "\n";
        barDrawn_ = false;
    }

private:
    std::vector<std::string> list_;
    bool showBar_ = LIVRA_ISATTY(2) != 0;
    bool barDrawn_ = false;
    void (*previous_)(int) = SIG_DFL;
};

struct Link {
    std::unique_ptr<SerialPortProvider> ports = makeQtSerialPortProvider();
    LinkContext context;
    LinkConsole console;
    explicit Link(const GlobalOptions& g) {
        context.ports = ports.get();
        context.fixedPort = g.port;
        console.port = g.port;
    }
    // Exit status of the command just run; a failure nobody was told about
    // (damaged replies) gets a line of its own.
    int finish(const char* command, LinkOutcome outcome) {
        console.flushList();
        if (outcome == LinkOutcome::Ok) return ExitOk;
        // The box speaks of a cable; a mistyped --port is what usually lies behind it.
        if (outcome == LinkOutcome::NoCable && !console.port.empty()) std::cerr << "Порт: " << console.port << "\n";
        // Once a write frame went out, the controller may hold part of it.
        if (!console.anyBox)
            std::cerr << "livra " << command << ": the controller's replies were damaged; "
                      << (outcome == LinkOutcome::PartlyWritten
                              ? "the controller may now hold a partly written configuration and must be written again\n"
                              : "nothing was changed\n");
        return ExitFailed;
    }
};

void printClock(const LinkTabState& tab) {
    std::cout << "ДК: " << tab.controllerTime << "\nПК: " << tab.computerTime << "\n";
}

void printJournal(const LinkTabState& tab) {
    for (const auto& row : tab.journal)
        std::cout << row.date << "\t" << row.channel << "\t" << row.direction << "\t" << row.event << "\n";
}

// `--port DEVICE` is taken after the command too (`livra info --port COM4`),
// as people type it; the later one wins.
GlobalOptions withPort(const GlobalOptions& g, const ArgParser& p) {
    GlobalOptions options = g;
    if (auto port = p.value("--port")) options.port = *port;
    return options;
}

// An output path that cannot be saved to is told before the controller is
// asked anything: a read can take many seconds.
int cannotSave(const std::string& file) {
    reportFileError(file, kSaveErrorText);
    return ExitFailed;
}

int noArguments(const char* name, const GlobalOptions& g, const Args& args, GlobalOptions& options) {
    ArgParser p(args, {"--port"}, {});
    if (!p.error().empty()) return usageError(name, p.error());
    if (!p.positional().empty()) return usageError(name, "takes no arguments");
    options = withPort(g, p);
    return -1;
}

int runInfo(const GlobalOptions& g, const Args& args) {
    GlobalOptions options;
    if (int e = noArguments("info", g, args, options); e >= 0) return e;
    Link link(options);
    ControllerIdentity id;
    const LinkOutcome r = readControllerInfo(link.context, link.console, id);
    if (r == LinkOutcome::Ok) std::cout << controllerInfoText(id) << "\n";
    return link.finish("info", r);
}

int runClock(const GlobalOptions& g, const Args& args) {
    GlobalOptions options;
    if (int e = noArguments("clock", g, args, options); e >= 0) return e;
    Link link(options);
    LinkTabState tab;
    const LinkOutcome r = readControllerClock(link.context, link.console, tab);
    if (r == LinkOutcome::Ok) printClock(tab);
    return link.finish("clock", r);
}

int runSync(const GlobalOptions& g, const Args& args) {
    GlobalOptions options;
    if (int e = noArguments("sync", g, args, options); e >= 0) return e;
    Link link(options);
    LinkTabState tab;
    const LinkOutcome r = syncControllerClock(link.context, link.console, tab);
    if (!tab.controllerTime.empty()) printClock(tab);
    return link.finish("sync", r);
}

int runJournal(const GlobalOptions& g, const Args& args) {
    ArgParser p(args, {"--save", "--port"}, {});
    if (!p.error().empty()) return usageError("journal", p.error());
    if (!p.positional().empty()) return usageError("journal", "unexpected argument " + p.positional()[0]);
    if (auto file = p.value("--save"); file && !folderCanHoldFile(pathFromUtf8(*file)))
        return cannotSave(*file);
    Link link(withPort(g, p));
    LinkTabState tab;
    const LinkOutcome r = readJournal(link.context, link.console, tab);
    if (r != LinkOutcome::Ok) return link.finish("journal", r);
    printJournal(tab);
    if (auto file = p.value("--save")) {
        link.console.fileName = *file;
        if (!saveJournal(tab, link.console)) return ExitFailed;
    }
    return ExitOk;
}

int runWrite(const GlobalOptions& g, const Args& args) {
    ArgParser p(args, {"--port"}, {"--verify"});
    if (!p.error().empty()) return usageError("write", p.error());
    if (p.positional().size() != 1) return usageError("write", "needs one project file");
    // Without its safety data a project could not be checked for conflicts.
    auto c = loadProjectWithSafety(p.positional()[0]);
    if (!c) return ExitUsage;
    Link link(withPort(g, p));
    const LinkOutcome r = p.has("--verify") ? writeAndVerify(*c, link.context, link.console)
                                            : writeToController(*c, link.context, link.console);
    // The record of the verified write stays with the project's object data.
    if (r == LinkOutcome::Ok && p.has("--verify"))
        saveCompanionFile(*c, p.positional()[0], c->Safety.defined && c->Safety.writtenKinds != c->DirectionKind);
    return link.finish("write", r);
}

// Exit 0 equal, 1 different (the lines on stdout) or not compared (the
// reason on stderr), 2 bad usage or a project that cannot be compared.
int runVerify(const GlobalOptions& g, const Args& args) {
    ArgParser p(args, {"--port"}, {});
    if (!p.error().empty()) return usageError("verify", p.error());
    if (p.positional().size() != 1) return usageError("verify", "needs one project file");
    auto c = loadProjectForReading(p.positional()[0]);
    if (!c) return ExitUsage;
    if (const auto finding = imageFinding(*c)) return usageError("verify", p.positional()[0] + ": " + *finding);
    Link link(withPort(g, p));
    LinkOutcome failure = LinkOutcome::Ok;
    const VerifyResult r = compareWithController(*c, link.context, link.console, nullptr, &failure);
    if (r == VerifyResult::Failed) return link.finish("verify", failure);
    link.console.flushList();
    return r == VerifyResult::Equal ? ExitOk : ExitFailed;
}

int runRead(const GlobalOptions& g, const Args& args) {
    ArgParser p(args, {"--out", "--port"}, {});
    if (!p.error().empty()) return usageError("read", p.error());
    if (!p.positional().empty()) return usageError("read", "unexpected argument " + p.positional()[0]);
    const auto out = p.value("--out");
    if (!out) return usageError("read", "needs --out FILE.ptm");
    if (!folderCanHoldFile(pathFromUtf8(*out))) return cannotSave(*out);
    auto c = std::make_unique<Configuration>();
    Link link(withPort(g, p));
    const LinkOutcome r = readFromController(*c, link.context, link.console);
    if (r != LinkOutcome::Ok) return link.finish("read", r);
    link.console.flushList();
    const ProjectResult saved = saveProject(*c, *out);
    if (!saved.ok()) {
        std::cerr << kErrorTitle << ": " << saved.message;
        return ExitFailed;
    }
    return ExitOk;
}

int runService(const GlobalOptions& g, const Args& args) {
    ArgParser p(args, {"--port"}, {});
    if (!p.error().empty()) return usageError("service", p.error());
    if (p.positional().size() != 1) return usageError("service", "needs the access code");
    const std::string& code = p.positional()[0];
    if (code != kServiceRestartCode && code != kServiceClearJournalCode)
        return usageError("service", "the code was not accepted; nothing was sent");
    Link link(withPort(g, p));
    link.console.input = code;
    LinkTabState tab;
    const LinkOutcome r = serviceCommand(link.context, link.console, tab);
    if (r != LinkOutcome::Ok) return link.finish("service", r);
    link.console.flushList();
    printJournal(tab);
    return ExitOk;
}

}  // namespace

// Every link command's help ends with how the port is chosen.
#define LIVRA_PORT_HELP                                                                   \
    "--port DEVICE (before or after the command) names the serial port, e.g. COM4,\n"   \
    "/dev/ttyUSB0 or the device livra-emulator prints; without it the cable is searched for.\n"

const std::vector<Command>& linkCommands() {
    static const std::vector<Command> commands = {
        {"info", "info", "Shows the controller's model, firmware and compatibility class.\n" LIVRA_PORT_HELP,
         runInfo},
        {"clock", "clock", "Reads the controller's clock and shows it beside the computer's.\n" LIVRA_PORT_HELP,
         runClock},
        {"sync", "sync", "Sets the controller's clock from the computer's and reads it back.\n" LIVRA_PORT_HELP,
         runSync},
        {"journal", "journal [--save FILE.txt]",
         "Reads the controller's event journal, newest first, one tab-separated row a line\n"
         "(date, channel, direction, event). --save also writes it as a UTF-16 text file.\n" LIVRA_PORT_HELP,
         runJournal},
        {"write", "write [--verify] FILE.ptm",
         "Checks the project, compiles its image and writes it to the controller.\n"
         "A conflict, an intergreen cut short or a conflict without an intergreen\n"
         "time (the safety file beside the project) refuses the write: exit 1.\n"
         "On a terminal a progress bar shows the bytes sent; Ctrl+C cancels.\n"
         "--verify reads the controller back afterwards: exit 0 only when it gives back\n"
         "byte for byte what was sent; otherwise the differences are printed and exit is 1.\n" LIVRA_PORT_HELP,
         runWrite},
        {"verify", "verify FILE.ptm",
         "Reads the controller (into a temporary folder; nothing local changes) and compares\n"
         "what it holds with the project. Prints \"Конфигурация в ДК совпадает с проектом\"\n"
         "and exits 0 when equal; prints the differences one per line and exits 1 when not.\n"
         "Exit 1 also when the controller cannot be read (the reason on stderr); exit 2 on\n"
         "bad usage, an unreadable project or one the controller image cannot carry.\n" LIVRA_PORT_HELP,
         runVerify},
        {"read", "read --out FILE.ptm",
         "Reads the configuration from the controller and saves it as a project file.\n"
         "Nothing is saved unless every part arrived and decoded; a controller that holds\n"
         "no configuration exits 1 and nothing is written.\n" LIVRA_PORT_HELP,
         runRead},
        {"service", "service CODE",
         "Sends a service request guarded by its access code: 4021 restarts the controller\n"
         "and then shows the journal, 5930 clears the journal. Any other code is refused\n"
         "(exit 2) and nothing is sent.\n" LIVRA_PORT_HELP,
         runService},
    };
    return commands;
}

#undef LIVRA_PORT_HELP

}  // namespace livra::cli
