#include "platform/Paths.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/Bytes.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

namespace
{

bool IsFolder(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}

TEST(Paths, XdgVariablesChooseTheBaseFolders)
{
    ScopedEnvironment state("XDG_STATE_HOME", "/srv/state/");
    ScopedEnvironment config("XDG_CONFIG_HOME", "/srv/config");
    ScopedEnvironment temp("TMPDIR", "/srv/tmp");

    EXPECT_EQ(platform::StateDirectory(), "/srv/state");
    EXPECT_EQ(platform::ConfigDirectory(), "/srv/config");
    EXPECT_EQ(platform::TempDirectory(), "/srv/tmp");
    EXPECT_EQ(platform::LogDirectory(), "/srv/state/HALCYONE Studio");
    EXPECT_EQ(platform::LogFilePath(), "/srv/state/HALCYONE Studio/QRELog.txt");
}

TEST(Paths, UnsetOrRelativeXdgVariablesFallBackToHome)
{
    ScopedEnvironment home("HOME", "/home/tester");
    ScopedEnvironment state("XDG_STATE_HOME", "relative/state");
    ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
    ScopedEnvironment temp("TMPDIR", "");

    EXPECT_EQ(platform::StateDirectory(), "/home/tester/.local/state");
    EXPECT_EQ(platform::ConfigDirectory(), "/home/tester/.config");
    EXPECT_EQ(platform::TempDirectory(), "/tmp");
}

TEST(Paths, MissingHomeFallsBackToThePasswdEntry)
{
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    const std::string expected = entry->pw_dir;
    ScopedEnvironment state("XDG_STATE_HOME", nullptr);

    {
        ScopedEnvironment home("HOME", nullptr);
        EXPECT_EQ(platform::HomeDirectory(), expected);
        EXPECT_EQ(platform::StateDirectory(), (expected == "/" ? "" : expected) + "/.local/state");
    }
    {
        ScopedEnvironment home("HOME", "");
        EXPECT_EQ(platform::HomeDirectory(), expected);
    }
}

TEST(Paths, PicturesFolderPrefersEnvironmentThenUserDirsThenHome)
{
    TemporaryFolder folder;
    ScopedEnvironment home("HOME", "/home/tester");
    ScopedEnvironment config("XDG_CONFIG_HOME", folder.Path().c_str());
    ScopedEnvironment pictures("XDG_PICTURES_DIR", nullptr);

    EXPECT_EQ(platform::PicturesDirectory(), "/home/tester/Pictures");

    WriteText(folder.Path() + "/user-dirs.dirs",
              "# written by xdg-user-dirs-update\n"
              "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
              "  XDG_PICTURES_DIR=\"$HOME/Фото\"\n");
    EXPECT_EQ(platform::PicturesDirectory(), "/home/tester/Фото");

    WriteText(folder.Path() + "/user-dirs.dirs", "XDG_PICTURES_DIR=\"/data/shots\"\r\n");
    EXPECT_EQ(platform::PicturesDirectory(), "/data/shots");

    // A value that is neither $HOME-based nor absolute is not trusted.
    WriteText(folder.Path() + "/user-dirs.dirs", "XDG_PICTURES_DIR=\"shots\"\n");
    EXPECT_EQ(platform::PicturesDirectory(), "/home/tester/Pictures");

    ScopedEnvironment direct("XDG_PICTURES_DIR", "/mnt/pictures");
    EXPECT_EQ(platform::PicturesDirectory(), "/mnt/pictures");
}

TEST(Paths, MakeDirectoriesCreatesEveryLevelAcceptsExistingOnesAndStopsAtAFile)
{
    TemporaryFolder folder;
    const std::string deep = folder.Path() + "/a/b c/d";

    std::string why;
    EXPECT_TRUE(platform::MakeDirectories(deep, &why)) << why;
    EXPECT_TRUE(IsFolder(deep));
    EXPECT_TRUE(platform::MakeDirectories(deep + "/", &why)) << why;
    EXPECT_TRUE(platform::MakeDirectories(folder.Path(), &why)) << why;

    WriteText(folder.Path() + "/file", "x");
    EXPECT_FALSE(platform::MakeDirectories(folder.Path() + "/file/sub", &why));
    EXPECT_NE(why.find("file"), std::string::npos) << why;
    EXPECT_FALSE(platform::MakeDirectories(folder.Path() + "/file", &why));
    EXPECT_FALSE(platform::MakeDirectories("", &why));
}
