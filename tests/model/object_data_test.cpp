// The object data in the companion file: written only where it holds
// something, read back whole, every number and text checked at its bounds,
// and a file of the object data alone keeps "no matrix" as it was.
#include "model/object_file.h"

#include <gtest/gtest.h>

#include "model/project_file.h"
#include "model/safety_file.h"
#include "support/test_support.h"

namespace livra {
namespace {

std::unique_ptr<Configuration> twoDirections() {
    auto c = test::newConfiguration();
    test::addDirection(*c, 0, DirVehicle);
    test::addDirection(*c, 1, DirPedestrian);
    return c;
}

// A file of the object data alone with `object` as its "object" member.
std::string fileWith(const std::string& object) {
    return R"({"format": "livra-safety", "version": 1, "matrix": false, "directions": [1, 2], "conflicts": [],
               "intergreen": [], "object": )" +
           object + "}";
}

SafetyLoadResult parse(const std::string& object, SafetyData& out) {
    return parseSafetyJson(fileWith(object), *twoDirections(), out);
}

TEST(ObjectData, TheFileKeepsEveryFieldAndNoMatrixStaysNoMatrix) {
    auto c = twoDirections();
    SafetyData s;
    s.object.name = "Перекрёсток ул. Ленина — ул. Мира";
    s.object.address = "г. Энск";
    s.object.prepared = "Иванов И. И.";
    s.object.revision = "3";
    s.object.revisionDate = "29.02.2024";
    s.object.notes = "строка 1\nстрока 2\tс табуляцией";
    s.object.directionNames[1] = "пешеходы через ул. Мира";
    s.object.programNames[3] = "Утро";
    s.object.programNames[1] = "Ночь, ЖМ";
    s.object.writes.push_back({"09.12.2026 20:15", "модель 3, микропрограмма 12, класс 1", "3"});
    const std::string text = safetyJson(s, *c);
    EXPECT_NE(text.find("\"matrix\": false"), std::string::npos);
    EXPECT_NE(text.find("\"program\": 4"), std::string::npos);
    SafetyData back;
    ASSERT_EQ(parseSafetyJson(text, *c, back).status, SafetyFileStatus::Loaded);
    EXPECT_FALSE(back.defined) << "object data alone is no conflict matrix";
    EXPECT_EQ(back.object, s.object);

    // With a matrix the file is as it always was: no "matrix" member, and
    // no "object" member while there is no object data.
    SafetyData m;
    m.defined = true;
    m.conflict[0].set(1), m.conflict[1].set(0);
    const std::string plain = safetyJson(m, *c);
    EXPECT_EQ(plain.find("\"matrix\""), std::string::npos);
    EXPECT_EQ(plain.find("\"object\""), std::string::npos);
    SafetyData again;
    ASSERT_EQ(parseSafetyJson(plain, *c, again).status, SafetyFileStatus::Loaded);
    EXPECT_TRUE(again.defined);
    EXPECT_TRUE(again.object.empty());
    m.object = s.object;
    ASSERT_EQ(parseSafetyJson(safetyJson(m, *c), *c, again).status, SafetyFileStatus::Loaded);
    EXPECT_TRUE(again.defined);
    EXPECT_EQ(again.object, s.object);
}

TEST(ObjectData, NumbersAreCheckedAtBothBounds) {
    SafetyData s;
    EXPECT_EQ(parse(R"({"directionNames": [{"direction": 1, "name": "a"}, {"direction": 63, "name": "b"}]})", s).status,
              SafetyFileStatus::Loaded);
    EXPECT_EQ(s.object.directionNames[0], "a");
    EXPECT_EQ(s.object.directionNames[62], "b");
    for (const char* bad : {R"({"directionNames": [{"direction": 0, "name": "a"}]})",
                            R"({"directionNames": [{"direction": 64, "name": "a"}]})",
                            R"({"directionNames": [{"direction": 1.5, "name": "a"}]})",
                            R"({"directionNames": [{"direction": 2, "name": "a"}, {"direction": 2, "name": "b"}]})"}) {
        SafetyData out;
        const auto r = parse(bad, out);
        EXPECT_EQ(r.status, SafetyFileStatus::Damaged) << bad;
        EXPECT_NE(r.message.find("directionNames"), std::string::npos) << r.message;
    }
    EXPECT_EQ(parse(R"({"programNames": [{"program": 1, "name": "КК"}, {"program": 16, "name": "Вечер"}]})", s).status,
              SafetyFileStatus::Loaded);
    EXPECT_EQ(s.object.programNames[15], "Вечер");
    for (const char* bad : {R"({"programNames": [{"program": 0, "name": "a"}]})",
                            R"({"programNames": [{"program": 17, "name": "a"}]})",
                            R"({"programNames": [{"program": "4", "name": "a"}]})",
                            R"({"programNames": [{"name": "a"}]})"}) {
        SafetyData out;
        EXPECT_EQ(parse(bad, out).status, SafetyFileStatus::Damaged) << bad;
    }
    // The record of writing: at most kMaxWriteRecords rows.
    auto writes = [](std::size_t n) {
        std::string list = "[";
        for (std::size_t i = 0; i < n; ++i)
            list += std::string(i ? "," : "") + R"({"when": "01.01.2026 10:00", "controller": "м", "revision": "1"})";
        return R"({"writes": )" + list + "]}";
    };
    EXPECT_EQ(parse(writes(kMaxWriteRecords), s).status, SafetyFileStatus::Loaded);
    EXPECT_EQ(s.object.writes.size(), kMaxWriteRecords);
    EXPECT_EQ(parse(writes(kMaxWriteRecords + 1), s).status, SafetyFileStatus::Damaged);
    EXPECT_EQ(parse(R"({"writes": [{"when": "x", "controller": "y"}]})", s).status, SafetyFileStatus::Damaged);
}

TEST(ObjectData, TextsAndDatesAreCheckedAtTheirBounds) {
    SafetyData s;
    const std::string longest(kMaxObjectTextLength, 'x');
    EXPECT_EQ(parse(R"({"name": ")" + longest + R"("})", s).status, SafetyFileStatus::Loaded);
    EXPECT_EQ(s.object.name, longest);
    EXPECT_EQ(parse(R"({"name": ")" + longest + R"(x"})", s).status, SafetyFileStatus::Damaged);
    const std::string longestName(kMaxObjectNameLength, 'y');
    EXPECT_EQ(parse(R"({"programNames": [{"program": 5, "name": ")" + longestName + R"("}]})", s).status,
              SafetyFileStatus::Loaded);
    EXPECT_EQ(parse(R"({"programNames": [{"program": 5, "name": ")" + longestName + R"(y"}]})", s).status,
              SafetyFileStatus::Damaged);
    // Line breaks only in the notes.
    EXPECT_EQ(parse(R"({"notes": "a\nb"})", s).status, SafetyFileStatus::Loaded);
    EXPECT_EQ(parse(R"({"name": "a\nb"})", s).status, SafetyFileStatus::Damaged);
    EXPECT_EQ(parse(R"({"notes": "a\u0001b"})", s).status, SafetyFileStatus::Damaged);
    EXPECT_EQ(parse(R"({"name": 5})", s).status, SafetyFileStatus::Damaged);
    EXPECT_EQ(parse(R"("object")", s).status, SafetyFileStatus::Damaged);

    for (const char* good : {"", "01.01.1900", "31.12.2999", "29.02.2024", "31.01.2026"}) {
        EXPECT_TRUE(isRevisionDate(good)) << good;
        EXPECT_EQ(parse(std::string(R"({"revisionDate": ")") + good + R"("})", s).status, SafetyFileStatus::Loaded) << good;
    }
    for (const char* bad : {"31.12.1899", "01.01.3000", "29.02.2025", "00.01.2026", "32.01.2026", "01.00.2026",
                            "01.13.2026", "1.1.2026", "01-01-2026", "01.01.20a6", "01.01.2026 "}) {
        EXPECT_FALSE(isRevisionDate(bad)) << bad;
        EXPECT_EQ(parse(std::string(R"({"revisionDate": ")") + bad + R"("})", s).status, SafetyFileStatus::Damaged) << bad;
    }
    const std::string notBool =
        R"({"format": "livra-safety", "version": 1, "matrix": 0, "directions": [1, 2], "conflicts": [], "intergreen": []})";
    EXPECT_EQ(parseSafetyJson(notBool, *twoDirections(), s).status, SafetyFileStatus::Damaged);
}

TEST(ObjectData, NamesFollowADeletedDirectionAndTheRecordKeepsItsNewest) {
    SafetyData s;
    s.object.directionNames[0] = "первое";
    s.object.directionNames[1] = "второе";
    s.object.directionNames[62] = "последнее";
    s.deleteDirection(0);
    EXPECT_EQ(s.object.directionNames[0], "второе");
    EXPECT_EQ(s.object.directionNames[61], "последнее");
    EXPECT_EQ(s.object.directionNames[62], "");

    ObjectData o;
    for (std::size_t i = 0; i < kMaxWriteRecords + 2; ++i) o.recordWrite({std::to_string(i), "м", "1"});
    ASSERT_EQ(o.writes.size(), kMaxWriteRecords);
    EXPECT_EQ(o.writes.front().when, "2");
    EXPECT_EQ(o.writes.back().when, std::to_string(kMaxWriteRecords + 1));
    EXPECT_TRUE(o.sameDescription(ObjectData{})) << "the record of writing is no description";
    EXPECT_FALSE(o.empty());

    ObjectData named;
    named.programNames[3] = "Утро";
    EXPECT_EQ(namedProgramTitle(named, 3), "4 «Утро»");
    EXPECT_EQ(namedProgramTitle(named, 1), "2 (ЖМ)");
    named.directionNames[5] = "ул. Ленина, прямо";
    EXPECT_EQ(namedDirectionTitle(named, 5, "6"), "6 ул. Ленина, прямо");
    EXPECT_EQ(namedDirectionTitle(named, 6, "7"), "7");
}

TEST(ObjectData, ASavedProjectKeepsItsObjectDataWithoutAMatrix) {
    test::TempDir dir;
    auto c = twoDirections();
    c->Safety.object.name = "Объект без матрицы";
    const std::string path = pathToUtf8(dir / "x.ptm");
    ASSERT_TRUE(saveProject(*c, path).ok());
    ASSERT_TRUE(std::filesystem::exists(dir / "x.safety.json"));
    auto back = twoDirections();
    EXPECT_EQ(loadProjectSafety(*back, path).status, SafetyFileStatus::Loaded);
    EXPECT_FALSE(back->Safety.defined);
    EXPECT_EQ(back->Safety.object.name, "Объект без матрицы");
}

}  // namespace
}  // namespace livra
