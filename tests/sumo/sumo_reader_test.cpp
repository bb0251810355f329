#include <gtest/gtest.h>

#include <filesystem>

#include "model/files.h"
#include "sumo_qt/sumo_xml_reader.h"

namespace livra {
namespace {

TEST(SumoReader, ReadsProgramsFromAdditionalTllAndNetFiles) {
    const auto r = parseSumoXml(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<additional>\n"
        "  <tlLogic id=\"J\" type=\"static\" programID=\"4\" offset=\"0\">\n"
        "    <param key=\"GSP\" value=\"0\"/>\n"
        "    <phase duration=\"30\" minDur=\"12\" state=\"GrGr\" name=\"Ф1\"/>\n"
        "    <phase duration=\"3.00\" state=\"yurr\" next=\"0\"/>\n"
        "  </tlLogic>\n"
        "  <tlLogic id=\"K\" programID=\"off\"/>\n"
        "  <phase duration=\"9\" state=\"G\"/>\n"
        "</additional>\n");
    ASSERT_TRUE(r.file) << r.error;
    ASSERT_EQ(r.file->tlLogics.size(), 2u);
    const SumoTlLogic& l = r.file->tlLogics[0];
    EXPECT_EQ(l.id + "/" + l.programId + "/" + l.type + "/" + std::to_string(l.line), "J/4/static/3");
    ASSERT_EQ(l.phases.size(), 2u);
    const SumoPhase& p = l.phases[0];
    EXPECT_EQ(p.duration + "/" + p.minDur + "/" + p.state + "/" + p.name, "30/12/GrGr/Ф1");
    EXPECT_FALSE(p.hasNext);
    EXPECT_EQ(l.phases[1].duration, "3.00");
    EXPECT_TRUE(l.phases[1].hasNext);
    EXPECT_EQ(l.phases[1].line, 6);
    EXPECT_TRUE(r.file->tlLogics[1].phases.empty());  // a phase outside a program belongs to none

    for (const char* root : {"tlLogics", "net"}) {
        const std::string text = std::string("<") + root + "><edge id=\"a\"><lane id=\"a_0\"/></edge>" +
                                 "<tlLogic id=\"J\" programID=\"0\"><phase duration=\"5\" state=\"r\"/></tlLogic></" +
                                 root + ">";
        const auto n = parseSumoXml(text);
        ASSERT_TRUE(n.file) << root << ": " << n.error;
        ASSERT_EQ(n.file->tlLogics.size(), 1u);
        EXPECT_EQ(n.file->tlLogics[0].phases.size(), 1u);
    }
}

TEST(SumoReader, RefusesBrokenAndHostileInputWithAMessage) {
    std::string deep;
    for (int i = 0; i < 40; ++i) deep += "<tlLogic>";
    const std::string laughs =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE additional [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>\n"
        "<additional><tlLogic id=\"&b;\" programID=\"0\"/></additional>";
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {"", "строка 1"},
        {"<additional><tlLogic id=\"J\">", "строка 1"},
        {"<additional><tlLogic id=\"J\"></phase></additional>", "строка 1"},
        {"<routes><vehicle id=\"1\"/></routes>", "корневой элемент <routes>, а ожидается <additional>, <add>, <tlLogics> или <net>"},
        {laughs, "DTD"},
        {"<additional>" + deep, "вложенность глубже 32"},
        {"<additional><tlLogic id=\"" + std::string(kMaxSumoAttribute + 1, 'J') + "\"/></additional>",
         "длиннее 65536"},
        {"<additional>&unknown;</additional>", "строка 1"},
        {"<a/><b/>", "строка 1"},
    };
    for (const auto& k : cases) {
        const auto r = parseSumoXml(k.text);
        EXPECT_FALSE(r.file) << k.text.substr(0, 60);
        EXPECT_EQ(r.error.rfind("Файл SUMO не прочитан: ", 0), 0u) << r.error;
        EXPECT_NE(r.error.find(k.message), std::string::npos) << k.text.substr(0, 60) << " -> " << r.error;
    }
    const auto missing = readSumoFile("/nonexistent/x.add.xml");
    EXPECT_FALSE(missing.file);
    EXPECT_NE(missing.error.find("не удалось открыть /nonexistent/x.add.xml"), std::string::npos);
}


TEST(SumoReader, TakesWhatSumoTakesAddRootsNoProgramIdAndPackedNets) {
    // <add> as SUMO's own examples write it; a tlLogic without programID is "0".
    const auto add = parseSumoXml("<add><tlLogic id=\"J\" type=\"actuated\"><phase duration=\"30\" minDur=\"5\" "
                                  "maxDur=\"50\" state=\"Gr\"/></tlLogic></add>");
    ASSERT_TRUE(add.file) << add.error;
    const SumoTlLogic& l = add.file->tlLogics.at(0);
    EXPECT_EQ(l.programId, "0");
    EXPECT_FALSE(l.programIdGiven);
    EXPECT_EQ(l.phases.at(0).maxDur, "50");
    EXPECT_FALSE(add.file->isNet);
    EXPECT_TRUE(parseSumoXml("<additional><tlLogic id=\"J\" programID=\"0\"/></additional>").file->tlLogics[0].programIdGiven);

    // A net: its signalled links, internal lanes, crossings and right of way;
    // packed or not, the same.
    const std::filesystem::path dir = std::filesystem::path(LIVRA_TEST_DATA) / "sumo";
    const auto plain = readSumoFile((dir / "small.net.xml").string());
    ASSERT_TRUE(plain.file) << plain.error;
    const SumoAdditional& n = *plain.file;
    EXPECT_TRUE(n.isNet);
    ASSERT_EQ(n.tlLogics.size(), 1u);
    EXPECT_EQ(n.tlLogics[0].phases.size(), 6u);
    EXPECT_EQ(n.crossingEdges, (std::vector<std::string>{":C_c0", ":C_c1", ":C_c2", ":C_c3"}));
    int signalled = 0;
    for (const auto& k : n.connections) signalled += k.tl == "C" ? 1 : 0;
    EXPECT_EQ(signalled, 16);
    const auto junction = std::find_if(n.junctions.begin(), n.junctions.end(), [](const auto& j) { return j.id == "C"; });
    ASSERT_NE(junction, n.junctions.end());
    EXPECT_EQ(junction->intLanes.size(), 16u);
    EXPECT_EQ(junction->requests.size(), 16u);
    EXPECT_EQ(junction->requests[0].foes, "1001000100010000");
    const auto lane = std::find_if(n.internalLanes.begin(), n.internalLanes.end(), [](const auto& l) { return l.id == ":C_c0_0"; });
    ASSERT_NE(lane, n.internalLanes.end());
    EXPECT_EQ(lane->edgeFunction, "crossing");
    EXPECT_GE(lane->shape.size(), 2u);
    if (sumoReaderUnpacksGzip()) {
        const auto packed = readSumoFile((dir / "small.net.xml.gz").string());
        ASSERT_TRUE(packed.file) << packed.error;
        EXPECT_EQ(packed.file->tlLogics[0].phases.size(), 6u);
        EXPECT_EQ(packed.file->connections.size(), n.connections.size());
        EXPECT_EQ(packed.file->internalLanes.size(), n.internalLanes.size());
        // Cut short or damaged: refused, not half read.
        const auto bytes = readWholeFile(dir / "small.net.xml.gz");
        ASSERT_TRUE(bytes);
        const std::string whole(bytes->begin(), bytes->end());
        const auto cut = parseSumoXml(whole.substr(0, whole.size() / 2));
        EXPECT_FALSE(cut.file);
        EXPECT_NE(cut.error.find("gzip"), std::string::npos) << cut.error;
        std::string damaged = whole;
        for (std::size_t i = 20; i < 60; ++i) damaged[i] = char(0xff);
        EXPECT_FALSE(parseSumoXml(damaged).file);
    }
}

TEST(SumoReader, NetNumbersAreTakenWithinTheirBoundsAndRefusedBeyond) {
    auto net = [](const std::string& inner) { return parseSumoXml("<net>" + inner + "</net>"); };
    auto connection = [&](const std::string& attrs) {
        return net("<connection from=\"a\" to=\"b\" via=\":J_0_0\" tl=\"J\" " + attrs + "/>");
    };
    auto lane = [&](const std::string& attrs) {
        return net("<edge id=\":J_0\" function=\"internal\"><lane id=\":J_0_0\" " + attrs + "/></edge>");
    };
    struct Case {
        SumoReadResult r;
        bool ok;
        const char* what;
    };
    const Case cases[] = {
        {connection("linkIndex=\"-1\""), true, "linkIndex -1: not signalled"},
        {connection("linkIndex=\"9999\""), true, "linkIndex at the top"},
        {connection("linkIndex=\"-2\""), false, "linkIndex «-2»"},
        {connection("linkIndex=\"10000\""), false, "linkIndex «10000»"},
        {connection("linkIndex=\"1.5\""), false, "linkIndex «1.5»"},
        {connection("linkIndex=\"0\" fromLane=\"0\" toLane=\"999\""), true, "lanes at the bounds"},
        {connection("linkIndex=\"0\" fromLane=\"-1\""), false, "fromLane «-1»"},
        {connection("linkIndex=\"0\" toLane=\"1000\""), false, "toLane «1000»"},
        {lane("speed=\"0\" length=\"1000000\" shape=\"-100000000,0 100000000,1e8\""), true, "lane at the bounds"},
        {lane("speed=\"1000\" length=\"0\" shape=\"0,0,5 1,1,5\""), true, "a height is ignored"},
        {lane("speed=\"-0.1\""), false, "speed «-0.1»"},
        {lane("speed=\"1000.5\""), false, "speed «1000.5»"},
        {lane("length=\"-1\""), false, "length «-1»"},
        {lane("length=\"1000001\""), false, "length «1000001»"},
        {lane("speed=\"nan\""), false, "speed «nan»"},
        {lane("shape=\"0,0 100000001,0\""), false, "shape"},
        {lane("shape=\"0,0 5\""), false, "shape"},
        {lane("shape=\"0;0\""), false, "shape"},
        {net("<junction id=\"J\" intLanes=\":J_0_0\"><request index=\"0\" response=\"0\" foes=\"1\"/></junction>"), true,
         "request"},
        {net("<junction id=\"J\"><request index=\"9999\" response=\"\" foes=\"\"/></junction>"), true, "index at the top"},
        {net("<junction id=\"J\"><request index=\"-1\" response=\"0\" foes=\"0\"/></junction>"), false, "index «-1»"},
        {net("<junction id=\"J\"><request index=\"10000\" response=\"0\" foes=\"0\"/></junction>"), false,
         "index «10000»"},
        {net("<junction id=\"J\"><request index=\"0\" response=\"2\" foes=\"0\"/></junction>"), false, "только 0 и 1"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(bool(k.r.file), k.ok) << k.what << ": " << k.r.error;
        if (!k.ok) {
            EXPECT_NE(k.r.error.find(k.what), std::string::npos) << k.r.error;
            EXPECT_NE(k.r.error.find("строка 1"), std::string::npos) << k.r.error;
        }
    }
    const auto top = connection("linkIndex=\"9999\" toLane=\"999\"");
    ASSERT_TRUE(top.file);
    EXPECT_EQ(top.file->connections.at(0).linkIndex, 9999);
    EXPECT_EQ(top.file->connections.at(0).toLane, 999);
    EXPECT_TRUE(connection("linkIndex=\"-1\"").file->connections.at(0).tl.empty());
    const auto bounds = lane("speed=\"0\" length=\"1000000\" shape=\"-100000000,0 100000000,1e8\"");
    EXPECT_EQ(bounds.file->internalLanes.at(0).shape.at(1).y, 1e8);
    EXPECT_EQ(bounds.file->internalLanes.at(0).length, 1e6);
}

}  // namespace
}  // namespace livra
