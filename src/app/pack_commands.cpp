#include "app/pack_commands.h"

#include "app/save_names.h"
#include "app/texts.h"
#include "format/project_pack.h"
#include "model/files.h"
#include "model/texts.h"

namespace livra {

bool packProjectCommand(const Configuration& c, UserDialogs& ui) {
    if (c.ProjectFileName.empty() || c.Modified) {
        ui.messageBox(kWarningTitle, kPackSaveFirstText, Buttons::Ok, Icon::Exclamation);
        return false;
    }
    const auto project = pathFromUtf8(c.ProjectFileName);
    auto suggested = project;
    suggested.replace_extension(".zip");
    auto name = ui.saveFileName(kPackArchiveFilter, pathToUtf8(suggested));
    if (!name) return false;
    *name = withExtension(*name, ".zip");
    if (!mayWriteTo(ui, *name, OverwriteWording::WholePath)) return false;
    const PackResult r = packProject(project, pathFromUtf8(*name), workingFolder() / "shem");
    if (!r.ok) {
        ui.messageBox(kErrorTitle, r.message, Buttons::Ok, Icon::Error);
        return false;
    }
    std::string line = kPackedLine + *name;
    if (r.pictureMissing) line += kPackedWithoutPictureText + r.pictureName;
    ui.status(line);
    return true;
}

}  // namespace livra
