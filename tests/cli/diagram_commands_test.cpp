// livra diagram and livra report, run as a user runs them, and their files
// opened with a real PDF reader's tools.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "model/project_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

// The PDF reader's tools (poppler-utils) are the build machine's: a test
// program running under wine cannot start them, and checks what it can
// without them.
#define SKIP_WITHOUT_PDF_READER()                                                          \
    do {                                                                                   \
        if (kWindowsBuild) GTEST_SKIP() << "the PDF reader's tools run on the build machine"; \
    } while (0)
#ifdef _WIN32
constexpr bool kWindowsBuild = true;
#else
constexpr bool kWindowsBuild = false;
#endif

// The PDF reader's tools, found on the PATH.
std::string tool(const std::string& name) {
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin");
    std::string dir;
    while (std::getline(path, dir, ':'))
        if (std::filesystem::exists(std::filesystem::path(dir) / name)) return pathToUtf8(std::filesystem::path(dir) / name);
    ADD_FAILURE() << name << " is not installed";
    return name;
}

// No display at all, and a platform asked for that would need one: the
// commands must still draw.
RunResult livraWithoutDisplay(const std::vector<std::string>& args) {
    return runProgram(LIVRA_CLI_PATH, args, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", "xcb"}});
}

std::string saveProject(const TempDir& dir, const Configuration& c, const std::string& name) {
    const auto path = dir / name;
    writeBytes(path, serializeProject(c, {}));
    return pathToUtf8(path);
}

int pdfPages(const std::string& pdf) {
    const auto info = runProgram(tool("pdfinfo"), {pdf});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    const auto at = info.out.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.out.c_str() + at + 6);
}

// pdftoppm draws every page; returns how many pictures it wrote.
int renderAllPages(const TempDir& dir, const std::string& pdf) {
    const auto r = runProgram(tool("pdftoppm"), {"-r", "30", "-png", pdf, pathToUtf8(dir / "page")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        if (e.path().filename().string().rfind("page-", 0) == 0 && std::filesystem::file_size(e.path()) > 500) ++n;
    return n;
}

std::unique_ptr<Configuration> thirteenPrograms() {
    auto c = newConfiguration();
    for (int d = 0; d < 4; ++d) addDirection(*c, d, DirVehicle);
    for (int d = 4; d < 8; ++d) addDirection(*c, d, DirPedestrian);
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        addTact(*c, p, TactPhase, 40, 10, SignalGreen);
        addTact(*c, p, TactIntermediate, 3, 0, SignalYellow);
        addTact(*c, p, TactPhase, 30 + p, 10, SignalRed);
        addTact(*c, p, TactIntermediate, 3, 0, SignalRedYellow);
    }
    for (int day = 0; day < DayCount; ++day) addAlarm(*c, day, 6, 0, 4);
    return c;
}

}  // namespace

TEST(CliDiagram, WritesPngSvgAndPdfWithoutADisplay) {
    TempDir dir;
    const std::string project = saveProject(dir, *sampleConfiguration(), "sample.ptm");

    const auto png = livraWithoutDisplay({"diagram", project, "--program", "4", "--out", pathToUtf8(dir / "d.png")});
    ASSERT_EQ(png.exitCode, 0) << png.err;
    const Bytes bytes = readBytes(dir / "d.png");
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
    const uint32_t width = bytes[16] << 24 | bytes[17] << 16 | bytes[18] << 8 | bytes[19];
    EXPECT_EQ(width, 1116u);  // the diagram's 1100 pixels and a margin

    const auto svg = livraWithoutDisplay({"diagram", project, "--program", "4", "--out", pathToUtf8(dir / "d.SVG")});
    ASSERT_EQ(svg.exitCode, 0) << svg.err;
    const Bytes svgBytes = readBytes(dir / "d.SVG");
    const std::string text(svgBytes.begin(), svgBytes.end());
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("Программа 4 — цикл 38 с"), std::string::npos);

    const std::string pdf = pathToUtf8(dir / "d.pdf");
    const auto r = livraWithoutDisplay({"diagram", project, "--program", "4", "--out", pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    SKIP_WITHOUT_PDF_READER();
    EXPECT_EQ(pdfPages(pdf), 1);
    EXPECT_NE(runProgram(tool("pdfinfo"), {pdf}).out.find("842 x 595 pts (A4)"), std::string::npos);  // A4 landscape
    EXPECT_EQ(renderAllPages(dir, pdf), 1);
}

TEST(CliDiagram, NothingOnStderrOutsideADesktopSession) {
    // cron and ssh have no runtime folder; a script that treats output on
    // stderr as a failure must see none from a drawing that worked.
    TempDir dir;
    const std::string project = saveProject(dir, *sampleConfiguration(), "sample.ptm");
    const std::vector<std::pair<std::string, std::string>> session = {{"XDG_RUNTIME_DIR", ""}, {"DISPLAY", ""}};
    const auto png = runProgram(LIVRA_CLI_PATH, {"diagram", project, "--program", "4", "--out", pathToUtf8(dir / "d.png")},
                                session);
    EXPECT_EQ(png.exitCode, 0);
    EXPECT_EQ(png.err, "");
    const auto pdf = runProgram(LIVRA_CLI_PATH, {"report", project, "--out", pathToUtf8(dir / "r.pdf")}, session);
    EXPECT_EQ(pdf.exitCode, 0);
    EXPECT_EQ(pdf.err, "");
}

TEST(CliDiagram, RefusesEmptyProgramsAndBadUsage) {
    TempDir dir;
    const std::string project = saveProject(dir, *sampleConfiguration(), "sample.ptm");
    const std::string out = pathToUtf8(dir / "d.png");

    const auto empty = runLivra({"diagram", project, "--program", "5", "--out", out});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("Программа 5 пуста: в ней нет ни одного такта."), std::string::npos) << empty.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "d.png"));

    for (const char* bad : {"0", "17", "4x", ""})
        EXPECT_EQ(runLivra({"diagram", project, "--program", bad, "--out", out}).exitCode, 2) << bad;
    const auto bmp = runLivra({"diagram", project, "--program", "4", "--out", pathToUtf8(dir / "d.bmp")});
    EXPECT_EQ(bmp.exitCode, 2);
    EXPECT_NE(bmp.err.find("нужен .png, .svg или .pdf"), std::string::npos);
    EXPECT_EQ(runLivra({"diagram", project, "--out", out}).exitCode, 2);
    EXPECT_EQ(runLivra({"diagram", pathToUtf8(dir / "missing.ptm"), "--program", "4", "--out", out}).exitCode, 2);
    const auto unwritable = runLivra({"diagram", project, "--program", "4", "--out", pathToUtf8(dir / "no/such/d.png")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.err.find("Не удалось записать файл"), std::string::npos);
    const auto help = runLivra({"diagram", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: livra diagram FILE.ptm --program N"), std::string::npos);
    EXPECT_NE(runLivra({"--help"}).out.find("report FILE.ptm --out FILE.pdf"), std::string::npos);

    EXPECT_EQ(runLivra({"report", project, "--out", pathToUtf8(dir / "r.png")}).exitCode, 2);
    EXPECT_EQ(runLivra({"report", project}).exitCode, 2);
}

TEST(CliReport, ThirteenProgramsWithTheFontEmbedded) {
    TempDir dir;
    const std::string project = saveProject(dir, *thirteenPrograms(), "thirteen.ptm");
    const std::string pdf = pathToUtf8(dir / "report.pdf");
    const auto r = livraWithoutDisplay({"report", project, "--out", pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The title page; per program its phases and table, then its diagram
    // on a landscape page; the calendar, calls, fixed programs, directions,
    // record of writing and the safety part on the last two.
    EXPECT_EQ(r.out, "29 стр., программ: 13\n");
    SKIP_WITHOUT_PDF_READER();
    EXPECT_EQ(pdfPages(pdf), 29);
    EXPECT_EQ(renderAllPages(dir, pdf), 29);

    const auto fonts = runProgram(tool("pdffonts"), {pdf});
    ASSERT_EQ(fonts.exitCode, 0) << fonts.err;
    std::istringstream rows(fonts.out);
    std::string line;
    int listed = 0;
    std::getline(rows, line);
    std::getline(rows, line);  // the two header lines
    while (std::getline(rows, line)) {
        ++listed;
        EXPECT_EQ(line.rfind("LiberationSans", 0), 0u) << line;
        EXPECT_NE(line.find(" yes "), std::string::npos) << "not embedded: " << line;
    }
    EXPECT_GE(listed, 1);

    // Program 16's diagram: the last program's, the 27th page.
    const auto text = runProgram(tool("pdftotext"), {"-f", "27", "-l", "27", pdf, "-"});
    EXPECT_NE(text.out.find("Программа 16 — цикл 91 с"), std::string::npos) << text.out;
}

TEST(CliDiagram, AFullProgramStaysReadableOverSeveralPages) {
    TempDir dir;
    const std::string project = saveProject(dir, *fullConfiguration(), "full.ptm");
    const std::string pdf = pathToUtf8(dir / "full.pdf");
    const auto r = livraWithoutDisplay({"diagram", project, "--program", "9", "--out", pdf});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    SKIP_WITHOUT_PDF_READER();
    const int pages = pdfPages(pdf);
    EXPECT_GT(pages, 3);
    EXPECT_EQ(renderAllPages(dir, pdf), pages);
    // The last tact of the 321 is there, labelled, on the last page.
    const auto text = runProgram(tool("pdftotext"), {"-f", std::to_string(pages), "-l", std::to_string(pages), pdf, "-"});
    EXPECT_NE(text.out.find("321"), std::string::npos);
    EXPECT_NE(text.out.find("Лист " + std::to_string(pages) + " из " + std::to_string(pages)), std::string::npos);
}
