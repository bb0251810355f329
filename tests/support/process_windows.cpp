// Running programs in the tests on Windows: CreateProcess with both outputs
// on pipes, the arguments quoted as the C runtime splits them.
#include <windows.h>

#include <stdexcept>
#include <string>

#include "model/files.h"
#include "support/test_support.h"

namespace livra::test {

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
        if (arg[i] == L'"') {
            out.append(slashes * 2 + 1, L'\\');
        } else {
            out.append(slashes, L'\\');
        }
        out += arg[i];
    }
    return out + L"\"";
}

// What the pipe holds now, without waiting for more.
void takeAvailable(HANDLE h, std::string& text) {
    char buf[4096];
    DWORD avail = 0;
    while (PeekNamedPipe(h, nullptr, 0, nullptr, &avail, nullptr) && avail > 0) {
        DWORD n = 0;
        if (!ReadFile(h, buf, avail < sizeof buf ? avail : DWORD(sizeof buf), &n, nullptr) || n == 0) return;
        text.append(buf, n);
    }
}

// The parent's environment with `extra` set over it, as a Unicode block.
std::wstring environmentBlock(const std::vector<std::pair<std::string, std::string>>& extra) {
    std::vector<std::wstring> vars;
    if (wchar_t* env = GetEnvironmentStringsW()) {
        for (const wchar_t* p = env; *p; p += wcslen(p) + 1) vars.emplace_back(p);
        FreeEnvironmentStringsW(env);
    }
    for (const auto& [k, v] : extra) {
        const std::wstring key = wide(k) + L"=";
        std::erase_if(vars, [&](const std::wstring& s) { return _wcsnicmp(s.c_str(), key.c_str(), key.size()) == 0; });
        vars.push_back(key + wide(v));
    }
    std::wstring block;
    for (const auto& s : vars) block += s + L'\0';
    return block + L'\0';
}

}  // namespace

RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::pair<std::string, std::string>>& env) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0))
        throw std::runtime_error("pipe");
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr);

    std::wstring commandLine = quoted(wide(program));
    for (const auto& a : args) commandLine += L" " + quoted(wide(a));
    // Longer is cut short by the system, and the program would see other
    // arguments than the test gave.
    if (commandLine.size() > 32766) throw std::runtime_error("command line over 32767 characters");
    std::wstring block = environmentBlock(env);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul;
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    PROCESS_INFORMATION pi{};
    // Under wine a start now and then fails for a moment while the machine is
    // busy; a few tries keep that from failing a test that did nothing wrong.
    bool started = false;
    DWORD startError = 0;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        if (attempt > 0) Sleep(200 * attempt);
        started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                 CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(), nullptr, &si, &pi);
        if (!started) startError = GetLastError();
    }
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    RunResult r;
    if (!started) {
        CloseHandle(outRead);
        CloseHandle(errRead);
        r.exitCode = 127;
        r.err = "CreateProcess failed, error " + std::to_string(startError);
        return r;
    }
    // The pipes are read while the program runs and emptied once it has
    // ended, never waited on for their end: under wine the end of a pipe
    // whose writer has exited is sometimes never reported, and a blocking
    // read would wait forever.
    for (;;) {
        takeAvailable(outRead, r.out);
        takeAvailable(errRead, r.err);
        if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) break;
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
    // A Windows program's text output ends its lines with CR LF; the tests
    // compare lines as the program writes them.
    for (std::string* text : {&r.out, &r.err}) std::erase(*text, '\r');
    return r;
}

RunResult runLivra(const std::vector<std::string>& args, const std::filesystem::path& workdir) {
    std::vector<std::pair<std::string, std::string>> env;
    if (!workdir.empty()) env.emplace_back("LIVRA_WORKDIR", pathToUtf8(workdir));
    return runProgram(LIVRA_CLI_PATH, args, env);
}

}  // namespace livra::test
