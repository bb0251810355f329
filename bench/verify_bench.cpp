// A verify against the virtual controller on a paced 57600 baud line, beside
// a plain read of the same controller: the verify is a read plus a compare,
// so the two should take about the same time.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench_configurations.h"
#include "app/controller_commands.h"
#include "app/verify_commands.h"
#include "emulator/virtual_controller.h"
#include "serial_qt/qt_serial_port.h"
#include "support/test_support.h"

using namespace livra;

namespace {

class Quiet : public UserDialogs {
public:
    int boxes = 0;
    Answer messageBox(const std::string&, const std::string&, Buttons, Icon) override {
        ++boxes;
        return Answer::Ok;
    }
    std::optional<std::string> openFileName(const std::string&) override { return std::nullopt; }
    std::optional<std::string> saveFileName(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> textInput(const std::string&, const std::string&, bool) override { return std::nullopt; }
    void clear() override {}
    void add(const std::string&) override {}
};

// The sample project (about 1 KB of image) or one of about 20 KB.
std::unique_ptr<Configuration> project(int size) {
    return size == 0 ? test::sampleConfiguration() : bench::twentyKilobyteConfiguration(SignalGreen);
}

void run(benchmark::State& state, bool verify) {
    test::TempDir dir;
    VirtualControllerOptions o;
    o.applyTime = std::chrono::milliseconds(0);
    o.lineRate = 57600;
    VirtualController controller(o);
    auto ports = makeQtSerialPortProvider();
    LinkContext link;
    link.ports = ports.get();
    link.fixedPort = controller.start();
    auto c = project(int(state.range(0)));
    c->ProgramDir = (dir / "work").string() + "/";
    Quiet ui;
    if (link.fixedPort.empty() || writeToController(*c, link, ui) != LinkOutcome::Ok) {
        state.SkipWithError("the virtual controller did not take the project");
        return;
    }
    for (auto _ : state) {
        bool ok;
        if (verify) {
            ok = compareWithController(*c, link, ui) == VerifyResult::Equal;
        } else {
            auto into = std::make_unique<Configuration>();
            into->ProgramDir = (dir / "read").string() + "/";
            ok = readFromController(*into, link, ui) == LinkOutcome::Ok;
        }
        if (!ok) {
            state.SkipWithError("the exchange failed");
            break;
        }
    }
}

void BM_VerifyAt57600(benchmark::State& state) { run(state, true); }
void BM_ReadAt57600(benchmark::State& state) { run(state, false); }
BENCHMARK(BM_VerifyAt57600)->Arg(0)->Arg(1)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadAt57600)->Arg(0)->Arg(1)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
