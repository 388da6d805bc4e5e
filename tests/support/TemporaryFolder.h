#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>

// A fresh folder under /tmp, removed with everything in it when the test
// ends (permissions restored first so a test's chmod cannot leave debris).
class TemporaryFolder
{
public:
    TemporaryFolder()
    {
        std::string pattern = "/tmp/vernalia-test-XXXXXX";
        if (mkdtemp(pattern.data()))
            path = pattern;
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder()
    {
        if (path.empty())
            return;
        std::error_code ignored;
        for (auto it = std::filesystem::recursive_directory_iterator(path, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
            if (it->is_directory(ignored))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path, ignored);
    }

    const std::string& Path() const { return path; }

private:
    std::string path;
};
