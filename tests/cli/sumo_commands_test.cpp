#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

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
         "ни в одной фазе никто не едет без переходного сигнала"},
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


TEST(SumoCommands, ANetImportsIntoANewProjectSaysWhatItDidAndKeepsTheMap) {
    test::TempDir dir;
    const auto ptm = dir / "n.ptm";
    ASSERT_EQ(runLivra({"new", "--out", ptm.string()}).exitCode, 0);
    const std::string net = (std::filesystem::path(LIVRA_TEST_DATA) / "sumo" / "small.net.xml").string();
    // One program: its id may be left out.
    const auto r = runLivra({"sumo-import", net, "--tls", "C", "--into", ptm.string(), "--program", "4", "--show-map"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Созданы направления 1..6: групп сигналов 6 (автомобильных 4, пешеходных 2), каналы подключены "
                          "по порядку; связи → направления в файле данных проекта\n"
                          "Связи 0, 2, 3, 5, 6, 8, 9, 11: разрешающий зелёный с уступкой (g) принят как зелёный; экспорт "
                          "для этой сети запишет g снова\n",
                          0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find("Календарь был пуст: добавлено переключение понедельник 00:00 — программа 4\n"
                         "Принято тактов: 6 (программа 4, C/0)\n"
                         "Связи светофора SUMO C (small.net.xml): 16\n"
                         "  связь 0 → направление 1, g в тактах: 2, уступает направлениям 5, 6\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Проверка: Ошибок не обнаружено"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "n.safety.json"));
    // dump shows the map; the export goes to the light it came from, its links as in the net.
    const auto dump = runLivra({"dump", ptm.string()});
    EXPECT_NE(dump.out.find("  связь 15 → направление 6\n"), std::string::npos) << dump.out;
    const auto json = runLivra({"dump", ptm.string(), "--json"});
    EXPECT_NE(json.out.find("\"tls\": \"C\""), std::string::npos);
    const auto add = dir / "n.add.xml";
    const auto e = runLivra({"sumo-export", ptm.string(), "--out", add.string()});
    ASSERT_EQ(e.exitCode, 0) << e.err;
    EXPECT_EQ(e.out.rfind("Светофор C, программы:", 0), 0u) << e.out;
    std::ifstream in(add);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(text.find("state=\"gGgrrrgGgrrrrGrG\""), std::string::npos) << text;

    // The same light again into another program: through the map, no new directions.
    const auto again = runLivra({"sumo-import", net, "--tls", "C", "--into", ptm.string(), "--program", "5"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out.find("Созданы"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("Календарь не включает программу 5"), std::string::npos) << again.out;
}

TEST(SumoCommands, ActuatedAndConflictingProgramsTellTheFlagThatTakesThem) {
    test::TempDir dir;
    const auto ptm = dir / "a.ptm";
    ASSERT_EQ(runLivra({"new", "--out", ptm.string()}).exitCode, 0);
    writeText(dir / "act.add.xml",
              "<add><tlLogic id=\"J\" type=\"actuated\"><phase duration=\"30\" minDur=\"10\" maxDur=\"60\" state=\"Gr\"/>"
              "<phase duration=\"3\" state=\"yr\"/><phase duration=\"30\" minDur=\"10\" maxDur=\"60\" state=\"rG\"/>"
              "<phase duration=\"3\" state=\"ry\"/></tlLogic></add>");
    const std::string act = (dir / "act.add.xml").string();
    const Bytes before = test::readBytes(ptm);
    const auto no = runLivra({"sumo-import", act, "--tls", "J", "--into", ptm.string(), "--program", "4"});
    EXPECT_EQ(no.exitCode, 1);
    EXPECT_NE(no.err.find("— actuated: SUMO продлевает её зелёные по детекторам, а ДК работает по жёстким тактам\n"
                          "Чтобы принять её как жёсткую (duration — Т осн, minDur — Т мин), добавьте --as-fixed.\n"
                          "Ничего не изменено."),
              std::string::npos)
        << no.err;
    EXPECT_EQ(test::readBytes(ptm), before);
    const auto yes = runLivra({"sumo-import", act, "--tls", "J", "--into", ptm.string(), "--program", "4", "--as-fixed"});
    ASSERT_EQ(yes.exitCode, 0) << yes.err;
    EXPECT_NE(yes.out.find("У программы светофора «J» нет programID: она — программа «0», как в SUMO\n"), std::string::npos);
    EXPECT_NE(yes.out.find("(actuated) принята как жёсткая"), std::string::npos) << yes.out;

    // Directions 1 and 2 now conflict (confirmed); a program showing both green is refused, or forced.
    ASSERT_EQ(runLivra({"safety", ptm.string(), "--conflict", "1", "2"}).exitCode, 0);
    writeText(dir / "both.add.xml",
              "<additional><tlLogic id=\"J\" programID=\"both\"><phase duration=\"30\" state=\"GG\"/>"
              "<phase duration=\"3\" state=\"yy\"/></tlLogic></additional>");
    const std::string both = (dir / "both.add.xml").string();
    const auto clash = runLivra({"sumo-import", both, "--tls", "J", "--into", ptm.string(), "--program", "5"});
    EXPECT_EQ(clash.exitCode, 1);
    EXPECT_NE(clash.err.find("зелёный у направлений, что конфликтуют по матрице проекта (такт 1: направления 1 и 2)\n"
                             "Чтобы принять её всё же, добавьте --force."),
              std::string::npos)
        << clash.err;
    const auto forced = runLivra({"sumo-import", both, "--tls", "J", "--into", ptm.string(), "--program", "5", "--force"});
    ASSERT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_NE(forced.out.find("Принято, хотя зелёный у направлений"), std::string::npos) << forced.out;
    // Two programs: the id must be named.
    writeText(dir / "two.add.xml",
              "<additional><tlLogic id=\"J\" programID=\"a\"><phase duration=\"30\" state=\"Gr\"/></tlLogic>"
              "<tlLogic id=\"J\" programID=\"b\"><phase duration=\"30\" state=\"rG\"/></tlLogic></additional>");
    const auto two = runLivra({"sumo-import", (dir / "two.add.xml").string(), "--tls", "J", "--into", ptm.string(),
                               "--program", "6"});
    EXPECT_EQ(two.exitCode, 2);
    EXPECT_NE(two.err.find("у светофора J программ 2: укажите --program-id (есть: a b)"), std::string::npos) << two.err;
}

TEST(SumoCommands, ActuatedExportNeedsTheNetAndSaysWhatItWrote) {
    test::TempDir dir;
    const auto data = std::filesystem::path(LIVRA_TEST_DATA);
    const std::string ptm = (data.parent_path().parent_path() / "examples" / "crossroad.ptm").string();
    const std::string net = (data / "sumo" / "crossroad.net.xml").string();
    const std::string out = (dir / "x.add.xml").string();
    writeText(dir / "plain.add.xml", "<additional/>");
    const struct {
        std::vector<std::string> args;
        int exit;
        const char* message;
    } refusals[] = {
        {{"--net", net}, 2, "--net is for --actuated"},
        {{"--actuated"}, 2, "--actuated places its detectors by the SUMO net: give --net FILE.net.xml"},
        {{"--actuated", "--net", (dir / "none.net.xml").string()}, 2, "none.net.xml"},
        {{"--actuated", "--net", (dir / "plain.add.xml").string()}, 2, "не сеть SUMO (.net.xml)"},
        {{"--actuated", "--net", net, "--tls", "K"}, 1,
         "программа 4: направление 4 (ТВП1) не проходит ни по одному переходу светофора K в сети\nНичего не записано."},
        {{"--actuated", "--net"}, 2, "--net needs a value"},
    };
    for (const auto& k : refusals) {
        std::vector<std::string> args = {"sumo-export", ptm, "--out", out};
        args.insert(args.end(), k.args.begin(), k.args.end());
        const auto r = runLivra(args);
        EXPECT_EQ(r.exitCode, k.exit) << k.message << "\n" << r.err;
        EXPECT_NE(r.err.find(k.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << k.message;
    }
    const auto usage = runLivra({"sumo-export", ptm, "--actuated", "--net", net});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("usage: livra sumo-export FILE.ptm --out FILE.add.xml [--tls ID] [--actuated [--net "
                             "FILE.net.xml]]"),
              std::string::npos)
        << usage.err;
    const auto r = runLivra({"sumo-export", ptm, "--out", out, "--actuated", "--net", net});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Светофор J, программы: 2 4 5\n"
              "Программа 4 — по вызову (тип actuated): ТВП1 — пешеходы направления 4, переходы :J_c1 :J_c3, детекторов 12\n"
              "Программа 5 — по вызову (тип actuated): ТВП1 — пешеходы направления 3, переходы :J_c0 :J_c2, детекторов 12\n"
              "Календарь: переключений 14, в понедельник 00:00 — 4\n");
    std::ifstream written(out, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(written), {}};
    std::ifstream golden(data / "sumo" / "crossroad.actuated.add.xml", std::ios::binary);
    EXPECT_EQ(text, std::string(std::istreambuf_iterator<char>(golden), {}));
}

TEST(SumoCommands, ActuatedExportTakesTheNetOfTheLinkMapBesideTheProject) {
    test::TempDir dir;
    const auto net = dir / "crossroad.net.xml";
    std::filesystem::copy_file(std::filesystem::path(LIVRA_TEST_DATA) / "sumo" / "crossroad.net.xml", net);
    const std::string ptm = (dir / "p.ptm").string(), out = (dir / "p.add.xml").string();
    ASSERT_EQ(runLivra({"new", "--out", ptm}).exitCode, 0);
    ASSERT_EQ(runLivra({"sumo-import", net.string(), "--tls", "J", "--into", ptm, "--program", "4"}).exitCode, 0);
    // The map names the net; it lies beside the project: no --net needed.
    const auto r = runLivra({"sumo-export", ptm, "--out", out, "--actuated"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Светофор J, программы: 4\n", 0), 0u) << r.out;
    // Gone from beside the project: the command asks for it.
    std::filesystem::remove(net);
    std::filesystem::remove(out);
    const auto again = runLivra({"sumo-export", ptm, "--out", out, "--actuated"});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_NE(again.err.find("give --net FILE.net.xml"), std::string::npos) << again.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace livra
