#pragma once
// Small process helpers for tests that drive system programs (ip, dbus-daemon,
// avahi-daemon, avahi-browse): run to completion with captured output, or start in the
// background and end by pid.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace testsupport {

struct RunResult {
    int status = -1;  // exit code, or -1 when it could not run or was killed
    std::string out;  // standard output and standard error together
};

inline std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

// The current environment with extra NAME=VALUE entries in front.
inline std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> env = extra;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    return env;
}

inline pid_t Spawn(std::vector<std::string> args, const std::vector<std::string>& extraEnv, int stdinFd,
                   int stdoutFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdinFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdinFd, 0);
    else posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (stdoutFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, 2);
    }
    std::vector<std::string> env = EnvironmentWith(extraEnv);
    auto argv = Argv(args);
    auto envp = Argv(env);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

inline RunResult Run(std::vector<std::string> args, const std::vector<std::string>& extraEnv = {}) {
    RunResult result;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return result;
    const pid_t pid = Spawn(std::move(args), extraEnv, -1, pipeFds[1]);
    ::close(pipeFds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) result.out.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    if (pid < 0) return result;
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Ends a background child: TERM, a grace period, then KILL; always reaps it.
inline void Stop(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

inline bool HaveProgram(const char* name) {
    return Run({"sh", "-c", std::string("command -v ") + name}).status == 0;
}

}  // namespace testsupport
