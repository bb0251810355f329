#pragma once
// The intersection plan: signal heads and their labels placed on the plan
// picture, in drawing order, and the plan file that keeps them between
// openings of the simulator. Sprites and pictures belong to the view, which
// finds its drawing for an object by the object's id.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "model/configuration.h"
#include "model/files.h"

namespace livra {

constexpr int32_t PlanPictureObjectId = 1000;  // the plan picture, 500 × 500
constexpr int32_t PointerProbeId = 999;        // the invisible 1 × 1 mouse probe
constexpr int32_t MaxPlanItemId = 998;         // heads and labels use 1..998
constexpr int32_t White = 0xFFFFFF;
constexpr std::size_t PlanRecordSize = 58;
constexpr int HeadSize = 50;
constexpr int LabelWidth = 40, LabelHeight = 20;
// Displayed sizes kept within what a sprite can sensibly be.
constexpr float MinObjectSize = 1.0f;
constexpr float MaxObjectSize = 8192.0f;

struct PlanObject {
    int32_t id = 0;
    int32_t owner = 0;  // a label's head; 0 for heads and the two special objects
    int32_t x = 0, y = 0;
    float width = 0, height = 0;
    int32_t baseWidth = 0, baseHeight = 0;
    int32_t angle = 0;  // accumulated clockwise rotation, −359..359
    int32_t transparentColor = 0;
    int32_t intensity = 255;
    uint8_t highlighted = 0;
    int32_t reserved = 0;
    uint8_t direction = 0;  // 1..63 for a head
    uint8_t kind = 0;       // DirectionKindCode last handed over by the simulation
    uint8_t signal = 0;     // SignalCode (tramLampCode for a tram head) last handed over
    std::string text;       // a label's text ("3Т")

    bool isLabel() const { return owner != 0; }
    bool isHead() const { return owner == 0 && direction != 0; }
};

struct Plan {
    std::vector<PlanObject> planObjects;  // drawing order: later objects lie on top
    std::string planPicturePath;          // UTF-8; empty until a picture is chosen or a plan file read
};

// Label suffix of a head kind ("Т", "П", "СК", "СЖ", "СЗ", "Р"); nullptr for a
// kind that has no head.
const char* objectKindLabel(uint8_t kind);
bool kindHasHead(uint8_t kind);
// "3Т", "12П", "5-7Р"; empty for a kind without a head.
std::string labelText(uint8_t kind, int direction);

PlanObject* findObject(Plan& plan, int32_t id);
const PlanObject* findObject(const Plan& plan, int32_t id);

// The lowest id in 1..1000 not in use; 0 when all are used.
int32_t newObjectId(const Plan& plan);

void createObject(Plan& plan, int32_t id, int width, int height);
void createLabel(Plan& plan, int32_t id, int32_t owner, int width, int height, const std::string& text);
// The plan picture object and the pointer probe that the simulator window
// creates on opening.
void createSpecialObjects(Plan& plan);

void setObjectTransparentColor(Plan& plan, int32_t id, int32_t color);
void setObjectIntensity(Plan& plan, int32_t id, int intensity);
void setObjectDirection(Plan& plan, int32_t id, uint8_t direction);
void setObjectPosition(Plan& plan, int32_t id, int32_t x, int32_t y);
uint8_t objectDirection(const Plan& plan, int32_t id);  // 255 when absent
int objectRole(const Plan& plan, int32_t id);           // 1 no owner, 2 label, −1 absent
void moveObjectToEnd(Plan& plan, int32_t id);

// Every object of direction n takes the kind and signal.
void setDirectionState(Plan& plan, int n, uint8_t kind, uint8_t signal);

void rotateObject(Plan& plan, int32_t id, int32_t delta);
void scaleObject(Plan& plan, int32_t id, int percent);
void growObject(Plan& plan, int32_t id);
void shrinkObject(Plan& plan, int32_t id);

// Mounts a head for direction index i (0..62) with its label 55 px to the
// right. Returns the head's id, or 0 when refused: the direction's kind has no
// head, or fewer than two ids are free.
int32_t mountObject(Plan& plan, const Configuration& c, int i, int32_t x, int32_t y);
// Removes a head with every label it owns.
void demountObject(Plan& plan, int32_t head);
void deleteObject(Plan& plan, int32_t id);
void deleteAllObjects(Plan& plan);

// --- the plan file ---

// One 58-byte record of the plan file, every field as stored: the handles
// too, which the program writes 0 and never reads back.
struct PlanRecord {
    int32_t id = 0, owner = 0, spriteHandle = 0, x = 0, y = 0;
    float width = 0, height = 0;
    int32_t baseWidth = 0, baseHeight = 0, angle = 0, transparentColor = 0, intensity = 0;
    uint8_t highlighted = 0;
    int32_t pictureHandle = 0, reserved = 0;
    uint8_t direction = 0;
};
// `record` holds PlanRecordSize bytes.
PlanRecord readPlanRecord(std::span<const uint8_t> record);
void appendPlanRecord(Bytes& out, const PlanRecord& r);

// The file's bytes: the picture path in cp1251 with CR LF, then one 58-byte
// record per object in list order, handle fields 0.
Bytes serializePlan(const Plan& plan);
// Writes ProgramDir/imit.snt atomically; false (and nothing written) on failure.
bool savePlanFile(const Plan& plan, const Configuration& c);

struct PlanLoadReport {
    bool opened = false;        // the file could be read
    int created = 0;            // heads and labels created
    int dropped = 0;            // records that created nothing besides objects 999 and 1000
    bool pictureFound = false;  // the picture file exists and is not empty
};

// The picture path as the plan file's first line stores it (CP1251, without
// the line end), cut at the longest path the system allows; parsePlan cuts
// the picture's file name the same way.
inline constexpr std::size_t kMaxPicturePathLength = 260;
std::string storedPicturePath(std::span<const uint8_t> bytes);

// Appends the objects of a plan file's bytes to `plan` and sets the picture
// path to ProgramDir + "shem" + the stored file name. Untrusted input: records
// that are not sound are dropped, never half-applied.
PlanLoadReport parsePlan(Plan& plan, std::span<const uint8_t> bytes, const Configuration& c);
// Reads ProgramDir/imit.snt; a missing file leaves the plan unchanged.
PlanLoadReport loadPlanFile(Plan& plan, const Configuration& c);

}  // namespace livra
