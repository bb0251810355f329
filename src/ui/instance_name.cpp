#include <cstdlib>

#include "ui/single_instance.h"

namespace livra::ui {

std::string instanceName() {
    if (const char* v = std::getenv("LIVRA_INSTANCE_NAME"); v && *v) return v;
    return "Mutex Object Livra";
}

}  // namespace livra::ui
