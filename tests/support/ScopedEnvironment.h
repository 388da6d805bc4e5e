#pragma once
#include <cstdlib>
#include <optional>
#include <string>

// Sets (or unsets, with nullptr) one environment variable for a test's
// lifetime and puts the old value back, so tests sharing a process do not
// see each other's XDG folders.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const char* value) : name(name)
    {
        if (const char* old = std::getenv(name))
            previous = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment()
    {
        if (previous)
            setenv(name.c_str(), previous->c_str(), 1);
        else
            unsetenv(name.c_str());
    }

private:
    std::string name;
    std::optional<std::string> previous;
};
