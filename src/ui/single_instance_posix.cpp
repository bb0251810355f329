#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <cctype>
#include <cstdlib>
#include <string>

#include "ui/single_instance.h"

namespace livra::ui {

SingleInstance::SingleInstance(const std::string& name) {
    // A lock file per user in the temporary folder; flock is dropped by the
    // kernel with the last descriptor, also when the process is killed.
    std::string file;
    for (char ch : name) file += (std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_');
    const std::string path =
        QDir::tempPath().toStdString() + "/" + file + "-" + std::to_string(getuid()) + ".lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        held_ = true;  // no lock possible: rather run twice than never
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        held_ = true;
        handle_ = fd;
    } else {
        ::close(fd);
    }
}

SingleInstance::~SingleInstance() {
    if (handle_ >= 0) ::close(int(handle_));
}

}  // namespace livra::ui
#endif
