// Running a program on Windows: CreateProcess with both outputs on pipes,
// the arguments quoted as the C runtime splits them.
#include <windows.h>

#include "platform/process.h"

namespace livra::platform {
namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

// The quoting rules of CommandLineToArgvW: backslashes are literal unless
// they precede a quote.
std::wstring quoted(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    for (std::size_t i = 0;; ++i) {
        std::size_t slashes = 0;
        while (i < arg.size() && arg[i] == L'\\') ++i, ++slashes;
        if (i == arg.size()) {
            out.append(slashes * 2, L'\\');
            break;
        }
        out.append(arg[i] == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        out += arg[i];
    }
    return out + L"\"";
}

void takeAvailable(HANDLE h, std::string& text) {
    char buf[4096];
    DWORD avail = 0;
    while (PeekNamedPipe(h, nullptr, 0, nullptr, &avail, nullptr) && avail > 0) {
        DWORD n = 0;
        if (!ReadFile(h, buf, avail < sizeof buf ? avail : DWORD(sizeof buf), &n, nullptr) || n == 0) return;
        text.append(buf, n);
    }
}

}  // namespace

std::optional<std::filesystem::path> findProgram(const std::string& name) {
    if (name.empty()) return std::nullopt;
    const std::filesystem::path given(wide(name));
    std::error_code ec;
    if (given.has_parent_path()) {
        if (std::filesystem::is_regular_file(given, ec)) return given;
        return std::nullopt;
    }
    for (const wchar_t* ext : {L".exe", L""}) {
        wchar_t found[MAX_PATH];
        if (SearchPathW(nullptr, given.c_str(), ext, MAX_PATH, found, nullptr) > 0) return std::filesystem::path(found);
    }
    return std::nullopt;
}

ProcessOutcome runProcess(const std::string& program, const std::vector<std::string>& args,
                          const std::filesystem::path& workdir,
                          const std::function<bool(const std::string&, const std::string&)>& keepGoing) {
    ProcessOutcome r;
    const auto exe = findProgram(program);
    if (!exe) return r;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return r;
    if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) {
        CloseHandle(outRead), CloseHandle(outWrite);
        return r;
    }
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);
    std::wstring commandLine = quoted(exe->wstring());
    for (const auto& a : args) commandLine += L" " + quoted(wide(a));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul;
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    PROCESS_INFORMATION pi{};
    const std::wstring dir = workdir.wstring();
    const bool started = commandLine.size() < 32767 &&
                         CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        dir.empty() ? nullptr : dir.c_str(), &si, &pi);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) {
        CloseHandle(outRead);
        CloseHandle(errRead);
        return r;
    }
    r.started = true;
    // Read while the program runs and once after it ended, never waiting on
    // a pipe's end (under wine it is sometimes never reported).
    for (;;) {
        takeAvailable(outRead, r.out);
        takeAvailable(errRead, r.err);
        if (keepGoing && !keepGoing(r.out, r.err)) {
            TerminateProcess(pi.hProcess, 1);
            WaitForSingleObject(pi.hProcess, INFINITE);
            r.cancelled = true;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 100) == WAIT_OBJECT_0) break;
    }
    takeAvailable(outRead, r.out);
    takeAvailable(errRead, r.err);
    CloseHandle(outRead);
    CloseHandle(errRead);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    r.exitCode = int(code);
    for (std::string* text : {&r.out, &r.err}) std::erase(*text, '\r');
    return r;
}

}  // namespace livra::platform
