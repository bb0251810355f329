// The JSON of a project comes from people's hands and from merges. Whatever
// it is, building the project must not crash; what is accepted must be a
// project file that reads back, and its own JSON must build the same bytes.
#include <cstdlib>
#include <string>
#include <string_view>

#include "format/project_json.h"
#include "model/project_file.h"

using namespace livra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto built = projectFromJson(text, error);
    if (!built) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    if (!parseProject(built->file)) std::abort();
    const auto again = projectToJson(built->file);
    if (!again) std::abort();
    const auto rebuilt = projectFromJson(*again, error);
    if (!rebuilt || rebuilt->file != built->file) std::abort();
    return 0;
}
