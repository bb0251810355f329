#include "model/project_file.h"

#include <cstring>
#include <new>

#include "model/cp1251.h"
#include "model/safety_file.h"

namespace livra {
namespace {

void putLine(Bytes& out, const std::string& cp1251) {
    out.insert(out.end(), cp1251.begin(), cp1251.end());
    out.push_back(0x0D);
    out.push_back(0x0A);
}

void putInt32(Bytes& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(u >> (8 * i)));
}

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    std::size_t remaining() const { return bytes_.size() - pos_; }
    // A line ends at CR, LF or CR LF; nothing when the bytes end first.
    std::optional<std::string> line() {
        std::string text;
        while (pos_ < bytes_.size()) {
            const uint8_t b = bytes_[pos_++];
            if (b == 0x0D) {
                if (pos_ < bytes_.size() && bytes_[pos_] == 0x0A) ++pos_;
                return text;
            }
            if (b == 0x0A) return text;
            text += char(b);
        }
        return std::nullopt;
    }
    uint8_t byte() { return bytes_[pos_++]; }
    int32_t int32() {
        uint32_t u = 0;
        for (int i = 0; i < 4; ++i) u |= uint32_t(bytes_[pos_++]) << (8 * i);
        return static_cast<int32_t>(u);
    }
    std::span<const uint8_t> rest() { return bytes_.subspan(pos_); }

private:
    std::span<const uint8_t> bytes_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<Bytes> serializeProjectSections(const Configuration& c, std::span<const uint8_t> plan) {
    std::vector<Bytes> sections;
    Bytes head;
    putLine(head, kProjectSignature);
    head.push_back(kProjectFormat);
    putLine(head, utf8ToCp1251(c.Tvp1Delay));
    putLine(head, utf8ToCp1251(c.Tvp2Delay));
    sections.push_back(std::move(head));

    Bytes calendar;
    calendar.reserve(DayCount * AlarmCount * 3);
    for (const auto& day : c.Calendar)
        for (const auto& e : day) calendar.insert(calendar.end(), {e.minute, e.hour, e.program});
    sections.push_back(std::move(calendar));

    Bytes directions;
    directions.reserve(DirectionCount * 16 + 1);
    for (int d = 0; d < DirectionCount; ++d) {
        directions.push_back(c.FreeChannels[d]);
        directions.push_back(c.DirectionKind[d]);
        for (int k = 0; k < SlotCount; ++k) {
            directions.push_back(c.DirectionChannels[d][k]);
            directions.push_back(c.DirectionControl[d][k]);
        }
    }
    directions.push_back(c.ChannelCount);
    sections.push_back(std::move(directions));

    Bytes tacts;
    tacts.reserve(ProgramCount * TactCount * 20);
    for (const auto& program : c.TactTable)
        for (const auto& t : program) {
            putInt32(tacts, t.kind);
            putInt32(tacts, t.tMin);
            putInt32(tacts, t.tMain);
            putInt32(tacts, t.tEnd);
            putInt32(tacts, t.phaseNo);
        }
    sections.push_back(std::move(tacts));

    Bytes signals;
    signals.reserve(ProgramCount * TactCount * DirectionCount);
    for (const auto& program : c.TactSignals)
        for (const auto& row : program) signals.insert(signals.end(), row.begin(), row.end());
    sections.push_back(std::move(signals));

    sections.emplace_back(plan.begin(), plan.end());
    return sections;
}

Bytes serializeProject(const Configuration& c, std::span<const uint8_t> plan) {
    Bytes out;
    for (auto& section : serializeProjectSections(c, plan)) out.insert(out.end(), section.begin(), section.end());
    return out;
}

std::optional<ParsedProject> parseProject(std::span<const uint8_t> bytes) {
    Reader in(bytes);
    const auto signature = in.line();
    if (!signature || *signature != kProjectSignature) return std::nullopt;
    if (in.remaining() < 1 || in.byte() != kProjectFormat) return std::nullopt;
    const auto delay1 = in.line();
    if (!delay1) return std::nullopt;
    const auto delay2 = in.line();
    if (!delay2) return std::nullopt;
    if (in.remaining() < kProjectTablesSize) return std::nullopt;

    ParsedProject parsed;
    parsed.config = std::make_unique<Configuration>();
    Configuration& c = *parsed.config;
    c.Tvp1Delay = cp1251ToUtf8(*delay1);
    c.Tvp2Delay = cp1251ToUtf8(*delay2);
    for (auto& day : c.Calendar)
        for (auto& e : day) {
            e.minute = in.byte();
            e.hour = in.byte();
            e.program = in.byte();
        }
    for (int d = 0; d < DirectionCount; ++d) {
        c.FreeChannels[d] = in.byte();
        c.DirectionKind[d] = in.byte();
        for (int k = 0; k < SlotCount; ++k) {
            c.DirectionChannels[d][k] = in.byte();
            c.DirectionControl[d][k] = in.byte();
        }
    }
    c.ChannelCount = in.byte();
    for (auto& program : c.TactTable)
        for (auto& t : program) {
            t.kind = in.int32();
            t.tMin = in.int32();
            t.tMain = in.int32();
            t.tEnd = in.int32();
            t.phaseNo = in.int32();
        }
    for (auto& program : c.TactSignals)
        for (auto& row : program)
            for (auto& s : row) s = in.byte();
    const auto rest = in.rest();
    parsed.plan.assign(rest.begin(), rest.end());
    return parsed;
}

void replaceTables(Configuration& to, const Configuration& from) {
    to.TactTable = from.TactTable;
    to.TactSignals = from.TactSignals;
    to.DirectionKind = from.DirectionKind;
    to.DirectionChannels = from.DirectionChannels;
    to.DirectionControl = from.DirectionControl;
    to.FreeChannels = from.FreeChannels;
    to.Calendar = from.Calendar;
    to.ChannelCount = from.ChannelCount;
    to.Tvp1Delay = from.Tvp1Delay;
    to.Tvp2Delay = from.Tvp2Delay;
}

std::filesystem::path planFilePath(const Configuration& c) {
    return pathFromUtf8(c.ProgramDir) / kPlanFileName;
}

ProjectResult saveProject(Configuration& c, const std::string& path, FileSystem& fs) {
    Bytes plan;
    if (!c.ProgramDir.empty()) {
        if (auto bytes = readWholeFile(planFilePath(c), kMaxPlanFileSize)) plan = std::move(*bytes);
    }
    return saveProjectWithPlan(c, path, plan, fs);
}

ProjectResult saveProjectWithPlan(Configuration& c, const std::string& path, std::span<const uint8_t> plan,
                                  FileSystem& fs) {
    if (c.Safety.needsFile()) {
        // The project and its safety data go together or not at all.
        const Bytes project = serializeProject(c, plan);
        const std::string json = safetyJson(c.Safety, c);
        const std::vector<FileToWrite> files{
            {pathFromUtf8(path), project},
            {pathFromUtf8(safetyFileNameFor(path)),
             std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(json.data()), json.size())}};
        const int failed = writeFilesTogether(files, fs);
        if (failed == 1) return {ProjectStatus::WriteFailed, std::string(kSaveErrorText) + kSafetySaveErrorText};
        if (failed >= 0) return {ProjectStatus::WriteFailed, kSaveErrorText};
        for (int i = 0; i < DirectionCount; ++i) c.Safety.writtenKinds[i] = c.DirectionKind[i];
    } else {
        const auto sections = serializeProjectSections(c, plan);
        std::vector<std::span<const uint8_t>> chunks(sections.begin(), sections.end());
        if (!writeFileAtomically(pathFromUtf8(path), chunks, fs))
            return {ProjectStatus::WriteFailed, kSaveErrorText};
    }
    c.ProjectFileName = path;
    c.Modified = 0;
    return {};
}

ProjectResult loadProject(Configuration& c, const std::string& path, FileSystem& fs) {
    std::optional<ParsedProject> parsed;
    // Whatever the file, running out of memory while reading it is a file
    // that could not be opened, not the end of the program.
    try {
        const auto bytes = readWholeFile(pathFromUtf8(path), kMaxProjectFileSize);
        if (!bytes) return {ProjectStatus::OpenFailed, kOpenErrorText};
        parsed = parseProject(*bytes);
    } catch (const std::bad_alloc&) {
        return {ProjectStatus::OpenFailed, kOpenErrorText};
    }
    if (!parsed) return {ProjectStatus::FormatError, kFormatErrorText};
    if (!c.ProgramDir.empty() && !writeFileAtomically(planFilePath(c), parsed->plan, fs))
        return {ProjectStatus::WriteFailed, kSaveErrorText};
    replaceTables(c, *parsed->config);
    return {};
}

}  // namespace livra
