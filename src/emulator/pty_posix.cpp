#ifndef _WIN32
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#if defined(__APPLE__) || defined(__FreeBSD__)
#include <util.h>
#else
#include <pty.h>
#endif

#include <cstring>

#include "emulator/pty.h"

namespace livra {
namespace {

class PosixPty : public PseudoTerminal {
public:
    PosixPty(int master, int slave, std::string path) : master_(master), slave_(slave), path_(std::move(path)) {}
    ~PosixPty() override {
        ::close(master_);
        ::close(slave_);
    }
    const std::string& devicePath() const override { return path_; }

    std::ptrdiff_t read(std::span<uint8_t> into, std::chrono::milliseconds timeout) override {
        pollfd p{master_, POLLIN, 0};
        const int r = ::poll(&p, 1, int(timeout.count()));
        if (r < 0) return errno == EINTR ? 0 : -1;
        if (r == 0) return 0;
        const ssize_t n = ::read(master_, into.data(), into.size());
        if (n < 0) return (errno == EAGAIN || errno == EINTR || errno == EIO) ? 0 : -1;
        return n;
    }

    bool write(std::span<const uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                if (errno == EAGAIN) {
                    pollfd p{master_, POLLOUT, 0};
                    ::poll(&p, 1, 100);
                    continue;
                }
                return false;
            }
            done += std::size_t(n);
        }
        return true;
    }

private:
    int master_;
    int slave_;  // kept open so the line stays up between the configurator's connections
    std::string path_;
};

}  // namespace

std::unique_ptr<PseudoTerminal> openPseudoTerminal(std::string& error) {
    int master = -1, slave = -1;
    char name[256] = {};
    termios raw{};
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B57600);
    ::cfsetospeed(&raw, B57600);
    if (::openpty(&master, &slave, name, &raw, nullptr) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return nullptr;
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    return std::make_unique<PosixPty>(master, slave, name);
}

}  // namespace livra
#endif
