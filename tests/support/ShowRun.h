#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Bytes.h"
#include "support/RunProgram.h"
#include "support/TemporaryFolder.h"

// Tests that run the built program headless, with state and config folders of their own.
class ShowRun : public ::testing::Test
{
protected:
    // Runs the program with one switch and extra environment variables; its exit code.
    int Run(const char* argument, std::vector<std::string> extra = {})
    {
        extra.push_back("XDG_STATE_HOME=" + folder.Path() + "/state");
        extra.push_back("XDG_CONFIG_HOME=" + folder.Path() + "/config");
        extra.push_back("VERNALIA_HEADLESS=1");
        return RunProgram({VERNALIA_BINARY, argument}, extra).Run();
    }

    std::string Log() const { return ReadText(folder.Path() + "/state/HALCYONE Studio/QRELog.txt"); }

    TemporaryFolder folder;
};
