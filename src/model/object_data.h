#pragma once
// What the road authority's papers name and the controller cannot keep: the
// object, who made, checked and approved its design, the revision, the
// controller it went to, and the names the engineers call the directions and
// programs by. Kept in the project's companion file with the safety data.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "model/limits.h"

namespace livra {

// One verified write: when, to which controller, which revision.
struct WriteRecord {
    std::string when;        // "09.12.2026 20:15", the computer's local time
    std::string controller;  // "модель 3, микропрограмма 12, класс 1"
    std::string revision;    // the object data's revision at that moment
    bool operator==(const WriteRecord&) const = default;
};

inline constexpr std::size_t kMaxObjectTextLength = 2000;  // bytes of UTF-8, each field
inline constexpr std::size_t kMaxObjectNameLength = 200;   // a direction's or program's name
inline constexpr std::size_t kMaxWriteRecords = 200;       // the oldest go first

struct ObjectData {
    std::string name;          // "Перекрёсток ул. Ленина — ул. Мира"
    std::string address;
    std::string owner;         // the road authority that keeps it
    std::string designer;      // the organisation that designed it
    std::string prepared, checked, approved;  // the signature block's names
    std::string revision;      // "3"
    std::string revisionDate;  // "DD.MM.YYYY" or empty
    std::string model, serial;  // the controller's
    std::string notes;
    std::array<std::string, DirectionCount> directionNames{};  // 0-based
    std::array<std::string, ProgramCount> programNames{};      // 0-based
    std::vector<WriteRecord> writes;  // oldest first

    bool empty() const;
    // Everything but the record of writing: what an edit changes.
    bool sameDescription(const ObjectData& other) const;
    // Direction d (0-based) is deleted: the names above it move down by one.
    void deleteDirection(int d);
    // Appends a record, dropping the oldest past kMaxWriteRecords.
    void recordWrite(WriteRecord r);
    bool operator==(const ObjectData&) const = default;
};

// "DD.MM.YYYY" naming a real day of 1900..2999; the empty text is allowed.
bool isRevisionDate(const std::string& text);

// "4 «Утро»" when the program has a name, the usual "4", "2 (ЖМ)" otherwise.
std::string namedProgramTitle(const ObjectData& o, int program);
// "3 ул. Ленина, прямо" with the direction's name, "3" without; `number` is
// the label the table shows ("6.2" for a tram row).
std::string namedDirectionTitle(const ObjectData& o, int direction, const std::string& number);

// "модель 3, микропрограмма 12, класс 1": the controller a write went to.
std::string controllerIdentityRecord(int model, int firmware, int compatibility);
// What "Инф.о ДК" tells of the controller goes into the passport: the model
// ("Ливра, модель 3"). The identity carries no serial number; that field stays
// the engineer's.
void noteControllerModel(ObjectData& o, int model);

}  // namespace livra
