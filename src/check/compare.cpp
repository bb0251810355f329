#include "check/compare.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "check/image_limits.h"
#include "image/image.h"

namespace livra {
namespace {

const char* const kDayNames[DayCount] = {"понедельник", "вторник", "среда",      "четверг",
                                         "пятница",     "суббота", "воскресенье"};

std::string signalText(uint8_t s) {
    if (const char* name = signalName(s)) return name;
    switch (s) {
        case SignalNotSet: return "не задан";
        case SignalNotApplicable: return "н/п";
        default: return "код " + std::to_string(s);
    }
}

std::string kindText(uint8_t kind) {
    const std::string label = directionKindLabel(kind);
    return label.empty() ? "нет" : label.substr(3);  // without the leading " - "
}

std::string tactKindText(int32_t kind) {
    const std::string name = tactKindName(kind);
    return name.empty() ? "пустой" : name;
}

std::string channelText(uint8_t channel) { return channel == 0 ? "нет" : std::to_string(channel); }

std::string modeText(uint8_t mode) {
    switch (mode) {
        case ControlVoltage: return "напряжения";
        case ControlCurrent: return "тока";
        default: return "выкл.";
    }
}

std::string arrow(const std::string& a, const std::string& b) { return a + " → " + b; }

int tactCount(const Configuration& c, int p) {
    int n = 0;
    while (n < TactCount && c.TactTable[p][n].kind != TactEmpty) ++n;
    return n;
}

std::string alarmsText(const CalendarDay& day) {
    std::string out;
    for (const CalendarEntry& e : day) {
        if (e.empty()) continue;
        if (!out.empty()) out += "; ";
        char time[8];
        std::snprintf(time, sizeof time, "%02u:%02u", unsigned(e.hour % 100), unsigned(e.minute % 100));
        out += std::string(time) + " прогр. " + std::to_string(e.program);
    }
    return out.empty() ? "нет переключений" : out;
}

void compareDirections(const Configuration& a, const Configuration& b, std::vector<std::string>& out) {
    for (int d = 0; d < DirectionCount; ++d) {
        const std::string name = "Направление " + std::to_string(d + 1);
        const uint8_t kind = a.DirectionKind[d];
        if (kind != b.DirectionKind[d]) {
            out.push_back(name + ": вид " + arrow(kindText(kind), kindText(b.DirectionKind[d])));
            continue;  // the slots of another kind mean other lamps
        }
        for (int s = 0; s < SlotCount; ++s) {
            // The tram's common lamp is one channel, told once with the first row.
            if (s == 6 && (kind == DirTram2 || kind == DirTram3)) continue;
            const std::string slot = name + ", ячейка " + std::to_string(s + 1) + ": ";
            if (a.DirectionChannels[d][s] != b.DirectionChannels[d][s])
                out.push_back(slot + "канал " +
                              arrow(channelText(a.DirectionChannels[d][s]), channelText(b.DirectionChannels[d][s])));
            if (a.DirectionControl[d][s] != b.DirectionControl[d][s])
                out.push_back(slot + "контроль " +
                              arrow(modeText(a.DirectionControl[d][s]), modeText(b.DirectionControl[d][s])));
        }
    }
}

void compareProgram(const Configuration& a, const Configuration& b, int p, std::vector<std::string>& out) {
    const std::string name = "Программа " + programTitle(p);
    const int na = tactCount(a, p), nb = tactCount(b, p);
    if (na != nb) out.push_back(name + ": тактов " + arrow(std::to_string(na), std::to_string(nb)));
    for (int t = 0; t < std::min(na, nb); ++t) {
        const Tact& x = a.TactTable[p][t];
        const Tact& y = b.TactTable[p][t];
        const std::string tact = name + ", такт " + std::to_string(t + 1) + ": ";
        if (x.kind != y.kind) out.push_back(tact + "вид " + arrow(tactKindText(x.kind), tactKindText(y.kind)));
        if (x.tMin != y.tMin) out.push_back(tact + "Т мин " + arrow(std::to_string(x.tMin), std::to_string(y.tMin)));
        if (x.tMain != y.tMain)
            out.push_back(tact + "Т осн " + arrow(std::to_string(x.tMain), std::to_string(y.tMain)));
        for (int d = 0; d < DirectionCount; ++d) {
            // A direction on one side only is told once, by its kind.
            if (!isUsedDirection(a.DirectionKind[d]) || !isUsedDirection(b.DirectionKind[d])) continue;
            const uint8_t sa = a.TactSignals[p][t][d], sb = b.TactSignals[p][t][d];
            if (sa != sb) out.push_back(tact + "напр. " + std::to_string(d + 1) + " " + arrow(signalText(sa), signalText(sb)));
        }
    }
}

std::string hex(uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", unsigned(b));
    return text;
}

uint32_t word32(const Bytes& bytes, std::size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// Bytes the decoder reads more coarsely than the controller (output codes it
// takes as "off", a call input's code outside its own tacts, the filler
// record of an empty program, the call-input use byte): told by where they
// are, with the codes.
void rawDifferences(const ImageFiles& x, const ImageFiles& y, std::vector<std::string>& out) {
    for (const ImagePart& part : imageParts()) {
        const std::size_t i = std::size_t(part.number - 1);
        const Bytes& a = x[i];
        const Bytes& b = y[i];
        if (a == b) continue;
        if (part.number == PartPrograms && a.size() == b.size() && x[PartProgramOffsets - 1] == y[PartProgramOffsets - 1] &&
            x[PartDirectionCount - 1] == y[PartDirectionCount - 1]) {
            const std::size_t length = std::size_t(x[PartDirectionCount - 1][0]) + 4;
            for (std::size_t k = 0; k < a.size(); ++k) {
                if (a[k] == b[k]) continue;
                int p = 0;
                for (int q = 1; q < ProgramCount; ++q)
                    if (word32(x[PartProgramOffsets - 1], std::size_t(q) * 4) <= k) p = q;
                const std::size_t at = k - word32(x[PartProgramOffsets - 1], std::size_t(p) * 4);
                const std::size_t field = at % length;
                if (field == length - 1) continue;  // the check byte follows the others
                const std::string what = field == 0   ? "код вида"
                                         : field == 1 ? "код Т мин"
                                         : field == 2 ? "код Т осн"
                                                      : "напр. " + std::to_string(field - 2) + " код";
                out.push_back("Программа " + programTitle(p) + ", такт " + std::to_string(at / length + 1) + ": " +
                              what + " " + arrow(hex(a[k]), hex(b[k])));
            }
            continue;
        }
        if (part.number == PartCallTactUse && a.size() == 1 && b.size() == 1) {
            out.push_back("Вызовы ТВП в программах календаря: код " + arrow(hex(a[0]), hex(b[0])));
            continue;
        }
        std::size_t k = 0;
        while (k < a.size() && k < b.size() && a[k] == b[k]) ++k;
        auto byteAt = [k](const Bytes& bytes) { return k < bytes.size() ? hex(bytes[k]) : std::string("нет"); };
        out.push_back(std::string("Образ ДК, файл '") + part.fileName + "': байт " + std::to_string(k + 1) + " " +
                      arrow(byteAt(a), byteAt(b)));
    }
}

// The first finding of the image-limits check and of the one-byte fields.
std::optional<std::string> limitsFinding(const Configuration& c) {
    VectorErrorList list;
    if (checkImageLimits(c, list) != 0)
        return list.lines.empty() ? std::string("Образ ДК не переносит конфигурацию") : list.lines.front();
    // The fixed programs and the other times go into one byte as well, and a
    // tact with no main time would end up as an empty one.
    for (int p = 0; p < ProgramCount; ++p)
        for (int t = 0; t < TactCount && c.TactTable[p][t].kind != TactEmpty; ++t) {
            const Tact& tact = c.TactTable[p][t];
            const std::string where =
                "( Программа № " + std::to_string(p + 1) + "   Такт №" + std::to_string(t + 1) + " ) - ";
            if (tact.kind < TactEmpty || tact.kind > TactTvp2) return where + "Укажите вид такта";
            if (tact.tMain < 1) return where + "Т осн. не может быть 0 сек";
            if (tact.tMin < 0 || tact.tMin > 255 || tact.tMain > 255)
                return where + "Время такта не может превышать 255 сек";
        }
    for (int i = 0; i < 2; ++i) {
        const long delay = parseDelay(i == 0 ? c.Tvp1Delay : c.Tvp2Delay);
        if (delay < 0 || delay > 255)
            return std::string(i == 0 ? "ТВП1" : "ТВП2") + " Задержка не может превышать 255 сек";
    }
    return std::nullopt;
}

constexpr const char* kNotAnImage = "Количество каналов или расположение направлений не подходит для ДК";

}  // namespace

std::optional<std::string> imageFinding(const Configuration& c) {
    if (auto f = limitsFinding(c)) return f;
    if (!decodeImage(encodeImage(c))) return std::string(kNotAnImage);
    return std::nullopt;
}

std::vector<std::string> compareImages(const ImageFiles& first, const ImageFiles& second) {
    const auto x = decodeImage(first);
    const auto y = decodeImage(second);
    if (!x) return {std::string("Конфигурация А: ") + kNotAnImage};
    if (!y) return {std::string("Конфигурация Б: ") + kNotAnImage};
    std::vector<std::string> out;
    if (x->ChannelCount != y->ChannelCount)
        out.push_back("Количество каналов: " + arrow(std::to_string(x->ChannelCount), std::to_string(y->ChannelCount)));
    if (x->Tvp1Delay != y->Tvp1Delay) out.push_back("Задержка ТВП1, сек: " + arrow(x->Tvp1Delay, y->Tvp1Delay));
    if (x->Tvp2Delay != y->Tvp2Delay) out.push_back("Задержка ТВП2, сек: " + arrow(x->Tvp2Delay, y->Tvp2Delay));
    compareDirections(*x, *y, out);
    for (int p = FirstUserProgram; p < ProgramCount; ++p) compareProgram(*x, *y, p, out);
    for (int p = 0; p < FirstUserProgram; ++p) compareProgram(*x, *y, p, out);
    for (int day = 0; day < DayCount; ++day)
        if (x->Calendar[day] != y->Calendar[day])
            out.push_back(std::string("Календарь, ") + kDayNames[day] + ": " +
                          arrow(alarmsText(x->Calendar[day]), alarmsText(y->Calendar[day])));
    // Equal only when the controller would hold the same bytes.
    if (out.empty() && first != second) rawDifferences(first, second, out);
    return out;
}

std::vector<std::string> compareConfigurations(const Configuration& a, const Configuration& b) {
    if (auto f = limitsFinding(a)) return {"Конфигурация А: " + *f};
    if (auto f = limitsFinding(b)) return {"Конфигурация Б: " + *f};
    return compareImages(encodeImage(a), encodeImage(b));
}

}  // namespace livra
