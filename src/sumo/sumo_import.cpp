#include "sumo/sumo_import.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "edit/calendar_edit.h"
#include "edit/conflict_matrix.h"
#include "edit/directions_edit.h"
#include "sumo/sumo_conflicts.h"
#include "sumo/sumo_letters.h"
#include "sumo/sumo_net.h"

namespace livra {

namespace {

constexpr int kMaxTactSeconds = 255;
constexpr int kUsableChannels = 62;  // channels 63 and 64 are never free

// Whole seconds as a controller tact can hold them (up to a day here: longer
// phases are split); SUMO writes "30" or "30.00".
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

std::string numbers(const std::vector<int>& v, std::size_t most = 12) {
    std::string s;
    for (std::size_t i = 0; i < v.size() && i < most; ++i) s += (i ? ", " : "") + std::to_string(v[i]);
    if (v.size() > most) s += " … (всего " + std::to_string(v.size()) + ")";
    return s;
}

std::string directionText(const Configuration& c, int d) {
    return "направление " + std::to_string(d + 1) + directionKindLabel(c.DirectionKind[d]);
}

bool isGoLetter(char ch) { return ch == 'G' || ch == 'g' || ch == 's'; }
bool isTransitionLetter(char ch) { return ch == 'y' || ch == 'u'; }

// Something goes and no one is in transition; o and O (flashing, dark)
// decide nothing.
int32_t tactKindOf(const std::string& state) {
    const bool go = std::any_of(state.begin(), state.end(), isGoLetter);
    const bool transition = std::any_of(state.begin(), state.end(), isTransitionLetter);
    return go && !transition ? TactPhase : TactIntermediate;
}

struct Part {
    int phase;  // index in the SUMO program
    int seconds;
    int minSeconds;  // -1: none given
};

// Links into directions: one signal group per distinct column of letters over
// every phase of every program of the light; a column over a crossing is a
// pedestrian group.
struct Grouping {
    std::vector<int> groupOfLink;         // by link
    std::vector<bool> pedestrianGroup;    // by group
    std::vector<int> firstLink;           // by group
};

Grouping groupLinks(const SumoAdditional& a, const std::string& tls, int links, const std::vector<SumoLinkInfo>& info) {
    Grouping g;
    std::map<std::string, int> bySignature;
    for (int k = 0; k < links; ++k) {
        const bool ped = k < int(info.size()) && info[std::size_t(k)].pedestrian;
        std::string sig(1, ped ? 'P' : 'V');
        for (const SumoTlLogic& l : a.tlLogics) {
            if (l.id != tls) continue;
            for (const SumoPhase& ph : l.phases) sig += k < int(ph.state.size()) ? ph.state[std::size_t(k)] : '-';
            sig += '|';
        }
        const auto [it, fresh] = bySignature.emplace(sig, int(g.pedestrianGroup.size()));
        if (fresh) {
            g.pedestrianGroup.push_back(ped);
            g.firstLink.push_back(k);
        }
        g.groupOfLink.push_back(it->second);
    }
    return g;
}

int stateLinks(const SumoAdditional& a, const std::string& tls) {
    int n = 0;
    for (const SumoTlLogic& l : a.tlLogics)
        if (l.id == tls)
            for (const SumoPhase& ph : l.phases) n = std::max(n, int(ph.state.size()));
    return n;
}

int freeChannelCount(const Configuration& c) {
    std::set<int> used;
    for (int d = 0; d < DirectionCount; ++d)
        if (c.DirectionKind[d] != DirEmpty)
            for (int s = 0; s < SlotCount; ++s)
                if (c.DirectionChannels[d][s] != 0) used.insert(c.DirectionChannels[d][s]);
    int n = 0;
    for (int ch = 1; ch <= std::min<int>(c.ChannelCount, kUsableChannels); ++ch) n += used.count(ch) ? 0 : 1;
    return n;
}

bool anyDirection(const Configuration& c) {
    return std::any_of(c.DirectionKind.begin(), c.DirectionKind.end(), [](uint8_t k) { return k != DirEmpty; });
}

bool calendarEmpty(const Configuration& c) {
    for (const CalendarDay& day : c.Calendar)
        for (const CalendarEntry& e : day)
            if (!e.empty()) return false;
    return true;
}

bool calendarUses(const Configuration& c, int program1Based) {
    for (const CalendarDay& day : c.Calendar)
        for (const CalendarEntry& e : day)
            if (!e.empty() && e.program == program1Based) return true;
    return false;
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

SumoTlsSummary sumoTlsSummary(const SumoAdditional& a, const std::string& tlsId) {
    SumoTlsSummary s;
    s.id = tlsId;
    s.programs = int(sumoProgramIds(a, tlsId).size());
    const auto info = sumoLinks(a, tlsId, stateLinks(a, tlsId));
    s.links = std::max(stateLinks(a, tlsId), int(info.size()));
    const Grouping g = groupLinks(a, tlsId, s.links, info);
    s.groups = int(g.pedestrianGroup.size());
    s.pedestrianGroups = int(std::count(g.pedestrianGroup.begin(), g.pedestrianGroup.end(), true));
    return s;
}

SumoImportResult importSumoProgram(Configuration& target, const SumoAdditional& a, const SumoImportRequest& r) {
    SumoImportResult result;
    auto refuse = [&](std::string text) {
        result.error = std::move(text);
        result.notes.clear();
        return result;
    };
    if (r.program < FirstUserProgram || r.program >= ProgramCount)
        return refuse("Программа " + std::to_string(r.program + 1) + " не пользовательская: принимать можно в программы 4..16");
    const auto tlsIds = sumoTlsIds(a);
    if (std::find(tlsIds.begin(), tlsIds.end(), r.tlsId) == tlsIds.end())
        return refuse("В файле нет светофора " + quoted(r.tlsId) + " (есть: " + listed(tlsIds) + ")");
    const SumoTlLogic* logic = nullptr;
    std::vector<int> lines;
    for (const auto& l : a.tlLogics)
        if (l.id == r.tlsId && l.programId == r.programId) logic = &l, lines.push_back(l.line);
    if (!logic)
        return refuse("У светофора " + quoted(r.tlsId) + " нет программы " + quoted(r.programId) +
                      " (есть: " + listed(sumoProgramIds(a, r.tlsId)) + ")");
    const std::string name = "Программа " + quoted(r.programId) + " светофора " + quoted(r.tlsId);
    if (lines.size() > 1)
        return refuse(name + " задана несколько раз (строки " + numbers(lines) +
                      "): неясно, какую брать; оставьте в файле одну");
    if (!logic->programIdGiven)
        result.notes.push_back("У программы светофора " + quoted(r.tlsId) + " нет programID: она — программа «0», как в SUMO");
    if (logic->type == "actuated" || logic->type == "delay_based") {
        if (!r.asFixed) {
            result.actuated = true;
            return refuse(name + " — " + logic->type +
                          ": SUMO продлевает её зелёные по детекторам, а ДК работает по жёстким тактам");
        }
        result.notes.push_back(name + " (" + logic->type +
                               ") принята как жёсткая: duration — Т осн, minDur — Т мин; ДК не будет продлевать "
                               "зелёный по детекторам");
    } else if (!logic->type.empty() && logic->type != "static") {
        return refuse(name + ": тип " + quoted(logic->type) + " ДК не выполняет (принимаются static, а с выбором "
                                                              "«как жёсткую» — actuated и delay_based)");
    }
    if (logic->phases.empty()) return refuse(name + " не содержит фаз");
    if (logic->phases.size() > std::size_t(TactCount))
        return refuse(name + ": " + std::to_string(logic->phases.size()) + " фаз, а в программе ДК не больше " +
                      std::to_string(TactCount) + " тактов");

    // Times, letters and kinds of the phases.
    const int links = std::max(stateLinks(a, r.tlsId), 0);
    std::vector<int32_t> kinds;
    std::vector<Part> parts;
    std::vector<int> split;
    for (std::size_t i = 0; i < logic->phases.size(); ++i) {
        const SumoPhase& ph = logic->phases[i];
        auto where = [&] { return phaseLabel(ph, int(i)); };
        if (ph.hasNext)
            return refuse(where() + ": атрибут next (выбор следующей фазы) ДК не выполняет, его программа идет по кругу");
        const auto duration = wholeSeconds(ph.duration);
        if (!duration || *duration < 1)
            return refuse(where() + ": duration " + quoted(ph.duration) + " — нужно целое число секунд от 1");
        int minDur = -1;
        if (!ph.minDur.empty()) {
            const auto m = wholeSeconds(ph.minDur);
            if (!m || *m < 1 || *m > *duration)
                return refuse(where() + ": minDur " + quoted(ph.minDur) + " — нужно целое число секунд 1..duration");
            minDur = *m;
        }
        if (ph.state.empty()) return refuse(where() + ": пустое состояние state");
        for (std::size_t k = 0; k < ph.state.size(); ++k)
            if (!isSumoLetter(ph.state[k]))
                return refuse(where() + ", индекс " + std::to_string(k) + ": неизвестная буква " +
                              quoted(std::string(1, ph.state[k])));
        kinds.push_back(tactKindOf(ph.state));
        // Longer than a tact holds: tacts of the same signals, the first taking the rest.
        const int pieces = (*duration + kMaxTactSeconds - 1) / kMaxTactSeconds;
        if (pieces > 1) split.push_back(int(i));
        for (int n = 0; n < pieces; ++n) {
            const int seconds = *duration / pieces + (n < *duration % pieces ? 1 : 0);
            parts.push_back(Part{int(i), seconds, pieces > 1 ? -1 : minDur});
        }
    }
    // The controller's cycle starts with a phase.
    const auto first = std::find(kinds.begin(), kinds.end(), TactPhase);
    if (first == kinds.end())
        return refuse(name + ": ни в одной фазе никто не едет без переходного сигнала (y, u) — для ДК в ней нет «Фазы»");
    const int rotate = int(first - kinds.begin());
    if (rotate > 0) {
        const auto from = std::find_if(parts.begin(), parts.end(), [&](const Part& p) { return p.phase == rotate; });
        std::rotate(parts.begin(), from, parts.end());
        result.notes.push_back("Цикл начинался с переходной фазы: он повёрнут и начинается с фазы SUMO " +
                               std::to_string(rotate) + " (фазы 0.." + std::to_string(rotate - 1) +
                               " идут в его конце)");
    }
    if (int(parts.size()) > TactCount)
        return refuse(name + ": после деления фаз длиннее 255 с тактов " + std::to_string(parts.size()) +
                      ", а в программе ДК не больше " + std::to_string(TactCount));
    for (int i : split)
        result.notes.push_back(phaseLabel(logic->phases[std::size_t(i)], i) + ": " + logic->phases[std::size_t(i)].duration +
                               " с больше 255 с — разделена на такты с теми же сигналами, Т мин = Т осн");

    // All work on a copy: a refusal at any point leaves the project as it was.
    auto work = std::make_unique<Configuration>(target);
    Configuration& c = *work;
    SumoLinkMap& map = c.Safety.sumoMap;
    const auto info = sumoLinks(a, r.tlsId, links);
    const int linkCount = std::max(links, int(info.size()));
    bool viaMap = !map.empty() && map.tls == r.tlsId && int(map.links.size()) == linkCount;
    if (!map.empty() && map.tls == r.tlsId && !viaMap)
        return refuse("Связей у светофора " + quoted(r.tlsId) + " " + std::to_string(linkCount) +
                      ", а в таблице связей проекта " + std::to_string(map.links.size()) +
                      ": это другая сеть; импортируйте в новый проект");
    const bool create = !viaMap && (!anyDirection(c) || r.createDirections);
    if (create) {
        const Grouping g = groupLinks(a, r.tlsId, linkCount, info);
        int first = 0;
        for (int d = 0; d < DirectionCount; ++d)
            if (c.DirectionKind[d] != DirEmpty) first = d + 1;
        const int groups = int(g.pedestrianGroup.size());
        const int peds = int(std::count(g.pedestrianGroup.begin(), g.pedestrianGroup.end(), true));
        const int channels = (groups - peds) * 3 + peds * 2;
        const int free = freeChannelCount(c);
        const std::string count = "групп сигналов " + std::to_string(groups) + " (автомобильных " +
                                  std::to_string(groups - peds) + ", пешеходных " + std::to_string(peds) + ")";
        if (first + groups > DirectionCount)
            return refuse("Светофор " + quoted(r.tlsId) + ": " + count + ", а места в таблице направлений " +
                          std::to_string(DirectionCount - first));
        if (channels > free)
            return refuse("Светофор " + quoted(r.tlsId) + ": " + count + " — нужно каналов " + std::to_string(channels) +
                          " (по 3 на автомобильное, по 2 на пешеходное), а свободно " + std::to_string(free));
        for (int k = 0; k < groups; ++k)
            if (!createDirection(c, first + k, g.pedestrianGroup[std::size_t(k)] ? DirPedestrian : DirVehicle))
                return refuse("Направление " + std::to_string(first + k + 1) + " не создано");
        map.clear();
        map.tls = r.tlsId;
        map.net = r.netName;
        map.links.resize(std::size_t(linkCount));
        for (int k = 0; k < linkCount; ++k) map.links[std::size_t(k)].direction = first + g.groupOfLink[std::size_t(k)];
        result.directionsCreated = groups;
        result.notes.push_back("Созданы направления " + std::to_string(first + 1) + ".." + std::to_string(first + groups) +
                               ": " + count + (a.isNet ? "" : "; файл без сети — все автомобильные") +
                               ", каналы подключены по порядку; связи → направления в файле данных проекта");
        viaMap = true;
    }

    // The directions each tact's letters go to.
    int directions = 0;
    for (int d = 0; d < DirectionCount; ++d)
        if (c.DirectionKind[d] != DirEmpty) directions = d + 1;
    ProgramTacts tacts{};
    std::array<TactSignalRow, TactCount> signals{};
    std::vector<int> gLinks;
    std::map<int, std::vector<std::pair<int, int>>> permissive;  // link -> (program, tact)
    for (std::size_t t = 0; t < parts.size(); ++t) {
        const Part& part = parts[t];
        const SumoPhase& ph = logic->phases[std::size_t(part.phase)];
        auto where = [&] { return phaseLabel(ph, part.phase); };
        const int32_t kind = kinds[std::size_t(part.phase)];
        const std::string& state = ph.state;
        Tact& tact = tacts[t];
        tact.kind = kind;
        tact.tMain = part.seconds;
        tact.tMin = kind == TactPhase ? (part.minSeconds > 0 ? part.minSeconds : part.seconds)
                                      : std::max(part.minSeconds, 0);
        // letter[d]: what direction d shows; 0 when no link says.
        std::vector<char> letter(std::size_t(directions), 0);
        std::vector<int> by(std::size_t(directions), -1);
        for (int k = 0; k < int(state.size()); ++k) {
            const char ch = state[std::size_t(k)];
            int d = k;
            if (viaMap) {
                d = map.links[std::size_t(k)].direction;
                if (d < 0) {
                    if (ch != 'r' && ch != 'O')
                        return refuse(where() + ", индекс " + std::to_string(k) + ": у связи нет направления, а она " +
                                      quoted(std::string(1, ch)));
                    continue;
                }
            } else if (d >= directions) {
                return refuse(where() + ": сигналов " + std::to_string(state.size()) + ", а направлений " +
                              std::to_string(directions) + " (индекс связи k — направление k+1)");
            }
            if (ch == 'g') {
                if (std::find(gLinks.begin(), gLinks.end(), k) == gLinks.end()) gLinks.push_back(k);
                permissive[k].emplace_back(r.program, int(t));
            }
            const char folded = ch == 'g' ? 'G' : ch;
            if (letter[std::size_t(d)] && letter[std::size_t(d)] != folded)
                return refuse(where() + ": связи " + std::to_string(by[std::size_t(d)]) + " и " + std::to_string(k) + " — " +
                              directionText(c, d) + ", а показывают " + quoted(std::string(1, letter[std::size_t(d)])) +
                              " и " + quoted(std::string(1, folded)));
            letter[std::size_t(d)] = folded;
            by[std::size_t(d)] = k;
        }
        for (int d = 0; d < directions; ++d) {
            const uint8_t dirKind = c.DirectionKind[d];
            auto index = [&] { return ", индекс " + std::to_string(by[std::size_t(d)] >= 0 ? by[std::size_t(d)] : d); };
            if (!letter[std::size_t(d)]) {
                // Call inputs after the last head carry no letter.
                if (isCallInputDirection(dirKind)) {
                    signals[t][d] = SignalNotApplicable;
                    continue;
                }
                if (dirKind == DirEmpty) continue;
                if (viaMap) {
                    // A direction no link of this light shows stays red.
                    signals[t][d] = signalFromSumoLetter(dirKind, kind, 'r')
                                        .value_or(signalFromSumoLetter(dirKind, kind, 'O').value_or(SignalRed));
                    continue;
                }
                return refuse(where() + index() + ": нет буквы для " + directionText(c, d));
            }
            if (dirKind == DirEmpty)
                return refuse(where() + index() + ": направления " + std::to_string(d + 1) + " нет");
            const auto code = signalFromSumoLetter(dirKind, kind, letter[std::size_t(d)]);
            if (!code)
                return refuse(where() + index() + ": " + directionText(c, d) + " не может показать " +
                              quoted(std::string(1, letter[std::size_t(d)])) + " в такте вида «" + tactKindName(kind) + "»" +
                              (kind == TactPhase ? " (в «Фазе» ДК показывает только красный и зелёный)" : ""));
            signals[t][d] = *code;
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

    if (viaMap) {
        for (SumoMapLink& l : map.links)
            std::erase_if(l.permissive, [&](const std::pair<int, int>& pt) { return pt.first == r.program; });
        if (std::find(map.programs.begin(), map.programs.end(), r.program) == map.programs.end())
            map.programs.push_back(r.program);
        for (auto& [k, where] : permissive)
            for (const auto& pt : where) map.links[std::size_t(k)].permissive.push_back(pt);
    }
    if (!gLinks.empty()) {
        std::sort(gLinks.begin(), gLinks.end());
        result.notes.push_back(std::string(gLinks.size() > 1 ? "Связи " : "Связь ") + numbers(gLinks, 40) +
                               ": разрешающий зелёный с уступкой (g) принят как зелёный" +
                               (viaMap ? "; экспорт для этой сети запишет g снова" : ""));
    }

    // Conflicts and intergreens the net knows, for the engineer to confirm.
    if (viaMap && a.isNet && (create || !c.Safety.defined)) {
        const SumoProposals p = proposeSumoConflicts(c, a, r.tlsId, info);
        result.conflictsProposed = p.conflicts;
        result.intergreensProposed = p.intergreens;
        for (const std::string& line : p.notes) result.notes.push_back(line);
    }
    if (viaMap) c.Safety.defined = true;

    // Greens that the matrix says conflict.
    std::vector<std::string> clashes;
    for (int t = 0; t < int(parts.size()); ++t) {
        std::vector<int> go;
        for (int d = 0; d < directions; ++d)
            if (isGoSignal(c.DirectionKind[d], c.TactSignals[r.program][t][d])) go.push_back(d);
        for (std::size_t i = 0; i < go.size(); ++i)
            for (std::size_t j = i + 1; j < go.size(); ++j)
                if (isConflict(c.Safety, go[i], go[j]) && clashes.size() < 5)
                    clashes.push_back("такт " + std::to_string(t + 1) + ": направления " + std::to_string(go[i] + 1) +
                                      " и " + std::to_string(go[j] + 1));
    }
    if (!clashes.empty()) {
        std::string list;
        for (const auto& s : clashes) list += (list.empty() ? "" : "; ") + s;
        if (!r.force) {
            result.conflictingGreens = true;
            return refuse(name + ": зелёный у направлений, что конфликтуют по матрице проекта (" + list + ")");
        }
        result.notes.push_back("Принято, хотя зелёный у направлений, что конфликтуют по матрице проекта (" + list + ")");
    }

    // A program runs only when the calendar switches to it.
    if (calendarEmpty(c)) {
        if (addAlarm(c, 0, 0, 0, r.program + 1) == AlarmResult::Stored)
            result.notes.push_back("Календарь был пуст: добавлено переключение понедельник 00:00 — программа " +
                                   std::to_string(r.program + 1));
    } else if (!calendarUses(c, r.program + 1)) {
        result.notes.push_back("Календарь не включает программу " + std::to_string(r.program + 1) +
                               ": добавьте переключение на неё");
    }

    target = std::move(c);
    result.ok = true;
    result.tacts = int(parts.size());
    return result;
}

}  // namespace livra
