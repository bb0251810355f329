// The link commands of `livra` against `livra-emulator` over a pseudo-terminal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>

#include "image/image.h"
#include "link/link_protocol.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "support/test_support.h"

using namespace livra;
using namespace livra::test;

namespace {

// livra-emulator as a child process; stopped with SIGTERM.
class Emulator {
public:
    explicit Emulator(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            std::vector<char*> argv{const_cast<char*>(LIVRA_EMULATOR_PATH)};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(LIVRA_EMULATOR_PATH, argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        char ch;
        while (::read(out[0], &ch, 1) == 1 && ch != '\n') device_ += ch;
        out_ = out[0];
    }
    ~Emulator() { stop(); }
    int stop() {
        if (pid_ <= 0) return -1;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        ::close(out_);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& device() const { return device_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string device_;
};

struct TracedRequest {
    uint8_t command;
    uint32_t number;
    std::size_t dataSize;
};

std::vector<TracedRequest> readTrace(const std::filesystem::path& file) {
    std::vector<TracedRequest> out;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream hex(line);
        std::vector<uint8_t> bytes;
        std::string b;
        while (hex >> b) {
            EXPECT_EQ(b.size(), 2u) << line;
            EXPECT_EQ(b, [&] { std::string l = b; for (auto& c : l) c = char(std::tolower(c)); return l; }());
            bytes.push_back(uint8_t(std::stoi(b, nullptr, 16)));
        }
        const auto r = parseRequest(bytes);
        EXPECT_TRUE(r) << line;
        if (r) out.push_back({r->command, r->number, r->data.size()});
    }
    return out;
}

// Checks that the write frames send every part in order, 41 bytes a frame.
void expectWriteFrames(const std::vector<TracedRequest>& frames, const ImageFiles& image) {
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].command, 0x23);
    std::size_t i = 1;
    for (const ImagePart& part : imageParts()) {
        const std::size_t size = image[std::size_t(part.number - 1)].size();
        std::size_t sent = 0;
        for (std::size_t k = 0; sent < size; ++k, ++i) {
            ASSERT_LT(i, frames.size());
            EXPECT_EQ(frames[i].command, part.writeCommand);
            EXPECT_EQ(frames[i].number, part.firstPosition + 41 * k);
            EXPECT_EQ(frames[i].dataSize, std::min<std::size_t>(41, size - sent));
            sent += frames[i].dataSize;
        }
    }
    EXPECT_EQ(i, frames.size());
}

// Checks the block requests of a read: every request asks for the position
// 40 bytes on, with one data byte.
void expectReadFrames(const std::vector<TracedRequest>& frames, const ImageFiles& image) {
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].command, 0x23);
    std::size_t i = 1;
    for (int n : {1, 2, 3, 4, 5, 6, 9, 10, 7, 8}) {
        const ImagePart& part = imagePart(n);
        const std::size_t size = image[std::size_t(n - 1)].size();
        for (std::size_t at = 0; at < size; at += 40, ++i) {
            ASSERT_LT(i, frames.size());
            EXPECT_EQ(frames[i].command, part.readCommand);
            EXPECT_EQ(frames[i].number, part.firstPosition + at);
            EXPECT_EQ(frames[i].dataSize, 1u);
        }
    }
    EXPECT_EQ(i, frames.size());
}

std::unique_ptr<Configuration> variedConfiguration(int v) {
    auto c = newConfiguration();
    for (int d = 0; d < 2 + 2 * v; ++d) addDirection(*c, d, d % 2 ? DirPedestrian : DirVehicle);
    for (int t = 0; t < 3 + 5 * v; ++t) addTact(*c, 3 + v, TactPhase, 10 + t, 5, t % 2 ? SignalRed : SignalGreen);
    addAlarm(*c, v, 7, 30, 4 + v);
    return c;
}

}  // namespace

TEST(CliLink, WriteThenReadReturnsTheConfigurationWithTheExpectedFrames) {
    TempDir dir;
    const auto trace = dir / "trace.txt";
    Emulator emulator({"--trace", trace.string(), "--apply-ms", "0"});
    ASSERT_FALSE(emulator.device().empty());
    std::vector<std::unique_ptr<Configuration>> configs;
    configs.push_back(sampleConfiguration());
    for (int v = 0; v < 3; ++v) configs.push_back(variedConfiguration(v));
    std::size_t seen = 0;
    for (std::size_t n = 0; n < configs.size(); ++n) {
        const auto project = dir / ("in" + std::to_string(n) + ".ptm");
        writeBytes(project, serializeProject(*configs[n], {}));
        // The link is under test, not the programs: their sequence rules off.
        test::switchSafetyRulesOff(*configs[n]);
        configs[n]->Safety.defined = true;
        const std::string safety = safetyJson(configs[n]->Safety, *configs[n]);
        writeBytes(dir / ("in" + std::to_string(n) + ".safety.json"), Bytes(safety.begin(), safety.end()));
        const auto w = runLivra({"--port", emulator.device(), "write", project.string()}, dir / "work");
        ASSERT_EQ(w.exitCode, 0) << w.err;
        EXPECT_EQ(w.err, "") << "no box on success, no progress bar off a terminal";
        // The error list as it ends up: the verdict once, then the size report.
        EXPECT_TRUE(w.out.starts_with("Ошибок не обнаружено\nПрограмма скомпилирована успешно\n")) << w.out;
        const auto writeFrames = readTrace(trace);
        const ImageFiles image = encodeImage(*configs[n]);
        expectWriteFrames({writeFrames.begin() + std::ptrdiff_t(seen), writeFrames.end()}, image);
        seen = writeFrames.size();

        const auto out = dir / ("out" + std::to_string(n) + ".ptm");
        const auto r = runLivra({"--port", emulator.device(), "read", "--out", out.string()}, dir / "work");
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const auto readFrames = readTrace(trace);
        expectReadFrames({readFrames.begin() + std::ptrdiff_t(seen), readFrames.end()}, image);
        seen = readFrames.size();

        const auto parsed = parseProject(readBytes(out));
        ASSERT_TRUE(parsed);
        EXPECT_EQ(encodeImage(*parsed->config), image);
        EXPECT_TRUE(parsed->config->sameTables(*decodeImage(image)));
    }
    EXPECT_EQ(emulator.stop(), 0);
}

TEST(CliLink, IdentityClockJournalAndService) {
    TempDir dir;
    Emulator emulator({"--model", "4", "--firmware", "9", "--clock", "2025-03-04T05:06:07"});
    const std::string port = emulator.device();
    const auto info = runLivra({"--port", port, "info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out, "Название ДК........... Ливра\nМодель.................. 4\nМикропрограмма....... 9\n"
                        "Класс совместимости.. 2\n");

    const auto clock = runLivra({"--port", port, "clock"});
    ASSERT_EQ(clock.exitCode, 0) << clock.err;
    EXPECT_TRUE(clock.out.starts_with("ДК: Вт. 04.03.2025  05:0")) << clock.out;
    EXPECT_NE(clock.out.find("\nПК: "), std::string::npos);

    const auto journalFile = dir / "j";
    const auto journal = runLivra({"--port", port, "journal", "--save", journalFile.string()});
    ASSERT_EQ(journal.exitCode, 0) << journal.err;
    EXPECT_TRUE(journal.out.starts_with("04.03.2025  05:0")) << journal.out;
    EXPECT_NE(journal.out.find("\t\t\tНормальный запуск ДК\n"), std::string::npos);
    const Bytes saved = readBytes(dir / "j.txt");
    EXPECT_EQ(saved[0], 0x14);
    EXPECT_EQ(saved.size(), 84u + 2 * (20 + 4 + 20 + 2));
    // Saving over it again: the question is answered Yes on the command line.
    const auto again = runLivra({"--port", port, "journal", "--save", (dir / "j.txt").string()});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.err.find("Подтвердить сохранение: "), std::string::npos);

    const auto service = runLivra({"--port", port, "service", "4021"});
    ASSERT_EQ(service.exitCode, 0) << service.err;
    // What was done, then the journal: the start record and the restart.
    EXPECT_TRUE(service.out.starts_with("Сервисный запрос передан в ДК: 1\n")) << service.out;
    EXPECT_EQ(std::count(service.out.begin(), service.out.end(), '\n'), 3);
    const auto clear = runLivra({"--port", port, "service", "5930"});
    EXPECT_EQ(clear.exitCode, 0) << clear.err;
    EXPECT_EQ(clear.out, "Сервисный запрос передан в ДК: 2\n");
    // Any other code is bad usage and sends nothing.
    for (const char* code : {"1111", "abc", ""}) {
        const auto wrong = runLivra({"--port", port, "service", code});
        EXPECT_EQ(wrong.exitCode, 2) << code;
        EXPECT_EQ(wrong.out, "");
        EXPECT_EQ(wrong.err, "livra service: the code was not accepted; nothing was sent\n");
    }

    const auto sync = runLivra({"--port", port, "sync"});
    ASSERT_EQ(sync.exitCode, 0) << sync.err;
    EXPECT_EQ(sync.err, "Внимание: Время синхронизировано\n");
    EXPECT_TRUE(sync.out.starts_with("Часы ДК установлены: ")) << sync.out;
    EXPECT_NE(sync.out.find("\nДК: "), std::string::npos) << sync.out;
}

TEST(CliLink, FailuresAndUsage) {
    TempDir dir;
    Emulator incompatible({"--class", "3"});
    const auto refused = runLivra({"--port", incompatible.device(), "info"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "Ошибка: конфигуратор не совместим с ДК!\n");
    EXPECT_EQ(refused.out, "");

    const auto noCable = runLivra({"--port", (dir / "no-such-port").string(), "clock"});
    EXPECT_EQ(noCable.exitCode, 1);
    EXPECT_EQ(noCable.err, "Ошибка: Выполнить команду не удалось!!!\nКонфигуратор не видит соединительного кабеля.\n"
                           "Порт: " + (dir / "no-such-port").string() + "\n");

    // An empty configuration fails the validator: nothing is sent.
    writeBytes(dir / "empty.ptm", serializeProject(Configuration{}, {}));
    const auto invalid = runLivra({"--port", incompatible.device(), "write", (dir / "empty.ptm").string()}, dir / "w");
    EXPECT_EQ(invalid.exitCode, 1);
    EXPECT_NE(invalid.err.find("Внимание: Запись в ДК невозможна."), std::string::npos);
    EXPECT_FALSE(invalid.out.empty()) << "the validator's line";

    // A controller that holds no configuration: said so, nothing written.
    Emulator factoryFresh({});
    const auto out = dir / "read.ptm";
    const auto nothing = runLivra({"--port", factoryFresh.device(), "read", "--out", out.string()}, dir / "w");
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_EQ(nothing.err, "Читать из ДК: В памяти ДК нет конфигурации.\n");
    EXPECT_FALSE(std::filesystem::exists(out));

    EXPECT_EQ(runLivra({"write"}).exitCode, 2);
    EXPECT_EQ(runLivra({"write", (dir / "missing.ptm").string()}).exitCode, 2);
    EXPECT_EQ(runLivra({"read"}).exitCode, 2);
    EXPECT_EQ(runLivra({"read", "--out"}).exitCode, 2);
    EXPECT_EQ(runLivra({"info", "extra"}).exitCode, 2);
    EXPECT_EQ(runLivra({"journal", "--bogus"}).exitCode, 2);
    EXPECT_EQ(runLivra({"service"}).exitCode, 2);
    const auto help = runLivra({"journal", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("journal [--save FILE.txt]"), std::string::npos);
}

TEST(CliLink, PortAfterTheCommandAndOutputPathsCheckedBeforeTheController) {
    TempDir dir;
    const auto trace = dir / "trace.txt";
    Emulator emulator({"--trace", trace.string(), "--apply-ms", "0"});
    ASSERT_FALSE(emulator.device().empty());

    // `--port` typed after the command names the port as it does before it.
    const auto info = runLivra({"info", "--port", emulator.device()});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("Модель"), std::string::npos);
    const auto clock = runLivra({"--port", (dir / "elsewhere").string(), "clock", "--port", emulator.device()});
    EXPECT_EQ(clock.exitCode, 0) << clock.err;
    const std::size_t asked = readTrace(trace).size();
    ASSERT_GT(asked, 0u);

    // A --out or --save that cannot be saved to fails before any request.
    const std::string missingFolder = (dir / "no-such-folder" / "x.ptm").string();
    const std::string saveError = "Ошибка: При записи произошла ошибка.\nФайл сохранить не удалось.\nФайл: ";
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"read", "--out", missingFolder, "--port", emulator.device()},
             {"read", "--out", dir.path().string(), "--port", emulator.device()},
             {"journal", "--save", missingFolder, "--port", emulator.device()}}) {
        const auto r = runLivra(args, dir / "work");
        EXPECT_EQ(r.exitCode, 1) << args[2];
        EXPECT_EQ(r.err, saveError + args[2] + "\n");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(readTrace(trace).size(), asked) << "the controller was asked nothing";
}

TEST(CliLink, EmulatorStateSurvivesARestart) {
    TempDir dir;
    const auto state = dir / "controller.state";
    auto c = sampleConfiguration();
    writeBytes(dir / "in.ptm", serializeProject(*c, {}));
    {
        Emulator first({"--state", state.string(), "--apply-ms", "0"});
        const auto w = runLivra({"--port", first.device(), "write", (dir / "in.ptm").string()}, dir / "work");
        ASSERT_EQ(w.exitCode, 0) << w.err;
        EXPECT_EQ(first.stop(), 0);
    }
    ASSERT_TRUE(std::filesystem::exists(state));
    Emulator second({"--state", state.string()});
    const auto r = runLivra({"--port", second.device(), "read", "--out", (dir / "out.ptm").string()}, dir / "work");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto parsed = parseProject(readBytes(dir / "out.ptm"));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(encodeImage(*parsed->config), encodeImage(*c));
    const auto journal = runLivra({"--port", second.device(), "journal"});
    ASSERT_EQ(journal.exitCode, 0) << journal.err;
    // Newest first: this start, the new configuration, the first start.
    std::vector<std::string> events;
    std::istringstream lines(journal.out);
    for (std::string line; std::getline(lines, line);) events.push_back(line.substr(line.rfind('\t') + 1));
    EXPECT_EQ(events, (std::vector<std::string>{"Нормальный запуск ДК", "Установлена новая конфигурация",
                                                "Нормальный запуск ДК"}));

    // A damaged state file is refused at start, not half loaded.
    writeBytes(dir / "bad.state", Bytes{1, 2, 3});
    Emulator third({"--state", (dir / "bad.state").string()});
    EXPECT_TRUE(third.device().empty());
}
