#include "format/project_json.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "model/cp1251.h"
#include "model/project_file.h"
#include "model/safety_file.h"
#include "plan/plan_objects.h"

namespace livra {
namespace {

using nlohmann::json;

const char* const kDayKeys[DayCount] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

// Programs holding anything (a program with an empty first tact but later
// tacts is invalid, but it is still shown).
bool programListed(const Configuration& c, int p) { return lastListedTact(c, p) >= 0; }

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char ch : s) {
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (ch < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", ch);
                    out += buf;
                } else {
                    out += char(ch);
                }
        }
    }
    return out + "\"";
}


// --- small writers ---

std::string hexBytes(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string base64(std::span<const uint8_t> bytes) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t n = uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                           (i + 2 < bytes.size() ? uint32_t(bytes[i + 2]) : 0);
        out += alphabet[n >> 18 & 63];
        out += alphabet[n >> 12 & 63];
        out += i + 1 < bytes.size() ? alphabet[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? alphabet[n & 63] : '=';
    }
    return out;
}

std::optional<Bytes> fromBase64(std::string_view text) {
    auto value = [](char ch) -> int {
        if (ch >= 'A' && ch <= 'Z') return ch - 'A';
        if (ch >= 'a' && ch <= 'z') return ch - 'a' + 26;
        if (ch >= '0' && ch <= '9') return ch - '0' + 52;
        if (ch == '+') return 62;
        if (ch == '/') return 63;
        return -1;
    };
    if (text.size() % 4 != 0) return std::nullopt;
    Bytes out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            const char ch = text[i + k];
            if (ch == '=' && i + 4 == text.size() && k >= 2) {
                v[k] = 0;
                ++pad;
            } else if (pad || (v[k] = value(ch)) < 0) {
                return std::nullopt;
            }
        }
        const uint32_t n = uint32_t(v[0]) << 18 | uint32_t(v[1]) << 12 | uint32_t(v[2]) << 6 | uint32_t(v[3]);
        out.push_back(uint8_t(n >> 16));
        if (pad < 2) out.push_back(uint8_t(n >> 8));
        if (pad < 1) out.push_back(uint8_t(n));
    }
    return out;
}

// Shortest text that reads back as the same float, the way the reader reads
// it (a double, then a float); nothing when no text does.
std::optional<std::string> floatText(float v) {
    if (!std::isfinite(v)) return std::nullopt;
    // "-0" would read as the whole number 0.
    if (v == 0 && std::signbit(v)) return std::string("-0.0");
    auto same = [v](const std::string& text) {
        return std::bit_cast<uint32_t>(float(std::strtod(text.c_str(), nullptr))) == std::bit_cast<uint32_t>(v);
    };
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string text(buf, r.ptr);
    if (same(text)) return text;
    std::snprintf(buf, sizeof buf, "%.9g", double(v));
    text = buf;
    if (same(text)) return text;
    return std::nullopt;
}

// The plan as records, when its bytes are a picture line ending in CR LF
// followed by whole 58-byte records of finite sizes; else nothing, and the
// plan goes as base64.
std::optional<std::string> planRecordsJson(std::span<const uint8_t> plan) {
    const auto lf = std::find(plan.begin(), plan.end(), uint8_t('\n'));
    if (lf == plan.end() || lf == plan.begin() || *(lf - 1) != '\r') return std::nullopt;
    const std::string line(plan.begin(), lf - 1);
    if (line.find('\r') != std::string::npos || utf8ToCp1251(cp1251ToUtf8(line)) != line) return std::nullopt;
    const auto records = plan.subspan(std::size_t(lf - plan.begin()) + 1);
    if (records.size() % PlanRecordSize != 0) return std::nullopt;
    std::string out = "{\"picture\": " + json(cp1251ToUtf8(line)).dump() + ", \"objects\": [";
    for (std::size_t at = 0; at < records.size(); at += PlanRecordSize) {
        const PlanRecord r = readPlanRecord(records.subspan(at, PlanRecordSize));
        const auto width = floatText(r.width);
        const auto height = floatText(r.height);
        if (!width || !height) return std::nullopt;
        auto n = [](int64_t v) { return std::to_string(v); };
        out += at ? ",\n" : "\n";
        out += "    {\"id\": " + n(r.id) + ", \"owner\": " + n(r.owner) + ", \"direction\": " + n(r.direction) +
               ", \"x\": " + n(r.x) + ", \"y\": " + n(r.y) + ", \"width\": " + *width + ", \"height\": " + *height +
               ", \"angle\": " + n(r.angle) + ", \"stored\": [" + n(r.spriteHandle) + ", " + n(r.baseWidth) + ", " +
               n(r.baseHeight) + ", " + n(r.transparentColor) + ", " + n(r.intensity) + ", " + n(r.highlighted) + ", " +
               n(r.pictureHandle) + ", " + n(r.reserved) + "]}";
    }
    out += records.empty() ? "]}" : "\n  ]}";
    return out;
}

// --- the reader ---

// Reads members into the tables; the first fault stops it with the place.
class Reader {
public:
    std::string error;

    bool fail(const std::string& path, const std::string& what) {
        if (error.empty()) error = (path.empty() ? "документ" : path) + ": " + what;
        return false;
    }

    bool integer(const json& j, const std::string& path, int64_t lo, int64_t hi, int64_t& out) {
        if (!j.is_number_integer())
            return fail(path, "ожидается целое число от " + std::to_string(lo) + " до " + std::to_string(hi));
        // The library keeps every number from 0 up as unsigned: both bounds
        // are checked on that side too (a 0 for a 1-based number indexed -1).
        const bool inRange = j.is_number_unsigned()
                                 ? (lo <= 0 || j.get<uint64_t>() >= uint64_t(lo)) && hi >= 0 &&
                                       j.get<uint64_t>() <= uint64_t(hi)
                                 : j.get<int64_t>() >= lo && j.get<int64_t>() <= hi;
        if (!inRange)
            return fail(path, "число " + j.dump() + " вне " + std::to_string(lo) + ".." + std::to_string(hi));
        out = j.get<int64_t>();
        return true;
    }
    bool byte(const json& j, const std::string& path, uint8_t& out) {
        int64_t v = 0;
        if (!integer(j, path, 0, 255, v)) return false;
        out = uint8_t(v);
        return true;
    }
    bool int32(const json& j, const std::string& path, int32_t& out) {
        int64_t v = 0;
        if (!integer(j, path, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), v))
            return false;
        out = int32_t(v);
        return true;
    }
    // Only the named members; a misspelt one would silently lose the edit.
    bool object(const json& j, const std::string& path, std::initializer_list<const char*> known) {
        if (!j.is_object()) return fail(path, "ожидается объект");
        for (const auto& [key, value] : j.items()) {
            bool ok = false;
            for (const char* k : known) ok = ok || key == k;
            if (!ok) return fail(path.empty() ? key : path + "." + key, "неизвестное поле");
        }
        return true;
    }
    const json* member(const json& j, const std::string& path, const char* key, bool required) {
        const auto it = j.find(key);
        if (it != j.end()) return &*it;
        if (required) fail(path.empty() ? key : path + "." + key, "нет поля");
        return nullptr;
    }
    bool array(const json& j, const std::string& path, std::size_t maxSize) {
        if (!j.is_array()) return fail(path, "ожидается список");
        if (j.size() > maxSize) return fail(path, "больше " + std::to_string(maxSize) + " элементов");
        return true;
    }
    // A text of one line in the file: cp1251, no line end.
    bool lineText(const json& j, const std::string& path, std::string& cp1251) {
        if (!j.is_string()) return fail(path, "ожидается текст");
        const auto& s = j.get_ref<const std::string&>();
        if (s.find_first_of("\r\n") != std::string::npos) return fail(path, "перевод строки внутри текста");
        cp1251 = utf8ToCp1251(s);
        if (cp1251ToUtf8(cp1251) != s) return fail(path, "символ вне кодовой страницы Windows-1251");
        return true;
    }
    // A 1-based number of a list element, not given twice.
    bool number(const json& j, const std::string& path, int count, std::vector<bool>& seen, int& index) {
        int64_t v = 0;
        if (!integer(j, path, 1, count, v)) return false;
        if (seen[std::size_t(v - 1)]) return fail(path, "номер " + std::to_string(v) + " указан дважды");
        seen[std::size_t(v - 1)] = true;
        index = int(v - 1);
        return true;
    }

    bool directions(const json& j, Configuration& c) {
        if (!array(j, "directions", DirectionCount)) return false;
        std::vector<bool> seen(DirectionCount);
        for (std::size_t i = 0; i < j.size(); ++i) {
            const std::string at = "directions[" + std::to_string(i) + "]";
            const json& d = j[i];
            int n = 0;
            if (!object(d, at, {"number", "kind", "channels", "modes"})) return false;
            const json* num = member(d, at, "number", true);
            if (!num || !number(*num, at + ".number", DirectionCount, seen, n)) return false;
            if (const json* k = member(d, at, "kind", false); k && !byte(*k, at + ".kind", c.DirectionKind[n]))
                return false;
            for (const char* key : {"channels", "modes"}) {
                const json* slots = member(d, at, key, false);
                if (!slots) continue;
                const std::string sp = at + "." + key;
                if (!array(*slots, sp, SlotCount)) return false;
                auto& table = key[0] == 'c' ? c.DirectionChannels[n] : c.DirectionControl[n];
                for (std::size_t k = 0; k < slots->size(); ++k)
                    if (!byte((*slots)[k], sp + "[" + std::to_string(k) + "]", table[k])) return false;
            }
        }
        return true;
    }

    bool programs(const json& j, Configuration& c) {
        if (!array(j, "programs", ProgramCount)) return false;
        std::vector<bool> seen(ProgramCount);
        for (std::size_t i = 0; i < j.size(); ++i) {
            const std::string at = "programs[" + std::to_string(i) + "]";
            const json& p = j[i];
            int n = 0;
            if (!object(p, at, {"number", "tacts"})) return false;
            const json* num = member(p, at, "number", true);
            if (!num || !number(*num, at + ".number", ProgramCount, seen, n)) return false;
            const json* tacts = member(p, at, "tacts", false);
            if (!tacts) continue;
            if (!array(*tacts, at + ".tacts", TactCount)) return false;
            std::vector<bool> seenTacts(TactCount);
            for (std::size_t t = 0; t < tacts->size(); ++t) {
                const std::string tp = at + ".tacts[" + std::to_string(t) + "]";
                const json& tact = (*tacts)[t];
                int tn = 0;
                if (!object(tact, tp, {"number", "kind", "tMin", "tMain", "tEnd", "phaseNo", "signals"})) return false;
                const json* tnum = member(tact, tp, "number", true);
                if (!tnum || !number(*tnum, tp + ".number", TactCount, seenTacts, tn)) return false;
                Tact& out = c.TactTable[n][tn];
                const std::pair<const char*, int32_t*> fields[] = {
                    {"kind", &out.kind}, {"tMin", &out.tMin}, {"tMain", &out.tMain},
                    {"tEnd", &out.tEnd}, {"phaseNo", &out.phaseNo}};
                for (const auto& [key, field] : fields)
                    if (const json* v = member(tact, tp, key, false); v && !int32(*v, tp + "." + key, *field))
                        return false;
                const json* signals = member(tact, tp, "signals", false);
                if (!signals) continue;
                if (!array(*signals, tp + ".signals", DirectionCount)) return false;
                for (std::size_t d = 0; d < signals->size(); ++d)
                    if (!byte((*signals)[d], tp + ".signals[" + std::to_string(d) + "]", c.TactSignals[n][tn][d]))
                        return false;
            }
        }
        return true;
    }

    bool calendar(const json& j, Configuration& c) {
        std::initializer_list<const char*> days = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
        if (!object(j, "calendar", days)) return false;
        for (int day = 0; day < DayCount; ++day) {
            const json* entries = member(j, "calendar", kDayKeys[day], false);
            if (!entries) continue;
            const std::string dp = std::string("calendar.") + kDayKeys[day];
            if (!array(*entries, dp, AlarmCount)) return false;
            std::vector<bool> seen(AlarmCount);
            for (std::size_t i = 0; i < entries->size(); ++i) {
                const std::string ep = dp + "[" + std::to_string(i) + "]";
                const json& e = (*entries)[i];
                int n = 0;
                if (!object(e, ep, {"entry", "hour", "minute", "program"})) return false;
                const json* num = member(e, ep, "entry", true);
                if (!num || !number(*num, ep + ".entry", AlarmCount, seen, n)) return false;
                CalendarEntry& out = c.Calendar[day][n];
                for (const auto& [key, field] : {std::pair<const char*, uint8_t*>{"hour", &out.hour},
                                                 {"minute", &out.minute}, {"program", &out.program}}) {
                    const json* v = member(e, ep, key, true);
                    if (!v || !byte(*v, ep + "." + key, *field)) return false;
                }
            }
        }
        return true;
    }

    bool plan(const json& j, Bytes& out) {
        out.clear();
        if (j.is_null()) return true;
        if (j.is_string()) {
            const auto bytes = fromBase64(j.get_ref<const std::string&>());
            if (!bytes) return fail("plan", "не текст base64");
            out = *bytes;
            return true;
        }
        if (!object(j, "plan", {"picture", "objects"})) return false;
        std::string line;
        const json* picture = member(j, "plan", "picture", true);
        if (!picture || !lineText(*picture, "plan.picture", line)) return false;
        out.assign(line.begin(), line.end());
        out.push_back('\r');
        out.push_back('\n');
        const json* objects = member(j, "plan", "objects", false);
        if (!objects) return true;
        if (!array(*objects, "plan.objects", std::size_t(kMaxPlanFileSize / PlanRecordSize))) return false;
        for (std::size_t i = 0; i < objects->size(); ++i) {
            const std::string op = "plan.objects[" + std::to_string(i) + "]";
            const json& o = (*objects)[i];
            if (!object(o, op, {"id", "owner", "direction", "x", "y", "width", "height", "angle", "stored"}))
                return false;
            int32_t id = 0, owner = 0, x = 0, y = 0, angle = 0;
            uint8_t direction = 0;
            float size[2] = {0, 0};
            for (const auto& [key, field] : {std::pair<const char*, int32_t*>{"id", &id}, {"owner", &owner},
                                             {"x", &x}, {"y", &y}, {"angle", &angle}}) {
                const json* v = member(o, op, key, true);
                if (!v || !int32(*v, op + "." + key, *field)) return false;
            }
            const json* dir = member(o, op, "direction", true);
            if (!dir || !byte(*dir, op + ".direction", direction)) return false;
            for (int k = 0; k < 2; ++k) {
                const char* key = k ? "height" : "width";
                const json* v = member(o, op, key, true);
                if (!v) return false;
                if (!v->is_number()) return fail(op + "." + key, "ожидается число");
                const double d = v->get<double>();
                if (!(std::fabs(d) <= double(std::numeric_limits<float>::max())))
                    return fail(op + "." + key, "число " + v->dump() + " вне допустимого");
                size[k] = float(d);
            }
            // The fields the program writes but never reads back; absent, they
            // are what a fresh object of this kind holds.
            int32_t stored[8] = {0, 0, 0, 0, 0, 0, 0, 0};
            const bool label = owner != 0;
            stored[1] = label ? LabelWidth : HeadSize;
            stored[2] = label ? LabelHeight : HeadSize;
            stored[3] = White;
            stored[4] = 255;
            if (const json* s = member(o, op, "stored", false)) {
                if (!array(*s, op + ".stored", 8) || s->size() != 8)
                    return fail(op + ".stored", "ожидается 8 чисел");
                for (int k = 0; k < 8; ++k) {
                    const std::string sp = op + ".stored[" + std::to_string(k) + "]";
                    if (k == 5) {
                        uint8_t b = 0;
                        if (!byte((*s)[k], sp, b)) return false;
                        stored[k] = b;
                    } else if (!int32((*s)[k], sp, stored[k])) {
                        return false;
                    }
                }
            }
            appendPlanRecord(out, {id, owner, stored[0], x, y, size[0], size[1], stored[1], stored[2], angle,
                                   stored[3], stored[4], uint8_t(stored[5]), stored[6], stored[7], direction});
        }
        return true;
    }

    bool head(const json& j, ProjectHead& h) {
        if (!object(j, "fileHead", {"tvp1DelayCp1251", "tvp2DelayCp1251", "lineEnds"})) return false;
        for (int k = 0; k < 2; ++k) {
            const char* key = k ? "tvp2DelayCp1251" : "tvp1DelayCp1251";
            const json* v = member(j, "fileHead", key, false);
            if (!v) continue;
            const std::string p = std::string("fileHead.") + key;
            if (!v->is_string() || v->get_ref<const std::string&>().size() % 2)
                return fail(p, "ожидаются шестнадцатеричные байты");
            std::string bytes;
            const auto& hex = v->get_ref<const std::string&>();
            for (std::size_t i = 0; i < hex.size(); i += 2) {
                unsigned value = 0;
                const auto r = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
                if (r.ec != std::errc() || r.ptr != hex.data() + i + 2 || value == '\r' || value == '\n')
                    return fail(p, "ожидаются шестнадцатеричные байты одной строки");
                bytes += char(value);
            }
            (k ? h.delay2 : h.delay1) = bytes;
        }
        if (const json* ends = member(j, "fileHead", "lineEnds", false)) {
            if (!array(*ends, "fileHead.lineEnds", 3) || ends->size() != 3)
                return fail("fileHead.lineEnds", "ожидается 3 перевода строки");
            for (int k = 0; k < 3; ++k) {
                const json& e = (*ends)[std::size_t(k)];
                if (!e.is_string() || (e != "\r\n" && e != "\r" && e != "\n"))
                    return fail("fileHead.lineEnds[" + std::to_string(k) + "]", "ожидается \"\\r\\n\", \"\\r\" или \"\\n\"");
                h.ends[k] = e.get<std::string>();
            }
        }
        return true;
    }
};

void dumpJsonFileMembers(const Configuration& c, std::ostream& out, const ProjectHead& head,
                         std::span<const uint8_t> plan) {
    // The delay texts are shown as UTF-8; a byte that has no character there
    // is kept as the stored bytes, and so is a line end other than CR LF.
    std::string extra;
    if (utf8ToCp1251(c.Tvp1Delay) != head.delay1) extra += "\"tvp1DelayCp1251\": \"" + hexBytes(head.delay1) + "\"";
    if (utf8ToCp1251(c.Tvp2Delay) != head.delay2)
        extra += (extra.empty() ? "" : ", ") + std::string("\"tvp2DelayCp1251\": \"") + hexBytes(head.delay2) + "\"";
    if (head.ends[0] != "\r\n" || head.ends[1] != "\r\n" || head.ends[2] != "\r\n")
        extra += (extra.empty() ? "" : ", ") + std::string("\"lineEnds\": [") + json(head.ends[0]).dump() + ", " +
                 json(head.ends[1]).dump() + ", " + json(head.ends[2]).dump() + "]";
    if (!extra.empty()) out << ",\n  \"fileHead\": {" << extra << "}";
    out << ",\n  \"plan\": ";
    if (plan.empty())
        out << "null";
    else if (auto records = planRecordsJson(plan))
        out << *records;
    else
        out << '"' << base64(plan) << '"';
}

void dumpJson(const Configuration& c, std::ostream& out, const ProjectHead& head, std::span<const uint8_t> plan,
              const SafetyData* safety) {
    out << "{\n  \"format\": \"livra-configuration\",\n  \"version\": 1,\n";
    out << "  \"channelCount\": " << int(c.ChannelCount) << ",\n";
    out << "  \"tvp1Delay\": " << jsonString(c.Tvp1Delay) << ",\n";
    out << "  \"tvp2Delay\": " << jsonString(c.Tvp2Delay) << ",\n";
    out << "  \"freeChannels\": [";
    for (int i = 0; i < DirectionCount; ++i) out << (i ? ", " : "") << int(c.FreeChannels[i]);
    out << "],\n  \"directions\": [";
    bool first = true;
    for (int d = 0; d < DirectionCount; ++d) {
        if (!directionListed(c, d)) continue;
        out << (first ? "\n" : ",\n") << "    {\"number\": " << d + 1 << ", \"kind\": " << int(c.DirectionKind[d])
            << ", \"channels\": [";
        for (int k = 0; k < SlotCount; ++k) out << (k ? ", " : "") << int(c.DirectionChannels[d][k]);
        out << "], \"modes\": [";
        for (int k = 0; k < SlotCount; ++k) out << (k ? ", " : "") << int(c.DirectionControl[d][k]);
        out << "]}";
        first = false;
    }
    out << (first ? "],\n" : "\n  ],\n");
    const int width = signalWidth(c);
    out << "  \"programs\": [";
    first = true;
    for (int p = 0; p < ProgramCount; ++p) {
        if (!programListed(c, p)) continue;
        out << (first ? "\n" : ",\n") << "    {\"number\": " << p + 1 << ", \"tacts\": [";
        const int last = lastListedTact(c, p);
        for (int t = 0; t <= last; ++t) {
            const auto& tact = c.TactTable[p][t];
            out << (t ? ",\n" : "\n") << "      {\"number\": " << t + 1 << ", \"kind\": " << tact.kind
                << ", \"tMin\": " << tact.tMin << ", \"tMain\": " << tact.tMain << ", \"tEnd\": " << tact.tEnd
                << ", \"phaseNo\": " << tact.phaseNo << ", \"signals\": [";
            for (int d = 0; d < width; ++d) out << (d ? ", " : "") << int(c.TactSignals[p][t][d]);
            out << "]}";
        }
        out << (last >= 0 ? "\n    ]}" : "]}");
        first = false;
    }
    out << (first ? "],\n" : "\n  ],\n");
    out << "  \"calendar\": {";
    for (int day = 0; day < DayCount; ++day) {
        out << (day ? ",\n" : "\n") << "    \"" << kDayKeys[day] << "\": [";
        bool firstEntry = true;
        for (int e = 0; e < AlarmCount; ++e) {
            const auto& entry = c.Calendar[day][e];
            if (entry.empty()) continue;
            out << (firstEntry ? "" : ", ") << "{\"entry\": " << e + 1 << ", \"hour\": " << int(entry.hour)
                << ", \"minute\": " << int(entry.minute) << ", \"program\": " << int(entry.program) << "}";
            firstEntry = false;
        }
        out << "]";
    }
    out << "\n  }";
    dumpJsonFileMembers(c, out, head, plan);
    // The safety file's own text, indented as a member of this object.
    const std::string text = safety && safety->needsFile() ? safetyJson(*safety, c) : "null\n";
    std::string indented;
    for (size_t i = 0; i < text.size(); ++i) {
        indented += text[i];
        if (text[i] == '\n' && i + 1 < text.size()) indented += "  ";
    }
    out << ",\n  \"safety\": " << indented << "}\n";
}

}  // namespace

bool directionListed(const Configuration& c, int d) {
    if (c.DirectionKind[d] != 0) return true;
    for (int k = 0; k < SlotCount; ++k)
        if (c.DirectionChannels[d][k] || c.DirectionControl[d][k]) return true;
    return false;
}

int lastListedTact(const Configuration& c, int p) {
    int last = -1;
    for (int t = 0; t < TactCount; ++t) {
        const auto& tact = c.TactTable[p][t];
        bool any = tact.kind || tact.tMin || tact.tMain || tact.tEnd || tact.phaseNo;
        for (uint8_t s : c.TactSignals[p][t]) any = any || s;
        if (any) last = t;
    }
    return last;
}

int signalWidth(const Configuration& c) {
    int n = 0;
    for (int d = 0; d < DirectionCount; ++d)
        if (c.DirectionKind[d]) n = d + 1;
    for (const auto& program : c.TactSignals)
        for (const auto& row : program)
            for (int d = DirectionCount - 1; d >= n; --d)
                if (row[d]) {
                    n = d + 1;
                    break;
                }
    return n;
}

std::optional<std::string> projectToJson(std::span<const uint8_t> file, const SafetyData* safety) {
    const auto parsed = parseProject(file);
    const auto head = readProjectHead(file);
    if (!parsed || !head) return std::nullopt;
    std::ostringstream text;
    dumpJson(*parsed->config, text, *head, parsed->plan, safety);
    return text.str();
}

std::optional<ProjectFromJson> projectFromJson(std::string_view text, std::string& error) {
    json doc;
    // The library tells a syntax fault and its place only by an exception;
    // it goes no further than here.
    try {
        doc = json::parse(text);
    } catch (const json::exception& e) {
        const auto* parse = dynamic_cast<const json::parse_error*>(&e);
        error = parse ? "это не JSON (байт " + std::to_string(parse->byte) + ")" : "это не JSON";
        return std::nullopt;
    }
    Reader r;
    ProjectFromJson result;
    result.config = std::make_unique<Configuration>();
    Configuration& c = *result.config;
    resetConfiguration(c);
    ProjectHead head;
    Bytes plan;
    auto done = [&]() -> std::optional<ProjectFromJson> {
        error = r.error;
        return std::nullopt;
    };

    if (!r.object(doc, "", {"format", "version", "channelCount", "tvp1Delay", "tvp2Delay", "freeChannels",
                             "directions", "programs", "calendar", "fileHead", "plan", "safety"}))
        return done();
    const json* format = r.member(doc, "", "format", true);
    if (!format) return done();
    if (*format != "livra-configuration") return r.fail("format", "ожидается \"livra-configuration\""), done();
    if (const json* v = r.member(doc, "", "version", false); v && *v != 1)
        return r.fail("version", "версия " + v->dump() + " не поддерживается (читается 1)"), done();
    if (const json* v = r.member(doc, "", "channelCount", false); v && !r.byte(*v, "channelCount", c.ChannelCount))
        return done();
    const json* fileHead = r.member(doc, "", "fileHead", false);
    for (int k = 0; k < 2; ++k) {
        const char* key = k ? "tvp2Delay" : "tvp1Delay";
        std::string cp1251;
        // With the stored bytes given, the text only shows them.
        const bool stored = fileHead && fileHead->is_object() && fileHead->contains(std::string(key) + "Cp1251");
        if (const json* v = r.member(doc, "", key, false); v && stored) {
            if (!v->is_string()) return r.fail(key, "ожидается текст"), done();
        } else if (v) {
            if (!r.lineText(*v, key, cp1251)) return done();
            (k ? c.Tvp2Delay : c.Tvp1Delay) = v->get<std::string>();
        } else {
            cp1251 = utf8ToCp1251(k ? c.Tvp2Delay : c.Tvp1Delay);
        }
        (k ? head.delay2 : head.delay1) = cp1251;
    }
    if (const json* v = r.member(doc, "", "freeChannels", false)) {
        if (!r.array(*v, "freeChannels", DirectionCount)) return done();
        for (std::size_t i = 0; i < v->size(); ++i)
            if (!r.byte((*v)[i], "freeChannels[" + std::to_string(i) + "]", c.FreeChannels[i])) return done();
    }
    if (const json* v = r.member(doc, "", "directions", false); v && !r.directions(*v, c)) return done();
    if (const json* v = r.member(doc, "", "programs", false); v && !r.programs(*v, c)) return done();
    if (const json* v = r.member(doc, "", "calendar", false); v && !r.calendar(*v, c)) return done();
    if (fileHead && !r.head(*fileHead, head)) return done();
    c.Tvp1Delay = cp1251ToUtf8(head.delay1);
    c.Tvp2Delay = cp1251ToUtf8(head.delay2);
    if (const json* v = r.member(doc, "", "plan", false); v && !r.plan(*v, plan)) return done();
    if (plan.size() > kMaxPlanFileSize) return r.fail("plan", "больше, чем может быть файл плана"), done();
    if (const json* v = r.member(doc, "", "safety", false); v && !v->is_null()) {
        if (!v->is_object()) return r.fail("safety", "ожидается объект"), done();
        result.safety = v->dump();
    }

    auto sections = serializeProjectSections(c, plan);
    sections.front() = projectHeadBytes(head);
    for (const auto& s : sections) result.file.insert(result.file.end(), s.begin(), s.end());
    result.plan = std::move(plan);
    // A CR line end before an LF (of the next line end, or a calendar byte of
    // 10) reads back as one CR LF: such a file could not keep these lines.
    const auto back = readProjectHead(result.file);
    if (!back || back->delay1 != head.delay1 || back->delay2 != head.delay2 || back->ends[0] != head.ends[0] ||
        back->ends[1] != head.ends[1] || back->ends[2] != head.ends[2])
        return r.fail("fileHead.lineEnds", "перевод строки CR перед байтом LF читается как CR LF"), done();
    return result;
}

}  // namespace livra
