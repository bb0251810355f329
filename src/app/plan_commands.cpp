#include "app/plan_commands.h"

#include <system_error>

#include "app/save_names.h"
#include "plan/bmp_file.h"
#include "plan/plan_view.h"

namespace livra {
namespace {

std::string nameOf(const std::filesystem::path& p) { return pathToUtf8(p.filename()); }

bool isFolder(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_directory(p, ec);
}

}  // namespace

std::optional<RgbaImage> loadPlanPicture(Configuration& c, Plan& plan, UserDialogs& ui) {
    const auto shem = shemFolder(c);
    const std::string start = pathToUtf8(isFolder(shem) ? shem : pathFromUtf8(c.ProgramDir));
    const auto chosen = ui.chooseOpenFile({kOpenPictureTitle, start, kPngFilter, {}});
    if (!chosen || chosen->empty()) return std::nullopt;
    const auto path = pathFromUtf8(*chosen);

    // Decoded before anything changes: a file that cannot be shown leaves
    // the plan with its picture.
    auto refuse = [&](PngError error) {
        ui.messageBox(kErrorTitle,
                      kPictureFailedText + nameOf(path) + ".\n" + pngErrorText(error) + kPictureKeptText,
                      Buttons::Ok, Icon::Error);
        return std::nullopt;
    };
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return refuse(PngError::CannotRead);
    if (size > MaxPngFileBytes) return refuse(PngError::TooBig);
    const auto bytes = readWholeFile(path);
    if (!bytes) return refuse(PngError::CannotRead);
    // Shown stretched to the plan's size: a larger picture is reduced as it is decoded.
    PngResult decoded = decodePng(*bytes, {PlanSide, PlanSide});
    if (!decoded.ok()) return refuse(decoded.error);

    // The plan file keeps only the picture's name and finds it in "shem".
    const PictureTarget target = pictureTarget(c, path, *bytes);
    if (target.replaces &&
        ui.messageBox(kConfirmSaveTitle, kOtherInShemText + nameOf(target.path) + ".\nЗаменить?",
                      Buttons::YesNo, Icon::Exclamation) != Answer::Yes)
        return std::nullopt;
    if (target.copy) {
        std::filesystem::create_directories(shem, ec);
        if (ec || !writeFileAtomically(target.path, *bytes)) {
            ui.messageBox(kErrorTitle, kCopyFailedText + pathToUtf8(shem) + "." + kPictureKeptText,
                          Buttons::Ok, Icon::Error);
            return std::nullopt;
        }
    }
    plan.planPicturePath = pathToUtf8(target.path);
    c.Modified = 1;
    return std::move(decoded.image);
}

bool savePlanScreenshot(const Configuration& c, const std::function<RgbaImage()>& grab, UserDialogs& ui) {
    std::string folder = c.ProjectFileName.empty() ? c.ProgramDir
                                                   : pathToUtf8(pathFromUtf8(c.ProjectFileName).parent_path());
    for (;;) {
        const auto chosen = ui.chooseSaveFile({kScreenshotTitle, folder, kScreenshotFilter, {}});
        if (!chosen || chosen->empty()) return false;
        const auto path = pathFromUtf8(screenshotFileName(*chosen));
        std::error_code ec;
        if (std::filesystem::exists(path, ec) && !confirmOverwrite(ui, pathToUtf8(path))) {
            folder = pathToUtf8(path.parent_path());
            continue;
        }
        if (writeBmpFile(path, grab())) return true;
        ui.messageBox(kErrorTitle, kScreenshotFailedText + pathToUtf8(path) + ".", Buttons::Ok,
                      Icon::Error);
        return false;
    }
}

}  // namespace livra
