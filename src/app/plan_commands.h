#pragma once
// The plan view's two file commands: loading the intersection picture and
// saving a screenshot of the plan. They talk to the user through UserDialogs.
#include <functional>
#include <optional>

#include "app/texts.h"
#include "app/user_dialogs.h"
#include "model/configuration.h"
#include "plan/plan_objects.h"
#include "plan/png_image.h"

namespace livra {

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
