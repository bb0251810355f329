// Running programs in the tests: fork and exec with both outputs captured.
// The Windows test build leaves out the tests that run programs.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include "support/test_support.h"

namespace livra::test {

namespace {
std::string drain(int fd) {
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) text.append(buf, std::size_t(n));
    return text;
}
}  // namespace

RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::pair<std::string, std::string>>& env) {
    int outPipe[2], errPipe[2];
    if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        const int devnull = ::open("/dev/null", O_RDONLY);
        ::dup2(devnull, 0);
        for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    RunResult r;
    std::thread errReader([&] { r.err = drain(errPipe[0]); });
    r.out = drain(outPipe[0]);
    errReader.join();
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

RunResult runLivra(const std::vector<std::string>& args, const std::filesystem::path& workdir) {
    std::vector<std::pair<std::string, std::string>> env;
    if (!workdir.empty()) env.emplace_back("LIVRA_WORKDIR", workdir.string());
    return runProgram(LIVRA_CLI_PATH, args, env);
}

}  // namespace livra::test
