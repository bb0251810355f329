// Running a program on Linux: fork and exec, both outputs on pipes read
// through poll so that a cancel is noticed while the program is silent.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/process.h"

namespace livra::platform {

std::optional<std::filesystem::path> findProgram(const std::string& name) {
    if (name.empty()) return std::nullopt;
    auto runnable = [](const std::filesystem::path& p) { return ::access(p.c_str(), X_OK) == 0 && !std::filesystem::is_directory(p); };
    if (name.find('/') != std::string::npos) {
        if (runnable(name)) return std::filesystem::path(name);
        return std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        const size_t colon = dirs.find(':', start);
        const std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!dir.empty()) {
            const std::filesystem::path p = std::filesystem::path(dir) / name;
            if (runnable(p)) return p;
        }
        if (colon == std::string::npos) return std::nullopt;
        start = colon + 1;
    }
}

ProcessOutcome runProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::filesystem::path& workdir,
                          const std::function<bool(const std::string&, const std::string&)>& keepGoing) {
    ProcessOutcome r;
    const auto found = findProgram(program);
    if (!found) return r;
    int outPipe[2], errPipe[2];
    if (::pipe(outPipe) != 0) return r;
    if (::pipe(errPipe) != 0) {
        ::close(outPipe[0]), ::close(outPipe[1]);
        return r;
    }
    const std::string exe = found->string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) ::close(fd);
        return r;
    }
    if (pid == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) ::close(fd);
        const int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0) ::dup2(devnull, 0);
        if (!workdir.empty() && ::chdir(workdir.c_str()) != 0) ::_exit(127);
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    r.started = true;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    char buf[4096];
    while (open > 0) {
        const int ready = ::poll(fds, 2, 100);
        if (ready < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? r.out : r.err).append(buf, size_t(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
        if (keepGoing && !keepGoing(r.out, r.err)) {
            ::kill(pid, SIGKILL);
            r.cancelled = true;
            break;
        }
    }
    for (const pollfd& f : fds)
        if (f.fd >= 0) ::close(f.fd);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (r.exitCode == 127 && !r.cancelled && r.out.empty() && r.err.empty()) r.started = false;
    return r;
}

}  // namespace livra::platform
