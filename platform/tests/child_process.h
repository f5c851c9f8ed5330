// Runs another program of the build as a child process on a given machine root and collects its
// standard output, its standard error and its exit status.
#pragma once

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace palvex::testing {

struct ChildResult {
    int exitCode = -1;
    std::string output;  // standard output
    std::string errors;  // standard error
};

inline ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                            const std::filesystem::path& machineRoot) {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "PALVEX_MACHINE=", 15) != 0) environment.emplace_back(*e);
    environment.push_back("PALVEX_MACHINE=" + machineRoot.string());
    std::vector<char*> envp;
    for (auto& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);

    std::vector<std::string> argStrings{program};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    ChildResult result;
    if (pipe(pipeFds) != 0) return result;
    // Standard error goes to a file, read once the child has ended, so neither stream can block
    // the other.
    FILE* errors = std::tmpfile();
    if (!errors) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fileno(errors), STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned == 0) {
        char buffer[4096];
        ssize_t n;
        while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, static_cast<size_t>(n));
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::rewind(errors);
        char buffer2[4096];
        size_t got;
        while ((got = std::fread(buffer2, 1, sizeof buffer2, errors)) > 0) result.errors.append(buffer2, got);
    }
    std::fclose(errors);
    close(pipeFds[0]);
    return result;
}

}  // namespace palvex::testing
