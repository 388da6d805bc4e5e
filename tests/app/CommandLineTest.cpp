#include "app/VernaliaScreensaver.h"

#include <gtest/gtest.h>

TEST(CommandLine, SwitchesChooseTheModeAndTheWindowNumberThatFollows)
{
    struct Row
    {
        const char* line;
        int32_t mode;
        unsigned long parent;
    };
    const Row rows[] = {
        // No switch at all means configuration.
        {"vernalia", kModeConfigure, 0},
        {"vernalia ", kModeConfigure, 0},
        {"vernalia settings please", kModeConfigure, 0},
        {"", kModeConfigure, 0},
        // Show letters and anything outside the letter range show.
        {"vernalia /s", kModeShow, 0},
        {"vernalia /S", kModeShow, 0},
        {"vernalia -s", kModeShow, 0},
        {"vernalia /x", kModeShow, 0},
        {"vernalia /9", kModeShow, 0},
        {"vernalia /", kModeShow, 0},
        {"vernalia -root", kModeShow, 0},
        {"vernalia -window-id 0x1a00003", kModeShow, 0},
        {"vernalia /t", kModeShowT, 0},
        {"vernalia /T", kModeShowT, 0},
        // Window numbers follow configure, preview and password.
        {"vernalia /c:1234", kModeConfigure, 1234},
        {"vernalia /c", kModeConfigure, 0},
        {"vernalia /p 5678", kModePreview, 5678},
        {"vernalia /P5678", kModePreview, 5678},
        {"vernalia /a 99", kModePassword, 99},
        // A quoted program path is skipped whole: its "-" is no switch, and
        // an unterminated quote swallows everything.
        {"\"/opt/my-saver dir/vernalia\" /p 42", kModePreview, 42},
        {"\"/opt/my-saver dir/vernalia\"", kModeConfigure, 0},
        {"\"/opt/my-saver dir/vernalia\" later", kModeConfigure, 0},
        {"\"/opt/open -s", kModeConfigure, 0},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.line);
        VernaliaScreensaver app{String(row.line), Automation()};
        app.ParseCommandLine();
        EXPECT_EQ(app.GetMode(), row.mode);
        EXPECT_EQ(app.GetParentWindow(), row.parent);
    }
}
