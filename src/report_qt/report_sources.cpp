#include "report_qt/report_sources.h"

#include "model/cp1251.h"
#include "model/files.h"

namespace livra::report {

ReportPlan reportPlan(const Configuration& c, std::span<const uint8_t> planBytes, const std::filesystem::path& workFolder,
                      const std::filesystem::path& projectFolder) {
    ReportPlan out;
    if (planBytes.empty()) return out;
    auto probe = std::make_unique<Configuration>();
    probe->DirectionKind = c.DirectionKind;
    std::string dir = pathToUtf8(workFolder);
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    probe->ProgramDir = dir;
    Plan plan;
    createSpecialObjects(plan);
    parsePlan(plan, planBytes, *probe);
    bool heads = false;
    for (const PlanObject& o : plan.planObjects) heads = heads || o.isHead();
    if (!heads) return out;
    const std::filesystem::path stored = pathFromUtf8(plan.planPicturePath);
    for (const std::filesystem::path& candidate : {stored, projectFolder / "shem" / stored.filename()}) {
        if (stored.filename().empty()) break;
        PngResult png = readPngFile(candidate, {500, 500});
        if (png.ok()) {
            out.picture = std::move(png.image);
            break;
        }
    }
    out.plan = std::move(plan);
    return out;
}

}  // namespace livra::report
