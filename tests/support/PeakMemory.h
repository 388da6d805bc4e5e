#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

// How far the resident memory of a process rises while work runs, in MB:
// the work runs in a forked child whose peak is reset first, so whatever
// the test program held before does not count. -1 when the child could
// not report.
template <typename Work>
int PeakGrowthMegabytes(Work work)
{
    auto kilobytes = [](const char* field) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind(field, 0) == 0)
                return std::atol(line.c_str() + std::char_traits<char>::length(field));
        return 0L;
    };
    const pid_t child = fork();
    if (child == 0)
    {
        std::ofstream("/proc/self/clear_refs") << "5"; // peak := current
        const long before = kilobytes("VmRSS:");
        work();
        const long growth = (kilobytes("VmHWM:") - before) / 1024;
        _exit(growth < 0 ? 0 : growth > 250 ? 250 : static_cast<int>(growth));
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
