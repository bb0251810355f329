// livra diagram, livra report.
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <charconv>
#include <iostream>

#include "cli/cli_util.h"
#include "app/report_commands.h"
#include "diagram_qt/diagram_export.h"
#include "model/files.h"
#include "report_qt/report_export.h"
#include "report_qt/report_sources.h"
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

// Non-empty programs, the fixed ones too, as the title page counts them.
int countPrograms(const Configuration& c) {
    int n = 0;
    for (int p = 0; p < ProgramCount; ++p) n += isProgramEmpty(c, p) ? 0 : 1;
    return n;
}

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
    ArgParser p(args, {"--out", "--csv"}, {});
    if (!p.error().empty()) return usageError("report", p.error());
    const auto out = p.value("--out");
    const auto csv = p.value("--csv");
    if (p.positional().size() != 1 || (!out && !csv))
        return usageError("report", "usage: livra report FILE.ptm --out FILE.pdf [--csv FILE.csv]");
    if (out && diagram::fileKindOf(*out) != diagram::FileKind::Pdf)
        return usageError("report", "the report is a PDF file: --out FILE.pdf");
    const std::string& project = p.positional()[0];
    std::string planBytes;
    auto c = loadProjectWithSafety(project, &planBytes);
    if (!c) return ExitUsage;
    if (csv) {
        const std::string error = writeReportCsvFile(*c, *csv);
        if (!error.empty()) {
            std::cerr << "livra report: " << error << "\n";
            return ExitFailed;
        }
    }
    if (!out) return ExitOk;
    OffscreenGui gui;
    const std::filesystem::path projectPath = pathFromUtf8(project);
    const report::ReportPlan plan = report::reportPlan(
        *c, std::span(reinterpret_cast<const uint8_t*>(planBytes.data()), planBytes.size()), workingFolder(),
        projectPath.parent_path());
    ReportJob job{fileNameOf(project), QDate::currentDate().toString("dd.MM.yyyy").toStdString(), LIVRA_VERSION};
    plan.into(job);
    int pages = 0;
    const std::string error = writeReportFile(*c, job, *out, report::writeReportPdf, &pages);
    if (!error.empty()) {
        std::cerr << "livra report: " << error << "\n";
        return ExitFailed;
    }
    std::cout << pages << " стр., программ: " << countPrograms(*c) << "\n";
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
        {"report", "report FILE.ptm --out FILE.pdf [--csv FILE.csv]",
         "Writes the object's passport as A4 PDF: the title page with the object data\n"
         "and the signature block (see `livra passport`), the plan with the numbered\n"
         "heads, for each user program its phase pictures, its table of phases and\n"
         "interphases with the required and provided intergreen of every conflicting\n"
         "pair, and its timing diagram on a landscape page; the calendar with the\n"
         "program names, the call logic, programs 1-3 in a line each, the directions,\n"
         "the record of verified writes and the safety part. The revision stands in\n"
         "every page's footer. Prints the page count. --csv also writes the program\n"
         "and intergreen tables as a spreadsheet (\";\", UTF-8); either option alone\n"
         "will do. Needs no display.\n",
         runReport},
    };
    return commands;
}

}  // namespace livra::cli
