#pragma once
// Shared by the tests: scratch folders, running the `livra` program, and
// configurations built the way the editors build them.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/configuration.h"
#include "model/files.h"

namespace livra::test {

// A fresh folder under the system temp folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Names are UTF-8, as the program's own are (Windows would read them in
    // its ANSI code page).
    std::filesystem::path operator/(const std::string& name) const { return path_ / pathFromUtf8(name); }

private:
    std::filesystem::path path_;
};

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell), capturing stdout and stderr.
RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::pair<std::string, std::string>>& env = {});
// Runs the built `livra`; LIVRA_WORKDIR points at `workdir` when given.
RunResult runLivra(const std::vector<std::string>& args, const std::filesystem::path& workdir = {});

void writeBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes readBytes(const std::filesystem::path& path);
// A safety file copied beside another project: without the stamp of the
// project it was saved with, as a file written by hand would be.
void copySafetyUnstamped(const std::filesystem::path& from, const std::filesystem::path& to);

std::unique_ptr<Configuration> newConfiguration();

// Adds a direction of a kind with its output slots taken from the free
// channels, as the directions editor does. A tram (7) fills three entries.
void addDirection(Configuration& c, int direction, uint8_t kind);
// Appends a tact to a program with every used direction set to `signal`.
int addTact(Configuration& c, int program, int32_t kind, int32_t tMain, int32_t tMin = 0, uint8_t signal = SignalRed);
void addAlarm(Configuration& c, int day, int hour, int minute, int program1Based);

// Switches every signal-sequence rule of the safety check off, for tests of
// the link that write configurations made for other purposes.
inline void switchSafetyRulesOff(Configuration& c) { c.Safety.rules = SafetyRules{0, 0, 0, 0, 0, 0}; }

// A small valid configuration: one vehicle and one pedestrian direction,
// program 4 with two phases and an intermediate tact, Monday 00:00 → 4.
std::unique_ptr<Configuration> sampleConfiguration();
// The sample's tables (tacts, signals, directions, channels, control,
// calendar) into `c`, the rest of `c` kept, and the safety rules off: a
// valid configuration for tests of the link, not of the program.
void useSampleTablesForTheLink(Configuration& c);
// The largest one: 16 programs × 321 tacts × 63 directions all used.
std::unique_ptr<Configuration> fullConfiguration();

}  // namespace livra::test
