#pragma once
// Saving under a name the user chose: the file-name part, the extension rule
// and the one question before replacing a file, shared by every save of the
// program (project, journal, plan pictures, screenshots).
#include <optional>
#include <string>

#include "app/user_dialogs.h"

namespace livra {

inline constexpr const char* kConfirmSaveTitle = "Подтвердить сохранение";
inline constexpr const char* kAlreadyExists = " уже существует.\nЗаменить?";

// The name without its folder; both separators, as a name typed on one
// system may come from the other.
std::string fileNamePart(const std::string& path);

// The path with `extension` (".ptm") appended unless its extension already
// is that one, in any case.
std::string withExtension(const std::string& path, const std::string& extension);

// "NAME уже существует.\nЗаменить?" under "Подтвердить сохранение", the
// file's name without its folder; true when the user said yes.
bool confirmOverwrite(UserDialogs& ui, const std::string& path);

// A save dialog until the user gives a name that is new or may be replaced
// (the extension added as withExtension does); nothing when cancelled.
std::optional<std::string> askSaveFileName(UserDialogs& ui, const std::string& filter, const std::string& suggested,
                                           const std::string& extension);

}  // namespace livra
