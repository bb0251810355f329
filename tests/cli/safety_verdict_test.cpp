// Every command that shows or depends on the safety verdict says what
// `livra check --safety` says about the same project: the report, the
// diagram in each format, the text dump, the write and the verified write to
// the virtual controller, the simulation's monitor and the SUMO import.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <sstream>

#include "emulator/virtual_controller.h"
#include "model/files.h"
#include "support/test_support.h"

namespace livra {
namespace {

const std::filesystem::path kRepo = std::filesystem::path(LIVRA_TEST_DATA).parent_path().parent_path();

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::string squeezed(const std::string& text) {
    std::string out;
    for (char ch : text) {
        const bool blank = ch == ' ' || ch == '\n' || ch == '\t' || ch == '\f';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : ch;
    }
    return out;
}

struct Verdict {
    int exit = -1;
    std::vector<std::string> lines;  // after the validator's
    bool refuses = false;            // a conflict or an intergreen finding
};

Verdict checkVerdict(const std::filesystem::path& ptm) {
    const auto r = test::runLivra({"check", "--safety", pathToUtf8(ptm)});
    Verdict v;
    v.exit = r.exitCode;
    v.lines = linesOf(r.out);
    EXPECT_FALSE(v.lines.empty());
    if (!v.lines.empty()) EXPECT_EQ(v.lines.front(), "Ошибок не обнаружено");
    if (!v.lines.empty()) v.lines.erase(v.lines.begin());
    for (const std::string& l : v.lines)
        v.refuses |= l.find("одновременно на разрешающем") != std::string::npos ||
                     l.find("промежуточное время") != std::string::npos ||
                     l.find("конфликт без промежуточного времени") != std::string::npos;
    return v;
}

// The intergreen findings of one program as the diagram's brackets name them.
std::vector<std::string> shortBrackets(const Verdict& v, int program) {
    std::vector<std::string> out;
    const std::regex re("^Программа " + std::to_string(program) +
                        R"(, такт \d+.*: напр\. (\d+) → (\d+) — (?:промежуточное время|зелёный через) (\d+) с)"
                        R"((?: после жёлтого мигания)?, нужно не менее (\d+) с; .*$)");
    for (const std::string& l : v.lines)
        if (std::smatch m; std::regex_match(l, m, re))
            out.push_back(m[1].str() + "→" + m[2].str() + ": " + m[3].str() + " с &lt; " + m[4].str() + " с");
    return out;
}

struct Project {
    const char* name;
    std::filesystem::path ptm;
};

void expectEveryPlaceAgrees(const test::TempDir& dir, const Project& p, const std::string& port) {
    SCOPED_TRACE(p.name);
    const Verdict v = checkVerdict(p.ptm);
    const std::string ptm = pathToUtf8(p.ptm);
    EXPECT_EQ(v.exit, v.lines.size() == 1 && v.lines[0] == "Проверка безопасности: замечаний нет" ? 0 : 1);

    // The text dump ends with the same lines.
    const auto dump = test::runLivra({"dump", ptm});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    std::string tail = "\nБезопасность:\n";
    for (const std::string& l : v.lines) tail += "  " + l + "\n";
    EXPECT_TRUE(dump.out.ends_with(tail)) << dump.out.substr(dump.out.size() > 800 ? dump.out.size() - 800 : 0);

    // The printed report lists them under its heading.
    const auto pdf = dir / (std::string(p.name) + ".pdf");
    const auto report = test::runLivra({"report", ptm, "--out", pathToUtf8(pdf)});
    ASSERT_EQ(report.exitCode, 0) << report.err;
    const auto text = test::runProgram("/usr/bin/pdftotext", {pathToUtf8(pdf), "-"});
    ASSERT_EQ(text.exitCode, 0) << "pdftotext is needed to read the report";
    const std::string page = squeezed(text.out);
    const auto heading = page.find("Замечания проверки безопасности");
    ASSERT_NE(heading, std::string::npos);
    for (const std::string& l : v.lines) EXPECT_NE(page.find(squeezed(l), heading), std::string::npos) << l;
    EXPECT_EQ(page.find("Матрица конфликтов не задана"), std::string::npos);

    // The diagram of program 4 names each intergreen finding in a bracket,
    // in SVG and PDF alike; the PNG is not the one drawn without the side file.
    const auto svg = dir / (std::string(p.name) + ".svg");
    ASSERT_EQ(test::runLivra({"diagram", ptm, "--program", "4", "--out", pathToUtf8(svg)}).exitCode, 0);
    const Bytes svgBytes = test::readBytes(svg);
    const std::string svgText(svgBytes.begin(), svgBytes.end());
    const auto brackets = shortBrackets(v, 4);
    for (const std::string& b : brackets) EXPECT_NE(svgText.find(b), std::string::npos) << b;
    if (brackets.empty()) EXPECT_EQ(svgText.find(" с &lt; "), std::string::npos);
    const auto diagramPdf = dir / (std::string(p.name) + "-d.pdf");
    ASSERT_EQ(test::runLivra({"diagram", ptm, "--program", "4", "--out", pathToUtf8(diagramPdf)}).exitCode, 0);
    const std::string diagramText =
        test::runProgram("/usr/bin/pdftotext", {pathToUtf8(diagramPdf), "-"}).out;
    for (std::string b : brackets) {
        b.replace(b.find("&lt;"), 4, "<");
        EXPECT_NE(squeezed(diagramText).find(b), std::string::npos) << b;
    }
    const auto png = dir / (std::string(p.name) + ".png");
    ASSERT_EQ(test::runLivra({"diagram", ptm, "--program", "4", "--out", pathToUtf8(png)}).exitCode, 0);
    {
        test::TempDir bare;
        std::filesystem::copy_file(p.ptm, bare / "bare.ptm");
        const auto barePng = bare / "bare.png";
        ASSERT_EQ(test::runLivra({"diagram", pathToUtf8(bare / "bare.ptm"), "--program", "4", "--out",
                                  pathToUtf8(barePng)})
                      .exitCode,
                  0);
        EXPECT_NE(test::readBytes(png), test::readBytes(barePng));
    }

    // The write and the verified write: refused exactly when the check finds
    // a conflict or an intergreen finding; their list shows the same lines.
    for (const bool verify : {false, true}) {
        std::vector<std::string> args{"--port", port, "write", ptm};
        if (verify) args.push_back("--verify");
        const auto w = test::runLivra(args, dir / "work");
        EXPECT_EQ(w.exitCode, v.refuses ? 1 : 0) << w.out << w.err;
        for (const std::string& l : v.lines) EXPECT_NE(w.out.find(l + "\n"), std::string::npos) << l;
        EXPECT_EQ(w.out.find("Запись в ДК отменена: ") != std::string::npos, v.refuses) << w.out;
    }

    // The monitor trips in an hour with both calls pressed exactly when the
    // check finds a conflict or an intergreen finding.
    const auto sim = test::runLivra({"simulate", ptm, "--start", "07.12.2026 06:00:00", "--seconds", "3600",
                                     "--call1", "5", "--call2", "7", "--call1", "200", "--call2", "400"});
    ASSERT_EQ(sim.exitCode, 0) << sim.err;
    EXPECT_EQ(sim.err.find("Монитор конфликтов сработал: ") != std::string::npos, v.refuses) << sim.err;
}

TEST(SafetyVerdict, EveryPlaceSaysWhatTheCheckSays) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "work");
    VirtualControllerOptions o;
    o.applyTime = std::chrono::milliseconds(0);
    VirtualController controller(o);
    const std::string port = controller.start();
    ASSERT_FALSE(port.empty()) << controller.error();

    std::filesystem::copy_file(kRepo / "examples" / "crossroad.ptm", dir / "sample.ptm");
    std::filesystem::copy_file(kRepo / "examples" / "crossroad.safety.json", dir / "sample.safety.json");
    std::filesystem::copy_file(kRepo / "tests" / "data" / "crossroad_unsafe.ptm", dir / "unsafe.ptm");
    test::copySafetyUnstamped(kRepo / "examples" / "crossroad.safety.json", dir / "unsafe.safety.json");
    std::filesystem::copy_file(kRepo / "examples" / "crossroad.ptm", dir / "bare.ptm");
    ASSERT_EQ(test::runLivra({"safety", pathToUtf8(dir / "bare.ptm"), "--conflict", "1", "2", "--conflict", "1", "4"})
                  .exitCode,
              0);

    const Verdict sample = checkVerdict(dir / "sample.ptm");
    EXPECT_EQ(sample.lines, std::vector<std::string>{"Проверка безопасности: замечаний нет"});
    const Verdict unsafe = checkVerdict(dir / "unsafe.ptm");
    EXPECT_TRUE(unsafe.refuses);
    EXPECT_FALSE(shortBrackets(unsafe, 4).empty());
    const Verdict bare = checkVerdict(dir / "bare.ptm");
    EXPECT_TRUE(bare.refuses);
    EXPECT_EQ(bare.lines[0], "Матрица конфликтов, напр. 1 → 2: конфликт без промежуточного времени");

    for (const Project& p : {Project{"sample", dir / "sample.ptm"}, Project{"unsafe", dir / "unsafe.ptm"},
                             Project{"bare", dir / "bare.ptm"}})
        expectEveryPlaceAgrees(dir, p, port);
}

TEST(SafetyVerdict, SumoImportSaysWhatTheCheckSaysOfTheResult) {
    test::TempDir dir;
    for (const char* side : {"crossroad.safety.json", ""}) {
        SCOPED_TRACE(side);
        const auto ptm = dir / "x.ptm";
        std::filesystem::remove(dir / "x.safety.json");
        std::filesystem::copy_file(kRepo / "examples" / "crossroad.ptm", ptm,
                                   std::filesystem::copy_options::overwrite_existing);
        if (*side) std::filesystem::copy_file(kRepo / "examples" / side, dir / "x.safety.json");
        const auto r = test::runLivra({"sumo-import", pathToUtf8(kRepo / "examples" / "sumo" / "crossroad.tll.xml"),
                                       "--tls", "J", "--program-id", "0", "--into", pathToUtf8(ptm), "--program", "5",
                                       "--replace"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        // After its first line, the import says what the check says: the
        // validator's line (marked), then the safety lines after a clean one.
        // (Notes of the import, such as the calendar's, come before.)
        auto lines = linesOf(r.out);
        const auto mark = std::find_if(lines.begin(), lines.end(),
                                       [](const std::string& l) { return l.rfind("Проверка: ", 0) == 0; });
        ASSERT_NE(mark, lines.end()) << r.out;
        ASSERT_NE(mark, lines.begin());
        EXPECT_EQ((mark - 1)->rfind("Принято тактов: ", 0), 0u) << r.out;
        mark->erase(0, std::string("Проверка: ").size());
        lines.erase(lines.begin(), mark);
        const auto check = test::runLivra({"check", "--safety", pathToUtf8(ptm)});
        EXPECT_EQ(lines, linesOf(check.out));
    }
}

}  // namespace
}  // namespace livra
