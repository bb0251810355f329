#include <gtest/gtest.h>

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
        {"<routes><vehicle id=\"1\"/></routes>", "корневой элемент <routes>"},
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

}  // namespace
}  // namespace livra
