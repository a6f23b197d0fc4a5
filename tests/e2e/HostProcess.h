// Running a program for the host's end-to-end tests: fork and exec with extra
// environment variables, stdout and stderr captured in files (so no pipe can
// fill up and stall the child), and the exit status as a shell reports it
// (128 + signal number for a child killed by a signal). A started process can
// be sent a signal and waited for. Used by one test thread at a time.
#pragma once

#include <fcntl.h>
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

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class ChildProcess {
public:
    // Starts program with args; env entries ("NAME=value") are added to this
    // process's environment. Output goes to files in folder.
    ChildProcess(const std::string& program, const std::vector<std::string>& args, const fs::path& folder,
                 const std::vector<std::string>& env = {})
        : m_outFile(folder / ("out-" + std::to_string(++Counter()))),
          m_errFile(folder / ("err-" + std::to_string(Counter()))) {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<std::string> envp;
        for (char** e = environ; *e; ++e) envp.emplace_back(*e);
        envp.insert(envp.end(), env.begin(), env.end());
        std::vector<char*> argvPointers;
        for (auto& a : argv) argvPointers.push_back(a.data());
        argvPointers.push_back(nullptr);
        std::vector<char*> envPointers;
        for (auto& e : envp) envPointers.push_back(e.data());
        envPointers.push_back(nullptr);
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
