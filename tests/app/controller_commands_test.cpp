// The controller commands against the virtual controller over a
// pseudo-terminal, through the real serial adapter.
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <sstream>

#include "app/controller_commands.h"
#include "app/link_format.h"
#include "check/validator.h"
#include "emulator/virtual_controller.h"
#include "image/image.h"
#include "link/exchange.h"
#include "serial_qt/qt_serial_port.h"
#include "support/scripted_dialogs.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;
using namespace std::chrono;

namespace {

class FakeDialogs : public UserDialogs {
public:
    std::vector<Box> boxes;
    std::deque<Answer> answers;  // Yes when empty
    std::deque<std::optional<std::string>> saveNames;
    std::optional<std::string> input;
    std::vector<std::string> lines;
    int cancelAfterPolls = -1;  // -1: never
    int polls = 0, begins = 0, ends = 0;
    std::vector<std::pair<std::size_t, std::size_t>> progress;

    Answer messageBox(const std::string& title, const std::string& text, Buttons b, Icon i) override {
        boxes.push_back({title, text, b, i});
        if (answers.empty()) return Answer::Yes;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> openFileName(const std::string&) override { return std::nullopt; }
    std::vector<std::string> filters;  // of every save dialog shown
    std::optional<std::string> saveFileName(const std::string& filter, const std::string&) override {
        filters.push_back(filter);
        if (saveNames.empty()) return std::nullopt;
        auto n = saveNames.front();
        saveNames.pop_front();
        return n;
    }
    std::optional<std::string> textInput(const std::string&, const std::string&, bool) override { return input; }
    void clear() override { lines.clear(); }
    void add(const std::string& line) override { lines.push_back(line); }
    void exchangeBegin() override { ++begins; }
    void exchangeProgress(std::size_t done, std::size_t total) override { progress.emplace_back(done, total); }
    bool cancelRequested() override { return cancelAfterPolls >= 0 && ++polls > cancelAfterPolls; }
    void exchangeEnd() override { ++ends; }

    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& b : boxes) t.push_back(b.text);
        return t;
    }
};

VirtualControllerOptions quick() {
    VirtualControllerOptions o;
    o.applyTime = milliseconds(0);
    return o;
}

struct Rig {
    VirtualController controller;
    std::unique_ptr<SerialPortProvider> ports = makeQtSerialPortProvider();
    LinkContext link;
    FakeDialogs ui;
    TempDir dir;

    explicit Rig(VirtualControllerOptions o = quick()) : controller(std::move(o)) {
        link.ports = ports.get();
        link.fixedPort = controller.start();
        EXPECT_FALSE(link.fixedPort.empty()) << controller.error();
    }
    std::unique_ptr<Configuration> fresh() {
        auto c = std::make_unique<Configuration>();
        c->ProgramDir = (dir / "work").string() + "/";
        return c;
    }
    void fastTimeouts(milliseconds attempt) {
        auto t = std::make_shared<ExchangeTiming>();
        t->attemptTimeout = attempt;
        t->pollInterval = milliseconds(5);
        link.timing = t;
    }
};

// Directions of several kinds, a few programs, a calendar.
std::unique_ptr<Configuration> richConfiguration(int variant) {
    auto c = newConfiguration();
    const uint8_t kinds[] = {DirVehicle, DirPedestrian, DirVehicle, DirExtraGreen, DirPedestrian, DirVehicle};
    const int directions = 3 + variant * 3;
    for (int d = 0; d < directions && d < 6 + variant; ++d) addDirection(*c, d, kinds[d % 6]);
    for (int p = 3; p < 4 + variant; ++p) {
        for (int t = 0; t < 4 + 3 * variant; ++t) {
            const bool phase = t % 2 == 0;
            addTact(*c, p, phase ? TactPhase : TactIntermediate, phase ? 10 + t + p : 3, phase ? 5 : 0,
                    phase ? (t % 4 ? SignalGreen : SignalRed) : SignalYellow);
        }
    }
    for (int day = 0; day < DayCount; ++day) addAlarm(*c, day, 6 + variant, 15 * (day % 4), 4 + day % (1 + variant));
    c->Tvp1Delay = std::to_string(3 + variant);
    return c;
}

// What the controller holds of a configuration: its image. The read must give
// exactly what decoding the written image gives.
::testing::AssertionResult sameAsWritten(const Configuration& read, const Configuration& written) {
    const ImageFiles image = encodeImage(written);
    if (encodeImage(read) != image) return ::testing::AssertionFailure() << "the images differ";
    const auto expected = decodeImage(image);
    if (!expected) return ::testing::AssertionFailure() << "the written image does not decode";
    if (!read.sameTables(*expected)) return ::testing::AssertionFailure() << "the tables differ";
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(ControllerCommands, WriteThenReadGivesTheSameConfiguration) {
    Rig rig;
    std::vector<std::unique_ptr<Configuration>> configs;
    configs.push_back(sampleConfiguration());
    for (int v = 0; v < 3; ++v) configs.push_back(richConfiguration(v));
    for (auto& original : configs) {
        VectorErrorList verdict;
        ASSERT_EQ(validateConfiguration(*original, verdict), 0) << verdict.lines.at(0);
        original->ProgramDir = (rig.dir / "work").string() + "/";
        test::switchSafetyRulesOff(*original);  // the link is under test, not the programs
        rig.ui.boxes.clear();
        ASSERT_EQ(writeToController(*original, rig.link, rig.ui), LinkOutcome::Ok) << ::testing::PrintToString(rig.ui.texts());
        EXPECT_TRUE(rig.ui.boxes.empty());
        // Progress counts the bytes of the image.
        std::size_t imageBytes = 0;
        for (const auto& part : encodeImage(*original)) imageBytes += part.size();
        ASSERT_FALSE(rig.ui.progress.empty());
        EXPECT_EQ(rig.ui.progress.back(), std::make_pair(imageBytes, imageBytes));

        auto back = rig.fresh();
        back->Modified = 0;
        ASSERT_EQ(readFromController(*back, rig.link, rig.ui), LinkOutcome::Ok) << ::testing::PrintToString(rig.ui.texts());
        EXPECT_TRUE(sameAsWritten(*back, *original));
        EXPECT_EQ(back->Modified, 1) << "what was read is not what any project file holds";
        // The part files in the working folder are the image that was read.
        const auto files = readImageParts(rig.dir / "work");
        ASSERT_TRUE(files);
        EXPECT_EQ(*files, encodeImage(*original));
    }
    EXPECT_EQ(rig.controller.configurationsApplied(), 4);
    EXPECT_EQ(rig.ui.begins, rig.ui.ends);
}

TEST(ControllerCommands, FaultyLineStillTransfersEverything) {
    VirtualControllerOptions o = quick();
    o.corruptRate = 0.1;
    o.dropRate = 0.05;
    o.seed = 7;
    Rig rig(o);
    rig.fastTimeouts(milliseconds(60));
    auto original = richConfiguration(2);
    original->ProgramDir = (rig.dir / "work").string() + "/";
    ASSERT_EQ(writeToController(*original, rig.link, rig.ui), LinkOutcome::Ok) << ::testing::PrintToString(rig.ui.texts());
    auto back = rig.fresh();
    ASSERT_EQ(readFromController(*back, rig.link, rig.ui), LinkOutcome::Ok) << ::testing::PrintToString(rig.ui.texts());
    EXPECT_TRUE(sameAsWritten(*back, *original));
    EXPECT_TRUE(rig.ui.boxes.empty());
}

TEST(ControllerCommands, ReadRightAfterWriteWaitsForTheControllerToBeReady) {
    VirtualControllerOptions o;
    o.applyTime = milliseconds(150);
    Rig rig(o);
    rig.fastTimeouts(milliseconds(100));
    auto original = sampleConfiguration();
    original->ProgramDir = (rig.dir / "work").string() + "/";
    ASSERT_EQ(writeToController(*original, rig.link, rig.ui), LinkOutcome::Ok);
    auto back = rig.fresh();
    ASSERT_EQ(readFromController(*back, rig.link, rig.ui), LinkOutcome::Ok) << ::testing::PrintToString(rig.ui.texts());
    EXPECT_TRUE(sameAsWritten(*back, *original));
}

TEST(ControllerCommands, SilentControllerIsToldOnceAfterSixAttempts) {
    VirtualControllerOptions o = quick();
    o.dropRate = 1.0;
    Rig rig(o);
    rig.fastTimeouts(milliseconds(10));
    EXPECT_NE(showControllerInfo(rig.link, rig.ui), LinkOutcome::Ok);
    expectBox(rig.ui.boxes, "Ошибка", "Выполнить команду не удалось!!!\nДК не отвечает.", Icon::Error);
    EXPECT_EQ(rig.controller.requestsServed(), 6);
    EXPECT_EQ(rig.ui.ends, 1);
}

TEST(ControllerCommands, CancelGivesOnlyTheCancellationMessage) {
    VirtualControllerOptions o = quick();
    o.dropRate = 1.0;
    Rig rig(o);
    rig.ui.cancelAfterPolls = 3;
    auto c = rig.fresh();
    c->TactTable[3][0].tMain = 77;
    auto before = std::make_unique<Configuration>(*c);
    const LinkOutcome read = readFromController(*c, rig.link, rig.ui);
    ASSERT_EQ(rig.ui.texts(), std::vector<std::string>{"Выполнить команду не удалось!!!\nОперация прервана пользователем"});
    EXPECT_TRUE(c->sameTables(*before));
    EXPECT_NE(read, LinkOutcome::Ok);
}

TEST(ControllerCommands, CancelDuringTheFetchLeavesTheConfigurationAlone) {
    Rig rig;
    auto original = richConfiguration(1);
    original->ProgramDir = (rig.dir / "work").string() + "/";
    ASSERT_EQ(writeToController(*original, rig.link, rig.ui), LinkOutcome::Ok);
    auto c = rig.fresh();
    const auto before = std::make_unique<Configuration>(*c);
    rig.ui.polls = 0;
    rig.ui.cancelAfterPolls = 12;  // some blocks in
    EXPECT_NE(readFromController(*c, rig.link, rig.ui), LinkOutcome::Ok);
    EXPECT_EQ(rig.ui.texts().back(), "Выполнить команду не удалось!!!\nОперация прервана пользователем");
    EXPECT_TRUE(c->sameTables(*before));
    EXPECT_FALSE(readImageParts(rig.dir / "work2")) << "nothing was written elsewhere";
}

TEST(ControllerCommands, ControllersOfAnotherClassAreRefused) {
    for (uint8_t cls : {uint8_t(1), uint8_t(3)}) {
        VirtualControllerOptions o = quick();
        o.compatibilityClass = cls;
        Rig rig(o);
        auto c = sampleConfiguration();
        c->ProgramDir = (rig.dir / "work").string() + "/";
        EXPECT_NE(writeToController(*c, rig.link, rig.ui), LinkOutcome::Ok);
        ASSERT_FALSE(rig.ui.boxes.empty());
        EXPECT_EQ(rig.ui.boxes.back().title, "Ошибка");
        EXPECT_EQ(rig.ui.boxes.back().text, "конфигуратор не совместим с ДК!");
        EXPECT_EQ(rig.controller.requestsServed(), 1) << "only the handshake";
    }
}

TEST(ControllerCommands, NoCableAndInvalidConfigurationSendNothing) {
    Rig rig;
    rig.link.fixedPort.clear();  // search; the pseudo-terminal is no cable
    showControllerInfo(rig.link, rig.ui);
    EXPECT_EQ(rig.ui.texts(),
              std::vector<std::string>{"Выполнить команду не удалось!!!\nКонфигуратор не видит соединительного кабеля."});

    rig.link.fixedPort = "/dev/livra-no-such-port";
    rig.ui.boxes.clear();
    readControllerClock(rig.link, rig.ui, *std::make_unique<LinkTabState>());
    EXPECT_EQ(rig.ui.texts().size(), 1u);

    rig.link.fixedPort = rig.controller.devicePath();
    rig.ui.boxes.clear();
    auto empty = rig.fresh();
    EXPECT_NE(writeToController(*empty, rig.link, rig.ui), LinkOutcome::Ok);
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].title, "Внимание");
    EXPECT_EQ(rig.ui.boxes[0].text,
              "Запись в ДК невозможна.\nВ конфигурации обнаружены ошибки.\nИсправьте ошибки и повторите.");
    EXPECT_EQ(rig.ui.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(rig.controller.requestsServed(), 0);

    // A verdict without errors is not enough when the image would cut a time
    // short: 300 s would reach the controller as 44 s.
    rig.ui.boxes.clear();
    auto tooLong = sampleConfiguration();
    tooLong->TactTable[3][0].tMain = 300;
    EXPECT_NE(writeToController(*tooLong, rig.link, rig.ui), LinkOutcome::Ok);
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].text,
              "Запись в ДК невозможна.\nВ конфигурации обнаружены ошибки.\nИсправьте ошибки и повторите.");
    EXPECT_EQ(rig.ui.lines, std::vector<std::string>{"( Программа № 4   Такт №1 ) - Т осн. не может превышать 255 сек"});
    EXPECT_EQ(rig.controller.requestsServed(), 0);
}

TEST(ControllerCommands, ReadAsksBeforeReplacingUnsavedWork) {
    Rig rig;
    auto inController = sampleConfiguration();
    inController->ProgramDir = (rig.dir / "work").string() + "/";
    ASSERT_EQ(writeToController(*inController, rig.link, rig.ui), LinkOutcome::Ok);
    const int served = rig.controller.requestsServed();
    rig.ui.boxes.clear();
    const int32_t readBack = inController->TactTable[3][0].tMain;
    auto c = rig.fresh();
    c->Modified = 1;
    c->TactTable[3][0].tMain = 5;
    rig.ui.answers = {Answer::Cancel};
    EXPECT_NE(readFromController(*c, rig.link, rig.ui), LinkOutcome::Ok);
    ASSERT_EQ(rig.ui.boxes.size(), 2u);
    EXPECT_EQ(rig.ui.boxes[0].title, "Читать из ДК");
    EXPECT_EQ(rig.ui.boxes[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(rig.ui.boxes[0].icon, Icon::Question);
    EXPECT_EQ(rig.ui.boxes[1].text, "Операция чтения из ДК отменена пользователем");
    EXPECT_EQ(rig.ui.boxes[1].icon, Icon::None);
    EXPECT_EQ(rig.controller.requestsServed(), served);
    EXPECT_EQ(c->TactTable[3][0].tMain, 5);

    // Yes with a file name saves the work first (as "Сохранить как": the
    // name gets ".ptm"), then reads.
    rig.ui.boxes.clear();
    rig.ui.answers = {Answer::Yes};
    const auto saved = rig.dir / "before.ptm";
    rig.ui.saveNames = {(rig.dir / "before").string()};
    EXPECT_EQ(readFromController(*c, rig.link, rig.ui), LinkOutcome::Ok);
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(c->ProjectFileName, saved.string());
    EXPECT_EQ(rig.ui.filters, std::vector<std::string>{"Файлы |*.ptm"});
    EXPECT_EQ(c->TactTable[3][0].tMain, readBack) << "the controller's configuration replaced it";
    EXPECT_EQ(c->Modified, 1);

    // An existing file is not replaced unasked: "Нет" leads back to the
    // dialog, whose cancel still reads.
    const Bytes savedBytes = readBytes(saved);
    c->Modified = 1;
    c->TactTable[3][0].tMain = 6;
    rig.ui.boxes.clear();
    rig.ui.answers = {Answer::Yes, Answer::No};
    rig.ui.saveNames = {saved.string(), std::nullopt};
    EXPECT_EQ(readFromController(*c, rig.link, rig.ui), LinkOutcome::Ok);
    ASSERT_EQ(rig.ui.boxes.size(), 2u);
    EXPECT_EQ(rig.ui.boxes[1].title, "Подтвердить сохранение");
    EXPECT_EQ(rig.ui.boxes[1].text, "before.ptm уже существует.\nЗаменить?");
    EXPECT_EQ(rig.ui.boxes[1].buttons, Buttons::YesNo);
    EXPECT_EQ(readBytes(saved), savedBytes);
    EXPECT_EQ(c->TactTable[3][0].tMain, readBack);

    // Yes and then no file name still reads.
    c->Modified = 1;
    rig.ui.boxes.clear();
    rig.ui.answers = {Answer::Yes};
    EXPECT_EQ(readFromController(*c, rig.link, rig.ui), LinkOutcome::Ok);
    EXPECT_EQ(rig.ui.boxes.size(), 1u);
}

TEST(ControllerCommands, IdentityClockAndSync) {
    VirtualControllerOptions o = quick();
    o.model = 5;
    o.firmware = 17;
    o.clock = ClockRecord{0, 0, 12, 0, 1, 3, 24};
    Rig rig(o);
    showControllerInfo(rig.link, rig.ui);
    expectBox(rig.ui.boxes, "Информация о ДК",
              "Название ДК........... Ливра\nМодель.................. 5\nМикропрограмма....... 17\n"
              "Класс совместимости.. 2",
              Icon::Information);

    LinkTabState tab;
    rig.link.now = [] { return LocalDateTime{2031, 7, 6, 9, 8, 7, 7}; };
    readControllerClock(rig.link, rig.ui, tab);
    EXPECT_TRUE(tab.controllerTime.starts_with("Пт. 01.03.2024  12:0")) << tab.controllerTime;
    EXPECT_EQ(tab.computerTime, "Вс. 06.07.2031  09:08:07");

    rig.ui.boxes.clear();
    // The window shows the new clock behind the box, not only after it.
    std::size_t boxesWhenShown = 99;
    std::string shownTime;
    tab.changed = [&] {
        boxesWhenShown = rig.ui.boxes.size();
        shownTime = tab.controllerTime;
    };
    EXPECT_EQ(syncControllerClock(rig.link, rig.ui, tab), LinkOutcome::Ok);
    EXPECT_EQ(boxesWhenShown, 0u);
    EXPECT_TRUE(shownTime.starts_with("Вс. 06.07.2031  09:0")) << shownTime;
    EXPECT_EQ(rig.ui.lines.back(), "Часы ДК установлены: Вс. 06.07.2031  09:08:07");
    EXPECT_EQ(rig.ui.texts(), std::vector<std::string>{"Время синхронизировано"});
    EXPECT_EQ(rig.ui.boxes[0].title, "Внимание");
    EXPECT_TRUE(tab.controllerTime.starts_with("Вс. 06.07.2031  09:0")) << tab.controllerTime;
    const ClockRecord now = rig.controller.clock();
    EXPECT_EQ(now.year, 31);
    EXPECT_EQ(now.weekday, 7);
}

TEST(ControllerCommands, JournalNewestFirstAroundTheRing) {
    VirtualControllerOptions o = quick();
    o.journal.resize(200);
    for (int r = 0; r < 200; ++r) o.journal[std::size_t(r)] = JournalRecord{uint8_t(r % 60), 0, 0, 1, 2, 25, 9, 0, 0};
    o.journal[4].event = 0;    // record 5: not shown
    o.journal[5].event = 20;   // record 6: not shown
    o.journal[6].event = 2;    // record 7: clock failed, no time
    o.journal[7] = JournalRecord{1, 2, 3, 4, 5, 26, 7, 12, 3};  // record 8: conflict
    o.newestRecord = 200;       // the start record goes to 1
    Rig rig(o);
    LinkTabState tab;
    tab.journal.push_back({"x", "", "", "old"});
    ASSERT_EQ(readJournal(rig.link, rig.ui, tab), LinkOutcome::Ok) << ::testing::PrintToString(rig.ui.texts());
    ASSERT_EQ(tab.journal.size(), 198u);
    // Newest 1, then 200, 199, …, 2.
    EXPECT_EQ(tab.journal[0].event, "Нормальный запуск ДК");
    EXPECT_EQ(tab.journal[1].date, "01.02.2025  00:00:19");  // record 200: second 199 % 60
    EXPECT_EQ(tab.journal[2].date, "01.02.2025  00:00:18");
    const JournalRow& conflict = tab.journal[tab.journal.size() - 5];  // record 8
    EXPECT_EQ(conflict.date, "04.05.2026  03:02:01");
    EXPECT_EQ(conflict.channel, "12");
    EXPECT_EQ(conflict.direction, "3");
    EXPECT_EQ(conflict.event, "Конфликт");
    EXPECT_EQ(tab.journal[tab.journal.size() - 4].date, "??.??.????  ??:??:??");
    EXPECT_EQ(tab.journal[tab.journal.size() - 4].event, "Часы не отвечают");
    EXPECT_EQ(tab.journal.back().date, "01.02.2025  00:00:01");  // record 2
    EXPECT_EQ(rig.ui.progress.back(), std::make_pair(std::size_t(1800), std::size_t(1800)));
}

TEST(ControllerCommands, ServiceCodes) {
    Rig rig;
    LinkTabState tab;
    rig.ui.input = "1234";
    serviceCommand(rig.link, rig.ui, tab);
    EXPECT_TRUE(rig.ui.boxes.empty());
    EXPECT_EQ(rig.controller.requestsServed(), 0);

    rig.ui.input = "4021";
    EXPECT_EQ(serviceCommand(rig.link, rig.ui, tab), LinkOutcome::Ok);
    ASSERT_EQ(tab.journal.size(), 2u) << "the restart is in the journal it then reads";
    EXPECT_EQ(tab.journal[0].event, "Нормальный запуск ДК");

    rig.ui.input = "5930";
    EXPECT_EQ(serviceCommand(rig.link, rig.ui, tab), LinkOutcome::Ok);
    EXPECT_EQ(rig.controller.journalRecord(1).event, 0);
    EXPECT_TRUE(rig.ui.boxes.empty());
}

TEST(JournalFile, EmptyListIsTheHeaderAndTheLineFeedLine) {
    const Bytes bytes = journalFileBytes({});
    // "Дата\t\tВремя\tКанал\tНаправление\tСобытие" CR LF, LF CR LF, UTF-16 LE, no BOM.
    const std::u16string text = u"Дата\t\tВремя\tКанал\tНаправление\tСобытие\r\n\n\r\n";
    Bytes expected;
    for (char16_t ch : text) {
        expected.push_back(uint8_t(ch));
        expected.push_back(uint8_t(ch >> 8));
    }
    EXPECT_EQ(bytes, expected);
    ASSERT_EQ(bytes.size(), 2u * 42);
    EXPECT_EQ(bytes[0], 0x14);  // Д = U+0414
    EXPECT_EQ(bytes[1], 0x04);
}

TEST(JournalFile, RowsAreJoinedWithTheDoubleTabBeforeTheEvent) {
    std::vector<JournalRow> rows = {{"04.05.2026  03:02:01", "12", "3", "Конфликт"},
                                    {"", "", "", "skipped"},
                                    {"??.??.????  ??:??:??", "", "", "Часы не отвечают"}};
    const Bytes bytes = journalFileBytes(rows);
    const Bytes expected = utf16le(std::string("Дата\t\tВремя\tКанал\tНаправление\tСобытие\r\n\n\r\n") +
                                   "04.05.2026  03:02:01\t12\t3\t\tКонфликт\r\n" +
                                   "??.??.????  ??:??:??\t\t\t\tЧасы не отвечают\r\n");
    EXPECT_EQ(bytes, expected);
    // Only the first 200 rows of the list are written.
    std::vector<JournalRow> many(250, JournalRow{"01.01.2025  00:00:00", "", "", "Нормальный запуск ДК"});
    const Bytes manyBytes = journalFileBytes(many);
    const Bytes one = utf16le("01.01.2025  00:00:00\t\t\t\tНормальный запуск ДК\r\n");
    EXPECT_EQ(manyBytes.size(), journalFileBytes({}).size() + 200 * one.size());
    // Outside the basic plane: a surrogate pair.
    EXPECT_EQ(utf16le("\xF0\x9F\x9A\xA6"), (Bytes{0x3D, 0xD8, 0xA6, 0xDE}));
}

TEST(JournalFile, SaveAddsTheExtensionAndAsksBeforeReplacing) {
    TempDir dir;
    LinkTabState tab;
    tab.journal.push_back({"01.01.2025  00:00:00", "", "", "Нормальный запуск ДК"});
    FakeDialogs ui;
    ui.saveNames = {(dir / "journal").string()};
    saveJournal(tab, ui);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(ui.filters, std::vector<std::string>{"Файлы |*.txt"});
    EXPECT_EQ(readBytes(dir / "journal.txt"), journalFileBytes(tab.journal));

    // Existing file: No asks for another name; cancelling that writes nothing.
    tab.journal.clear();
    ui.saveNames = {(dir / "journal").string(), std::nullopt};
    ui.answers = {Answer::No};
    saveJournal(tab, ui);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].title, "Подтвердить сохранение");
    EXPECT_EQ(ui.boxes[0].text, "journal.txt уже существует.\nЗаменить?") << "the name, as the project's question";
    EXPECT_EQ(ui.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(ui.boxes[0].buttons, Buttons::YesNo);
    EXPECT_EQ(readBytes(dir / "journal.txt").size(),
              journalFileBytes({}).size() + utf16le("01.01.2025  00:00:00\t\t\t\tНормальный запуск ДК\r\n").size());

    // Yes replaces it.
    ui.boxes.clear();
    ui.saveNames = {(dir / "journal.txt").string()};
    ui.answers = {Answer::Yes};
    saveJournal(tab, ui);
    EXPECT_EQ(readBytes(dir / "journal.txt"), journalFileBytes({}));
}

TEST(ClockText, WeekdayNamesAndTheirAbsence) {
    EXPECT_EQ(clockText(ClockRecord{5, 4, 3, 1, 2, 3, 26}), "Пн. 02.03.2026  03:04:05");
    EXPECT_EQ(clockText(ClockRecord{0, 0, 0, 7, 31, 12, 99}), "Вс. 31.12.2099  00:00:00");
    EXPECT_EQ(clockText(ClockRecord{0, 0, 0, 0, 1, 1, 0}), " 01.01.2000  00:00:00");
    EXPECT_EQ(clockText(ClockRecord{0, 0, 0, 8, 1, 1, 0}), " 01.01.2000  00:00:00");
    EXPECT_EQ(weekdayOf(2026, 12, 6), 7);  // a Sunday counts as 7
    EXPECT_EQ(weekdayOf(2000, 1, 3), 1);
}

TEST(JournalRows, FilterAndColumnsOfEventCodes) {
    EXPECT_FALSE(journalRow(JournalRecord{0, 0, 0, 1, 1, 25, 0, 0, 0}));
    EXPECT_FALSE(journalRow(JournalRecord{0, 0, 0, 1, 1, 25, 20, 0, 0}));
    const auto board = journalRow(JournalRecord{1, 2, 3, 4, 5, 25, 5, 9, 2});
    ASSERT_TRUE(board);
    EXPECT_EQ(board->channel, "Плата №");
    EXPECT_EQ(board->direction, "2");
    const auto clockLost = journalRow(JournalRecord{1, 2, 3, 4, 5, 25, 4, 9, 2});
    EXPECT_EQ(clockLost->date, "??.??.????  ??:??:??");
    EXPECT_EQ(clockLost->channel, "");
    const auto reserved = journalRow(JournalRecord{1, 2, 3, 4, 5, 25, 19, 0, 0});
    ASSERT_TRUE(reserved);
    EXPECT_EQ(reserved->event, "Событие 19");
    // Ring order from newest 1: rows 1, 200, 199, …, 2.
    std::vector<JournalRecord> ring(200);
    for (int r = 0; r < 200; ++r) ring[std::size_t(r)] = JournalRecord{0, 0, 0, uint8_t(1 + r % 28), 1, 25, 9, 0, 0};
    const auto rows = journalRows(ring, 1);
    ASSERT_EQ(rows.size(), 200u);
    EXPECT_EQ(rows[0].date.substr(0, 2), "01");
    EXPECT_EQ(rows[1].date.substr(0, 2), "04");  // record 200: day 1 + 199 % 28
    EXPECT_EQ(rows[199].date.substr(0, 2), "02");
    EXPECT_TRUE(journalRows(ring, 0).empty());
    EXPECT_TRUE(journalRows(ring, 201).empty());
}

TEST(ControllerCommands, PartOfAnExactMultipleOf41EndsWithAFullFrame) {
    TempDir traceDir;
    std::ofstream trace(traceDir / "trace.txt");
    VirtualControllerOptions o = quick();
    o.trace = &trace;
    Rig rig(o);
    auto c = sampleConfiguration();
    for (int extra = 0; extra < 41 && encodeImage(*c)[PartPrograms - 1].size() % 41 != 0; ++extra)
        addTact(*c, 4, TactPhase, 12, 5, SignalGreen);
    const std::size_t size = encodeImage(*c)[PartPrograms - 1].size();
    ASSERT_EQ(size % 41, 0u);
    c->ProgramDir = (rig.dir / "work").string() + "/";
    ASSERT_EQ(writeToController(*c, rig.link, rig.ui), LinkOutcome::Ok) << ::testing::PrintToString(rig.ui.texts());
    rig.controller.stop();
    trace.close();

    std::ifstream in(traceDir / "trace.txt");
    std::vector<std::pair<uint32_t, std::size_t>> part8;
    for (std::string line; std::getline(in, line);) {
        std::istringstream hex(line);
        std::vector<uint8_t> bytes;
        for (std::string b; hex >> b;) bytes.push_back(uint8_t(std::stoi(b, nullptr, 16)));
        const auto r = parseRequest(bytes);
        ASSERT_TRUE(r);
        if (r->command == 0x08) part8.emplace_back(r->number, r->data.size());
    }
    ASSERT_EQ(part8.size(), size / 41);
    for (std::size_t k = 0; k < part8.size(); ++k) EXPECT_EQ(part8[k], std::make_pair(uint32_t(41 * k), std::size_t(41)));
}

TEST(ControllerCommands, TooLargeImageIsReportedAndNotSent) {
    Rig rig;
    // Every user program full, 20 directions: over the external memory.
    auto c = newConfiguration();
    for (int d = 0; d < 20; ++d) addDirection(*c, d, d % 3 == 2 ? DirPedestrian : DirVehicle);
    for (int p = 3; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; ++t) addTact(*c, p, TactPhase, 10, 5, t % 2 ? SignalGreen : SignalRed);
    addAlarm(*c, 0, 6, 0, 4);
    c->ProgramDir = (rig.dir / "work").string() + "/";
    VectorErrorList verdict;
    ASSERT_EQ(validateConfiguration(*c, verdict), 0) << verdict.lines.at(0);
    ASSERT_GT(imageSize(encodeImage(*c)).external, kExternalMemoryLimit);
    EXPECT_NE(writeToController(*c, rig.link, rig.ui), LinkOutcome::Ok);
    expectBox(rig.ui.boxes, "Внимание", kImageTooLargeText, Icon::Exclamation);
    EXPECT_NE(std::find(rig.ui.lines.begin(), rig.ui.lines.end(), "Программа скомпилирована успешно"),
              rig.ui.lines.end());
    EXPECT_EQ(rig.controller.requestsServed(), 0);
}

namespace {

// "21 182", written out independently of the program's grouping.
std::string spaced(std::size_t n) {
    char buf[32];
    if (n >= 1000) std::snprintf(buf, sizeof buf, "%zu %03zu", n / 1000, n % 1000);
    else std::snprintf(buf, sizeof buf, "%zu", n);
    return buf;
}

std::size_t imageBytes(const Configuration& c) {
    std::size_t n = 0;
    for (const auto& part : encodeImage(c)) n += part.size();
    return n;
}

}  // namespace

TEST(ControllerCommands, AWriteCutShortIsNeverToldAsHarmless) {
    Rig rig;
    auto first = richConfiguration(0);
    first->ProgramDir = (rig.dir / "work").string() + "/";
    const LinkOutcome firstWrite = writeToController(*first, rig.link, rig.ui);
    ASSERT_EQ(firstWrite, LinkOutcome::Ok);
    EXPECT_NE(firstWrite, LinkOutcome::PartlyWritten);
    EXPECT_EQ(rig.ui.lines.back(), "Конфигурация записана в ДК (" + spaced(imageBytes(*first)) + " байт)");
    ASSERT_GE(imageBytes(*first), 1000u) << "the grouping is shown";

    // Cancelled in the middle of the parts: the box stays the link's own,
    // and the error list says what the controller may now hold.
    auto second = richConfiguration(2);
    second->ProgramDir = first->ProgramDir;
    const int before = rig.controller.requestsServed();
    rig.ui.boxes.clear();
    rig.ui.polls = 0;
    rig.ui.cancelAfterPolls = 30;
    const LinkOutcome cut = writeToController(*second, rig.link, rig.ui);
    EXPECT_NE(cut, LinkOutcome::Ok);
    EXPECT_GT(rig.controller.requestsServed(), before + 2) << "some frames went out";
    EXPECT_EQ(rig.ui.texts(), std::vector<std::string>{"Выполнить команду не удалось!!!\nОперация прервана пользователем"});
    EXPECT_EQ(rig.ui.lines.back(),
              "Запись прервана: в ДК может остаться частично записанная конфигурация. Запишите конфигурацию в ДК ещё раз.");
    EXPECT_EQ(cut, LinkOutcome::PartlyWritten);
    // The virtual controller kept the parts aside and still holds the first.
    rig.ui.cancelAfterPolls = -1;
    auto back = rig.fresh();
    ASSERT_EQ(readFromController(*back, rig.link, rig.ui), LinkOutcome::Ok);
    EXPECT_TRUE(sameAsWritten(*back, *first));

    // Failing before the first frame (the handshake) changed nothing: no such line.
    rig.ui.lines.clear();
    rig.link.fixedPort = (rig.dir / "no-such-port").string();
    const LinkOutcome noCable = writeToController(*second, rig.link, rig.ui);
    EXPECT_NE(noCable, LinkOutcome::Ok);
    EXPECT_NE(noCable, LinkOutcome::PartlyWritten);
    for (const auto& line : rig.ui.lines) EXPECT_EQ(line.find("Запись прервана"), std::string::npos) << line;
}

// Each way a command ends is a value of its own, besides the boxes that
// word it: the callers decide by it.
TEST(ControllerCommands, EachCommandSaysHowItEnded) {
    Rig rig;
    auto c = sampleConfiguration();
    c->ProgramDir = (rig.dir / "work").string() + "/";
    LinkTabState tab;
    ControllerIdentity id;
    EXPECT_EQ(readControllerInfo(rig.link, rig.ui, id), LinkOutcome::Ok);
    EXPECT_EQ(id.compatibility, 2);
    EXPECT_TRUE(controllerInfoText(id).starts_with("Название ДК........... Ливра\nМодель")) << controllerInfoText(id);
    EXPECT_TRUE(rig.ui.boxes.empty()) << "the identity alone shows no box";
    EXPECT_EQ(readFromController(*c, rig.link, rig.ui), LinkOutcome::Empty);
    EXPECT_EQ(writeToController(*c, rig.link, rig.ui), LinkOutcome::Ok);
    c->Modified = 1;
    rig.ui.answers = {Answer::Cancel};
    EXPECT_EQ(readFromController(*c, rig.link, rig.ui), LinkOutcome::Declined);
    rig.ui.input = std::nullopt;
    EXPECT_EQ(serviceCommand(rig.link, rig.ui, tab), LinkOutcome::Declined);
    auto invalid = sampleConfiguration();
    invalid->TactTable[3][0].tMain = 0;
    EXPECT_EQ(writeToController(*invalid, rig.link, rig.ui), LinkOutcome::Refused);

    const std::string port = rig.link.fixedPort;
    rig.link.fixedPort = (rig.dir / "no-such-port").string();
    EXPECT_EQ(readControllerClock(rig.link, rig.ui, tab), LinkOutcome::NoCable);
    EXPECT_EQ(readJournal(rig.link, rig.ui, tab), LinkOutcome::NoCable);
    rig.link.fixedPort = port;
    rig.ui.boxes.clear();
    rig.ui.cancelAfterPolls = 0;
    EXPECT_EQ(syncControllerClock(rig.link, rig.ui, tab), LinkOutcome::Cancelled);
    EXPECT_EQ(rig.ui.texts(), std::vector<std::string>{"Выполнить команду не удалось!!!\nОперация прервана пользователем"});
}

TEST(ControllerCommands, AnEmptyControllerLeavesTheOpenProjectAlone) {
    Rig rig;  // fresh from the factory
    auto c = sampleConfiguration();
    c->ProgramDir = (rig.dir / "work").string() + "/";
    c->ProjectFileName = (rig.dir / "crossing.ptm").string();
    c->Modified = 0;
    const auto before = std::make_unique<Configuration>(*c);
    const LinkOutcome read = readFromController(*c, rig.link, rig.ui);
    EXPECT_NE(read, LinkOutcome::Ok);
    EXPECT_EQ(read, LinkOutcome::Empty);
    ASSERT_EQ(rig.ui.boxes.size(), 1u);
    EXPECT_EQ(rig.ui.boxes[0].title, "Читать из ДК");
    EXPECT_EQ(rig.ui.boxes[0].text, "В памяти ДК нет конфигурации.");
    EXPECT_TRUE(c->sameTables(*before));
    EXPECT_EQ(c->ProjectFileName, before->ProjectFileName);
    EXPECT_EQ(c->Modified, 0);
    EXPECT_FALSE(readImageParts(rig.dir / "work")) << "no part files either";

    // A controller that holds one: read, marked as changed, and told.
    auto other = richConfiguration(1);
    other->ProgramDir = c->ProgramDir;
    ASSERT_EQ(writeToController(*other, rig.link, rig.ui), LinkOutcome::Ok);
    rig.ui.boxes.clear();
    rig.ui.lines = {"an old verdict"};
    ASSERT_EQ(readFromController(*c, rig.link, rig.ui), LinkOutcome::Ok);
    EXPECT_TRUE(rig.ui.boxes.empty());
    EXPECT_TRUE(sameAsWritten(*c, *other));
    EXPECT_EQ(c->Modified, 1);
    EXPECT_EQ(rig.ui.lines,
              std::vector<std::string>{"Конфигурация прочитана из ДК (" + spaced(imageBytes(*other)) + " байт)"});
}

TEST(ControllerCommands, ReadProgressOnlyMovesForward) {
    Rig rig;
    auto c = richConfiguration(2);
    c->ProgramDir = (rig.dir / "work").string() + "/";
    ASSERT_EQ(writeToController(*c, rig.link, rig.ui), LinkOutcome::Ok);
    rig.ui.progress.clear();
    auto back = rig.fresh();
    ASSERT_EQ(readFromController(*back, rig.link, rig.ui), LinkOutcome::Ok);
    ASSERT_GT(rig.ui.progress.size(), 20u);
    double shown = 0;
    std::size_t done = 0;
    for (const auto& [d, total] : rig.ui.progress) {
        ASSERT_GT(total, 0u);
        const double fraction = double(d) / double(total);
        EXPECT_GE(fraction, shown) << d << "/" << total;
        EXPECT_GE(d, done);
        shown = fraction;
        done = d;
    }
    const std::size_t all = imageBytes(*c);
    EXPECT_EQ(rig.ui.progress.back(), std::make_pair(all, all));
}

// The info box's lines as names and values for a two-column box; texts that
// are not all leader lines (or only one) stay text.
TEST(ControllerInfo, DotLeaderLinesBecomeRowsAndOtherTextsDoNot) {
    const auto rows = dotLeaderRows(controllerInfoText({5, 17, 2}));
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Название ДК", "Ливра"}, {"Модель", "5"}, {"Микропрограмма", "17"}, {"Класс совместимости", "2"}};
    EXPECT_EQ(rows, expected);
    for (const char* text : {"", "Модель.... 5", "Загрузка... готово\nЕщё строка", "Модель.... 5\n.... 6",
                             "Модель.... 5\nМикропрограмма....", "Модель....5\nКласс.. 2", "Модель.... 5\n"})
        EXPECT_TRUE(dotLeaderRows(text).empty()) << text;
}
