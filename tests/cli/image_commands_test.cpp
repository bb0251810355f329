#include <gtest/gtest.h>

#include "image/image.h"
#include "model/project_file.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::runLivra;

std::string saveProject(const test::TempDir& dir, const std::string& name, const Configuration& c) {
    const auto path = dir / name;
    test::writeBytes(path, serializeProject(c, {}));
    return path.string();
}

TEST(CheckCommand, PrintsTheVerdictAndItsExitStatus) {
    test::TempDir dir;
    const auto good = saveProject(dir, "good.ptm", *test::sampleConfiguration());
    auto r = runLivra({"check", good});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Ошибок не обнаружено\n");

    auto c = test::sampleConfiguration();
    c->DirectionChannels[1][0] = 0;
    r = runLivra({"check", saveProject(dir, "bad.ptm", *c)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "( Направление №2 ) - Нет полного подключения к каналам\n"
              "Каналы отключать запрещено, исключение  желтый у транспортного\n");

    r = runLivra({"check", saveProject(dir, "empty.ptm", *test::newConfiguration())});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Установите направление\n");
}

TEST(CompileCommand, RefusesWhatTheImageCannotCarryUnlessUnchecked) {
    test::TempDir dir;
    auto c = test::sampleConfiguration();
    c->TactTable[3][0].tMain = 300;  // would reach the controller as 44 s
    const auto project = saveProject(dir, "long.ptm", *c);
    auto r = runLivra({"check", project});
    EXPECT_EQ(r.exitCode, 0) << "the verdict itself is unchanged";
    r = runLivra({"compile", project, "--out", (dir / "parts").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Ошибок не обнаружено\n( Программа № 4   Такт №1 ) - Т осн. не может превышать 255 сек\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "parts"));
    r = runLivra({"compile", project, "--no-check", "--out", (dir / "raw").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "raw"));
}

TEST(CheckCommand, UnloadableFilesAndBadUsage) {
    test::TempDir dir;
    test::writeBytes(dir / "junk.ptm", Bytes{'w', 'e', 'r'});
    auto r = runLivra({"check", (dir / "junk.ptm").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(kFormatErrorText), std::string::npos);
    r = runLivra({"check", (dir / "missing.ptm").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(runLivra({"check"}).exitCode, 2);
    EXPECT_EQ(runLivra({"check", "a.ptm", "--strict"}).exitCode, 2);
    r = runLivra({"check", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Usage: livra check FILE.ptm"), std::string::npos);
}

TEST(CompileCommand, WritesTheTenPartsAndReportsTheirSize) {
    test::TempDir dir;
    const auto sample = test::sampleConfiguration();
    const auto out = dir / "image";
    const auto r = runLivra({"compile", saveProject(dir, "a.ptm", *sample), "--out", out.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Ошибок не обнаружено\n"
              "Программа скомпилирована успешно\n"
              "Размер сгенерированного кода сост.:\n"
              "Под внешнею EEPROM 177 байт\n"
              "Под внутреннею EEPROM 893 байт\n"
              "Итого 1070 байт\n");
    const auto expected = encodeImage(*sample);
    for (const auto& p : imageParts())
        EXPECT_EQ(test::readBytes(partFilePath(out, p.number)), expected[std::size_t(p.number - 1)]) << p.fileName;
}

TEST(CompileCommand, AnErrorStopsItBeforeAnythingIsWritten) {
    test::TempDir dir;
    auto c = test::sampleConfiguration();
    c->Tvp2Delay = "256";
    const auto project = saveProject(dir, "a.ptm", *c);
    const auto out = dir / "image";
    auto r = runLivra({"compile", project, "--out", out.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Задержка срабатывания 'ТВП2' не может превышать 255 секунд\n");
    EXPECT_FALSE(std::filesystem::exists(out));

    r = runLivra({"compile", project, "--out", out.string(), "--no-check"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind("Программа скомпилирована успешно\n", 0), 0u);
    EXPECT_EQ(test::readBytes(partFilePath(out, PartCallInputs)), (Bytes{0, 0, 0, 0}));
}

TEST(CompileCommand, RefusesAnImageTooLargeForTheController) {
    test::TempDir dir;
    const auto out = dir / "image";
    const auto r = runLivra(
        {"compile", saveProject(dir, "full.ptm", *test::fullConfiguration()), "--out", out.string(), "--no-check"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("Под внешнею EEPROM 344181 байт\n"), std::string::npos);
    EXPECT_EQ(r.err, std::string("Внимание: ") + kImageTooLargeText + "\n");
}

TEST(CompileCommand, BadUsage) {
    test::TempDir dir;
    const auto project = saveProject(dir, "a.ptm", *test::sampleConfiguration());
    EXPECT_EQ(runLivra({"compile", project}).exitCode, 2);
    EXPECT_EQ(runLivra({"compile", "--out", (dir / "x").string()}).exitCode, 2);
    EXPECT_EQ(runLivra({"compile", (dir / "none.ptm").string(), "--out", (dir / "x").string()}).exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "x"));
    // A folder that cannot be created.
    test::writeBytes(dir / "file", Bytes{1});
    const auto r = runLivra({"compile", project, "--out", (dir / "file" / "sub").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos);
}

TEST(DecompileCommand, InvertsCompile) {
    test::TempDir dir;
    auto c = test::sampleConfiguration();
    c->TactSignals[3][1][1] = SignalRed;  // what the signal dialog can give a pedestrian
    c->Tvp1Delay = "17";
    const auto out = dir / "image";
    ASSERT_EQ(runLivra({"compile", saveProject(dir, "a.ptm", *c), "--out", out.string()}).exitCode, 0);
    const auto r = runLivra({"decompile", out.string(), "--out", (dir / "b.ptm").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const auto parsed = parseProject(test::readBytes(dir / "b.ptm"));
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->plan.empty());
    const Configuration& b = *parsed->config;
    EXPECT_EQ(b.TactTable, c->TactTable);
    EXPECT_EQ(b.TactSignals, c->TactSignals);
    EXPECT_EQ(b.DirectionKind, c->DirectionKind);
    EXPECT_EQ(b.DirectionChannels, c->DirectionChannels);
    EXPECT_EQ(b.DirectionControl, c->DirectionControl);
    EXPECT_EQ(b.Calendar, c->Calendar);
    EXPECT_EQ(b.Tvp1Delay, "17");
    // The project compiles back to the same parts.
    ASSERT_EQ(runLivra({"compile", (dir / "b.ptm").string(), "--out", (dir / "again").string()}).exitCode, 0);
    for (const auto& p : imageParts())
        EXPECT_EQ(test::readBytes(partFilePath(dir / "again", p.number)), test::readBytes(partFilePath(out, p.number)));
}

TEST(DecompileCommand, DamagedOrMissingPartsWriteNothing) {
    test::TempDir dir;
    const auto out = dir / "image";
    ASSERT_TRUE(writeImageParts(out, encodeImage(*test::sampleConfiguration())));
    const auto target = dir / "b.ptm";
    test::writeBytes(target, Bytes{'o', 'l', 'd'});

    test::writeBytes(partFilePath(out, PartDirectionCount), Bytes{64});
    auto r = runLivra({"decompile", out.string(), "--out", target.string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("damaged"), std::string::npos);
    EXPECT_EQ(test::readBytes(target), (Bytes{'o', 'l', 'd'}));

    std::filesystem::remove(partFilePath(out, PartDirectionCount));
    r = runLivra({"decompile", out.string(), "--out", target.string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("missing"), std::string::npos);
    EXPECT_EQ(test::readBytes(target), (Bytes{'o', 'l', 'd'}));

    EXPECT_EQ(runLivra({"decompile", out.string()}).exitCode, 2);
    r = runLivra({"decompile", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("Usage: livra decompile DIR --out FILE.ptm"), std::string::npos);
}

}  // namespace
}  // namespace livra
