#include "model/object_file.h"

#include <set>

namespace livra {
namespace {

using nlohmann::json;

struct Field {
    const char* key;
    std::string ObjectData::*member;
    bool multiline;
};

// The order the file keeps them in.
constexpr Field kFields[] = {
    {"name", &ObjectData::name, false},           {"address", &ObjectData::address, false},
    {"owner", &ObjectData::owner, false},         {"designer", &ObjectData::designer, false},
    {"prepared", &ObjectData::prepared, false},   {"checked", &ObjectData::checked, false},
    {"approved", &ObjectData::approved, false},   {"revision", &ObjectData::revision, false},
    {"revisionDate", &ObjectData::revisionDate, false}, {"model", &ObjectData::model, false},
    {"serial", &ObjectData::serial, false},       {"notes", &ObjectData::notes, true},
};

std::string text(const json& v, const std::string& where, std::size_t limit, bool multiline, std::string& out) {
    if (!v.is_string()) return "поле \"" + where + "\" — не строка";
    out = v.get<std::string>();
    if (const std::string why = objectTextProblem(out, limit, multiline); !why.empty())
        return "поле \"" + where + "\" — " + why;
    return {};
}

// [{"<key>": N, "name": "…"}, …] with N in 1..count, each N once.
template <std::size_t Count>
std::string names(const json& list, const char* where, const char* key, std::array<std::string, Count>& out) {
    if (!list.is_array()) return std::string("поле \"") + where + "\" — не список";
    std::set<int> seen;
    for (const json& row : list) {
        if (!row.is_object() || !row.contains(key) || !row.contains("name"))
            return std::string("строка \"") + where + "\" — нет \"" + key + "\" или \"name\"";
        const json& n = row.at(key);
        if (!n.is_number_integer()) return std::string("поле \"") + where + "." + key + "\" — не целое число";
        const long long x = n.get<long long>();
        if (x < 1 || x > (long long)Count)
            return std::string("поле \"") + where + "." + key + "\" — число " + std::to_string(x) + " вне 1.." +
                   std::to_string(Count);
        if (!seen.insert(int(x)).second)
            return std::string("поле \"") + where + "\" — номер " + std::to_string(x) + " дважды";
        if (auto e = text(row.at("name"), std::string(where) + ".name", kMaxObjectNameLength, false, out[x - 1]);
            !e.empty())
            return e;
    }
    return {};
}

}  // namespace

std::string objectTextProblem(const std::string& s, std::size_t limit, bool multiline) {
    if (s.size() > limit) return "длиннее " + std::to_string(limit) + " байт";
    for (unsigned char ch : s) {
        if (ch >= 0x20 && ch != 0x7F) continue;
        if (multiline && (ch == '\n' || ch == '\t')) continue;
        return "управляющий символ в тексте";
    }
    return {};
}

std::string readObjectJson(const json& v, ObjectData& out) {
    if (!v.is_object()) return "поле \"object\" — не объект";
    for (const Field& f : kFields) {
        const auto it = v.find(f.key);
        if (it == v.end()) continue;
        if (auto e = text(*it, std::string("object.") + f.key, kMaxObjectTextLength, f.multiline, out.*f.member);
            !e.empty())
            return e;
    }
    if (!isRevisionDate(out.revisionDate)) return "поле \"object.revisionDate\" — не дата ДД.ММ.ГГГГ";
    if (const auto it = v.find("directionNames"); it != v.end())
        if (auto e = names(*it, "object.directionNames", "direction", out.directionNames); !e.empty()) return e;
    if (const auto it = v.find("programNames"); it != v.end())
        if (auto e = names(*it, "object.programNames", "program", out.programNames); !e.empty()) return e;
    if (const auto it = v.find("writes"); it != v.end()) {
        if (!it->is_array()) return "поле \"object.writes\" — не список";
        if (it->size() > kMaxWriteRecords) return "в поле \"object.writes\" больше " + std::to_string(kMaxWriteRecords) + " записей";
        for (const json& row : *it) {
            if (!row.is_object()) return "строка \"object.writes\" — не объект";
            WriteRecord r;
            for (auto [key, field] : {std::pair{"when", &WriteRecord::when}, std::pair{"controller", &WriteRecord::controller},
                                      std::pair{"revision", &WriteRecord::revision}}) {
                const auto m = row.find(key);
                if (m == row.end()) return std::string("строка \"object.writes\" — нет поля \"") + key + "\"";
                if (auto e = text(*m, std::string("object.writes.") + key, kMaxObjectNameLength, false, r.*field);
                    !e.empty())
                    return e;
            }
            out.writes.push_back(std::move(r));
        }
    }
    return {};
}

nlohmann::ordered_json objectJson(const ObjectData& o) {
    nlohmann::ordered_json root = nlohmann::ordered_json::object();
    for (const Field& f : kFields)
        if (!(o.*f.member).empty()) root[f.key] = o.*f.member;
    auto list = [&](const char* key, const auto& names) {
        nlohmann::ordered_json rows = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (!names[i].empty()) {
                nlohmann::ordered_json row;
                row[key] = int(i) + 1;
                row["name"] = names[i];
                rows.push_back(row);
            }
        return rows;
    };
    if (auto rows = list("direction", o.directionNames); !rows.empty()) root["directionNames"] = rows;
    if (auto rows = list("program", o.programNames); !rows.empty()) root["programNames"] = rows;
    if (!o.writes.empty()) {
        nlohmann::ordered_json rows = nlohmann::ordered_json::array();
        for (const WriteRecord& w : o.writes) rows.push_back({{"when", w.when}, {"controller", w.controller}, {"revision", w.revision}});
        root["writes"] = rows;
    }
    return root;
}

}  // namespace livra
