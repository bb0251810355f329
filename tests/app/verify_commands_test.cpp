// Comparing with the controller and the verified write, through the real
// serial adapter against the virtual controller on a pseudo-terminal, on a
// clean line and on a bad one.
#include <gtest/gtest.h>

#include <chrono>

#include "app/verify_commands.h"
#include "check/compare.h"
#include "emulator/virtual_controller.h"
#include "link/exchange.h"
#include "serial_qt/qt_serial_port.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;
using namespace std::chrono;

namespace {

// Records every box and the error list.
class Recorder : public UserDialogs {
public:
    std::vector<std::string> boxes;  // "Title: text"
    std::vector<std::string> lines;
    Answer messageBox(const std::string& title, const std::string& text, Buttons, Icon) override {
        boxes.push_back(title + ": " + text);
        return Answer::Ok;
    }
    std::optional<std::string> openFileName(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> textInput(const std::string&, const std::string&, bool) override { return std::nullopt; }
    void clear() override { lines.clear(); }
    void add(const std::string& line) override { lines.push_back(line); }
};

struct Line {
    VirtualController controller;
    std::unique_ptr<SerialPortProvider> ports = makeQtSerialPortProvider();
    LinkContext link;
    explicit Line(VirtualControllerOptions o) : controller(std::move(o)) {
        link.ports = ports.get();
        link.fixedPort = controller.start();
        EXPECT_FALSE(link.fixedPort.empty()) << controller.error();
        // Short deadlines: a dropped request costs 80 ms, not a second.
        auto t = std::make_shared<ExchangeTiming>();
        t->attemptTimeout = milliseconds(80);
        t->pollInterval = milliseconds(5);
        link.timing = t;
    }
};

// The sample with a working folder of the test's own: a write leaves the
// image's files there, and tests running side by side must not write over
// each other's.
std::unique_ptr<Configuration> sampleIn(const TempDir& work) {
    auto c = sampleConfiguration();
    c->ProgramDir = pathToUtf8(work.path()) + "/";
    return c;
}

VirtualControllerOptions options(double corrupt, double drop, uint64_t seed = 1) {
    VirtualControllerOptions o;
    o.applyTime = milliseconds(0);
    o.corruptRate = corrupt;
    o.dropRate = drop;
    o.seed = seed;
    return o;
}

TEST(VerifyCommands, ABadLineGivesNoFalseDifferences) {
    TempDir work;
    const auto project = sampleIn(work);
    test::switchSafetyRulesOff(*project);
    auto changed = std::make_unique<Configuration>(*project);
    changed->TactTable[3][2].tMain = 16;
    for (uint64_t seed = 1; seed <= 2; ++seed) {
        Line line(options(0.08, 0.05, seed));
        Recorder ui;
        auto written = std::make_unique<Configuration>(*project);
        ASSERT_EQ(writeAndVerify(*written, line.link, ui), LinkOutcome::Ok) << (ui.boxes.empty() ? "" : ui.boxes[0]);
        int equal = 0, told = 0;
        for (int round = 0; round < 4; ++round) {
            Recorder r;
            const Configuration& asked = round % 2 ? *changed : *project;
            std::vector<std::string> lines;
            LinkOutcome failure = LinkOutcome::Ok;
            const VerifyResult v = compareWithController(asked, line.link, r, &lines, &failure);
            if (v == VerifyResult::Failed) {
                // Six bad attempts in a row: said so, never "equal".
                EXPECT_EQ(r.boxes.size(), 1u);
                EXPECT_TRUE(r.lines.empty());
                EXPECT_NE(failure, LinkOutcome::Ok);
                ++told;
                continue;
            }
            EXPECT_TRUE(r.boxes.empty());
            if (round % 2) {
                EXPECT_EQ(v, VerifyResult::Different);
                EXPECT_EQ(lines, std::vector<std::string>{"Программа 4, такт 3: Т осн 16 → 15"});
            } else {
                EXPECT_EQ(v, VerifyResult::Equal);
                EXPECT_EQ(r.lines, std::vector<std::string>{kSameConfigurationText});
                ++equal;
            }
            EXPECT_EQ(r.lines.size(), 1u);
        }
        EXPECT_GT(equal + told, 0);
    }
}

TEST(VerifyCommands, AControllerThatCannotBeReadIsNeverEqual) {
    TempDir work;
    const auto project = sampleIn(work);
    for (const auto& [o, box] : {std::pair{options(0, 1), "Ошибка: Выполнить команду не удалось!!!\nДК не отвечает."},
                                 std::pair{options(1, 0), "Ошибка: Выполнить команду не удалось!!!\nОтветы ДК искажены."}}) {
        Line line(o);
        Recorder ui;
        ui.lines = {"before"};
        LinkOutcome failure = LinkOutcome::Ok;
        EXPECT_EQ(compareWithController(*project, line.link, ui, nullptr, &failure), VerifyResult::Failed);
        EXPECT_EQ(ui.boxes, std::vector<std::string>{box});
        EXPECT_EQ(ui.lines, std::vector<std::string>{"before"});
        EXPECT_NE(failure, LinkOutcome::Ok);
    }
    // A project the image would change: its finding, and no controller asked.
    auto over = sampleIn(work);
    over->TactTable[3][0].tMain = 300;
    LinkContext nowhere;
    Recorder ui;
    EXPECT_EQ(compareWithController(*over, nowhere, ui), VerifyResult::Failed);
    EXPECT_EQ(ui.lines, std::vector<std::string>{"( Программа № 4   Такт №1 ) - Т осн. не может превышать 255 сек"});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.boxes[0].starts_with("Внимание: Сравнение с ДК невозможно.")) << ui.boxes[0];
}

// A controller fresh from the factory: the user pressed "Сравнить с ДК", and
// the box says so in its title rather than naming a read.
TEST(VerifyCommands, AnEmptyControllerIsToldUnderTheCompareTitle) {
    TempDir work;
    const auto project = sampleIn(work);
    Line line(options(0, 0));
    Recorder ui;
    ui.lines = {"before"};
    LinkOutcome failure = LinkOutcome::Ok;
    EXPECT_EQ(compareWithController(*project, line.link, ui, nullptr, &failure), VerifyResult::Failed);
    EXPECT_EQ(ui.boxes, std::vector<std::string>{"Сравнить с ДК: В памяти ДК нет конфигурации."});
    EXPECT_EQ(ui.lines, std::vector<std::string>{"before"});
    EXPECT_NE(failure, LinkOutcome::Ok);
}

// Opens the ports of a list in turn: the write reaches one controller, the
// read-back another, as if the controller had not kept what it was sent.
class PortsInTurn : public SerialPortProvider {
public:
    PortsInTurn(SerialPortProvider& real, std::vector<std::string> names) : real_(real), names_(std::move(names)) {}
    std::vector<PortCandidate> candidates() override { return real_.candidates(); }
    std::unique_ptr<SerialPort> open(const std::string&) override {
        return real_.open(names_[std::min(opened_++, names_.size() - 1)]);
    }

private:
    SerialPortProvider& real_;
    std::vector<std::string> names_;
    std::size_t opened_ = 0;
};

TEST(VerifyCommands, AWriteIsDoneOnlyWhenTheControllerGivesItBack) {
    TempDir work;
    auto project = sampleIn(work);
    test::switchSafetyRulesOff(*project);
    auto other = std::make_unique<Configuration>(*project);
    other->TactTable[3][2].tMain = 16;
    Line first(options(0, 0)), second(options(0, 0));
    Recorder setup;
    ASSERT_EQ(writeToController(*other, second.link, setup), LinkOutcome::Ok);

    PortsInTurn turns(*first.ports, {first.link.fixedPort, second.link.fixedPort});
    LinkContext link = first.link;
    link.ports = &turns;
    Recorder ui;
    const LinkOutcome written = writeAndVerify(*project, link, ui);
    EXPECT_NE(written, LinkOutcome::Ok);
    EXPECT_EQ(written, LinkOutcome::Different);
    EXPECT_EQ(first.controller.configurationsApplied(), 1);
    EXPECT_EQ(ui.boxes, std::vector<std::string>{"Ошибка: Выполнить команду не удалось!!!\nДК вернул не то, что было записано."});
    ASSERT_GE(ui.lines.size(), 2u);
    // The size report and the safety verdict stay.
    EXPECT_NE(std::find_if(ui.lines.begin(), ui.lines.end(), [](const std::string& l) { return l.rfind("Итого ", 0) == 0; }),
              ui.lines.end());
    EXPECT_EQ(ui.lines.back(), "Программа 4, такт 3: Т осн 15 → 16");

    // The read-back cannot reach any controller: not reported as done.
    PortsInTurn lost(*first.ports, {first.link.fixedPort, "/nonexistent/port"});
    link.ports = &lost;
    Recorder again;
    EXPECT_NE(writeAndVerify(*project, link, again), LinkOutcome::Ok);
    EXPECT_EQ(again.boxes,
              std::vector<std::string>{"Ошибка: Выполнить команду не удалось!!!\nКонфигуратор не видит соединительного кабеля."});
    EXPECT_EQ(again.lines.back(), "Запись в ДК не проверена: конфигурацию из ДК прочитать не удалось");
    EXPECT_EQ(first.controller.configurationsApplied(), 2);
}

TEST(VerifyCommands, AVerifiedWriteIsRecordedInThePassportAndAFailedOneIsNot) {
    TempDir work;
    auto project = sampleIn(work);
    test::switchSafetyRulesOff(*project);
    project->Safety.object.revision = "4";
    Line line(options(0, 0));
    line.link.now = [] { return LocalDateTime{2026, 12, 9, 20, 5, 7, 3}; };
    Recorder ui;
    project->Modified = 0;
    ASSERT_EQ(writeAndVerify(*project, line.link, ui), LinkOutcome::Ok);
    ASSERT_EQ(project->Safety.object.writes.size(), 1u);
    const WriteRecord& w = project->Safety.object.writes[0];
    EXPECT_EQ(w.when, "09.12.2026 20:05");
    EXPECT_EQ(w.controller, "модель 3, микропрограмма 14, класс 2");
    EXPECT_EQ(w.revision, "4");
    EXPECT_EQ(project->Modified, 1) << "the record goes with the next save";

    // A write that could not be checked is not recorded.
    PortsInTurn lost(*line.ports, {line.link.fixedPort, "/nonexistent/port"});
    LinkContext link = line.link;
    link.ports = &lost;
    Recorder again;
    EXPECT_NE(writeAndVerify(*project, link, again), LinkOutcome::Ok);
    EXPECT_EQ(project->Safety.object.writes.size(), 1u);
}

}  // namespace
