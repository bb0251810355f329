#include <gtest/gtest.h>

#include <fstream>

#include "model/project_file.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::runLivra;

void writeText(const std::filesystem::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

TEST(SumoCommands, ImportRefusalsLeaveTheProjectAsItWas) {
    test::TempDir dir;
    // Vehicle 1, pedestrian 2; program 5 already holds a tact.
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirPedestrian);
    test::addTact(*c, 4, TactPhase, 9, 9, SignalRed);
    test::addAlarm(*c, 0, 0, 0, 5);
    const auto ptm = dir / "x.ptm";
    const Bytes original = serializeProject(*c, {});
    test::writeBytes(ptm, original);
    writeText(dir / "ok.add.xml",
              "<additional><tlLogic id=\"J\" programID=\"P\"><phase duration=\"20\" minDur=\"5\" state=\"Gr\"/>"
              "<phase duration=\"3\" state=\"yr\"/><phase duration=\"20\" state=\"rG\"/></tlLogic></additional>");
    writeText(dir / "yellow.add.xml",
              "<additional><tlLogic id=\"J\" programID=\"P\"><phase duration=\"3\" state=\"yy\"/></tlLogic></additional>");
    writeText(dir / "broken.add.xml", "<additional><tlLogic id=\"J\" programID=\"P\">");
    const std::string ok = (dir / "ok.add.xml").string();
    const struct {
        std::vector<std::string> args;
        int exit;
        const char* message;
    } refusals[] = {
        {{ok, "--tls", "K", "--program-id", "P", "--program", "4"}, 1, "В файле нет светофора «K» (есть: J)"},
        {{(dir / "yellow.add.xml").string(), "--tls", "J", "--program-id", "P", "--program", "4"}, 1,
         "направление 2 - Пешеходный не может показать «y»"},
        {{ok, "--tls", "J", "--program-id", "P", "--program", "5"}, 1,
         "Программа 5 не пуста\nЧтобы заменить её, добавьте --replace."},
        {{(dir / "broken.add.xml").string(), "--tls", "J", "--program-id", "P", "--program", "4"}, 2,
         "Файл SUMO не прочитан: строка 1"},
        {{ok, "--tls", "J", "--program-id", "P", "--program", "3"}, 2, "--program needs a number 4..16"},
    };
    for (const auto& k : refusals) {
        std::vector<std::string> args = {"sumo-import"};
        args.insert(args.end(), k.args.begin(), k.args.end());
        args.push_back("--into");
        args.push_back(ptm.string());
        const auto r = runLivra(args);
        EXPECT_EQ(r.exitCode, k.exit) << k.message << "\n" << r.err;
        EXPECT_NE(r.err.find(k.message), std::string::npos) << r.err;
        EXPECT_EQ(test::readBytes(ptm), original) << k.message;
    }

    // Accepted: the file now holds the program and the validator speaks.
    const auto r = runLivra({"sumo-import", ok, "--tls", "J", "--program-id", "P", "--into", ptm.string(), "--program",
                             "5", "--replace"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Принято тактов: 3 (программа 5, J/P)\nПроверка: ", 0), 0u) << r.out;
    const auto parsed = parseProject(test::readBytes(ptm));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->config->TactTable[4][0], (Tact{TactPhase, 5, 20, 20, 1}));
    EXPECT_EQ(parsed->config->TactTable[4][1], (Tact{TactIntermediate, 0, 3, 23, 0}));
    EXPECT_EQ(parsed->config->TactSignals[4][2][1], SignalGreen);
}

}  // namespace
}  // namespace livra
