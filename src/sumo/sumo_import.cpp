#include "sumo/sumo_import.h"

#include <algorithm>

#include "sumo/sumo_letters.h"

namespace livra {

namespace {

// Whole seconds 1..255 as a controller tact can hold them; SUMO writes
// "30" or "30.00".
std::optional<int> wholeSeconds(const std::string& text) {
    std::size_t i = 0;
    long v = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        v = v * 10 + (text[i] - '0');
        if (v > 100000) return std::nullopt;
        ++i;
    }
    if (i == 0) return std::nullopt;
    if (i < text.size()) {
        if (text[i] != '.') return std::nullopt;
        for (++i; i < text.size(); ++i)
            if (text[i] != '0') return std::nullopt;
    }
    return int(v);
}

std::string phaseLabel(const SumoPhase& ph, int index) {
    std::string s = "Фаза SUMO " + std::to_string(index);
    if (!ph.name.empty()) s += " («" + ph.name + "»)";
    if (ph.line > 0) s += ", строка " + std::to_string(ph.line);
    return s;
}

std::string quoted(const std::string& s) { return "«" + s + "»"; }

std::string listed(const std::vector<std::string>& ids) {
    std::string s;
    for (const auto& id : ids) s += (s.empty() ? "" : ", ") + id;
    return s.empty() ? "нет" : s;
}

std::string directionText(const Configuration& c, int d) {
    return "направление " + std::to_string(d + 1) + directionKindLabel(c.DirectionKind[d]);
}

}  // namespace

std::vector<std::string> sumoTlsIds(const SumoAdditional& a) {
    std::vector<std::string> ids;
    for (const auto& l : a.tlLogics)
        if (std::find(ids.begin(), ids.end(), l.id) == ids.end()) ids.push_back(l.id);
    return ids;
}

std::vector<std::string> sumoProgramIds(const SumoAdditional& a, const std::string& tlsId) {
    std::vector<std::string> ids;
    for (const auto& l : a.tlLogics)
        if (l.id == tlsId && std::find(ids.begin(), ids.end(), l.programId) == ids.end()) ids.push_back(l.programId);
    return ids;
}

SumoImportResult importSumoProgram(Configuration& c, const SumoAdditional& a, const SumoImportRequest& r) {
    SumoImportResult result;
    auto refuse = [&](std::string text) {
        result.error = std::move(text);
        return result;
    };
    if (r.program < FirstUserProgram || r.program >= ProgramCount)
        return refuse("Программа " + std::to_string(r.program + 1) + " не пользовательская: принимать можно в программы 4..16");
    const auto tlsIds = sumoTlsIds(a);
    if (std::find(tlsIds.begin(), tlsIds.end(), r.tlsId) == tlsIds.end())
        return refuse("В файле нет светофора " + quoted(r.tlsId) + " (есть: " + listed(tlsIds) + ")");
    const SumoTlLogic* logic = nullptr;
    for (const auto& l : a.tlLogics)
        if (l.id == r.tlsId && l.programId == r.programId) logic = &l;  // the last one loaded wins, as in SUMO
    if (!logic)
        return refuse("У светофора " + quoted(r.tlsId) + " нет программы " + quoted(r.programId) +
                      " (есть: " + listed(sumoProgramIds(a, r.tlsId)) + ")");
    if (logic->phases.empty())
        return refuse("Программа " + quoted(r.programId) + " светофора " + quoted(r.tlsId) + " не содержит фаз");
    if (int(logic->phases.size()) > TactCount)
        return refuse("Программа " + quoted(r.programId) + ": " + std::to_string(logic->phases.size()) +
                      " фаз, а в программе ДК не больше " + std::to_string(TactCount) + " тактов");

    int directions = 0;  // up to the last used direction
    for (int d = 0; d < DirectionCount; ++d)
        if (c.DirectionKind[d] != DirEmpty) directions = d + 1;

    ProgramTacts tacts{};
    std::array<TactSignalRow, TactCount> signals{};
    for (std::size_t i = 0; i < logic->phases.size(); ++i) {
        const SumoPhase& ph = logic->phases[i];
        // Messages are made only for a refusal: a full program has 20000 cells.
        auto where = [&] { return phaseLabel(ph, int(i)); };
        if (ph.hasNext)
            return refuse(where() + ": атрибут next (выбор следующей фазы) ДК не выполняет, его программа идет по кругу");
        const auto duration = wholeSeconds(ph.duration);
        if (!duration || *duration < 1 || *duration > 255)
            return refuse(where() + ": duration " + quoted(ph.duration) + " — нужно целое число секунд 1..255");
        std::optional<int> minDur;
        if (!ph.minDur.empty()) {
            minDur = wholeSeconds(ph.minDur);
            if (!minDur || *minDur < 1 || *minDur > *duration)
                return refuse(where() + ": minDur " + quoted(ph.minDur) + " — нужно целое число секунд 1..duration");
        }
        const std::string& state = ph.state;
        if (state.empty()) return refuse(where() + ": пустое состояние state");
        if (int(state.size()) > directions)
            return refuse(where() + ": сигналов " + std::to_string(state.size()) + ", а направлений " +
                          std::to_string(directions) + " (индекс связи k — направление k+1)");
        for (std::size_t k = 0; k < state.size(); ++k)
            if (!isSumoLetter(state[k]))
                return refuse(where() + ", индекс " + std::to_string(k) + ": неизвестная буква " + quoted(std::string(1, state[k])));
        const bool intermediate = state.find_first_of("yuo") != std::string::npos;
        const int32_t kind = intermediate ? TactIntermediate : TactPhase;
        Tact& tact = tacts[i];
        tact.kind = kind;
        tact.tMain = *duration;
        tact.tMin = kind == TactPhase ? minDur.value_or(*duration) : minDur.value_or(0);
        for (int d = 0; d < directions; ++d) {
            const uint8_t dirKind = c.DirectionKind[d];
            auto index = [d] { return ", индекс " + std::to_string(d); };
            if (d >= int(state.size())) {
                // Call inputs after the last head carry no letter.
                if (isCallInputDirection(dirKind)) {
                    signals[i][d] = SignalNotApplicable;
                    continue;
                }
                if (dirKind == DirEmpty) continue;
                return refuse(where() + index() + ": нет буквы для " + directionText(c, d));
            }
            const char letter = state[std::size_t(d)];
            if (dirKind == DirEmpty)
                return refuse(where() + index() + ": направления " + std::to_string(d + 1) + " нет");
            const auto code = signalFromSumoLetter(dirKind, kind, letter);
            if (!code)
                return refuse(where() + index() + ": " + directionText(c, d) + " не может показать " +
                              quoted(std::string(1, letter)) + " в такте вида «" + tactKindName(kind) + "»");
            signals[i][d] = *code;
        }
    }

    const bool empty = std::all_of(c.TactTable[r.program].begin(), c.TactTable[r.program].end(),
                                   [](const Tact& t) { return t.kind == TactEmpty; });
    if (!empty && !r.replace) {
        result.targetNotEmpty = true;
        return refuse("Программа " + std::to_string(r.program + 1) + " не пуста");
    }
    c.TactTable[r.program] = tacts;
    c.TactSignals[r.program] = signals;
    recomputeDerivedTactFields(c, r.program);
    result.ok = true;
    result.tacts = int(logic->phases.size());
    return result;
}

}  // namespace livra
