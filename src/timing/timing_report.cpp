#include "timing/timing_report.h"

#include "timing/program_timing.h"
#include "timing/traffic_edit.h"

namespace livra::timing {

std::vector<TimingReportPage> timingReportPages(const Configuration& c) {
    std::vector<TimingReportPage> pages;
    for (int p = FirstUserProgram; p < ProgramCount; ++p) {
        if (c.Safety.traffic.programs[p].directions.empty() || isProgramEmpty(c, p)) continue;
        TimingReportPage page;
        page.program = p;
        page.title = "Расчёт режима: программа " + std::to_string(p + 1);
        const auto r = computeTiming(c, p);
        if (!r.ok()) {
            page.summary.push_back(r.error());
            pages.push_back(std::move(page));
            continue;
        }
        const TimingPlan& plan = r.value();
        page.summary.push_back("Y = " + decimal(plan.Y, 3) + "    L = " + std::to_string(plan.lostTime) +
                               " с    C0 = " + std::to_string(plan.cycle0) + " с    C = " + std::to_string(plan.cycle) +
                               " с");
        page.summary.push_back("Средняя задержка: " + (plan.meanDelay ? decimal(*plan.meanDelay, 1) + " с" : "—"));
        for (const auto& n : plan.notes) page.summary.push_back(n);
        page.phases.push_back({"Такт", "Направления", "y", "Мин., с", "Зелёный, с"});
        for (const auto& ph : plan.phases) {
            std::string dirs;
            for (int d : ph.directions) dirs += (dirs.empty() ? "" : ", ") + std::to_string(d + 1);
            page.phases.push_back({std::to_string(ph.tact + 1), dirs, decimal(ph.y, 3), std::to_string(ph.minGreen),
                                   std::to_string(ph.green)});
        }
        page.directions.push_back(
            {"Напр.", "q, ед/ч", "Полос", "s, ед/ч", "Переход, м", "Зелёный, с", "x", "Задержка, с"});
        for (const auto& d : plan.directions) {
            const DirectionTraffic t = trafficOf(c, p, d.direction);
            if (d.pedestrian)
                page.directions.push_back({std::to_string(d.direction + 1), "—", "—", "—",
                                           t.crossingLength > 0 ? decimal(t.crossingLength, 1) : "—",
                                           std::to_string(d.green), "—", "—"});
            else
                page.directions.push_back({std::to_string(d.direction + 1), std::to_string(d.flow),
                                           std::to_string(t.lanes), std::to_string(d.saturation), "—",
                                           std::to_string(d.green), d.x ? decimal(*d.x, 2) : "—",
                                           d.delay ? decimal(*d.delay, 1) : "—"});
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

}  // namespace livra::timing
