// Written straight from the rules, one rule at a time, without shortcuts, so
// that it shares no code and no cleverness with the check and the encoder.
#include "oracle/image_oracle.h"

#include <climits>
#include <cstdint>

namespace livra::oracle {
namespace {

std::string num(long v) { return std::to_string(v); }

bool countedKind(int k) { return (k >= 1 && k <= 9) || k == 12 || k == 13; }

// The decimal parse of a delay field: leading blanks, an optional sign, then
// digits; whatever does not parse counts as 0. Very large values are held at
// the largest 32-bit value.
long delayValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) i++;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        i++;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX;
        i++;
    }
    if (negative) value = -value;
    return long(value);
}

int kindAt(const Configuration& c, int p, int t) { return c.TactTable[p][t].kind; }

bool programEmpty(const Configuration& c, int p) { return kindAt(c, p, 0) == 0; }

// The message of one user program; empty when it breaks no rule.
std::string checkProgram(const Configuration& c, int p) {
    const long P = p + 1;

    // 1. The first tact.
    const int k0 = kindAt(c, p, 0);
    if (k0 != 0 && k0 != 1 && k0 != 3 && k0 != 4)
        return "( Программа № " + num(P) + "   Такт №1 ) - Цикл должен начинаться с такта 'Фаза' или 'ТВП'";

    // 2. Gaps.
    for (int t = 1; t <= 320; t++) {
        const int k = kindAt(c, p, t);
        if (k >= 1 && kindAt(c, p, t - 1) == 0)
            return "( Программа № " + num(P) + "   Такт №" + num(t) + " ) - Укажите вид такта";
    }

    // 3. Empty cells.
    for (int d = 0; d <= 62; d++) {
        if (!countedKind(c.DirectionKind[d])) continue;
        for (int t = 0; t <= 320; t++) {
            if (kindAt(c, p, t) < 1) continue;
            if (c.TactSignals[p][t][d] == 0)
                return "( Программа № " + num(P) + "   Такт №" + num(t + 1) + "   Направление №" + num(d + 1) +
                       " ) - Пустая ячейка";
        }
    }

    // 4. The first direction.
    if (!(c.DirectionKind[0] >= 1 && c.DirectionKind[0] <= 9)) return "Установите направление";

    // 5. Outputs.
    std::string message;
    const std::string fullText =
        " ) - Нет полного подключения к каналам\nКаналы отключать запрещено, исключение  желтый у транспортного";
    for (int d = 0; d <= 62; d++) {
        const auto& slot = c.DirectionChannels[d];
        const std::string D = num(d + 1);
        switch (c.DirectionKind[d]) {
            case 1:
            case 2:
                if (slot[0] == 0 || slot[2] == 0) message = "( Направление №" + D + fullText;
                break;
            case 4:
                if (slot[0] == 0) message = "( Направление №" + D + fullText;
                break;
            case 5:
                if (slot[1] == 0) message = "( Направление №" + D + fullText;
                break;
            case 6:
                if (slot[2] == 0) message = "( Направление №" + D + fullText;
                break;
            case 7:
                if (slot[3] == 0 || slot[6] == 0) message = "( Направление №" + D + fullText;
                break;
            case 8:
                if (slot[4] == 0 || slot[6] == 0) message = "( Направление №" + D + fullText;
                break;
            case 9:
                if (slot[5] == 0 || slot[6] == 0) message = "( Направление №" + D + fullText;
                break;
            case 12:
                if (slot[2] == 0) message = "( Направление №" + D + " ) - Направлению 'ТВП1' не присвоен номер канала";
                break;
            case 13:
                if (slot[2] == 0) message = "( Направление №" + D + " ) - Направлению 'ТВП2' не присвоен номер канала";
                break;
            default: break;
        }
        if (c.DirectionKind[d] == 1 && slot[1] == 0) {
            for (int q = 3; q <= 15; q++)
                for (int t = 0; t <= 320; t++) {
                    const int s = c.TactSignals[q][t][d];
                    if (s == 2 || s == 4 || s == 6)
                        message = "( Направление №" + D + " )отключен выход по желтому, а прогр.№" + num(q + 1) +
                                  "  такт№" + num(t + 1) + " использует желтый сигнал";
                }
        }
    }
    if (!message.empty()) return message;

    // 6. Call tacts in all programs.
    int tvp1Program = -1, tvp1Tact = -1, tvp2Program = -1, tvp2Tact = -1;
    for (int q = 3; q <= 15; q++)
        for (int t = 0; t <= 320; t++) {
            if (kindAt(c, q, t) == 3) tvp1Program = q, tvp1Tact = t;
            if (kindAt(c, q, t) == 4) tvp2Program = q, tvp2Tact = t;
        }
    if (!programEmpty(c, p)) {
        bool has3 = false, has4 = false;
        for (int t = 0; t <= 320; t++) {
            if (kindAt(c, p, t) == 3) has3 = true;
            if (kindAt(c, p, t) == 4) has4 = true;
        }
        if (tvp1Program >= 0 && !has3)
            return "В программе№" + num(P) + " нет такта 'ТВП1', а в программе№" + num(tvp1Program + 1) + "   такт№" +
                   num(tvp1Tact + 1) + " есть\nУстановите такт 'ТВП1', либо удалите из обеих программ";
        if (tvp2Program >= 0 && !has4)
            return "В программе№" + num(P) + " нет такта 'ТВП2', а в программе№" + num(tvp2Program + 1) + "   такт№" +
                   num(tvp2Tact + 1) + " есть\nУстановите такт 'ТВП2', либо удалите из обеих программ";
    }

    // 7. No intermediate tact right after a call tact.
    for (int t = 0; t <= 319; t++) {
        const int k = kindAt(c, p, t);
        if ((k == 3 || k == 4) && kindAt(c, p, t + 1) == 2)
            return "( Программа № " + num(P) + "   Такт №" + num(t + 2) +
                   " ) - После такта 'ТВП' запрещается установка такта 'Промтакт\u2019";
    }

    // 8. Call tacts alone.
    bool hasCall = false, hasOther = false;
    for (int t = 0; t <= 320; t++) {
        const int k = kindAt(c, p, t);
        if (k == 3 || k == 4) hasCall = true;
        if (k == 1 || k == 2) hasOther = true;
    }
    if (hasCall && !hasOther) return "( Программа № " + num(P) + " ) - Нельзя использовать одни такты 'ТВП'";

    // 9. One group of each call kind.
    int state3 = 0, state4 = 0;
    for (int t = 0; t <= 319; t++) {
        const int k = kindAt(c, p, t);
        if (state3 == 0) {
            if (k == 3) state3 = 1;
        } else if (state3 == 1) {
            if (k != 3) state3 = 2;
        } else if (k == 3) {
            return "( Программа № " + num(P) + "   Такт №" + num(t + 1) + " ) - Группа 'ТВП1' уже есть";
        }
        if (state4 == 0) {
            if (k == 4) state4 = 1;
        } else if (state4 == 1) {
            if (k != 4) state4 = 2;
        } else if (k == 4) {
            return "( Программа № " + num(P) + "   Такт №" + num(t + 1) + " ) - Группа 'ТВП2' уже есть";
        }
    }

    // 10. Delays.
    if (delayValue(c.Tvp1Delay) > 255) return "Задержка срабатывания 'ТВП1' не может превышать 255 секунд";
    if (delayValue(c.Tvp2Delay) > 255) return "Задержка срабатывания 'ТВП2' не может превышать 255 секунд";

    // 11. Calendar. A program byte of 0..100 counts as used (byte - 1 < 100);
    // one that names no program at all (0, 17..100) is as bad as an empty one.
    bool anyUsed = false;
    for (int day = 0; day < 7; day++)
        for (int e = 0; e < 24; e++) {
            const int programByte = c.Calendar[day][e].program;
            if (programByte - 1 >= 100) continue;
            anyUsed = true;
            const int index = programByte - 1;
            if (index < 0 || index > 15 || programEmpty(c, index))
                message = "Запись в календаре ссылается на пустую программу №" + num(programByte);
        }
    if (!message.empty()) return message;
    if (!anyUsed) return "Пустой каледарь";
    return "";
}

void put32(Bytes& out, uint32_t v) {
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t((v >> 8) & 0xFF));
    out.push_back(uint8_t((v >> 16) & 0xFF));
    out.push_back(uint8_t((v >> 24) & 0xFF));
}

uint8_t outputCode(int kind, int signal) {
    switch (kind) {
        case 1:
            if (signal == 1) return 0x01;
            if (signal == 2) return 0x02;
            if (signal == 3) return 0x04;
            if (signal == 4) return 0x22;
            if (signal == 5) return 0x44;
            if (signal == 6) return 0x03;
            return 0x00;
        case 2:
            if (signal == 1) return 0x01;
            if (signal == 3) return 0x04;
            if (signal == 5) return 0x44;
            return 0x00;
        case 4: return signal == 1 ? 0x01 : 0x00;
        case 5:
            if (signal == 2) return 0x02;
            if (signal == 4) return 0x22;
            return 0x00;
        case 6:
            if (signal == 3) return 0x04;
            if (signal == 5) return 0x44;
            return 0x00;
        case 12:
        case 13: return signal == 1 ? 0x04 : 0x00;
        case 7:
            if (signal == 1) return 0x40;
            if (signal == 3) return 0x01;
            return 0x00;
        case 8:
            if (signal == 1) return 0x40;
            if (signal == 3) return 0x02;
            return 0x00;
        case 9:
            if (signal == 1) return 0x40;
            if (signal == 3) return 0x04;
            return 0x00;
        default: return 0x00;
    }
}

// A tact kind the image has a code for; anything else counts as an empty tact.
bool knownTactKind(int k) { return k >= 1 && k <= 4; }

}  // namespace

std::string oracleVerdict(const Configuration& c) {
    std::string line;
    for (int p = 3; p <= 15; p++) {
        const std::string message = checkProgram(c, p);
        if (!message.empty()) return message;
        line = "Ошибок не обнаружено";
    }
    return line;
}

std::array<Bytes, 10> oracleImage(const Configuration& c) {
    std::array<Bytes, 10> part;

    // decod_Ee_obcolnap.snt: the number of counted directions.
    int counted = 0;
    for (int d = 0; d < 63; d++)
        if (countedKind(c.DirectionKind[d])) counted++;
    part[2].push_back(uint8_t(counted));
    // The records carry one byte for each direction index below the count.
    const int directionBytes = counted;

    // decod_Ertvp.snt: call inputs and their delays.
    uint8_t tvp1Channel = 0, tvp2Channel = 0;
    for (int d = 0; d < 63; d++) {
        if (c.DirectionKind[d] == 12) tvp1Channel = c.DirectionChannels[d][2];
        if (c.DirectionKind[d] == 13) tvp2Channel = c.DirectionChannels[d][2];
    }
    part[3].push_back(tvp1Channel);
    part[3].push_back(tvp2Channel);
    for (const std::string* text : {&c.Tvp1Delay, &c.Tvp2Delay}) {
        long v = delayValue(*text);
        if (v < 0) v = 0;  // a negative delay means no delay
        part[3].push_back(uint8_t(v & 0xFF));
    }

    // decod_Ersosttvp.snt: which call tact kinds the calendar's programs use.
    uint8_t use = 0;
    for (int day = 0; day < 7; day++)
        for (int e = 0; e < 24; e++) {
            const int programByte = c.Calendar[day][e].program;
            if (programByte < 1 || programByte > 16) continue;
            for (int t = 0; t < 321; t++) {
                if (kindAt(c, programByte - 1, t) == 3) use |= 0x01;
                if (kindAt(c, programByte - 1, t) == 4) use |= 0x02;
            }
        }
    part[4].push_back(use);

    // decod_Erkanal.snt: channel table.
    std::array<uint8_t, 256> table{};
    for (int n = 1; n <= 63; n++) {
        const auto& slot = c.DirectionChannels[n - 1];
        const int base = 4 * n;
        for (int s = 0; s < 3; s++)
            if (slot[s] != 0) table[base + s] = slot[s];
        for (int s = 3; s < 6; s++)
            if (slot[s] != 0) table[base + s - 3] = slot[s];
        if (c.DirectionKind[n - 1] == 7 && slot[6] != 0) table[base + 3] = slot[6];
    }
    for (int i = 1; i <= 255; i++) part[1].push_back(table[i]);

    // decod_Eemaskonf.snt: monitoring masks.
    for (int n = 1; n <= 63; n++) {
        uint8_t mask = 0;
        for (int s = 0; s < 3; s++) {
            if (c.DirectionControl[n - 1][s] == 1) mask |= uint8_t(1 << s);
            if (c.DirectionControl[n - 1][s] == 2) mask |= uint8_t(1 << (s + 4));
        }
        part[5].push_back(mask);
    }
    part[5].push_back(0);

    // decod_Ee_bud.snt and decod_Ee_nprog.snt: the calendar.
    std::array<uint16_t, 168> words{};
    std::array<uint8_t, 168> programs{};
    int taken = 0;
    for (int day = 0; day < 7; day++)
        for (int e = 0; e < 24; e++) {
            const auto& entry = c.Calendar[day][e];
            if (entry.minute < 100 && entry.hour < 100) {
                words[taken] = uint16_t(1440 * (day + 1) + 60 * entry.hour + entry.minute);
                programs[taken] = entry.program;
                taken++;
            }
        }
    for (int i = 0; i < 168; i++) {
        part[8].push_back(uint8_t(words[i] & 0xFF));
        part[8].push_back(uint8_t(words[i] >> 8));
        part[0].push_back(programs[i]);
    }

    // decod_programmosn.snt and decod_Ee_nacprogppz.snt: the tact records and where each program starts.
    uint32_t offset = 0;
    for (int p = 0; p < 16; p++) {
        put32(part[9], offset);
        for (int t = 0; t <= 320; t++) {
            const Tact& tact = c.TactTable[p][t];
            const bool empty = !knownTactKind(tact.kind);
            const bool last = t == 320 || empty || !knownTactKind(c.TactTable[p][t + 1].kind);
            Bytes record;
            uint8_t code = 0x12;
            if (tact.kind == 1) code = 0x01;
            if (tact.kind == 2) code = 0x02;
            if (tact.kind == 3) code = 0x04;
            if (tact.kind == 4) code = 0x08;
            if (last) code |= 0x10;
            record.push_back(code);
            // An empty tact is written without times so that nobody reading the
            // record back takes its leftover main time for a tact.
            record.push_back(empty ? 0 : uint8_t(tact.tMin & 0xFF));
            record.push_back(empty ? 0 : uint8_t(tact.tMain & 0xFF));
            for (int d = 0; d < directionBytes; d++) {
                record.push_back(outputCode(c.DirectionKind[d], c.TactSignals[p][t][d]));
                if (c.DirectionKind[d] == 9 && d >= 2) {
                    uint8_t& first = record[record.size() - 3];
                    uint8_t& second = record[record.size() - 2];
                    uint8_t& third = record[record.size() - 1];
                    if (first == 0x40 && second == 0x40 && third == 0x40) {
                        first = 0x01;
                        second = 0x02;
                        third = 0x04;
                    } else if (third == 0x04 || second == 0x02 || first == 0x01) {
                        first |= 0x08;
                    }
                }
            }
            unsigned sum = 0;
            for (uint8_t b : record) sum += b;
            record.push_back(uint8_t(~(sum % 256)));
            part[7].insert(part[7].end(), record.begin(), record.end());
            offset += uint32_t(record.size());
            if (last) break;
        }
    }

    // decod_Ee_napavima.snt: header.
    put32(part[6], uint32_t(part[7].size()));
    part[6].push_back(c.ChannelCount);
    for (int d = 0; d < 63; d++) part[6].push_back(c.DirectionKind[d]);
    part[6].push_back(c.ChannelCount);

    return part;
}

}  // namespace livra::oracle
