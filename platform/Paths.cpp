#include "platform/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform
{

namespace
{

// Duplicate and trailing slashes would leak into every path built on top.
std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Relative values are ignored: the XDG rules say so, and a relative folder
// would follow the working directory around.
std::string AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return {};
    return WithoutTrailingSlashes(value);
}

std::string UnderHome(const char* relative)
{
    std::string home = HomeDirectory();
    if (home.empty())
        return {};
    if (home == "/")
        home.clear();
    return home + "/" + relative;
}

// The value of a user-dirs.dirs line is a quoted shell word: "$HOME/rest" or
// "/absolute", with backslash escapes. Anything else is not trusted.
std::string ExpandUserDirsValue(const std::string& quoted)
{
    if (quoted.size() < 2 || quoted.front() != '"')
        return {};
    std::string value;
    size_t i = 1;
    for (; i < quoted.size() && quoted[i] != '"'; ++i)
    {
        if (quoted[i] == '\\' && i + 1 < quoted.size())
            ++i;
        value += quoted[i];
    }
    if (i >= quoted.size())
        return {};

    static const char kHome[] = "$HOME";
    const size_t homeLength = sizeof(kHome) - 1;
    if (value.compare(0, homeLength, kHome) == 0 && (value.size() == homeLength || value[homeLength] == '/'))
    {
        std::string home = HomeDirectory();
        if (home.empty())
            return {};
        return WithoutTrailingSlashes(home + value.substr(homeLength));
    }
    if (!value.empty() && value[0] == '/')
        return WithoutTrailingSlashes(value);
    return {};
}

std::string PicturesFromUserDirs()
{
    const std::string config = ConfigDirectory();
    if (config.empty())
        return {};
    std::ifstream file(config + "/user-dirs.dirs");
    static const char kKey[] = "XDG_PICTURES_DIR=";
    std::string line;
    while (std::getline(file, line))
    {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        if (line.compare(start, sizeof(kKey) - 1, kKey) != 0)
            continue;
        std::string value = line.substr(start + sizeof(kKey) - 1);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
        return ExpandUserDirsValue(value);
    }
    return {};
}

}

std::string HomeDirectory()
{
    std::string home = AbsoluteFromEnvironment("HOME");
    if (!home.empty())
        return home;

    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 4096);
    passwd entry{};
    passwd* found = nullptr;
    for (;;)
    {
        int error = getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20))
        {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        break;
    }
    if (!found || !found->pw_dir || found->pw_dir[0] != '/')
        return {};
    return WithoutTrailingSlashes(found->pw_dir);
}

std::string StateDirectory()
{
    std::string path = AbsoluteFromEnvironment("XDG_STATE_HOME");
    return path.empty() ? UnderHome(".local/state") : path;
}

std::string ConfigDirectory()
{
    std::string path = AbsoluteFromEnvironment("XDG_CONFIG_HOME");
    return path.empty() ? UnderHome(".config") : path;
}

std::string PicturesDirectory()
{
    std::string path = AbsoluteFromEnvironment("XDG_PICTURES_DIR");
    if (path.empty())
        path = PicturesFromUserDirs();
    return path.empty() ? UnderHome("Pictures") : path;
}

std::string TempDirectory()
{
    std::string path = AbsoluteFromEnvironment("TMPDIR");
    return path.empty() ? std::string("/tmp") : path;
}

bool MakeDirectories(const std::string& path, std::string* why)
{
    if (path.empty())
    {
        if (why)
            *why = "empty folder path";
        return false;
    }

    // Walk the prefixes left to right so every missing level is made in turn.
    size_t end = 0;
    while (end != std::string::npos)
    {
        end = path.find('/', end + 1);
        const std::string prefix = path.substr(0, end);
        if (prefix.empty() || prefix.back() == '/')
            continue;
        if (mkdir(prefix.c_str(), 0700) == 0)
            continue;
        // Read-only or foreign parents report other errors than EEXIST for a
        // folder that is already there; only the folder's existence matters.
        const int error = errno;
        struct stat info{};
        if (stat(prefix.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        if (why)
            *why = "cannot create folder '" + prefix + "': " +
                   (error == EEXIST ? std::string("exists and is not a folder") : std::string(std::strerror(error)));
        return false;
    }
    return true;
}

std::string LogDirectory()
{
    const std::string state = StateDirectory();
    return state.empty() ? std::string() : state + "/HALCYONE Studio";
}

std::string LogFilePath()
{
    const std::string folder = LogDirectory();
    return folder.empty() ? std::string() : folder + "/QRELog.txt";
}

}
