#pragma once
// The few things the core needs from the operating system, one file per
// platform behind this header.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace livra::platform {

// Folder of the running program file.
std::filesystem::path programDirectory();
// Per-user folder for the program's working files (may not exist yet).
std::filesystem::path userDataDirectory();
// Whether `dir` lies in the system's folder for installed programs (Program
// Files on Windows; /usr or /opt elsewhere). A program there writes none of
// its working files beside itself, even when it could (run as administrator):
// the uninstaller removes that folder, and other users share it.
bool insideInstalledProgramsFolder(const std::filesystem::path& dir);
// Flushes a written file to the disk before it is renamed over the old one.
bool syncFile(std::FILE* file);
// Makes the renames in a folder durable (POSIX: fsync of the folder; Windows
// keeps them in the file system's journal).
void syncFolder(const std::filesystem::path& folder);
// Puts `from` in the place of `to` in one step, replacing an existing file;
// on failure `to` is left as it was. Windows refuses a plain rename onto an
// existing file and may hold a file briefly (indexer, virus scanner).
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Tens of megabytes for a moment (a plan picture's pixel data), not zeroed.
// On Linux in huge pages where the system offers them: touching 4 KB pages
// one by one costs more than the work done on them. data() is null when the
// memory could not be had.
class ScratchBuffer {
public:
    explicit ScratchBuffer(std::size_t size);
    ~ScratchBuffer();
    ScratchBuffer(const ScratchBuffer&) = delete;
    ScratchBuffer& operator=(const ScratchBuffer&) = delete;
    uint8_t* data() const { return data_; }

private:
    uint8_t* data_ = nullptr;
    std::size_t mapped_ = 0;
};

// The program's arguments (argv[0] first) in UTF-8, and a console that shows
// UTF-8 output. Windows hands main() the arguments in the ANSI code page,
// where a Cyrillic file name turns into question marks, and its console
// reads output in the OEM code page.
std::vector<std::string> utf8Arguments(int argc, char** argv);

}  // namespace livra::platform
