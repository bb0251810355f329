// livra diagram, livra report.
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <charconv>
#include <iostream>

#include "cli/cli_util.h"
#include "diagram/report_layout.h"
#include "diagram_qt/diagram_export.h"
#include "livra_version.h"

namespace livra::cli {
namespace {

// Outside a desktop session (cron, ssh, a build server) Qt warns on stderr
// that it has no runtime folder; nothing here needs one, and a script that
// reads stderr for failures must not see it. Everything else passes on.
QtMessageHandler previousHandler = nullptr;

void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) return;
    if (previousHandler) previousHandler(type, context, message);
}

// Drawing needs a QGuiApplication; these two commands make an offscreen one
// of their own, so they run without a display and the others stay without one.
class OffscreenGui {
public:
    OffscreenGui() {
        if (QGuiApplication::instance()) return;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        previousHandler = qInstallMessageHandler(quietHandler);
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }

private:
    int argc_ = 1;
    char name_[6] = "livra";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

std::string fileNameOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

int runDiagram(const GlobalOptions&, const Args& args) {
    const char* usage = "usage: livra diagram FILE.ptm --program N --out FILE.(png|svg|pdf)";
    ArgParser p(args, {"--program", "--out"}, {});
    if (!p.error().empty()) return usageError("diagram", p.error());
    const auto number = p.value("--program");
    const auto out = p.value("--out");
    if (p.positional().size() != 1 || !number || !out) return usageError("diagram", usage);
    int program = 0;
    const auto [end, ec] = std::from_chars(number->data(), number->data() + number->size(), program);
    if (ec != std::errc() || end != number->data() + number->size() || program < 1 || program > ProgramCount)
        return usageError("diagram", "--program takes a program number 1..16, not '" + *number + "'");
    if (!diagram::fileKindOf(*out)) return usageError("diagram", diagram::kUnknownFileKindText);
    auto c = loadProjectWithSafety(p.positional()[0]);
    if (!c) return ExitUsage;
    std::string error;
    const auto timeline = diagram::buildTimeline(*c, program - 1, &error);
    if (!timeline) {
        std::cerr << "livra diagram: " << error << "\n";
        return ExitFailed;
    }
    OffscreenGui gui;
    error = diagram::writeDiagram(*timeline, *out);
    if (!error.empty()) {
        std::cerr << "livra diagram: " << error << "\n";
        return ExitFailed;
    }
    return ExitOk;
}

int runReport(const GlobalOptions&, const Args& args) {
    ArgParser p(args, {"--out"}, {});
    if (!p.error().empty()) return usageError("report", p.error());
    const auto out = p.value("--out");
    if (p.positional().size() != 1 || !out) return usageError("report", "usage: livra report FILE.ptm --out FILE.pdf");
    if (diagram::fileKindOf(*out) != diagram::FileKind::Pdf)
        return usageError("report", "the report is a PDF file: --out FILE.pdf");
    auto c = loadProjectWithSafety(p.positional()[0]);
    if (!c) return ExitUsage;
    // The report shows what the desktop program's does: with the data beside the project.
    if (!loadSafetyForCommand(*c, p.positional()[0])) return ExitUsage;
    OffscreenGui gui;
    const std::string name = fileNameOf(p.positional()[0]);
    const auto report =
        diagram::planReport(*c, {name, QDate::currentDate().toString("dd.MM.yyyy").toStdString(), LIVRA_VERSION});
    const std::string error = diagram::writeReport(report, *out, "Проект: " + name);
    if (!error.empty()) {
        std::cerr << "livra report: " << error << "\n";
        return ExitFailed;
    }
    std::cout << report.pages.size() << " стр., программ: " << report.diagrams.size() << "\n";
    return ExitOk;
}

}  // namespace

const std::vector<Command>& diagramCommands() {
    static const std::vector<Command> commands = {
        {"diagram", "diagram FILE.ptm --program N --out FILE.(png|svg|pdf)",
         "Draws the timing diagram of program N (1..16): one row per used direction,\n"
         "a segment per tact in the direction's signal, phase numbers on top, the time\n"
         "axis in seconds. PNG and SVG are one picture; PDF is A4 landscape pages.\n"
         "An empty program is refused (exit 1). Needs no display.\n",
         runDiagram},
        {"report", "report FILE.ptm --out FILE.pdf",
         "Writes the printable report of a project as A4 PDF: title block, directions\n"
         "with their output channels and monitoring modes, the diagram of every\n"
         "non-empty program and the weekly calendar, with page numbers. Prints the\n"
         "page count. Needs no display.\n",
         runReport},
    };
    return commands;
}

}  // namespace livra::cli
