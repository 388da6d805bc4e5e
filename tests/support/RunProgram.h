#pragma once
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// Runs a program with extra environment variables (each replacing an
// inherited one of its name) and waits for it, killing it after a time limit
// so a hung show cannot hang the suite. Returns the exit code, or -1 when it
// had to be killed or did not start.
class RunProgram
{
public:
    RunProgram(std::vector<std::string> arguments, std::vector<std::string> environment)
        : arguments(std::move(arguments)), environment(std::move(environment))
    {
    }

    // Starts the program; false when it cannot be started.
    bool Start()
    {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        std::vector<std::string> merged = environment;
        for (char** entry = environ; *entry; ++entry)
        {
            const std::string inherited = *entry;
            const std::string name = inherited.substr(0, inherited.find('=') + 1);
            bool replaced = false;
            for (const std::string& extra : environment)
                replaced = replaced || (!name.empty() && extra.compare(0, name.size(), name) == 0);
            if (!replaced)
                merged.push_back(inherited);
        }
        std::vector<char*> envp;
        for (std::string& entry : merged)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) == 0;
    }

    // Waits for the program to end by itself within the limit; kills it
    // when it does not.
    int Wait(std::chrono::milliseconds limit = std::chrono::seconds(60))
    {
        if (EndsWithin(limit))
            return exitCode;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
        return -1;
    }

    // True when the program ends within the limit (its code is kept for
    // Wait); false when it is still running, which it is left to do.
    bool EndsWithin(std::chrono::milliseconds limit)
    {
        if (pid < 0)
            return true;
        auto deadline = std::chrono::steady_clock::now() + limit;
        do
        {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
            {
                exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                pid = -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    ~RunProgram()
    {
        if (pid > 0)
            Wait(std::chrono::milliseconds(0));
    }

    void Signal(int number)
    {
        if (pid > 0)
            kill(pid, number);
    }

    int Run(std::chrono::milliseconds limit = std::chrono::seconds(60))
    {
        return Start() ? Wait(limit) : -1;
    }

private:
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    pid_t pid = -1;
    int exitCode = -1;
};
