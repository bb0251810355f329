#pragma once
// Saving under a name the user chose: the file-name part, the extension rule
// and the one question before replacing a file, shared by every save of the
// program (project, journal, plan pictures, screenshots).
#include <optional>
#include <string>

#include "app/texts.h"
#include "app/user_dialogs.h"

namespace livra {

// The name without its folder; both separators, as a name typed on one
// system may come from the other.
std::string fileNamePart(const std::string& path);

// The path with `extension` (".ptm") appended unless its extension already
// is that one, in any case.
std::string withExtension(const std::string& path, const std::string& extension);

// How the question before replacing a file is put. FileName: "NAME уже
// существует.\nЗаменить?" under "Подтвердить сохранение", the name without its
// folder, as every save dialog asks. WholePath: "Файл PATH уже
// существует.\nЗаменить?" under "Внимание", as the diagram window's exports
// have always asked.
enum class OverwriteWording { FileName, WholePath };

// Asks whether `path` may be replaced; true when the user said yes.
bool confirmOverwrite(UserDialogs& ui, const std::string& path,
                      OverwriteWording wording = OverwriteWording::FileName);

// True when nothing is at `path` or the user agreed to replace it.
bool mayWriteTo(UserDialogs& ui, const std::string& path, OverwriteWording wording = OverwriteWording::FileName);

// A save dialog until the user gives a name that is new or may be replaced
// (the extension added as withExtension does); nothing when cancelled.
std::optional<std::string> askSaveFileName(UserDialogs& ui, const std::string& filter, const std::string& suggested,
                                           const std::string& extension);

}  // namespace livra
