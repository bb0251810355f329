#include "cli/project_json.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <nlohmann/json.hpp>
#include <ostream>

#include "model/cp1251.h"
#include "model/project_file.h"
#include "plan/plan_objects.h"

namespace livra::cli {
namespace {

using nlohmann::json;

const char* const kDayKeys[DayCount] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

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

int32_t int32At(std::span<const uint8_t> b, std::size_t at) {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= uint32_t(b[at + i]) << (8 * i);
    return static_cast<int32_t>(u);
}

void putInt32(Bytes& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(u >> (8 * i)));
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
        const auto r = records.subspan(at, PlanRecordSize);
        const auto width = floatText(std::bit_cast<float>(int32At(r, 20)));
        const auto height = floatText(std::bit_cast<float>(int32At(r, 24)));
        if (!width || !height) return std::nullopt;
        out += at ? ",\n" : "\n";
        out += "    {\"id\": " + std::to_string(int32At(r, 0)) + ", \"owner\": " + std::to_string(int32At(r, 4)) +
               ", \"direction\": " + std::to_string(r[57]) + ", \"x\": " + std::to_string(int32At(r, 12)) +
               ", \"y\": " + std::to_string(int32At(r, 16)) + ", \"width\": " + *width + ", \"height\": " + *height +
               ", \"angle\": " + std::to_string(int32At(r, 36)) + ", \"stored\": [" + std::to_string(int32At(r, 8)) +
               ", " + std::to_string(int32At(r, 28)) + ", " + std::to_string(int32At(r, 32)) + ", " +
               std::to_string(int32At(r, 40)) + ", " + std::to_string(int32At(r, 44)) + ", " + std::to_string(r[48]) +
               ", " + std::to_string(int32At(r, 49)) + ", " + std::to_string(int32At(r, 53)) + "]}";
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
        if (error.empty()) error = (path.empty() ? "the document" : path) + ": " + what;
        return false;
    }

    bool integer(const json& j, const std::string& path, int64_t lo, int64_t hi, int64_t& out) {
        if (!j.is_number_integer())
            return fail(path, "expected a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
        // The library keeps every number from 0 up as unsigned: both bounds
        // are checked on that side too (a 0 for a 1-based number indexed -1).
        const bool inRange = j.is_number_unsigned()
                                 ? (lo <= 0 || j.get<uint64_t>() >= uint64_t(lo)) && hi >= 0 &&
                                       j.get<uint64_t>() <= uint64_t(hi)
                                 : j.get<int64_t>() >= lo && j.get<int64_t>() <= hi;
        if (!inRange)
            return fail(path, j.dump() + " is out of range " + std::to_string(lo) + ".." + std::to_string(hi));
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
        if (!j.is_object()) return fail(path, "expected an object");
        for (const auto& [key, value] : j.items()) {
            bool ok = false;
            for (const char* k : known) ok = ok || key == k;
            if (!ok) return fail(path.empty() ? key : path + "." + key, "unknown member");
        }
        return true;
    }
    const json* member(const json& j, const std::string& path, const char* key, bool required) {
        const auto it = j.find(key);
        if (it != j.end()) return &*it;
        if (required) fail(path.empty() ? key : path + "." + key, "missing");
        return nullptr;
    }
    bool array(const json& j, const std::string& path, std::size_t maxSize) {
        if (!j.is_array()) return fail(path, "expected an array");
        if (j.size() > maxSize) return fail(path, "more than " + std::to_string(maxSize) + " elements");
        return true;
    }
    // A text of one line in the file: cp1251, no line end.
    bool lineText(const json& j, const std::string& path, std::string& cp1251) {
        if (!j.is_string()) return fail(path, "expected a text");
        const auto& s = j.get_ref<const std::string&>();
        if (s.find_first_of("\r\n") != std::string::npos) return fail(path, "a line end inside the text");
        cp1251 = utf8ToCp1251(s);
        if (cp1251ToUtf8(cp1251) != s) return fail(path, "a character outside the Windows Cyrillic code page");
        return true;
    }
    // A 1-based number of a list element, not given twice.
    bool number(const json& j, const std::string& path, int count, std::vector<bool>& seen, int& index) {
        int64_t v = 0;
        if (!integer(j, path, 1, count, v)) return false;
        if (seen[std::size_t(v - 1)]) return fail(path, std::to_string(v) + " is given twice");
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
            if (!bytes) return fail("plan", "not base64 text");
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
                if (!v->is_number()) return fail(op + "." + key, "expected a number");
                const double d = v->get<double>();
                if (!(std::fabs(d) <= double(std::numeric_limits<float>::max())))
                    return fail(op + "." + key, v->dump() + " is out of range");
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
                    return fail(op + ".stored", "expected 8 numbers");
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
            putInt32(out, id);
            putInt32(out, owner);
            putInt32(out, stored[0]);
            putInt32(out, x);
            putInt32(out, y);
            putInt32(out, std::bit_cast<int32_t>(size[0]));
            putInt32(out, std::bit_cast<int32_t>(size[1]));
            putInt32(out, stored[1]);
            putInt32(out, stored[2]);
            putInt32(out, angle);
            putInt32(out, stored[3]);
            putInt32(out, stored[4]);
            out.push_back(uint8_t(stored[5]));
            putInt32(out, stored[6]);
            putInt32(out, stored[7]);
            out.push_back(direction);
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
                return fail(p, "expected hexadecimal bytes");
            std::string bytes;
            const auto& hex = v->get_ref<const std::string&>();
            for (std::size_t i = 0; i < hex.size(); i += 2) {
                unsigned value = 0;
                const auto r = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
                if (r.ec != std::errc() || r.ptr != hex.data() + i + 2 || value == '\r' || value == '\n')
                    return fail(p, "expected hexadecimal bytes of one line");
                bytes += char(value);
            }
            (k ? h.delay2 : h.delay1) = bytes;
        }
        if (const json* ends = member(j, "fileHead", "lineEnds", false)) {
            if (!array(*ends, "fileHead.lineEnds", 3) || ends->size() != 3)
                return fail("fileHead.lineEnds", "expected 3 line ends");
            for (int k = 0; k < 3; ++k) {
                const json& e = (*ends)[std::size_t(k)];
                if (!e.is_string() || (e != "\r\n" && e != "\r" && e != "\n"))
                    return fail("fileHead.lineEnds[" + std::to_string(k) + "]", "expected \"\\r\\n\", \"\\r\" or \"\\n\"");
                h.ends[k] = e.get<std::string>();
            }
        }
        return true;
    }
};

}  // namespace

std::optional<ProjectHead> readProjectHead(std::span<const uint8_t> file) {
    ProjectHead h;
    std::size_t pos = 0;
    auto line = [&](std::string& text, std::string& end) {
        while (pos < file.size()) {
            const uint8_t b = file[pos++];
            if (b == '\r') {
                end = "\r";
                if (pos < file.size() && file[pos] == '\n') ++pos, end = "\r\n";
                return true;
            }
            if (b == '\n') {
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
    return h;
}

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

std::optional<ProjectFromJson> projectFromJson(std::string_view text, std::string& error) {
    json doc;
    // The library tells a syntax fault and its place only by an exception;
    // it goes no further than here.
    try {
        doc = json::parse(text);
    } catch (const json::exception& e) {
        const auto* parse = dynamic_cast<const json::parse_error*>(&e);
        error = parse ? "not JSON (at byte " + std::to_string(parse->byte) + ")" : "not JSON";
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
    if (*format != "livra-configuration") return r.fail("format", "expected \"livra-configuration\""), done();
    if (const json* v = r.member(doc, "", "version", false); v && *v != 1)
        return r.fail("version", v->dump() + " is not a version this program reads (1)"), done();
    if (const json* v = r.member(doc, "", "channelCount", false); v && !r.byte(*v, "channelCount", c.ChannelCount))
        return done();
    const json* fileHead = r.member(doc, "", "fileHead", false);
    for (int k = 0; k < 2; ++k) {
        const char* key = k ? "tvp2Delay" : "tvp1Delay";
        std::string cp1251;
        // With the stored bytes given, the text only shows them.
        const bool stored = fileHead && fileHead->is_object() && fileHead->contains(std::string(key) + "Cp1251");
        if (const json* v = r.member(doc, "", key, false); v && stored) {
            if (!v->is_string()) return r.fail(key, "expected a text"), done();
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
    if (plan.size() > kMaxPlanFileSize) return r.fail("plan", "larger than a plan file may be"), done();
    if (const json* v = r.member(doc, "", "safety", false); v && !v->is_null()) {
        if (!v->is_object()) return r.fail("safety", "expected an object"), done();
        result.safety = v->dump();
    }

    auto sections = serializeProjectSections(c, plan);
    Bytes& first = sections.front();
    first.clear();
    auto put = [&](std::string_view s) { first.insert(first.end(), s.begin(), s.end()); };
    put(kProjectSignature);
    put(head.ends[0]);
    first.push_back(kProjectFormat);
    put(head.delay1);
    put(head.ends[1]);
    put(head.delay2);
    put(head.ends[2]);
    for (const auto& s : sections) result.file.insert(result.file.end(), s.begin(), s.end());
    // A CR line end before an LF (of the next line end, or a calendar byte of
    // 10) reads back as one CR LF: such a file could not keep these lines.
    const auto back = readProjectHead(result.file);
    if (!back || back->delay1 != head.delay1 || back->delay2 != head.delay2 || back->ends[0] != head.ends[0] ||
        back->ends[1] != head.ends[1] || back->ends[2] != head.ends[2])
        return r.fail("fileHead.lineEnds", "a CR line end before an LF byte reads back as CR LF"), done();
    return result;
}

}  // namespace livra::cli
