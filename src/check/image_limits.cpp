#include "check/image_limits.h"

#include <string>

namespace livra {
namespace {

std::string tactPrefix(int program, int tactNumber) {
    return "( Программа № " + std::to_string(program + 1) + "   Такт №" + std::to_string(tactNumber) + " )";
}

std::string programFinding(const Configuration& c, int p) {
    const auto& tacts = c.TactTable[p];
    if (tacts[0].kind == TactEmpty) return {};
    auto known = [](int32_t k) { return k >= TactEmpty && k <= TactTvp2; };
    // The program runs up to its first empty tact; a tact of unknown kind
    // reached before that is where the image would cut it.
    for (int t = 0; t < TactCount && tacts[t].kind != TactEmpty; ++t) {
        const Tact& tact = tacts[t];
        if (!known(tact.kind)) return tactPrefix(p, t + 1) + " - Укажите вид такта";
        if (tact.tMain > 255) return tactPrefix(p, t + 1) + " - Т осн. не может превышать 255 сек";
        if (tact.tMain < 1) return tactPrefix(p, t + 1) + " - Т осн. не может быть 0 сек";
        if (tact.kind == TactPhase && tact.tMin > 255) return tactPrefix(p, t + 1) + " - Т мин. не может превышать 255 сек";
    }
    return {};
}

// The encoder carries every entry with an hour and a minute below 100 and
// stores its program byte as it is; the controller's image names programs
// 1..16 only, and one that names another cannot be read back.
std::string calendarFinding(const Configuration& c) {
    static const char* const kDays[DayCount] = {"Пн", "Вт", "Ср", "Чт", "Пт", "Сб", "Вс"};
    for (int day = 0; day < DayCount; ++day)
        for (int i = 0; i < AlarmCount; ++i) {
            const CalendarEntry& e = c.Calendar[day][i];
            if (e.minute >= 100 || e.hour >= 100) continue;
            if (e.program < 1 || e.program > ProgramCount)
                return std::string("( Календарь  ") + kDays[day] + "   Запись №" + std::to_string(i + 1) +
                       " ) - Укажите программу от 1 до " + std::to_string(ProgramCount);
        }
    return {};
}

}  // namespace

int checkImageLimits(const Configuration& c, ErrorList& list) {
    std::string finding;
    for (int p = FirstUserProgram; p < ProgramCount && finding.empty(); ++p) finding = programFinding(c, p);
    for (int d = 1; d < DirectionCount && finding.empty(); ++d)
        if (isUsedDirection(c.DirectionKind[d]) && !isUsedDirection(c.DirectionKind[d - 1]))
            finding = "( Направление №" + std::to_string(d) + " ) - Установите направление";
    if (finding.empty()) finding = calendarFinding(c);
    if (finding.empty()) return 0;
    list.clear();
    list.add(finding);
    return 1;
}

}  // namespace livra
