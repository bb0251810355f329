#pragma once
// The plan view's two file commands: loading the intersection picture and
// saving a screenshot of the plan. They talk to the user through UserDialogs.
#include <functional>
#include <optional>

#include "app/user_dialogs.h"
#include "model/configuration.h"
#include "plan/plan_objects.h"
#include "plan/png_image.h"

namespace livra {

namespace plantext {
inline constexpr const char* OpenTitle = "Открыть";
inline constexpr const char* PngFilter = "PNG (*.png)";
inline constexpr const char* ScreenshotTitle = "Сохранить скриншот";
inline constexpr const char* ScreenshotFilter = "Файлы |*.bmp";
inline constexpr const char* ConfirmTitle = "Подтвердить сохранение";
inline constexpr const char* ErrorTitle = "Ошибка";
inline constexpr const char* PictureFailed = "Не удалось загрузить план перекрестка ";
inline constexpr const char* PictureKept = "\nПлан остался прежним.";
inline constexpr const char* OtherInShem = "В папке shem уже есть другой файл ";
inline constexpr const char* CopyFailed = "Не удалось скопировать план перекрестка в папку ";
inline constexpr const char* ScreenshotFailed = "Не удалось сохранить скриншот ";
}  // namespace plantext

// "Загрузить план перекрестка": asks for a PNG starting in the working
// folder's "shem", decodes it with its limits and, only when that worked,
// keeps it in "shem" (copying a picture from elsewhere there, after asking
// before it replaces a different file of that name), sets the plan's picture
// path and Modified. Returns the picture to show, reduced to at most
// 500 × 500; nothing when cancelled or refused, and then the plan is as it was.
std::optional<RgbaImage> loadPlanPicture(Configuration& c, Plan& plan, UserDialogs& ui);

// "Скриншот": asks for a BMP name starting in the project's folder (".bmp"
// appended unless present), asks before replacing a file (No asks for
// another name) and writes what `grab` gives atomically. False when cancelled
// or the writing failed (then an error box was shown).
bool savePlanScreenshot(const Configuration& c, const std::function<RgbaImage()>& grab, UserDialogs& ui);

}  // namespace livra
