#include "model/object_data.h"

#include "model/civil_date.h"
#include "model/configuration.h"

namespace livra {

bool ObjectData::empty() const { return *this == ObjectData{}; }

bool ObjectData::sameDescription(const ObjectData& other) const {
    ObjectData a = *this, b = other;
    a.writes.clear();
    b.writes.clear();
    return a == b;
}

void ObjectData::deleteDirection(int d) {
    if (d < 0 || d >= DirectionCount) return;
    for (int i = d; i < DirectionCount - 1; ++i) directionNames[i] = std::move(directionNames[i + 1]);
    directionNames[DirectionCount - 1].clear();
}

void ObjectData::recordWrite(WriteRecord r) {
    writes.push_back(std::move(r));
    if (writes.size() > kMaxWriteRecords) writes.erase(writes.begin(), writes.end() - kMaxWriteRecords);
}

bool isRevisionDate(const std::string& text) {
    if (text.empty()) return true;
    if (text.size() != 10 || text[2] != '.' || text[5] != '.') return false;
    for (int i : {0, 1, 3, 4, 6, 7, 8, 9})
        if (text[i] < '0' || text[i] > '9') return false;
    const int day = (text[0] - '0') * 10 + (text[1] - '0');
    const int month = (text[3] - '0') * 10 + (text[4] - '0');
    const int year = std::stoi(text.substr(6));
    if (year < 1900 || year > 2999 || month < 1 || month > 12 || day < 1) return false;
    // The day exists when it survives the round trip through the day count.
    int y = 0, m = 0, dd = 0;
    civilFromDays(daysFromCivil(year, month, day), y, m, dd);
    return y == year && m == month && dd == day;
}

std::string namedProgramTitle(const ObjectData& o, int program) {
    std::string title = programTitle(program);
    if (program >= 0 && program < ProgramCount && !o.programNames[program].empty())
        title += " «" + o.programNames[program] + "»";
    return title;
}

std::string namedDirectionTitle(const ObjectData& o, int direction, const std::string& number) {
    if (direction < 0 || direction >= DirectionCount || o.directionNames[direction].empty()) return number;
    return number + " " + o.directionNames[direction];
}

std::string controllerIdentityRecord(int model, int firmware, int compatibility) {
    return "модель " + std::to_string(model) + ", микропрограмма " + std::to_string(firmware) + ", класс " +
           std::to_string(compatibility);
}

void noteControllerModel(ObjectData& o, int model) { o.model = "Ливра, модель " + std::to_string(model); }

}  // namespace livra
