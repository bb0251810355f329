#include "app/save_names.h"

#include <filesystem>

#include "model/files.h"

namespace livra {

std::string fileNamePart(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string withExtension(const std::string& path, const std::string& extension) {
    const std::string name = fileNamePart(path);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos) {
        std::string ext = name.substr(dot);
        for (char& ch : ext)
            if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
        if (ext == extension) return path;
    }
    return path + extension;
}

bool confirmOverwrite(UserDialogs& ui, const std::string& path, OverwriteWording wording) {
    const bool byName = wording == OverwriteWording::FileName;
    const std::string question =
        byName ? fileNamePart(path) + kAlreadyExistsQuestion : kFileWord + path + kAlreadyExistsQuestion;
    return ui.messageBox(byName ? kConfirmSaveTitle : kWarningTitle, question, Buttons::YesNo, Icon::Exclamation) ==
           Answer::Yes;
}

bool mayWriteTo(UserDialogs& ui, const std::string& path, OverwriteWording wording) {
    std::error_code ec;
    return !std::filesystem::exists(pathFromUtf8(path), ec) || confirmOverwrite(ui, path, wording);
}

std::optional<std::string> askSaveFileName(UserDialogs& ui, const std::string& filter, const std::string& suggested,
                                           const std::string& extension) {
    while (true) {
        const auto name = ui.saveFileName(filter, suggested);
        if (!name || name->empty()) return std::nullopt;
        const std::string file = withExtension(*name, extension);
        if (mayWriteTo(ui, file)) return file;
    }
}

}  // namespace livra
