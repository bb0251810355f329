#include "check/validator.h"

#include <array>
#include <optional>
#include <string>

namespace livra {
namespace {

std::string num(long n) { return std::to_string(n); }

std::string programTact(int program, int tactNumber) {
    return "( Программа № " + num(program + 1) + "   Такт №" + num(tactNumber) + " )";
}

bool hasTactOfKind(const Configuration& c, int program, int32_t kind) {
    for (const auto& t : c.TactTable[program])
        if (t.kind == kind) return true;
    return false;
}

// Yellow, flashing yellow and red-and-yellow all light the yellow lamp.
bool usesYellow(uint8_t signal) {
    return signal == SignalYellow || signal == SignalFlashingYellow || signal == SignalRedYellow;
}

const std::string kNotFullyConnected =
    " ) - Нет полного подключения к каналам\nКаналы отключать запрещено, исключение  желтый у транспортного";

// Output slots a direction of each kind must have connected.
std::initializer_list<int> requiredSlots(uint8_t kind) {
    static const std::initializer_list<int> redGreen = {0, 2};
    static const std::initializer_list<int> red = {0};
    static const std::initializer_list<int> yellow = {1};
    static const std::initializer_list<int> green = {2};
    static const std::initializer_list<int> tram1 = {3, 6};
    static const std::initializer_list<int> tram2 = {4, 6};
    static const std::initializer_list<int> tram3 = {5, 6};
    static const std::initializer_list<int> none = {};
    switch (kind) {
        case DirVehicle:
        case DirPedestrian: return redGreen;
        case DirExtraRed: return red;
        case DirExtraYellow: return yellow;
        case DirExtraGreen:
        case DirTvp1:
        case DirTvp2: return green;
        case DirTram1: return tram1;
        case DirTram2: return tram2;
        case DirTram3: return tram3;
        default: return none;
    }
}

// Rule 5: every direction wired to its outputs. Keeps scanning; the last
// finding is the one reported.
std::string checkOutputs(const Configuration& c) {
    // A vehicle may run without its yellow lamp only if no user program
    // ever asks it to light yellow. One pass finds, for each direction, the
    // last tact in scan order that does.
    struct Use {
        int program = -1;
        int tact = -1;
    };
    std::array<Use, DirectionCount> lastYellow{};
    bool anyYellowOff = false;
    for (int d = 0; d < DirectionCount; ++d)
        anyYellowOff = anyYellowOff || (c.DirectionKind[d] == DirVehicle && c.DirectionChannels[d][1] == 0);
    if (anyYellowOff)
        for (int p = FirstUserProgram; p < ProgramCount; ++p)
            for (int t = 0; t < TactCount; ++t) {
                const auto& row = c.TactSignals[p][t];
                for (int d = 0; d < DirectionCount; ++d)
                    if (usesYellow(row[d])) lastYellow[d] = {p, t};
            }

    std::string message;
    for (int d = 0; d < DirectionCount; ++d) {
        const uint8_t kind = c.DirectionKind[d];
        const auto& slots = c.DirectionChannels[d];
        for (int s : requiredSlots(kind)) {
            if (slots[s] != 0) continue;
            if (kind == DirTvp1)
                message = "( Направление №" + num(d + 1) + " ) - Направлению 'ТВП1' не присвоен номер канала";
            else if (kind == DirTvp2)
                message = "( Направление №" + num(d + 1) + " ) - Направлению 'ТВП2' не присвоен номер канала";
            else
                message = "( Направление №" + num(d + 1) + kNotFullyConnected;
            break;
        }
        if (kind == DirVehicle && slots[1] == 0 && lastYellow[d].program >= 0)
            message = "( Направление №" + num(d + 1) + " )отключен выход по желтому, а прогр.№" +
                      num(lastYellow[d].program + 1) + "  такт№" + num(lastYellow[d].tact + 1) +
                      " использует желтый сигнал";
    }
    return message;
}

// Last ТВП1 and ТВП2 tacts over all user programs, for rule 6.
struct CallTactUse {
    int program[2] = {-1, -1};
    int tact[2] = {-1, -1};
};

CallTactUse findCallTacts(const Configuration& c) {
    CallTactUse use;
    for (int p = FirstUserProgram; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount; ++t)
            for (int i = 0; i < 2; ++i)
                if (c.TactTable[p][t].kind == TactTvp1 + i) use.program[i] = p, use.tact[i] = t;
    return use;
}

// Rule 6: a call input used by one non-empty program must be used by all.
std::string checkCallTactsEverywhere(const Configuration& c, const CallTactUse& use, int program) {
    if (isProgramEmpty(c, program)) return {};
    for (int i = 0; i < 2; ++i) {
        if (use.program[i] < 0 || hasTactOfKind(c, program, TactTvp1 + i)) continue;
        const std::string name = i == 0 ? "'ТВП1'" : "'ТВП2'";
        return "В программе№" + num(program + 1) + " нет такта " + name + ", а в программе№" +
               num(use.program[i] + 1) + "   такт№" + num(use.tact[i] + 1) + " есть\nУстановите такт " + name +
               ", либо удалите из обеих программ";
    }
    return {};
}

// Rule 9: each call input's tacts form a single contiguous group.
std::string checkSingleCallGroups(const Configuration& c, int program) {
    int state[2] = {0, 0};
    for (int t = 0; t < TactCount - 1; ++t) {
        const int32_t kind = c.TactTable[program][t].kind;
        for (int i = 0; i < 2; ++i) {
            const bool call = kind == TactTvp1 + i;
            if (state[i] == 0 && call) {
                state[i] = 1;
            } else if (state[i] == 1 && !call) {
                state[i] = 2;
            } else if (state[i] == 2 && call) {
                return programTact(program, t + 1) + (i == 0 ? " - Группа 'ТВП1' уже есть" : " - Группа 'ТВП2' уже есть");
            }
        }
    }
    return {};
}

// Rule 11. Entries name programs 1..16; any other byte below 101 counts as a
// used entry that refers to no program, reported like an empty one instead
// of being looked up outside the program table.
std::string checkCalendar(const Configuration& c) {
    std::string message;
    bool used = false;
    for (const auto& day : c.Calendar) {
        for (const auto& e : day) {
            const int index = int(e.program) - 1;
            if (index >= 100) continue;
            used = true;
            const bool exists = index >= 0 && index < ProgramCount;
            if (!exists || isProgramEmpty(c, index))
                message = "Запись в календаре ссылается на пустую программу №" + num(e.program);
        }
    }
    if (!used) message = "Пустой каледарь";
    return message;
}

// Rules 4, 5, 6 (its scan), 10 and 11 look at the whole configuration. They
// are reported with whichever program gets that far, so one run over all
// programs works them out once, when first needed.
class ConfigurationFindings {
public:
    explicit ConfigurationFindings(const Configuration& c) : c_(c) {}
    const std::string& outputs() {
        if (!outputs_) outputs_ = checkOutputs(c_);
        return *outputs_;
    }
    const CallTactUse& callTacts() {
        if (!callTacts_) callTacts_ = findCallTacts(c_);
        return *callTacts_;
    }
    const std::string& calendar() {
        if (!calendar_) calendar_ = checkCalendar(c_);
        return *calendar_;
    }

private:
    const Configuration& c_;
    std::optional<std::string> outputs_;
    std::optional<CallTactUse> callTacts_;
    std::optional<std::string> calendar_;
};

// Rule 3: the lowest direction with an empty cell, then its lowest tact.
// Walks the rows in memory order and only looks left of the best so far.
std::string checkEmptyCells(const Configuration& c, int program) {
    int bestDirection = DirectionCount;
    int bestTact = -1;
    for (int t = 0; t < TactCount && bestDirection > 0; ++t) {
        if (c.TactTable[program][t].kind < 1) continue;
        const auto& row = c.TactSignals[program][t];
        for (int d = 0; d < bestDirection; ++d)
            if (row[d] == SignalNotSet && isUsedDirection(c.DirectionKind[d])) {
                bestDirection = d;
                bestTact = t;
                break;
            }
    }
    if (bestTact < 0) return {};
    return "( Программа № " + num(program + 1) + "   Такт №" + num(bestTact + 1) + "   Направление №" +
           num(bestDirection + 1) + " ) - Пустая ячейка";
}

std::string programMessage(const Configuration& c, ConfigurationFindings& whole, int program) {
    const auto& tacts = c.TactTable[program];
    auto kind = [&](int t) { return tacts[t].kind; };

    // 1. First tact.
    const int32_t first = kind(0);
    if (first != TactEmpty && first != TactPhase && first != TactTvp1 && first != TactTvp2)
        return programTact(program, 1) + " - Цикл должен начинаться с такта 'Фаза' или 'ТВП'";

    // 2. Gaps.
    for (int t = 1; t < TactCount; ++t)
        if (kind(t) >= 1 && kind(t - 1) == TactEmpty) return programTact(program, t) + " - Укажите вид такта";

    // 3. Empty cells.
    if (auto m = checkEmptyCells(c, program); !m.empty()) return m;

    // 4. First direction.
    if (!isNormalDirection(c.DirectionKind[0])) return "Установите направление";

    // 5. Outputs.
    if (const auto& m = whole.outputs(); !m.empty()) return m;

    // 6. Call tacts in all programs.
    if (auto m = checkCallTactsEverywhere(c, whole.callTacts(), program); !m.empty()) return m;

    // 7. Intermediate after a call tact.
    for (int t = 0; t < TactCount - 1; ++t)
        if ((kind(t) == TactTvp1 || kind(t) == TactTvp2) && kind(t + 1) == TactIntermediate)
            return programTact(program, t + 2) + " - После такта 'ТВП' запрещается установка такта 'Промтакт’";

    // 8. Call tacts only.
    const bool hasCall = hasTactOfKind(c, program, TactTvp1) || hasTactOfKind(c, program, TactTvp2);
    const bool hasOrdinary = hasTactOfKind(c, program, TactPhase) || hasTactOfKind(c, program, TactIntermediate);
    if (hasCall && !hasOrdinary)
        return "( Программа № " + num(program + 1) + " ) - Нельзя использовать одни такты 'ТВП'";

    // 9. One group per call input.
    if (auto m = checkSingleCallGroups(c, program); !m.empty()) return m;

    // 10. Delays.
    if (parseDelay(c.Tvp1Delay) > 255) return "Задержка срабатывания 'ТВП1' не может превышать 255 секунд";
    if (parseDelay(c.Tvp2Delay) > 255) return "Задержка срабатывания 'ТВП2' не может превышать 255 секунд";

    // 11. Calendar.
    return whole.calendar();
}

int report(const std::string& message, ErrorList& list) {
    list.clear();
    list.add(message.empty() ? std::string(kNoErrorsText) : message);
    return message.empty() ? 0 : 1;
}

}  // namespace

int validateProgram(const Configuration& c, int program, ErrorList& list) {
    if (program < FirstUserProgram || program >= ProgramCount) return report({}, list);
    ConfigurationFindings whole(c);
    return report(programMessage(c, whole, program), list);
}

int validateConfiguration(const Configuration& c, ErrorList& list) {
    ConfigurationFindings whole(c);
    int result = 0;
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        result = report(programMessage(c, whole, p), list);
        if (result == 1) break;
    }
    return result;
}

}  // namespace livra
