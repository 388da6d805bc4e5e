#include "engine/core/Log.h"

#include <gtest/gtest.h>

#include <string>

#include "support/Bytes.h"
#include "support/LogCapture.h"
#include "support/TemporaryFolder.h"

namespace
{

struct CountingOutput : MessageOutput
{
    CountingOutput() : MessageOutput(String("Counting")) {}
    void Output(int32_t, const String& text) override { last = text.CStr(); ++count; }
    std::string last;
    int count = 0;
};

} // namespace

TEST(Log, RegisteringTwiceKeepsOneEntryAndWarnsThroughIt)
{
    Ptr<CountingOutput> output = new CountingOutput();
    uint32_t before = GetMessageOutputCount();
    ASSERT_EQ(RegisterMessageOutput(output.Get()), 0);
    EXPECT_EQ(output->last, "Объект вывода сообщений зарегестрирован. [Counting]");
    ASSERT_EQ(RegisterMessageOutput(output.Get()), 0);
    EXPECT_EQ(output->last, "Объект вывода сообщений уже зарегестрирован. [Counting]");
    EXPECT_EQ(GetMessageOutputCount(), before + 1);

    EXPECT_EQ(UnregisterMessageOutput(output.Get()), 0);
    EXPECT_EQ(output->last, "Объект вывода сообщений разрегестрирован. [Counting]");
    EXPECT_EQ(GetMessageOutputCount(), before);
    EXPECT_EQ(UnregisterMessageOutput(output.Get()), 3);
    EXPECT_EQ(RegisterMessageOutput(nullptr), 3);
    // The registry let go of its reference; ours is the only one left.
    EXPECT_EQ(output->GetRefCount(), 1);
}

TEST(Log, FileStartsWithItsOwnRegistrationLineAndUsesLevelPrefixes)
{
    TemporaryFolder folder;
    std::string path = folder.Path() + "/QRELog.txt";
    {
        Ptr<Log> log = new Log(String(path.c_str()), String());
        EXPECT_EQ(log->GetName(), String(path.c_str()));
        ASSERT_TRUE(log->IsOpen());
        RegisterMessageOutput(log.Get());
        LogInfo("info %d", 1);
        LogWarning("warning");
        LogError("error");
        LogCritical("critical");
        log->Output(7, String("odd level"));
        UnregisterMessageOutput(log.Get());
    }
    std::string expected = "INFO. Объект вывода сообщений зарегестрирован. [" + path + "]\n"
                           "INFO. info 1\n"
                           "WARNING. warning\n"
                           "ERROR. error\n"
                           "CRITICAL ERROR. critical\n"
                           "UNKNOWN. odd level\n"
                           "INFO. Объект вывода сообщений разрегестрирован. [" + path + "]\n";
    EXPECT_EQ(ReadText(path), expected);
}

TEST(Log, LongMessagesAreCutTo4095Bytes)
{
    LogCapture capture;
    std::string huge(10000, 'x');
    LogInfo("%s", huge.c_str());
    ASSERT_FALSE(capture.Lines().empty());
    EXPECT_EQ(capture.Lines().back().text.size(), 4095u);
    EXPECT_EQ(capture.Lines().back().level, kLogInfo);
}

TEST(Log, OutputRegisteredWhileLoggingIsServedTheSameMessage)
{
    struct Chaining : MessageOutput
    {
        Chaining() : MessageOutput(String("Chaining")) {}
        void Output(int32_t, const String&) override
        {
            if (!registered)
            {
                registered = true;
                RegisterMessageOutput(follower.Get());
            }
        }
        bool registered = false;
        Ptr<CountingOutput> follower = new CountingOutput();
    };
    Ptr<Chaining> first = new Chaining();
    RegisterMessageOutput(first.Get());
    // The registration line of first triggered the follower's registration,
    // whose own line reached it; the next message reaches it too.
    LogInfo("both see this");
    EXPECT_EQ(first->follower->last, "both see this");
    UnregisterMessageOutput(first->follower.Get());
    UnregisterMessageOutput(first.Get());
}
