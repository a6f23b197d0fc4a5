// Running a program for the host's end-to-end tests: fork and exec with extra
// environment variables, stdout and stderr captured in files (so no pipe can
// fill up and stall the child), and the exit status as a shell reports it
// (128 + signal number for a child killed by a signal). A started process can
// be sent a signal and waited for. Used by one test thread at a time.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/FileBytes.h"

extern char** environ;

namespace host_e2e {

namespace fs = std::filesystem;

// The environment of a child: this process's, without the variables through
// which the machine could reach into a run (a proxy, the user's configuration
// and cache), with the configuration and cache folders under folder, then the
// entries of env ("NAME=value"), which replace variables of the same name.
inline std::vector<std::string> ChildEnvironment(const fs::path& folder, const std::vector<std::string>& env) {
    std::vector<std::string> added{"XDG_CONFIG_HOME=" + (folder / "xdg-config").string(),
                                   "XDG_CACHE_HOME=" + (folder / "xdg-cache").string()};
    added.insert(added.end(), env.begin(), env.end());
    auto name = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    auto replaced = [&](const std::string& entry) {
        const std::string own = name(entry);
        if (own == "http_proxy" || own == "HTTP_PROXY") return true;
        for (const auto& e : added)
            if (name(e) == own) return true;
        return false;
    };
    std::vector<std::string> result;
    for (char** e = environ; *e; ++e)
        if (!replaced(*e)) result.emplace_back(*e);
    for (size_t i = 0; i < added.size(); ++i) {
        bool later = false;  // a later entry of the same name wins
        for (size_t j = i + 1; j < added.size(); ++j) later = later || name(added[j]) == name(added[i]);
        if (!later) result.push_back(added[i]);
    }
    return result;
}

// The null-terminated array of pointers to the texts of strings, as exec takes it.
inline std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class ChildProcess {
public:
    // Starts program with args in the environment ChildEnvironment(folder, env).
    // Output goes to files in folder.
    ChildProcess(const std::string& program, const std::vector<std::string>& args, const fs::path& folder,
                 const std::vector<std::string>& env = {})
        : m_outFile(folder / ("out-" + std::to_string(++Counter()))),
          m_errFile(folder / ("err-" + std::to_string(Counter()))) {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<std::string> envp = ChildEnvironment(folder, env);
        std::vector<char*> argvPointers = Pointers(argv);
        std::vector<char*> envPointers = Pointers(envp);
        const std::string out = m_outFile.string();
        const std::string err = m_errFile.string();
        m_pid = fork();
        if (m_pid == 0) {
            const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int nullFd = open("/dev/null", O_RDONLY);
            if (outFd < 0 || errFd < 0 || nullFd < 0) _exit(126);
            dup2(nullFd, 0);
            dup2(outFd, 1);
            dup2(errFd, 2);
            execve(argvPointers[0], argvPointers.data(), envPointers.data());
            _exit(127);
        }
    }
    ~ChildProcess() {
        if (m_pid > 0 && !m_waited) {
            kill(m_pid, SIGKILL);
            Wait();
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    void Signal(int number) {
        if (m_pid > 0 && !m_waited) kill(m_pid, number);
    }
    std::string ErrSoFar() const { return ReadBytes(m_errFile); }
    std::string OutSoFar() const { return ReadBytes(m_outFile); }

    // Waits for the end; the exit status as a shell reports it, and the output.
    ProcessResult Wait() {
        ProcessResult result;
        if (m_pid <= 0) return result;
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_waited = true;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
        result.out = ReadBytes(m_outFile);
        result.err = ReadBytes(m_errFile);
        return result;
    }

private:
    static int& Counter() {
        static int counter = 0;
        return counter;
    }

    fs::path m_outFile;
    fs::path m_errFile;
    pid_t m_pid = -1;
    bool m_waited = false;
};

// Runs program to its end.
inline ProcessResult Run(const std::string& program, const std::vector<std::string>& args, const fs::path& folder,
                         const std::vector<std::string>& env = {}) {
    ChildProcess child(program, args, folder, env);
    return child.Wait();
}

// Runs program to its end on a new pseudo-terminal columns wide, which is its
// stdin, stdout and stderr, in the environment ChildEnvironment(folder, env).
// out holds all it wrote to the terminal (line breaks as the terminal sends
// them, "\r\n"); err stays empty. Once out holds prompt (when not empty),
// answer is typed on the terminal, once.
inline ProcessResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                                   const fs::path& folder, const std::vector<std::string>& env = {},
                                   unsigned short columns = 80, const std::string& prompt = {},
                                   const std::string& answer = {}) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = ChildEnvironment(folder, env);
    std::vector<char*> argvPointers = Pointers(argv);
    std::vector<char*> envPointers = Pointers(envp);
    struct winsize size {};
    size.ws_row = 24;
    size.ws_col = columns;
    int terminal = -1;
    ProcessResult result;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, &size);
    if (pid < 0) return result;
    if (pid == 0) {
        execve(argvPointers[0], argvPointers.data(), envPointers.data());
        _exit(127);
    }
    char buffer[1024];
    bool answered = prompt.empty();
    // Reading ends with EIO once the child and its descendants closed the terminal.
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR);) {
        if (n > 0) result.out.append(buffer, static_cast<size_t>(n));
        if (!answered && result.out.find(prompt) != std::string::npos)
            answered = write(terminal, answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
    }
    close(terminal);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return result;
}

// Polls condition every 10 ms until it holds or timeout passes; answers whether it held.
inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

}  // namespace host_e2e
