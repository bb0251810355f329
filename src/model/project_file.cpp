#include "model/project_file.h"

#include <cstring>
#include <new>
#include <string_view>

#include "model/cp1251.h"
#include "model/safety_file.h"

namespace livra {
namespace {

void putInt32(Bytes& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(u >> (8 * i)));
}

class Reader {
public:
    Reader(std::span<const uint8_t> bytes, std::size_t from) : bytes_(bytes), pos_(from) {}
    std::size_t remaining() const { return bytes_.size() - pos_; }
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

std::optional<ProjectHead> readProjectHead(std::span<const uint8_t> file) {
    ProjectHead h;
    std::size_t pos = 0;
    auto line = [&](std::string& text, std::string& end) {
        while (pos < file.size()) {
            const uint8_t b = file[pos++];
            if (b == 0x0D) {
                end = "\r";
                if (pos < file.size() && file[pos] == 0x0A) ++pos, end = "\r\n";
                return true;
            }
            if (b == 0x0A) {
                end = "\n";
                return true;
            }
            text += char(b);
        }
        return false;
    };
    std::string signature;
    if (!line(signature, h.ends[0]) || signature != kProjectSignature) return std::nullopt;
    if (pos >= file.size() || file[pos++] != kProjectFormat) return std::nullopt;
    if (!line(h.delay1, h.ends[1]) || !line(h.delay2, h.ends[2])) return std::nullopt;
    h.size = pos;
    return h;
}

Bytes projectHeadBytes(const ProjectHead& head) {
    Bytes out;
    auto put = [&](std::string_view s) { out.insert(out.end(), s.begin(), s.end()); };
    put(kProjectSignature);
    put(head.ends[0]);
    out.push_back(kProjectFormat);
    put(head.delay1);
    put(head.ends[1]);
    put(head.delay2);
    put(head.ends[2]);
    return out;
}

std::vector<Bytes> serializeProjectSections(const Configuration& c, std::span<const uint8_t> plan) {
    std::vector<Bytes> sections;
    ProjectHead head;
    head.delay1 = utf8ToCp1251(c.Tvp1Delay);
    head.delay2 = utf8ToCp1251(c.Tvp2Delay);
    sections.push_back(projectHeadBytes(head));

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
    const auto head = readProjectHead(bytes);
    if (!head) return std::nullopt;
    Reader in(bytes, head->size);
    if (in.remaining() < kProjectTablesSize) return std::nullopt;

    ParsedProject parsed;
    parsed.config = std::make_unique<Configuration>();
    Configuration& c = *parsed.config;
    c.Tvp1Delay = cp1251ToUtf8(head->delay1);
    c.Tvp2Delay = cp1251ToUtf8(head->delay2);
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

ProjectResult saveProjectFile(const std::string& path, std::span<const uint8_t> project, const SafetyData* safety,
                              const Configuration& c, FileSystem& fs) {
    if (!safety) {
        if (!writeFileAtomically(pathFromUtf8(path), project, fs)) return {ProjectStatus::WriteFailed, kSaveErrorText};
        dropForeignSafetyFile(path);
        return {};
    }
    auto stamped = std::make_unique<SafetyData>(*safety);
    stamped->project = stampOf(project);
    const std::string json = safetyJson(*stamped, c);
    const std::string sideName = safetyFileNameFor(path);
    const std::vector<FileToWrite> files{
        {pathFromUtf8(sideName), std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(json.data()), json.size())},
        {pathFromUtf8(path), project}};
    const WriteTogetherResult written = writeFilesTogether(files, fs);
    if (!written.replaced.empty())
        return {ProjectStatus::WriteFailed, std::string(kSaveErrorText) + kSafetyReplacedAloneText + sideName + "\n"};
    if (written.failed == 0) return {ProjectStatus::WriteFailed, std::string(kSaveErrorText) + kSafetySaveErrorText};
    if (written.failed > 0) return {ProjectStatus::WriteFailed, kSaveErrorText};
    return {};
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
    if (!c.Safety.needsFile()) {
        // Section by section: no second copy of the tables in memory.
        const auto sections = serializeProjectSections(c, plan);
        const std::vector<std::span<const uint8_t>> chunks(sections.begin(), sections.end());
        if (!writeFileAtomically(pathFromUtf8(path), chunks, fs)) return {ProjectStatus::WriteFailed, kSaveErrorText};
        dropForeignSafetyFile(path);
    } else {
        const Bytes project = serializeProject(c, plan);
        const ProjectResult r = saveProjectFile(path, project, &c.Safety, c, fs);
        if (!r.ok()) return r;
        c.Safety.project = stampOf(project);
        for (int i = 0; i < DirectionCount; ++i) c.Safety.writtenKinds[i] = c.DirectionKind[i];
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
