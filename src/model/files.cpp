#include "model/files.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string_view>

#include "platform/platform.h"

namespace livra {
namespace {

class StdioWriteStream : public WriteStream {
public:
    explicit StdioWriteStream(std::FILE* f) : file_(f) {}
    ~StdioWriteStream() override {
        if (file_) std::fclose(file_);
    }
    bool write(std::span<const uint8_t> bytes) override {
        return file_ && (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size());
    }
    bool finish() override {
        if (!file_) return false;
        bool ok = std::fflush(file_) == 0 && platform::syncFile(file_);
        ok = std::fclose(file_) == 0 && ok;
        file_ = nullptr;
        return ok;
    }

private:
    std::FILE* file_;
};

class RealFileSystem : public FileSystem {
public:
    std::unique_ptr<WriteStream> create(const std::filesystem::path& path) override {
#ifdef _WIN32
        std::FILE* f = _wfopen(path.c_str(), L"wb");
#else
        std::FILE* f = std::fopen(path.c_str(), "wb");
#endif
        if (!f) return nullptr;
        return std::make_unique<StdioWriteStream>(f);
    }
    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return platform::replaceFile(from, to);
    }
    void remove(const std::filesystem::path& path) override {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
};

std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    auto name = target.filename();
    name += ".tmp" + std::to_string(stamp % 1000000007) + "_" + std::to_string(counter++);
    return target.parent_path() / name;
}

// Whether `candidate` is named as temporaryBeside names files for `target`.
bool isTemporaryOf(const std::filesystem::path& candidate, const std::filesystem::path& target) {
    const std::string prefix = pathToUtf8(target.filename()) + ".tmp";
    const std::string name = pathToUtf8(candidate.filename());
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    const std::string_view rest = std::string_view(name).substr(prefix.size());
    const auto cut = rest.find('_');
    auto digits = [](std::string_view d) { return !d.empty() && d.find_first_not_of("0123456789") == d.npos; };
    return cut != rest.npos && digits(rest.substr(0, cut)) && digits(rest.substr(cut + 1));
}

std::filesystem::path folderOf(const std::filesystem::path& target) {
    return target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
}

// What a killed save left beside `target`: its temporary files and the old
// versions it kept.
void removeStaleTemporaries(const std::filesystem::path& target, FileSystem& fs) {
    std::error_code ec;
    std::vector<std::filesystem::path> stale;
    for (auto it = std::filesystem::directory_iterator(folderOf(target), ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (isTemporaryOf(it->path(), target) && !it->is_directory(typeError)) stale.push_back(it->path());
    }
    for (const auto& path : stale) fs.remove(path);
}

// The file a save replaces: a symlink's final target, so the link stays.
std::filesystem::path writtenPath(const std::filesystem::path& target) {
    std::filesystem::path p = target;
    std::error_code ec;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(p, ec); ++hops) {
        const auto next = std::filesystem::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p;
}

// The replaced file's permissions on its new version (a read-only file stays
// read-only).
void keepPermissions(const std::filesystem::path& target, const std::filesystem::path& temp) {
    std::error_code ec;
    const auto st = std::filesystem::status(target, ec);
    if (ec || !std::filesystem::is_regular_file(st)) return;
    std::filesystem::permissions(temp, st.permissions(), ec);
}

void syncFolders(const std::vector<std::filesystem::path>& targets, FileSystem& fs) {
    std::vector<std::filesystem::path> done;
    for (const auto& t : targets) {
        const auto folder = folderOf(t);
        if (std::find(done.begin(), done.end(), folder) != done.end()) continue;
        fs.syncFolder(folder);
        done.push_back(folder);
    }
}

}  // namespace

bool FileSystem::link(const std::filesystem::path& existing, const std::filesystem::path& name) {
    std::error_code ec;
    std::filesystem::create_hard_link(existing, name, ec);
    if (!ec) return true;
    // Without hard links (FAT), a copy keeps the old version as well.
    return std::filesystem::copy_file(existing, name, ec) && !ec;
}

void FileSystem::syncFolder(const std::filesystem::path& folder) { platform::syncFolder(folder); }

FileSystem& realFileSystem() {
    static RealFileSystem fs;
    return fs;
}

namespace {

// The chunks in a fresh temporary file beside `target`; its path, or nothing
// (and no temporary file left) when any of it failed.
std::optional<std::filesystem::path> writeTemporary(const std::filesystem::path& target,
                                                    const std::vector<std::span<const uint8_t>>& chunks,
                                                    FileSystem& fs) {
    const auto temp = temporaryBeside(target);
    auto stream = fs.create(temp);
    if (!stream) return std::nullopt;
    bool ok = true;
    for (const auto& chunk : chunks) {
        if (!stream->write(chunk)) {
            ok = false;
            break;
        }
    }
    ok = stream->finish() && ok;
    stream.reset();
    if (!ok) {
        fs.remove(temp);
        return std::nullopt;
    }
    keepPermissions(target, temp);
    return temp;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& given, const std::vector<std::span<const uint8_t>>& chunks,
                         FileSystem& fs) {
    const auto target = writtenPath(given);
    removeStaleTemporaries(target, fs);
    const auto temp = writeTemporary(target, chunks, fs);
    if (!temp) return false;
    if (!fs.rename(*temp, target)) {
        fs.remove(*temp);
        return false;
    }
    fs.syncFolder(folderOf(target));
    return true;
}

WriteTogetherResult writeFilesTogether(const std::vector<FileToWrite>& files, FileSystem& fs) {
    WriteTogetherResult result;
    const std::size_t n = files.size();
    std::vector<std::filesystem::path> targets;
    for (const auto& f : files) {
        targets.push_back(writtenPath(f.target));
        removeStaleTemporaries(targets.back(), fs);
    }
    std::vector<std::filesystem::path> temps;
    for (std::size_t i = 0; i < n; ++i) {
        auto temp = writeTemporary(targets[i], {files[i].bytes}, fs);
        if (!temp) {
            for (const auto& t : temps) fs.remove(t);
            result.failed = int(i);
            return result;
        }
        temps.push_back(std::move(*temp));
    }
    // The old versions of all but the last, to put back should a later
    // rename fail (the last one's failure leaves it as it was anyway).
    std::vector<bool> existed(n);
    std::vector<std::optional<std::filesystem::path>> kept(n);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        std::error_code ec;
        existed[i] = std::filesystem::exists(targets[i], ec);
        if (!existed[i]) continue;
        const auto name = temporaryBeside(targets[i]);
        if (fs.link(targets[i], name)) kept[i] = name;
    }
    auto finish = [&] {
        for (const auto& k : kept)
            if (k) fs.remove(*k);
        syncFolders(targets, fs);
        return result;
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (fs.rename(temps[i], targets[i])) continue;
        result.failed = int(i);
        for (std::size_t j = i; j < n; ++j) fs.remove(temps[j]);
        for (std::size_t j = 0; j < i; ++j) {
            bool back = false;
            if (existed[j]) {
                back = kept[j] && fs.rename(*kept[j], targets[j]);
                if (back) kept[j].reset();
            } else {
                fs.remove(targets[j]);
                std::error_code ec;
                back = !std::filesystem::exists(targets[j], ec);
            }
            if (!back) result.replaced.push_back(int(j));
        }
        return finish();
    }
    return finish();
}

bool writeFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes, FileSystem& fs) {
    return writeFileAtomically(target, std::vector<std::span<const uint8_t>>{bytes}, fs);
}

bool folderCanHoldFile(const std::filesystem::path& target) {
    if (target.empty() || !target.has_filename()) return false;
    std::error_code ec;
    if (std::filesystem::is_directory(target, ec)) return false;
    const auto folder = target.parent_path();
    return folder.empty() || std::filesystem::is_directory(folder, ec);
}

std::optional<Bytes> readStreamCapped(std::istream& in, std::size_t limit, Bytes bytes) {
    char chunk[65536];
    while (in) {
        in.read(chunk, sizeof chunk);
        const auto got = std::size_t(in.gcount());
        if (bytes.size() + got > limit) return std::nullopt;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::optional<Bytes> readWholeFile(const std::filesystem::path& path, std::size_t limit) {
    // A folder opens as a stream on some systems and reports a huge size;
    // only a regular file has contents to read.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || ec) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    try {
        // The reported size is only a hint: the file may change while it is
        // read, so the read itself is bounded.
        const auto hint = std::filesystem::file_size(path, ec);
        Bytes bytes;
        if (!ec) bytes.reserve(std::size_t(std::min<std::uintmax_t>(hint, limit) + 1));
        return readStreamCapped(in, limit, std::move(bytes));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::filesystem::path pathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string pathToUtf8(const std::filesystem::path& path) {
    const auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

namespace {
bool folderWritable(const std::filesystem::path& dir) {
    const auto probe = temporaryBeside(dir / ".livra-probe");
    auto stream = realFileSystem().create(probe);
    if (!stream) return false;
    stream.reset();
    realFileSystem().remove(probe);
    return true;
}
}  // namespace

std::filesystem::path workingFolderFor(const std::filesystem::path& program, const std::filesystem::path& user,
                                       bool installed) {
    std::error_code ec;
    if (!installed && folderWritable(program)) return program;
    std::filesystem::create_directories(user, ec);
    // Pictures the user deleted from the folder stay deleted: only a new
    // folder is given them.
    const auto shem = user / "shem";
    if (std::filesystem::exists(shem, ec)) return user;
    for (const auto& shipped : {program / "shem", program.parent_path() / "share" / "livra" / "shem"}) {
        if (!std::filesystem::is_directory(shipped, ec)) continue;
        if (!std::filesystem::create_directories(shem, ec)) break;
        for (const auto& entry : std::filesystem::directory_iterator(shipped, ec))
            if (entry.is_regular_file(ec)) std::filesystem::copy_file(entry.path(), shem / entry.path().filename(), ec);
        break;
    }
    return user;
}

std::filesystem::path workingFolder() {
    if (const char* env = std::getenv("LIVRA_WORKDIR"); env && *env) {
        auto dir = pathFromUtf8(env);
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        return dir;
    }
    const auto program = platform::programDirectory();
    return workingFolderFor(program, platform::userDataDirectory(), platform::insideInstalledProgramsFolder(program));
}

}  // namespace livra
