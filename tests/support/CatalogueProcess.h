// Test helper: runs the mivo-catalogue program as a child process on a free
// loopback port and stops it again.
//
// The child is started with "--port 0"; its first line on stdout is the port.
// The destructor sends SIGTERM to that child (and only to it) and reaps it,
// killing it with SIGKILL when it has not ended after two seconds. One object
// per test fixture; not shared between threads.
#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

class CatalogueProcess {
public:
    // Starts program with extra arguments after "--port 0". Check Started().
    explicit CatalogueProcess(const std::string& program, std::vector<std::string> extraArgs = {}) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        std::vector<std::string> args{program, "--port", "0"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        // Built before fork: the child may only make async-signal-safe calls.
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        if (m_pid < 0) {
            close(out[0]);
            return;
        }
        m_port = ReadPort(out[0]);
        close(out[0]);
    }

    ~CatalogueProcess() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (waitpid(m_pid, &m_status, WNOHANG) == m_pid) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &m_status, 0);
    }

    CatalogueProcess(const CatalogueProcess&) = delete;
    CatalogueProcess& operator=(const CatalogueProcess&) = delete;

    bool Started() const { return m_port > 0; }
    int Port() const { return m_port; }
    // "127.0.0.1:PORT", the form a proxy setting takes.
    std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }

    // Stops the child now; its exit status is then available.
    int StopAndWait() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, &m_status, 0);
            m_pid = -1;
        }
        return m_status;
    }

private:
    // Reads the first line of the child's stdout (the port), waiting at most five seconds.
    static int ReadPort(int fd) {
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) continue;
            char c;
            ssize_t n = read(fd, &c, 1);
            if (n <= 0) return -1;
            if (c == '\n') break;
            line += c;
        }
        try {
            return line.empty() ? -1 : std::stoi(line);
        } catch (...) {
            return -1;
        }
    }

    pid_t m_pid = -1;
    int m_port = -1;
    int m_status = 0;
};

}  // namespace testsupport
