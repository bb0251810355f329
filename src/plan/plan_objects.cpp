#include "plan/plan_objects.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <system_error>

#include "model/cp1251.h"
#include "model/project_file.h"

namespace livra {
namespace {

bool isPlanItemId(int32_t id) { return id >= 1 && id <= MaxPlanItemId; }

bool soundSize(float v) { return std::isfinite(v) && v >= MinObjectSize && v <= MaxObjectSize; }

void putInt(Bytes& out, int32_t v) {
    const auto u = uint32_t(v);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(u >> (8 * i)));
}

void putFloat(Bytes& out, float v) { putInt(out, std::bit_cast<int32_t>(v)); }

int32_t getInt(std::span<const uint8_t> b, std::size_t at) {
    return int32_t(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24);
}

// The file-name part of a stored path, whichever separator wrote it.
std::string fileNamePart(const std::string& path) {
    const auto cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Position, size and rotation of a created head or label from its record;
// sizes that no sprite could have fall back to the base size.
void placeFromRecord(Plan& plan, int32_t id, const PlanRecord& r) {
    setObjectPosition(plan, id, r.x, r.y);
    PlanObject* o = findObject(plan, id);
    if (soundSize(r.width)) o->width = r.width;
    if (soundSize(r.height)) o->height = r.height;
    rotateObject(plan, id, r.angle);
}

}  // namespace

PlanRecord readPlanRecord(std::span<const uint8_t> b) {
    PlanRecord r;
    r.id = getInt(b, 0);
    r.owner = getInt(b, 4);
    r.spriteHandle = getInt(b, 8);
    r.x = getInt(b, 12);
    r.y = getInt(b, 16);
    r.width = std::bit_cast<float>(getInt(b, 20));
    r.height = std::bit_cast<float>(getInt(b, 24));
    r.baseWidth = getInt(b, 28);
    r.baseHeight = getInt(b, 32);
    r.angle = getInt(b, 36);
    r.transparentColor = getInt(b, 40);
    r.intensity = getInt(b, 44);
    r.highlighted = b[48];
    r.pictureHandle = getInt(b, 49);
    r.reserved = getInt(b, 53);
    r.direction = b[57];
    return r;
}

void appendPlanRecord(Bytes& out, const PlanRecord& r) {
    putInt(out, r.id);
    putInt(out, r.owner);
    putInt(out, r.spriteHandle);
    putInt(out, r.x);
    putInt(out, r.y);
    putFloat(out, r.width);
    putFloat(out, r.height);
    putInt(out, r.baseWidth);
    putInt(out, r.baseHeight);
    putInt(out, r.angle);
    putInt(out, r.transparentColor);
    putInt(out, r.intensity);
    out.push_back(r.highlighted);
    putInt(out, r.pictureHandle);
    putInt(out, r.reserved);
    out.push_back(r.direction);
}

const char* objectKindLabel(uint8_t kind) {
    switch (kind) {
        case DirVehicle: return "Т";
        case DirPedestrian: return "П";
        case DirExtraRed: return "СК";
        case DirExtraYellow: return "СЖ";
        case DirExtraGreen: return "СЗ";
        case DirTram1: return "Р";
        default: return nullptr;
    }
}

bool kindHasHead(uint8_t kind) { return objectKindLabel(kind) != nullptr; }

std::string labelText(uint8_t kind, int direction) {
    const char* suffix = objectKindLabel(kind);
    if (!suffix) return {};
    if (kind == DirTram1) return std::to_string(direction) + "-" + std::to_string(direction + 2) + suffix;
    return std::to_string(direction) + suffix;
}

PlanObject* findObject(Plan& plan, int32_t id) {
    for (auto& o : plan.planObjects)
        if (o.id == id) return &o;
    return nullptr;
}

const PlanObject* findObject(const Plan& plan, int32_t id) {
    for (const auto& o : plan.planObjects)
        if (o.id == id) return &o;
    return nullptr;
}

int32_t newObjectId(const Plan& plan) {
    std::vector<bool> used(PlanPictureObjectId + 1, false);
    for (const auto& o : plan.planObjects)
        if (o.id >= 1 && o.id <= PlanPictureObjectId) used[o.id] = true;
    for (int32_t id = 1; id <= PlanPictureObjectId; ++id)
        if (!used[id]) return id;
    return 0;
}

void createObject(Plan& plan, int32_t id, int width, int height) {
    PlanObject o;
    o.id = id;
    o.width = float(width);
    o.height = float(height);
    o.baseWidth = width;
    o.baseHeight = height;
    o.transparentColor = White;
    o.intensity = 255;
    plan.planObjects.push_back(std::move(o));
}

void createLabel(Plan& plan, int32_t id, int32_t owner, int width, int height, const std::string& text) {
    createObject(plan, id, width, height);
    plan.planObjects.back().owner = owner;
    plan.planObjects.back().text = text;
}

void createSpecialObjects(Plan& plan) {
    createObject(plan, PlanPictureObjectId, 500, 500);
    setObjectTransparentColor(plan, PlanPictureObjectId, 0);
    createObject(plan, PointerProbeId, 1, 1);
    setObjectTransparentColor(plan, PointerProbeId, 0);
    setObjectIntensity(plan, PointerProbeId, 0);
}

void setObjectTransparentColor(Plan& plan, int32_t id, int32_t color) {
    if (auto* o = findObject(plan, id)) o->transparentColor = color;
}

void setObjectIntensity(Plan& plan, int32_t id, int intensity) {
    if (auto* o = findObject(plan, id)) o->intensity = std::clamp(intensity, 0, 255);
}

void setObjectDirection(Plan& plan, int32_t id, uint8_t direction) {
    if (auto* o = findObject(plan, id)) o->direction = direction;
}

void setObjectPosition(Plan& plan, int32_t id, int32_t x, int32_t y) {
    if (auto* o = findObject(plan, id)) {
        o->x = x;
        o->y = y;
    }
}

uint8_t objectDirection(const Plan& plan, int32_t id) {
    const auto* o = findObject(plan, id);
    return o ? o->direction : 255;
}

int objectRole(const Plan& plan, int32_t id) {
    const auto* o = findObject(plan, id);
    if (!o) return -1;
    return o->owner == 0 ? 1 : 2;
}

void moveObjectToEnd(Plan& plan, int32_t id) {
    auto& list = plan.planObjects;
    auto it = std::find_if(list.begin(), list.end(), [&](const PlanObject& o) { return o.id == id; });
    if (it != list.end()) std::rotate(it, it + 1, list.end());
}

void setDirectionState(Plan& plan, int n, uint8_t kind, uint8_t signal) {
    for (auto& o : plan.planObjects)
        if (o.direction == n) {
            o.kind = kind;
            o.signal = signal;
        }
}

void rotateObject(Plan& plan, int32_t id, int32_t delta) {
    if (auto* o = findObject(plan, id)) o->angle = int32_t((int64_t(o->angle) + delta) % 360);
}

void scaleObject(Plan& plan, int32_t id, int percent) {
    auto* o = findObject(plan, id);
    if (!o) return;
    const float w = float(o->baseWidth) * float(percent) / 100.0f;
    const float h = float(o->baseHeight) * float(percent) / 100.0f;
    if (!soundSize(w) || !soundSize(h)) return;
    o->width = w;
    o->height = h;
}

// Growing and shrinking stop at the size limits, so a head never becomes a
// sprite of no pixels or an unbounded one.
void growObject(Plan& plan, int32_t id) {
    auto* o = findObject(plan, id);
    if (!o) return;
    const float w = o->width * 1.1f, h = o->height * 1.1f;
    if (!soundSize(w) || !soundSize(h)) return;
    o->width = w;
    o->height = h;
}

void shrinkObject(Plan& plan, int32_t id) {
    auto* o = findObject(plan, id);
    if (!o) return;
    const float w = o->width / 1.1f, h = o->height / 1.1f;
    if (!soundSize(w) || !soundSize(h)) return;
    o->width = w;
    o->height = h;
}

int32_t mountObject(Plan& plan, const Configuration& c, int i, int32_t x, int32_t y) {
    if (i < 0 || i >= DirectionCount) return 0;
    const uint8_t kind = c.DirectionKind[i];
    if (!kindHasHead(kind)) return 0;
    const int32_t head = newObjectId(plan);
    if (head == 0) return 0;
    createObject(plan, head, HeadSize, HeadSize);
    setObjectDirection(plan, head, uint8_t(i + 1));
    const int32_t label = newObjectId(plan);
    if (label == 0) {  // a head without its label would be a half mount
        deleteObject(plan, head);
        return 0;
    }
    createLabel(plan, label, head, LabelWidth, LabelHeight, labelText(kind, i + 1));
    setObjectPosition(plan, head, x, y);
    setObjectPosition(plan, label, x + 55, y);
    return head;
}

void demountObject(Plan& plan, int32_t head) {
    auto& list = plan.planObjects;
    for (;;) {
        auto it = std::find_if(list.begin(), list.end(), [&](const PlanObject& o) { return o.owner == head; });
        if (it == list.end()) break;
        deleteObject(plan, it->id);
    }
    deleteObject(plan, head);
}

void deleteObject(Plan& plan, int32_t id) {
    auto& list = plan.planObjects;
    auto it = std::find_if(list.begin(), list.end(), [&](const PlanObject& o) { return o.id == id; });
    if (it != list.end()) list.erase(it);
}

void deleteAllObjects(Plan& plan) {
    while (!plan.planObjects.empty()) deleteObject(plan, plan.planObjects.front().id);
}

Bytes serializePlan(const Plan& plan) {
    Bytes out;
    const std::string line = utf8ToCp1251(plan.planPicturePath);
    out.reserve(line.size() + 2 + plan.planObjects.size() * PlanRecordSize);
    out.insert(out.end(), line.begin(), line.end());
    out.push_back('\r');
    out.push_back('\n');
    // The handles are runtime values with no meaning in a file: 0.
    for (const auto& o : plan.planObjects)
        appendPlanRecord(out, {o.id, o.owner, 0, o.x, o.y, o.width, o.height, o.baseWidth, o.baseHeight, o.angle,
                               o.transparentColor, o.intensity, o.highlighted, 0, o.reserved, o.direction});
    return out;
}

bool savePlanFile(const Plan& plan, const Configuration& c) {
    const Bytes bytes = serializePlan(plan);
    return writeFileAtomically(planFilePath(c), bytes);
}

std::string storedPicturePath(std::span<const uint8_t> bytes) {
    const auto lf = std::find(bytes.begin(), bytes.end(), uint8_t('\n'));
    std::string line(bytes.begin(), lf);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // No path is longer; a longer line is damage, not a name.
    if (line.size() > kMaxPicturePathLength) line.resize(kMaxPicturePathLength);
    return line;
}

PlanLoadReport parsePlan(Plan& plan, std::span<const uint8_t> bytes, const Configuration& c) {
    PlanLoadReport report;
    report.opened = true;
    Plan fresh = plan;

    const auto lf = std::find(bytes.begin(), bytes.end(), uint8_t('\n'));
    std::string line(bytes.begin(), lf);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // No name is longer than a path; a longer one is damage. The name, not
    // the line, is cut, so that a saved plan reads back the same.
    std::string name = fileNamePart(line);
    if (name.size() > kMaxPicturePathLength) name.resize(kMaxPicturePathLength);
    // Plan pictures are always taken from the "shem" folder of the program's
    // folder, whatever folder the file names.
    fresh.planPicturePath = c.ProgramDir + "shem" + char(std::filesystem::path::preferred_separator) +
                            cp1251ToUtf8(name);

    std::size_t at = lf == bytes.end() ? bytes.size() : std::size_t(lf - bytes.begin()) + 1;
    for (; at + PlanRecordSize <= bytes.size(); at += PlanRecordSize) {
        const PlanRecord r = readPlanRecord(bytes.subspan(at, PlanRecordSize));
        const int32_t id = r.id;
        const int32_t owner = r.owner;
        const uint8_t direction = r.direction;
        if (id == PlanPictureObjectId || id == PointerProbeId) continue;
        // Ids must stay unique: every operation finds its object by id.
        const bool freshId = isPlanItemId(id) && !findObject(fresh, id);
        if (freshId && owner == 0 && direction >= 1 && direction <= DirectionCount &&
            kindHasHead(c.DirectionKind[direction - 1])) {
            createObject(fresh, id, HeadSize, HeadSize);
            setObjectDirection(fresh, id, direction);
            placeFromRecord(fresh, id, r);
            ++report.created;
            continue;
        }
        // A label belongs to a head read before it; one whose head was dropped
        // goes with it.
        const PlanObject* head = findObject(fresh, owner);
        if (freshId && owner >= 1 && direction == 0 && head && head->isHead() && head->direction <= DirectionCount) {
            const uint8_t n = head->direction;
            createLabel(fresh, id, owner, LabelWidth, LabelHeight, labelText(c.DirectionKind[n - 1], n));
            placeFromRecord(fresh, id, r);
            ++report.created;
            continue;
        }
        ++report.dropped;
    }
    if (at < bytes.size()) ++report.dropped;  // a short last record

    std::error_code ec;
    const auto picture = pathFromUtf8(fresh.planPicturePath);
    report.pictureFound = std::filesystem::is_regular_file(picture, ec) && std::filesystem::file_size(picture, ec) > 0 && !ec;
    plan = std::move(fresh);
    return report;
}

PlanLoadReport loadPlanFile(Plan& plan, const Configuration& c) {
    const auto bytes = readWholeFile(planFilePath(c), kMaxPlanFileSize);
    if (!bytes) return {};
    return parsePlan(plan, *bytes, c);
}

}  // namespace livra
