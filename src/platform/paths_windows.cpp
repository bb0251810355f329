#include "platform/platform.h"

#include <cstdlib>
#include <new>
#include <io.h>
#include <windows.h>

namespace livra::platform {

std::filesystem::path programDirectory() {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, DWORD(std::size(buffer)));
    if (n == 0 || n >= std::size(buffer)) return std::filesystem::current_path();
    return std::filesystem::path(buffer).parent_path();
}

std::filesystem::path userDataDirectory() {
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        return std::filesystem::path(local) / L"Livra";
    return std::filesystem::temp_directory_path() / L"Livra";
}

ScratchBuffer::ScratchBuffer(std::size_t size) : data_(new (std::nothrow) uint8_t[size]), mapped_(size) {}

ScratchBuffer::~ScratchBuffer() { delete[] data_; }

bool syncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    // A file just closed may still be open in a scanner for a moment.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if (attempt == 10 || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) return false;
        Sleep(50);
    }
}

}  // namespace livra::platform
