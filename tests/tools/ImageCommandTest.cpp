#include "tools/qre/ImageCommand.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/image/ImageTestFiles.h"
#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "support/TemporaryFolder.h"

using namespace imagetest;

namespace
{

class ImageCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterEngineClasses();
        ASSERT_EQ(InitializeEngine(), 0);
    }
    void TearDown() override { TerminateEngine(); }

    int Run(std::vector<std::string> arguments)
    {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int result = RunImageCommand(static_cast<int>(argv.size()), argv.data());
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return result;
    }

    std::string PathOf(const char* name) const { return folder.Path() + "/" + name; }

    TemporaryFolder folder;
    std::string out;
    std::string err;
};

} // namespace

TEST_F(ImageCommand, PrintsSizeAndFormatAndWritesThePixelsAsDecoded)
{
    WriteBytes(PathOf("pic.tga"), Join(TgaHeader(2, 1, 2, 24, 0), Bytes{1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(Run({"image", PathOf("pic.tga"), "-o", PathOf("pic.raw")}), 0) << err;
    EXPECT_EQ(out, "1 2 0\n");
    EXPECT_EQ(ReadBytes(PathOf("pic.raw")), (Bytes{3, 2, 1, 6, 5, 4}));
}

TEST_F(ImageCommand, FailsWithTheLogsReasonOrAUsageLine)
{
    WriteBytes(PathOf("deep.tga"), Join(TgaHeader(2, 1, 1, 16, 0), Bytes{1, 2}));
    EXPECT_EQ(Run({"image", PathOf("deep.tga")}), 1);
    // The codec's line, converted from the engine's code page.
    EXPECT_NE(err.find("[16]"), std::string::npos) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(Run({"image", PathOf("none.xyz")}), 1);
    EXPECT_EQ(Run({"image"}), 2);
    EXPECT_EQ(Run({"image", PathOf("deep.tga"), "-o"}), 2);
}
