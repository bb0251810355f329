// Writing a configuration of about 20 KB to the virtual controller on a
// paced 57600 baud line with the `livra` program, timed end to end. Reports
// the wall time against the time the bytes need on the wire, and the
// configurator's CPU time against its wall time.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "bench_configurations.h"
#include "check/validator.h"
#include "emulator/controller_model.h"
#include "image/image.h"
#include "model/project_file.h"
#include "support/test_support.h"

using namespace livra;

namespace {

constexpr uint32_t kLineRate = 57600;

std::filesystem::path emulatorPath() {
    return std::filesystem::path(LIVRA_CLI_PATH).parent_path() / "livra-emulator";
}

struct Child {
    pid_t pid = -1;
    int out = -1;
};

Child spawn(const std::string& program, std::vector<std::string> args, bool captureOut) {
    int pipeFd[2] = {-1, -1};
    if (captureOut && ::pipe(pipeFd) != 0) return {};
    Child c;
    c.pid = ::fork();
    if (c.pid == 0) {
        if (captureOut) {
            ::dup2(pipeFd[1], 1);
            ::close(pipeFd[0]);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (captureOut) {
        ::close(pipeFd[1]);
        c.out = pipeFd[0];
    }
    return c;
}

// Bytes on the wire: every traced request and the reply the controller gives to it.
std::size_t wireBytes(const std::filesystem::path& trace) {
    ControllerModelOptions o;
    o.applyTime = std::chrono::milliseconds(0);
    ControllerModel model(o);
    std::ifstream in(trace);
    std::string line;
    std::size_t total = 0;
    while (std::getline(in, line)) {
        std::istringstream hex(line);
        std::vector<uint8_t> bytes;
        std::string b;
        while (hex >> b) bytes.push_back(uint8_t(std::stoi(b, nullptr, 16)));
        total += bytes.size();
        if (auto r = parseRequest(bytes)) total += model.handle(*r, std::chrono::steady_clock::now()).size();
    }
    return total;
}

void BM_WriteTwentyKilobytesAt57600(benchmark::State& state) {
    test::TempDir dir;
    auto c = bench::twentyKilobyteConfiguration(SignalRed);
    VectorErrorList verdict;
    if (validateConfiguration(*c, verdict) != 0) {
        state.SkipWithError(("invalid configuration: " + verdict.lines.at(0)).c_str());
        return;
    }
    std::size_t imageBytes = 0;
    for (const auto& p : encodeImage(*c)) imageBytes += p.size();
    const auto project = dir / "big.ptm";
    test::writeBytes(project, serializeProject(*c, {}));

    double wall = 0, cpu = 0, wire = 0;
    for (auto _ : state) {
        const auto trace = dir / "trace.txt";
        Child emulator = spawn(emulatorPath().string(),
                               {"--line-rate", std::to_string(kLineRate), "--apply-ms", "0", "--trace", trace.string()},
                               true);
        std::string device;
        char ch;
        while (::read(emulator.out, &ch, 1) == 1 && ch != '\n') device += ch;
        if (device.empty()) {
            state.SkipWithError("livra-emulator did not start");
            break;
        }
        ::setenv("LIVRA_WORKDIR", (dir / "work").c_str(), 1);
        const auto start = std::chrono::steady_clock::now();
        Child livra = spawn(LIVRA_CLI_PATH, {"--port", device, "write", project.string()}, false);
        int status = 0;
        rusage usage{};
        ::wait4(livra.pid, &status, 0, &usage);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ::kill(emulator.pid, SIGTERM);
        ::waitpid(emulator.pid, nullptr, 0);
        ::close(emulator.out);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("livra write failed");
            break;
        }
        state.SetIterationTime(seconds);
        wall = seconds;
        cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        wire = double(wireBytes(trace)) * 10.0 / kLineRate;
    }
    state.counters["image_bytes"] = double(imageBytes);
    state.counters["wire_s"] = wire;
    state.counters["wall_s"] = wall;
    state.counters["wall_per_wire"] = wire > 0 ? wall / wire : 0;
    state.counters["cpu_per_wall"] = wall > 0 ? cpu / wall : 0;
}
BENCHMARK(BM_WriteTwentyKilobytesAt57600)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
