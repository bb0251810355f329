#pragma once
// "Упаковать проект…": the saved project, its side file and its plan
// picture in one archive, as `livra pack` writes it.
#include "app/user_dialogs.h"
#include "model/configuration.h"

namespace livra {

// Asks for the archive's name (NAME.zip beside the project offered) and
// writes it. A project never saved, or changed since, is refused: the
// archive holds what the files hold. False when refused, cancelled or failed.
bool packProjectCommand(const Configuration& c, UserDialogs& ui);

}  // namespace livra
