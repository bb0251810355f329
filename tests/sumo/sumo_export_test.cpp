#include <gtest/gtest.h>

#include "edit/fixed_programs.h"
#include "edit/signal_choice.h"
#include "sumo/sumo_export.h"
#include "sumo/sumo_letters.h"
#include "support/test_support.h"

namespace livra {
namespace {

using test::addAlarm;
using test::addDirection;

void setTact(Configuration& c, int p, int t, int32_t kind, int32_t tMain, int32_t tMin, std::vector<uint8_t> signals) {
    c.TactTable[p][t] = Tact{kind, tMin, tMain, 0, 0};
    for (std::size_t d = 0; d < signals.size(); ++d) c.TactSignals[p][t][d] = signals[d];
    recomputeDerivedTactFields(c, p);
}

// The table of docs/sumo.md, written out once more by hand: kind, then the
// letters of codes 1..7 ('-' where the grid never offers the code).
struct Row {
    uint8_t kind;
    const char* letters;
};
constexpr Row kTable[] = {
    {DirVehicle, "ryGoGuO"},  {DirPedestrian, "r-G-G-O"}, {DirExtraRed, "r-----O"}, {DirExtraYellow, "-y-o--O"},
    {DirExtraGreen, "--G-G-r"}, {DirTram1, "r-G---O"},    {DirTram2, "r-G---O"},   {DirTram3, "r-G---O"},
};

TEST(SumoLetters, EveryOfferedSignalHasItsLetterAndComesBackButFlashingGreen) {
    for (const Row& row : kTable) {
        for (int32_t tactKind : {TactPhase, TactIntermediate, TactTvp1, TactTvp2}) {
            for (uint8_t code : variantSignals(allowedSignals(row.kind, tactKind))) {
                const char want = row.letters[code - 1];
                ASSERT_NE(want, '-') << "kind " << int(row.kind) << " offers code " << int(code);
                EXPECT_EQ(sumoLetter(row.kind, code), want) << "kind " << int(row.kind) << " code " << int(code);
                const auto back = signalFromSumoLetter(row.kind, tactKind, want);
                ASSERT_TRUE(back.has_value());
                EXPECT_EQ(*back, code == SignalFlashingGreen ? uint8_t(SignalGreen) : code);
            }
        }
        // Minor green is green; a right-turn "s" has no meaning here.
        EXPECT_EQ(signalFromSumoLetter(row.kind, TactIntermediate, 'g'),
                  signalFromSumoLetter(row.kind, TactIntermediate, 'G'));
        EXPECT_FALSE(signalFromSumoLetter(row.kind, TactIntermediate, 's'));
    }
    // Call inputs and the cells they do not use stand dark.
    EXPECT_EQ(sumoLetter(DirTvp1, SignalRed), 'O');
    EXPECT_EQ(sumoLetter(DirVehicle, SignalNotApplicable), 'O');
    EXPECT_EQ(signalFromSumoLetter(DirTvp1, TactPhase, 'O'), SignalNotApplicable);
    EXPECT_EQ(signalFromSumoLetter(DirTvp2, TactTvp2, 'O'), SignalOff);
    EXPECT_FALSE(signalFromSumoLetter(DirTvp1, TactPhase, 'r'));
    EXPECT_EQ(sumoProgramId(3), "off");
    EXPECT_EQ(sumoProgramId(17), "");
    for (const char* bad : {"", "a b", "a\"b", "<J>", "a&b"}) EXPECT_FALSE(isValidSumoId(bad)) << bad;
    // A vehicle head in a phase shows red or green only.
    EXPECT_FALSE(signalFromSumoLetter(DirVehicle, TactPhase, 'y'));
    EXPECT_FALSE(signalFromSumoLetter(DirPedestrian, TactIntermediate, 'y'));
}

// Vehicle 1, ТВП1 input 2, pedestrian 3, extra green arrow 4, ТВП2 input 5
// (after the last head: no letter). Program 4 with both calls, program 6
// plain; calendar with ОС, ЖМ and a damaged entry.
std::unique_ptr<Configuration> exportConfiguration() {
    auto c = test::newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirTvp1);
    addDirection(*c, 2, DirPedestrian);
    addDirection(*c, 3, DirExtraGreen);
    addDirection(*c, 4, DirTvp2);
    buildFixedPrograms(*c);
    setTact(*c, 3, 0, TactPhase, 25, 10, {3, 9, 1, 3, 9});
    setTact(*c, 3, 1, TactIntermediate, 3, 0, {5, 9, 1, 7, 9});
    setTact(*c, 3, 2, TactIntermediate, 3, 0, {2, 9, 1, 7, 9});
    setTact(*c, 3, 3, TactTvp1, 12, 0, {1, 1, 3, 7, 9});
    setTact(*c, 3, 4, TactTvp2, 5, 0, {1, 9, 5, 7, 7});
    setTact(*c, 3, 5, TactPhase, 20, 20, {6, 9, 1, 5, 9});
    setTact(*c, 5, 0, TactPhase, 40, 0, {4, 9, 7, 7, 9});
    addAlarm(*c, 0, 7, 30, 4);
    addAlarm(*c, 0, 22, 0, 3);
    addAlarm(*c, 2, 0, 0, 6);
    addAlarm(*c, 6, 23, 0, 2);
    c->Calendar[5][0] = CalendarEntry{0, 30, 4};  // no such hour: left out
    return c;
}

TEST(SumoExport, WritesEveryProgramCallVariantAndTheCalendarByteForByte) {
    const auto c = exportConfiguration();
    EXPECT_EQ(sumoStateLength(*c), 4);
    const std::string xml = sumoExportXml(buildSumoExport(*c, "X1"), "a--b.ptm");
    const std::string body = xml.substr(xml.find("<additional>"));
    EXPECT_EQ(body,
              "<additional>\n"
              "    <tlLogic id=\"X1\" type=\"static\" programID=\"2\" offset=\"0\">\n"
              "        <phase duration=\"1\" state=\"oOOr\" name=\"ЖМ\"/>\n"
              "    </tlLogic>\n"
              "    <tlLogic id=\"X1\" type=\"static\" programID=\"off\"/>\n"
              "    <tlLogic id=\"X1\" type=\"static\" programID=\"4\" offset=\"0\">\n"
              "        <phase duration=\"25\" minDur=\"10\" state=\"GOrG\" name=\"Ф1\"/>\n"
              "        <phase duration=\"3\" state=\"GOrr\" name=\"Промтакт 2\"/>\n"
              "        <phase duration=\"3\" state=\"yOrr\" name=\"Промтакт 3\"/>\n"
              "        <phase duration=\"20\" minDur=\"20\" state=\"uOrG\" name=\"Ф2\"/>\n"
              "    </tlLogic>\n"
              "    <tlLogic id=\"X1\" type=\"static\" programID=\"4-call1\" offset=\"0\">\n"
              "        <phase duration=\"25\" minDur=\"10\" state=\"GOrG\" name=\"Ф1\"/>\n"
              "        <phase duration=\"3\" state=\"GOrr\" name=\"Промтакт 2\"/>\n"
              "        <phase duration=\"3\" state=\"yOrr\" name=\"Промтакт 3\"/>\n"
              "        <phase duration=\"12\" state=\"rOGr\" name=\"ТВП1 4\"/>\n"
              "        <phase duration=\"20\" minDur=\"20\" state=\"uOrG\" name=\"Ф2\"/>\n"
              "    </tlLogic>\n"
              "    <tlLogic id=\"X1\" type=\"static\" programID=\"4-call2\" offset=\"0\">\n"
              "        <phase duration=\"25\" minDur=\"10\" state=\"GOrG\" name=\"Ф1\"/>\n"
              "        <phase duration=\"3\" state=\"GOrr\" name=\"Промтакт 2\"/>\n"
              "        <phase duration=\"3\" state=\"yOrr\" name=\"Промтакт 3\"/>\n"
              "        <phase duration=\"5\" state=\"rOGr\" name=\"ТВП2 5\"/>\n"
              "        <phase duration=\"20\" minDur=\"20\" state=\"uOrG\" name=\"Ф2\"/>\n"
              "    </tlLogic>\n"
              "    <tlLogic id=\"X1\" type=\"static\" programID=\"4-call12\" offset=\"0\">\n"
              "        <phase duration=\"25\" minDur=\"10\" state=\"GOrG\" name=\"Ф1\"/>\n"
              "        <phase duration=\"3\" state=\"GOrr\" name=\"Промтакт 2\"/>\n"
              "        <phase duration=\"3\" state=\"yOrr\" name=\"Промтакт 3\"/>\n"
              "        <phase duration=\"12\" state=\"rOGr\" name=\"ТВП1 4\"/>\n"
              "        <phase duration=\"5\" state=\"rOGr\" name=\"ТВП2 5\"/>\n"
              "        <phase duration=\"20\" minDur=\"20\" state=\"uOrG\" name=\"Ф2\"/>\n"
              "    </tlLogic>\n"
              "    <tlLogic id=\"X1\" type=\"static\" programID=\"6\" offset=\"0\">\n"
              "        <phase duration=\"40\" state=\"oOOr\" name=\"Ф1\"/>\n"
              "    </tlLogic>\n"
              "    <WAUT id=\"X1-calendar\" refTime=\"0\" period=\"604800\" startProg=\"2\">\n"
              "        <wautSwitch time=\"27000\" to=\"4\"/>\n"
              "        <wautSwitch time=\"79200\" to=\"off\"/>\n"
              "        <wautSwitch time=\"172800\" to=\"6\"/>\n"
              "        <wautSwitch time=\"601200\" to=\"2\"/>\n"
              "    </WAUT>\n"
              "    <wautJunction wautID=\"X1-calendar\" junctionID=\"X1\" procedure=\"GSP\"/>\n"
              "</additional>\n");
    // The comment names the source without breaking the comment.
    EXPECT_NE(xml.find("<!-- a- -b.ptm:"), std::string::npos);
    EXPECT_EQ(xml.rfind("--", xml.find("-->") - 1), xml.find("<!--") + 2);
}

}  // namespace
}  // namespace livra
