#ifdef _WIN32
#include <windows.h>

#include "ui/single_instance.h"

namespace livra::ui {

SingleInstance::SingleInstance(const std::string& name) {
    // A named mutex owned by its creator; Windows drops it with the process.
    HANDLE h = CreateMutexA(nullptr, TRUE, name.c_str());
    if (h == nullptr) {
        held_ = true;
        return;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(h);
        return;
    }
    held_ = true;
    handle_ = reinterpret_cast<long long>(h);
}

SingleInstance::~SingleInstance() {
    if (handle_ != -1) {
        ReleaseMutex(reinterpret_cast<HANDLE>(handle_));
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

}  // namespace livra::ui
#endif
