#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
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

bool insideInstalledProgramsFolder(const std::filesystem::path& dir) {
    const auto normal = dir.lexically_normal();
    for (const char* root : {"/usr", "/opt"}) {
        const auto rel = normal.lexically_relative(root);
        if (!rel.empty() && *rel.begin() != "..") return true;
    }
    return false;
}

ScratchBuffer::ScratchBuffer(std::size_t size) {
    constexpr std::size_t hugePage = std::size_t(2) << 20;
    mapped_ = (size + hugePage - 1) & ~(hugePage - 1);
    void* memory = ::mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        mapped_ = 0;
        return;
    }
#ifdef MADV_HUGEPAGE
    ::madvise(memory, mapped_, MADV_HUGEPAGE);  // a hint: without it, plain pages
#endif
    data_ = static_cast<uint8_t*>(memory);
}

ScratchBuffer::~ScratchBuffer() {
    if (data_) ::munmap(data_, mapped_);
}

bool syncFile(std::FILE* file) { return ::fsync(::fileno(file)) == 0; }

void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::vector<std::string> utf8Arguments(int argc, char** argv) { return {argv, argv + argc}; }

}  // namespace livra::platform
