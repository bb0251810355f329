#include "support/test_support.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "model/project_file.h"

namespace livra::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("livra-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
             std::to_string(rd() % 100000));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void copySafetyUnstamped(const std::filesystem::path& from, const std::filesystem::path& to) {
    const Bytes bytes = readBytes(from);
    auto json = nlohmann::json::parse(bytes.begin(), bytes.end());
    json.erase("projectCrc32");
    const std::string text = json.dump(2) + "\n";
    writeBytes(to, Bytes(text.begin(), text.end()));
}

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes readBytes(const std::filesystem::path& path) {
    auto bytes = readWholeFile(path);
    return bytes ? *bytes : Bytes{};
}

std::unique_ptr<Configuration> newConfiguration() { return std::make_unique<Configuration>(); }

void addDirection(Configuration& c, int d, uint8_t kind) {
    auto take = [&](int slot, uint8_t mode) {
        c.DirectionChannels[d][slot] = takeFreeChannel(c);
        c.DirectionControl[d][slot] = mode;
    };
    c.DirectionKind[d] = kind;
    switch (kind) {
        case DirVehicle: take(0, ControlCurrent), take(1, ControlOff), take(2, ControlVoltage); break;
        case DirPedestrian: take(0, ControlCurrent), take(2, ControlVoltage); break;
        case DirExtraRed: take(0, ControlCurrent); break;
        case DirExtraYellow: take(1, ControlOff); break;
        case DirExtraGreen: take(2, ControlVoltage); break;
        case DirTvp1:
        case DirTvp2: take(2, ControlOff); break;
        case DirTram1: {
            c.DirectionKind[d + 1] = DirTram2;
            c.DirectionKind[d + 2] = DirTram3;
            take(3, ControlOff);
            take(6, ControlOff);
            c.DirectionChannels[d + 1][4] = takeFreeChannel(c);
            c.DirectionChannels[d + 1][6] = c.DirectionChannels[d][6];
            c.DirectionChannels[d + 2][5] = takeFreeChannel(c);
            c.DirectionChannels[d + 2][6] = c.DirectionChannels[d][6];
            break;
        }
        default: break;
    }
}

int addTact(Configuration& c, int program, int32_t kind, int32_t tMain, int32_t tMin, uint8_t signal) {
    int t = 0;
    while (t < TactCount && c.TactTable[program][t].kind != TactEmpty) ++t;
    if (t == TactCount) throw std::runtime_error("program full");
    c.TactTable[program][t] = Tact{kind, kind == TactPhase ? tMin : 0, tMain, 0, 0};
    for (int d = 0; d < DirectionCount; ++d)
        if (isUsedDirection(c.DirectionKind[d])) c.TactSignals[program][t][d] = signal;
    recomputeDerivedTactFields(c, program);
    return t;
}

void addAlarm(Configuration& c, int day, int hour, int minute, int program1Based) {
    for (auto& e : c.Calendar[day]) {
        if (!e.empty()) continue;
        e = CalendarEntry{uint8_t(minute), uint8_t(hour), uint8_t(program1Based)};
        return;
    }
    throw std::runtime_error("day full");
}

std::unique_ptr<Configuration> sampleConfiguration() {
    auto c = newConfiguration();
    addDirection(*c, 0, DirVehicle);
    addDirection(*c, 1, DirPedestrian);
    addTact(*c, 3, TactPhase, 20, 10, SignalGreen);
    addTact(*c, 3, TactIntermediate, 3, 0, SignalYellow);
    addTact(*c, 3, TactPhase, 15, 5, SignalRed);
    addAlarm(*c, 0, 0, 0, 4);
    return c;
}

void useSampleTablesForTheLink(Configuration& c) {
    const auto sample = sampleConfiguration();
    c.TactTable = sample->TactTable;
    c.TactSignals = sample->TactSignals;
    c.DirectionKind = sample->DirectionKind;
    c.DirectionChannels = sample->DirectionChannels;
    c.DirectionControl = sample->DirectionControl;
    c.Calendar = sample->Calendar;
    switchSafetyRulesOff(c);
}

std::unique_ptr<Configuration> fullConfiguration() {
    auto c = newConfiguration();
    for (int d = 0; d < DirectionCount; ++d) addDirection(*c, d, DirPedestrian);
    for (int p = 0; p < ProgramCount; ++p) {
        for (int t = 0; t < TactCount; ++t) {
            const int32_t kind = t % 3 == 2 ? TactIntermediate : TactPhase;
            c->TactTable[p][t] = Tact{kind, kind == TactPhase ? 5 : 0, 3 + (t + p) % 40, 0, 0};
            for (int d = 0; d < DirectionCount; ++d) c->TactSignals[p][t][d] = uint8_t(1 + (t + d + p) % 7);
        }
        recomputeDerivedTactFields(*c, p);
    }
    for (int day = 0; day < DayCount; ++day)
        for (int e = 0; e < AlarmCount; ++e)
            c->Calendar[day][e] = CalendarEntry{uint8_t(e * 2), uint8_t(e), uint8_t(4 + (e % 13))};
    return c;
}

}  // namespace livra::test
