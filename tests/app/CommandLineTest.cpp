#include "app/VernaliaScreensaver.h"

#include <gtest/gtest.h>

namespace
{

struct Parsed
{
    int32_t mode;
    unsigned long parent;
};

Parsed Parse(const char* commandLine)
{
    VernaliaScreensaver app{String(commandLine), Automation()};
    app.ParseCommandLine();
    return {app.GetMode(), app.GetParentWindow()};
}

} // namespace

TEST(CommandLine, NoSwitchMeansConfiguration)
{
    EXPECT_EQ(Parse("vernalia").mode, kModeConfigure);
    EXPECT_EQ(Parse("vernalia ").mode, kModeConfigure);
    EXPECT_EQ(Parse("vernalia settings please").mode, kModeConfigure);
    EXPECT_EQ(Parse("").mode, kModeConfigure);
}

TEST(CommandLine, ShowLettersAndAnythingOutsideTheLetterRangeShow)
{
    for (const char* line : {"vernalia /s", "vernalia /S", "vernalia -s", "vernalia /x", "vernalia /9",
                             "vernalia /", "vernalia -root", "vernalia -window-id 0x1a00003"})
        EXPECT_EQ(Parse(line).mode, kModeShow) << line;
    EXPECT_EQ(Parse("vernalia /t").mode, kModeShowT);
    EXPECT_EQ(Parse("vernalia /T").mode, kModeShowT);
}

TEST(CommandLine, WindowNumbersFollowConfigurePreviewAndPassword)
{
    Parsed configure = Parse("vernalia /c:1234");
    EXPECT_EQ(configure.mode, kModeConfigure);
    EXPECT_EQ(configure.parent, 1234u);

    Parsed preview = Parse("vernalia /p 5678");
    EXPECT_EQ(preview.mode, kModePreview);
    EXPECT_EQ(preview.parent, 5678u);
    EXPECT_EQ(Parse("vernalia /P5678").parent, 5678u);

    Parsed bare = Parse("vernalia /c");
    EXPECT_EQ(bare.mode, kModeConfigure);
    EXPECT_EQ(bare.parent, 0u);

    Parsed password = Parse("vernalia /a 99");
    EXPECT_EQ(password.mode, kModePassword);
    EXPECT_EQ(password.parent, 99u);
}

TEST(CommandLine, QuotedProgramPathIsSkippedWhole)
{
    EXPECT_EQ(Parse("\"/opt/my-saver dir/vernalia\" /p 42").mode, kModePreview);
    EXPECT_EQ(Parse("\"/opt/my-saver dir/vernalia\" /p 42").parent, 42u);
    EXPECT_EQ(Parse("\"/opt/my-saver dir/vernalia\"").mode, kModeConfigure);
    // The "-" inside the path does not count as a switch.
    EXPECT_EQ(Parse("\"/opt/my-saver dir/vernalia\" later").mode, kModeConfigure);
    // An unterminated quote swallows everything.
    EXPECT_EQ(Parse("\"/opt/open -s").mode, kModeConfigure);
}
