#include "platform/platform.h"

#include <windows.h>
// after windows.h, which it builds on
#include <shellapi.h>

#include <cstdlib>
#include <new>
#include <io.h>

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

bool insideInstalledProgramsFolder(const std::filesystem::path& dir) {
    // Both program folders of a 64-bit system, as the system names them for
    // this process (a 64-bit one: %ProgramFiles% is the 64-bit folder).
    const std::wstring path = dir.lexically_normal().make_preferred().wstring();
    for (const wchar_t* name : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
        const wchar_t* value = _wgetenv(name);
        if (!value || !*value) continue;
        std::wstring root = std::filesystem::path(value).lexically_normal().make_preferred().wstring();
        while (!root.empty() && root.back() == L'\\') root.pop_back();
        if (root.empty() || path.size() <= root.size() || path[root.size()] != L'\\') continue;
        // Names are compared as the file system does: case does not count.
        if (CompareStringOrdinal(path.c_str(), int(root.size()), root.c_str(), int(root.size()), TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

ScratchBuffer::ScratchBuffer(std::size_t size) : data_(new (std::nothrow) uint8_t[size]), mapped_(size) {}

ScratchBuffer::~ScratchBuffer() { delete[] data_; }

bool syncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

void syncFolder(const std::filesystem::path&) {}

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    // A file just closed may still be open in a scanner for a moment.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if (attempt == 10 || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) return false;
        Sleep(50);
    }
}

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide || count != argc) {
        // Not the command line this process got (an embedding program's own
        // argv): the given arguments as they are.
        if (wide) LocalFree(wide);
        return {argv, argv + argc};
    }
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(std::size_t(n > 0 ? n - 1 : 0), '\0');
        if (n > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), n, nullptr, nullptr);
        out.push_back(std::move(arg));
    }
    LocalFree(wide);
    return out;
}

}  // namespace livra::platform
