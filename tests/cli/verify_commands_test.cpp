// `livra verify`, `livra write --verify` and `livra diff` against the virtual
// controller on a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>

#include "emulator/virtual_controller.h"
#include "image/image.h"
#include "model/project_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

constexpr const char* kSame = "Конфигурация в ДК совпадает с проектом\n";

// `livra` with its working folder and its temporary folder in `dir`.
RunResult livra(const TempDir& dir, const std::vector<std::string>& args) {
    return runProgram(LIVRA_CLI_PATH, args,
                      {{"LIVRA_WORKDIR", (dir / "work").string()}, {"TMPDIR", (dir / "tmp").string()}});
}

std::size_t entries(const std::filesystem::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

TEST(CliVerify, WriteVerifyAndOneChangedSignal) {
    TempDir dir;
    std::filesystem::create_directories(dir / "tmp");
    VirtualControllerOptions o;
    o.applyTime = std::chrono::milliseconds(0);
    VirtualController controller(o);
    const std::string port = controller.start();
    ASSERT_FALSE(port.empty()) << controller.error();

    const auto sample = sampleConfiguration();
    auto changed = std::make_unique<Configuration>(*sample);
    changed->TactSignals[3][1][0] = SignalGreen;  // program 4, tact 2, direction 1 was yellow
    const auto a = dir / "a.ptm", b = dir / "b.ptm";
    writeBytes(a, serializeProject(*sample, {}));
    writeBytes(b, serializeProject(*changed, {}));

    const auto w = livra(dir, {"--port", port, "write", "--verify", a.string()});
    ASSERT_EQ(w.exitCode, 0) << w.err;
    // The size report, the safety verdict (no side file here), what was written.
    EXPECT_NE(w.out.find("Итого 1070 байт\nМатрица конфликтов не задана: проверены только последовательности сигналов\n"),
              std::string::npos)
        << w.out;
    EXPECT_TRUE(w.out.ends_with("\nКонфигурация записана в ДК (1 070 байт)\n" + std::string(kSame)))
        << w.out;
    const Bytes writtenPrograms = readBytes(dir / "work" / imagePart(PartPrograms).fileName);

    const auto equal = livra(dir, {"--port", port, "verify", a.string()});
    EXPECT_EQ(equal.exitCode, 0) << equal.err;
    EXPECT_EQ(equal.out, kSame);
    EXPECT_EQ(equal.err, "");

    const auto different = livra(dir, {"--port", port, "verify", b.string()});
    EXPECT_EQ(different.exitCode, 1) << different.err;
    EXPECT_EQ(different.out, "Программа 4, такт 2: напр. 1 зелёный → жёлтый\n");
    EXPECT_EQ(different.err, "");
    // Read into a folder of its own, which is gone again; the working
    // folder still holds what was written.
    EXPECT_EQ(entries(dir / "tmp"), 0u);
    EXPECT_EQ(readBytes(dir / "work" / imagePart(PartPrograms).fileName), writtenPrograms);
    EXPECT_EQ(controller.configurationsApplied(), 1);

    // Offline, the same words.
    const auto diff = livra(dir, {"diff", a.string(), b.string()});
    EXPECT_EQ(diff.exitCode, 1);
    EXPECT_EQ(diff.out, "Программа 4, такт 2: напр. 1 жёлтый → зелёный\n");
    const auto same = livra(dir, {"diff", a.string(), a.string()});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "");

    const auto rewritten = livra(dir, {"--port", port, "write", "--verify", b.string()});
    EXPECT_EQ(rewritten.exitCode, 0) << rewritten.err;
    EXPECT_EQ(livra(dir, {"--port", port, "verify", b.string()}).exitCode, 0);
    EXPECT_EQ(livra(dir, {"--port", port, "verify", a.string()}).exitCode, 1);

    // Damaged replies (as `livra-emulator --corrupt-rate`) are asked again,
    // never taken for a difference.
    o.corruptRate = 0.1;
    VirtualController noisy(o);
    const std::string noisyPort = noisy.start();
    ASSERT_FALSE(noisyPort.empty()) << noisy.error();
    EXPECT_EQ(livra(dir, {"--port", noisyPort, "write", "--verify", a.string()}).exitCode, 0);
    const auto noisyVerify = livra(dir, {"--port", noisyPort, "verify", b.string()});
    EXPECT_EQ(noisyVerify.exitCode, 1) << noisyVerify.err;
    EXPECT_EQ(noisyVerify.out, "Программа 4, такт 2: напр. 1 зелёный → жёлтый\n");
}

TEST(CliVerify, NoControllerIsNeverEqualAndBadUsage) {
    TempDir dir;
    std::filesystem::create_directories(dir / "tmp");
    const auto a = dir / "a.ptm";
    writeBytes(a, serializeProject(*sampleConfiguration(), {}));
    const auto lost = livra(dir, {"--port", (dir / "no-such-port").string(), "verify", a.string()});
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_EQ(lost.out, "");
    EXPECT_EQ(lost.err, "Ошибка: Выполнить команду не удалось!!!\nКонфигуратор не видит соединительного кабеля.\n"
                        "Порт: " + (dir / "no-such-port").string() + "\n");
    const auto lostWrite = livra(dir, {"--port", (dir / "no-such-port").string(), "write", "--verify", a.string()});
    EXPECT_EQ(lostWrite.exitCode, 1);
    EXPECT_EQ(lostWrite.out.find("совпадает"), std::string::npos);

    // A project the image would change is refused before any controller is asked.
    auto over = sampleConfiguration();
    over->TactTable[3][0].tMain = 300;
    writeBytes(dir / "over.ptm", serializeProject(*over, {}));
    const auto refused = livra(dir, {"--port", (dir / "no-such-port").string(), "verify", (dir / "over.ptm").string()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("Т осн. не может превышать 255 сек"), std::string::npos) << refused.err;
    EXPECT_EQ(livra(dir, {"diff", a.string(), (dir / "over.ptm").string()}).exitCode, 2);

    writeBytes(dir / "junk.ptm", Bytes{'x', 'y'});
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"verify"},
                                               {"verify", a.string(), a.string()},
                                               {"verify", (dir / "missing.ptm").string()},
                                               {"verify", (dir / "junk.ptm").string()},
                                               {"verify", "--bogus", a.string()},
                                               {"write", "--verify"},
                                               {"diff", a.string()},
                                               {"diff", a.string(), (dir / "junk.ptm").string()},
                                               {"diff", a.string(), a.string(), a.string()}})
        EXPECT_EQ(livra(dir, args).exitCode, 2) << args[0] << " " << args.size();
    const auto help = livra(dir, {"verify", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: livra verify FILE.ptm\n")) << help.out;
    EXPECT_TRUE(livra(dir, {"diff", "--help"}).out.starts_with("Usage: livra diff A.ptm B.ptm\n"));
    EXPECT_TRUE(livra(dir, {"write", "--help"}).out.starts_with("Usage: livra write [--verify] FILE.ptm\n"));
    EXPECT_EQ(entries(dir / "tmp"), 0u);
}

}  // namespace
