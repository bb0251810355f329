#pragma once
// The plan a report shows: the heads as the plan file keeps them, and its
// picture decoded with the core's limits where it is found.
#include <filesystem>
#include <optional>
#include <span>

#include "app/report_commands.h"

namespace livra::report {

struct ReportPlan {
    std::optional<Plan> plan;            // nothing without a head on it
    std::optional<RgbaImage> picture;    // nothing when the picture is not found or refused
    // The job's plan and picture point into this object.
    void into(ReportJob& job) const {
        job.plan = plan ? &*plan : nullptr;
        job.planPicture = picture ? &*picture : nullptr;
    }
};

// `planBytes` as the project or the working folder's plan file holds them;
// the picture looked for in the working folder's "shem" (where the desktop
// program keeps it), then in "shem" beside the project.
ReportPlan reportPlan(const Configuration& c, std::span<const uint8_t> planBytes, const std::filesystem::path& workFolder,
                      const std::filesystem::path& projectFolder);

}  // namespace livra::report
