#include "platform/Termination.h"

#include "platform/Window.h"

#include <csignal>
#include <gtest/gtest.h>

namespace
{

// The handlers outlive a test otherwise, and a test runner that stops the
// binary with SIGTERM must still be able to.
class TerminationSignals : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i)
            sigaction(kSignals[i], nullptr, &saved[i]);
        platform::ClearTerminationRequest();
    }

    void TearDown() override
    {
        for (int i = 0; i < 3; ++i)
            sigaction(kSignals[i], &saved[i], nullptr);
        platform::ClearTerminationRequest();
    }

    static size_t CountCloses()
    {
        std::vector<platform::WindowEvent> events;
        platform::PumpWindowEvents(events);
        size_t closes = 0;
        for (const auto& event : events)
            closes += event.type == platform::WindowEvent::Type::Close ? 1 : 0;
        return closes;
    }

    static constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};
    struct sigaction saved[3] = {};
};

}  // namespace

TEST_F(TerminationSignals, SignalsBecomeOneCloseEventUntilCleared)
{
    platform::InstallTerminationHandlers();
    EXPECT_FALSE(platform::TerminationRequested());
    EXPECT_EQ(CountCloses(), 0u);

    raise(SIGTERM);
    EXPECT_TRUE(platform::TerminationRequested());
    EXPECT_EQ(CountCloses(), 1u);

    // A second signal of the same shutdown is not a second Close.
    raise(SIGINT);
    EXPECT_EQ(CountCloses(), 0u);
    EXPECT_TRUE(platform::TerminationRequested());

    // Once cleared, the next signal is reported again.
    platform::ClearTerminationRequest();
    EXPECT_FALSE(platform::TerminationRequested());
    EXPECT_EQ(CountCloses(), 0u);
    raise(SIGHUP);
    EXPECT_EQ(CountCloses(), 1u);
}

TEST_F(TerminationSignals, HangupIgnoredByTheParentStaysIgnored)
{
    signal(SIGHUP, SIG_IGN);
    platform::InstallTerminationHandlers();

    struct sigaction now = {};
    sigaction(SIGHUP, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);

    raise(SIGHUP);
    EXPECT_FALSE(platform::TerminationRequested());
}
