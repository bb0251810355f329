#include "report/report_csv.h"

namespace livra::report {
namespace {

std::string line(const std::vector<std::string>& fields) {
    std::string s;
    for (std::size_t i = 0; i < fields.size(); ++i) s += (i ? ";" : "") + csvField(fields[i]);
    return s + "\r\n";
}

}  // namespace

std::string csvField(const std::string& text) {
    if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
    std::string q = "\"";
    for (char ch : text) q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return q + "\"";
}

std::string reportCsv(const Report& r) {
    std::string out = "\xEF\xBB\xBF";
    out += line({"Программа", "Элемент", "Такты", "Т мин, с", "Т осн, с", "Направления"});
    for (const Section& s : r.sections) {
        // The program tables are the sections that carry pairs' columns.
        if (s.tag != "programTable") continue;
        const std::string program = programTitle(s.program);
        for (const auto& row : s.table.rows)
            if (!row[0].empty()) out += line({program, row[0], row[1], row[2], row[3], row[4]});
    }
    out += "\r\n";
    out += line({"Программа", "Смена фаз", "Уходит", "Въезжает", "Требуется, с", "Обеспечено, с", "Решающая"});
    for (std::size_t i = 0; i < r.sheets.size(); ++i) {
        const ProgramSheet& sh = r.sheets[i];
        const std::string program = programTitle(sh.program);
        for (const ChangeSheet& ch : sh.changes)
            for (const PairSheet& p : ch.pairs)
                out += line({program, std::to_string(ch.fromPhase) + "→" + std::to_string(ch.toPhase),
                             r.directionNames[p.from], r.directionNames[p.to],
                             p.required == IntergreenNotSet ? "" : std::to_string(p.required), std::to_string(p.provided),
                             p.deciding ? "да" : ""});
    }
    return out;
}

}  // namespace livra::report
