#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace livra::platform {

std::filesystem::path programDirectory() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec);
    return exe.parent_path();
}

std::filesystem::path userDataDirectory() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return std::filesystem::path(xdg) / "livra";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "share" / "livra";
    return std::filesystem::temp_directory_path() / "livra";
}

bool syncFile(std::FILE* file) { return ::fsync(::fileno(file)) == 0; }

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::vector<std::string> utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace livra::platform
