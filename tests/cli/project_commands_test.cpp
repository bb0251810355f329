#include <gtest/gtest.h>

#include "model/project_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

TEST(CliNew, WritesTheStartupConfiguration) {
    TempDir dir;
    const auto out = dir / "new.ptm";
    const auto r = runLivra({"new", "--out", out.string()}, dir / "work");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Bytes bytes = readBytes(out);
    ASSERT_EQ(bytes.size(), 427824u);
    EXPECT_EQ(bytes, serializeProject(Configuration{}, {}));
}

TEST(CliNew, UsageErrors) {
    EXPECT_EQ(runLivra({"new"}).exitCode, 2);
    EXPECT_EQ(runLivra({"new", "--out"}).exitCode, 2);
    const auto empty = runLivra({"new", "--out", ""});  // names no file
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_EQ(empty.err, "livra new: --out needs a value\n");
    EXPECT_EQ(runLivra({"new", "--bogus", "x"}).exitCode, 2);
    EXPECT_EQ(runLivra({"frobnicate"}).exitCode, 2);
    const auto help = runLivra({"new", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("new --out FILE.ptm"), std::string::npos);
    const auto top = runLivra({"--help"});
    EXPECT_EQ(top.exitCode, 0);
    EXPECT_NE(top.out.find("dump FILE.ptm"), std::string::npos);
}

TEST(CliDump, TextAndJsonShowTheConfiguration) {
    TempDir dir;
    auto c = sampleConfiguration();
    c->Tvp2Delay = "7";
    writeBytes(dir / "s.ptm", serializeProject(*c, {}));
    const auto text = runLivra({"dump", (dir / "s.ptm").string()}, dir / "work");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Кол.каналов в ДК: 64"), std::string::npos);
    EXPECT_NE(text.out.find("1 - Транспортный"), std::string::npos);
    EXPECT_NE(text.out.find("Программа 4"), std::string::npos);
    EXPECT_NE(text.out.find("Такт 2 Промтакт"), std::string::npos);
    EXPECT_NE(text.out.find("Пн: 00:00→4"), std::string::npos);

    const auto json = runLivra({"dump", (dir / "s.ptm").string(), "--json"}, dir / "work");
    ASSERT_EQ(json.exitCode, 0);
    EXPECT_NE(json.out.find("\"tvp2Delay\": \"7\""), std::string::npos);
    EXPECT_NE(json.out.find("{\"number\": 1, \"kind\": 1, \"channels\": [62, 61, 60, 0, 0, 0, 0], \"modes\": [2, 0, 1, 0, 0, 0, 0]}"),
              std::string::npos);
    EXPECT_NE(json.out.find("{\"number\": 2, \"kind\": 2, \"tMin\": 0, \"tMain\": 3, \"tEnd\": 23, \"phaseNo\": 0, \"signals\": [2, 2]}"),
              std::string::npos);
    EXPECT_NE(json.out.find("\"mon\": [{\"entry\": 1, \"hour\": 0, \"minute\": 0, \"program\": 4}]"), std::string::npos);
    // Stable: the same file dumps the same way.
    EXPECT_EQ(json.out, runLivra({"dump", (dir / "s.ptm").string(), "--json"}, dir / "work").out);
}

TEST(CliDump, BadFilesExit2WithTheMessageAndWriteNothing) {
    TempDir dir;
    const auto work = dir / "work";
    const Bytes good = serializeProject(*sampleConfiguration(), Bytes{1, 2, 3});
    Bytes truncated(good.begin(), good.begin() + 100000);
    Bytes signature = good;
    signature[0] = 'v';
    Bytes format = good;
    format[16] = 1;
    for (const auto& bytes : {truncated, signature, format}) {
        writeBytes(dir / "bad.ptm", bytes);
        const auto r = runLivra({"dump", (dir / "bad.ptm").string()}, work);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find("Формат файла не поддерживается"), std::string::npos);
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(std::filesystem::exists(work / "imit.snt"));
    }
    const auto missing = runLivra({"dump", (dir / "none.ptm").string()}, work);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("Файл открыть не удалось"), std::string::npos);
}

TEST(CliDump, FoldersAndDevicesAreFilesThatCannotBeOpened) {
    // A folder opens as a stream on Linux and reports a huge size; reading
    // it whole used to end the program with an allocation failure.
    TempDir dir;
    const std::string folder = dir.path().string();
    const std::vector<std::vector<std::string>> calls = {
        {"dump", folder}, {"check", "/"}, {"dump", "/dev/zero"}, {"simulate", folder, "--start", "07.12.2026 00:00:00",
                                                                  "--seconds", "1"},
        {"compile", folder, "--out", (dir / "parts").string()}, {"plan", "/dev/null"},
    };
    for (const auto& args : calls) {
        const auto r = runLivra(args, dir / "work");
        EXPECT_EQ(r.exitCode, 2) << args[1] << r.err;
        EXPECT_EQ(r.err, "Ошибка: При чтении произошла ошибка.\nФайл открыть не удалось.\nФайл: " + args[1] + "\n")
            << args[1];
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "parts"));
}

TEST(CliFiles, TheProjectThatCannotBeReadIsNamed) {
    // With two files on the line, only the name tells which one failed.
    TempDir dir;
    const std::string good = (dir / "good.ptm").string();
    writeBytes(good, serializeProject(*sampleConfiguration(), {}));
    const std::string missing = (dir / "missing.ptm").string();
    const auto r = runLivra({"diff", good, missing}, dir / "work");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Ошибка: При чтении произошла ошибка.\nФайл открыть не удалось.\nФайл: " + missing + "\n");

    const std::string damaged = (dir / "damaged.ptm").string();
    writeBytes(damaged, Bytes{'x'});
    const auto d = runLivra({"diff", damaged, good}, dir / "work");
    EXPECT_EQ(d.exitCode, 2);
    EXPECT_EQ(d.err, "Ошибка: Формат файла не поддерживается\nФайл: " + damaged + "\n");
    EXPECT_EQ(d.out, "");
}
