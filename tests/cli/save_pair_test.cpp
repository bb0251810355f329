// Saves from the command line as a careless or hostile world meets them: a
// kill between the renames (strace's fault injection), symlinks, read-only
// files, an old safety file where a new project goes, endless standard input.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "cli/cli_util.h"
#include "format/project_json.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string textOf(const Bytes& b) { return std::string(b.begin(), b.end()); }

// The JSON of a project with a conflict matrix, its delay text `delay`.
std::string projectWithMatrix(const std::string& delay) {
    auto c = sampleConfiguration();
    c->Tvp1Delay = delay;
    c->Safety.defined = true;
    c->Safety.conflict[0].set(1), c->Safety.conflict[1].set(0);
    c->Safety.intergreen[0][1] = 5;
    return *projectToJson(serializeProject(*c, {}), &c->Safety);
}

std::size_t filesIn(const std::filesystem::path& dir) {
    return std::size_t(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(CliSavePair, AKillBetweenTheRenamesLeavesAPairThatIsTold) {
    if (::access("/usr/bin/strace", X_OK) != 0) GTEST_SKIP() << "strace is not installed (scripts/setup.sh installs it)";
    TempDir dir;
    const std::string project = pathToUtf8(dir / "p.ptm");
    writeBytes(dir / "old.json", bytesOf(projectWithMatrix("1")));
    writeBytes(dir / "new.json", bytesOf(projectWithMatrix("2")));
    for (int kill = 1; kill <= 2; ++kill) {
        ASSERT_EQ(runLivra({"new", "--out", project, "--from", pathToUtf8(dir / "old.json")}).exitCode, 0);
        // The kill-th rename of the save gets SIGKILL instead.
        const auto killed = runProgram("/usr/bin/strace", {"-f", "-o", "/dev/null", "-e",
                                                           "inject=rename:signal=SIGKILL:when=" + std::to_string(kill),
                                                           LIVRA_CLI_PATH, "new", "--out", project, "--from",
                                                           pathToUtf8(dir / "new.json")});
        EXPECT_NE(killed.exitCode, 0) << kill;
        const auto check = runLivra({"check", project, "--safety"});
        const auto dump = runLivra({"dump", project});
        if (kill == 1) {
            // Killed before anything was replaced: the old pair, as it was.
            EXPECT_NE(check.exitCode, 2) << check.err;
            EXPECT_EQ(check.err.find(kSafetyMismatchText), std::string::npos) << check.err;
            EXPECT_NE(dump.out.find("ТВП1 Задержка сек.: 1"), std::string::npos);
            EXPECT_GT(filesIn(dir.path()), 4u) << "its temporary files are still there";
        } else {
            // The new safety file beside the old project: said, exit 2, the
            // check run with the data all the same.
            EXPECT_EQ(check.exitCode, 2);
            EXPECT_NE(check.err.find(kSafetyMismatchText), std::string::npos) << check.err;
            EXPECT_NE(check.out.find("Программа 4, такт 1: напр. 1 и 2"), std::string::npos) << check.out;
            EXPECT_NE(dump.out.find("ТВП1 Задержка сек.: 1"), std::string::npos);
        }
        // The next save tidies up and the pair is one again.
        ASSERT_EQ(runLivra({"new", "--out", project, "--from", pathToUtf8(dir / "new.json")}).exitCode, 0);
        EXPECT_EQ(filesIn(dir.path()), 4u);
        EXPECT_EQ(runLivra({"check", project, "--safety"}).err.find(kSafetyMismatchText), std::string::npos);
    }
}

TEST(CliSavePair, SymlinksAreWrittenThroughAndPermissionsKept) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    const std::string json = projectWithMatrix("1");
    writeBytes(dir / "p.json", bytesOf(json));
    ASSERT_EQ(runLivra({"new", "--out", pathToUtf8(dir / "real" / "p.ptm"), "--from", pathToUtf8(dir / "p.json")}).exitCode, 0);
    std::filesystem::create_symlink("real/p.ptm", dir / "p.ptm");
    std::filesystem::create_symlink(dir / "real" / "p.safety.json", dir / "p.safety.json");
    ASSERT_EQ(::chmod(pathToUtf8(dir / "real" / "p.ptm").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(pathToUtf8(dir / "real" / "p.safety.json").c_str(), 0640), 0);

    writeBytes(dir / "q.json", bytesOf(projectWithMatrix("2")));
    const auto saved = runLivra({"new", "--out", pathToUtf8(dir / "p.ptm"), "--from", pathToUtf8(dir / "q.json")});
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "p.ptm"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "p.safety.json"));
    EXPECT_NE(runLivra({"dump", pathToUtf8(dir / "real" / "p.ptm")}).out.find("ТВП1 Задержка сек.: 2"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(pathToUtf8(dir / "real" / "p.ptm").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    ASSERT_EQ(::stat(pathToUtf8(dir / "real" / "p.safety.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(filesIn(dir / "real"), 2u);
    EXPECT_EQ(runLivra({"check", pathToUtf8(dir / "p.ptm"), "--safety"}).err.find(kSafetyMismatchText), std::string::npos);
}

// `new --out` and `decompile --out` put a project where an old one was: its
// safety file belongs to that one and goes, as after a save in the desktop
// program; a damaged one stays for the user to mend.
TEST(CliSavePair, ANewProjectDoesNotInheritTheOldSafetyFile) {
    TempDir dir;
    const std::string project = pathToUtf8(dir / "p.ptm");
    writeBytes(dir / "m.json", bytesOf(projectWithMatrix("1")));
    for (const std::vector<std::string>& save :
         {std::vector<std::string>{"new", "--out", project},
          std::vector<std::string>{"decompile", pathToUtf8(dir / "image"), "--out", project}}) {
        ASSERT_EQ(runLivra({"new", "--out", project, "--from", pathToUtf8(dir / "m.json")}).exitCode, 0);
        ASSERT_EQ(runLivra({"compile", "--no-check", project, "--out", pathToUtf8(dir / "image")}).exitCode, 0);
        ASSERT_TRUE(std::filesystem::exists(dir / "p.safety.json"));
        const auto r = runLivra(save);
        ASSERT_EQ(r.exitCode, 0) << save[0] << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "p.safety.json")) << save[0];
        EXPECT_EQ(runLivra({"safety", project}).out, "Матрица конфликтов не задана\n") << save[0];
    }
    writeBytes(dir / "p.safety.json", bytesOf("{damaged"));
    ASSERT_EQ(runLivra({"new", "--out", project}).exitCode, 0);
    EXPECT_EQ(textOf(readBytes(dir / "p.safety.json")), "{damaged");
}

TEST(CliSavePair, StandardInputIsCappedLikeAFile) {
    std::istringstream exact(std::string(100, 'x')), over(std::string(101, 'x')), empty;
    EXPECT_EQ(cli::readCapped(exact, 100), Bytes(100, 'x'));
    EXPECT_EQ(cli::readCapped(over, 100), std::nullopt);
    EXPECT_EQ(cli::readCapped(empty, 0), Bytes{});

    TempDir dir;
    auto fromZeros = [&](std::size_t n) {
        return runProgram("/bin/sh", {"-c", "head -c " + std::to_string(n) + " /dev/zero | '" + std::string(LIVRA_CLI_PATH) +
                                                "' new --out '" + pathToUtf8(dir / "z.ptm") + "' --from -"});
    };
    const auto atCap = fromZeros(kMaxJsonSize);
    EXPECT_EQ(atCap.exitCode, 2);
    EXPECT_EQ(atCap.err, "livra new: -: это не JSON (байт 1)\n");
    const auto overCap = fromZeros(kMaxJsonSize + 1);
    EXPECT_EQ(overCap.exitCode, 2);
    EXPECT_EQ(overCap.err, "Ошибка: При чтении произошла ошибка.\nФайл открыть не удалось.\nФайл: -\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "z.ptm"));
}

}  // namespace
