// The feeds against a server on 127.0.0.1: what a download queues from good
// and hostile answers, the refill below ten items, the retry delay, and
// stopping a worker that is stuck in a transfer.
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "info/InternetRssSource.h"
#include "support/LocalHttpServer.h"

namespace
{

using namespace std::chrono_literals;

constexpr auto kBound = 10s; // no download here should come near it

std::string Feed(int items, const std::string& extra = std::string())
{
    std::string text = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><rss version=\"2.0\"><channel>";
    for (int i = 0; i < items; ++i)
        text += "<item><description>Item " + std::to_string(i) + "</description></item>";
    return text + extra + "</channel></rss>";
}

// Only what is queued now: taking starts refills.
std::vector<std::string> Drain(InternetRssSource& source)
{
    std::vector<std::string> bodies;
    Message message;
    for (uint32_t count = source.GetQueuedCount(); count > 0 && source.GetNextMessage(message); --count)
        bodies.push_back(message.body.CStr());
    return bodies;
}

} // namespace

TEST(FeedSource, QueuesTheShortItemsOfAGoodFeedAndNothingFromHostileAnswers)
{
    const auto item = [](const std::string& description) {
        return "<item><description>" + description + "</description></item>";
    };
    const std::string limits = item(std::string(300, 'x')) + item(std::string(301, 'y')) +
                               item("1&lt;br>2&lt;br>3&lt;br>4&lt;br>5&lt;br>6&lt;br>7&lt;br>8") +
                               item("<![CDATA[1<br>2<br>3<br>4<br>5<br>6</p>7<p>8\n9]]>") +
                               "<item><title>no description</title></item>" + item("&amp;quot;%s%n&amp;quot;&nbsp;");
    std::string nested = "<rss><channel>";
    for (int i = 0; i < 100000; ++i)
        nested += "<a>";
    const struct
    {
        LocalHttpServer::Kind kind;
        int status; // 0: nothing listens
        std::string body;
        std::vector<std::string> queued;
    } cases[] = {
        {LocalHttpServer::kWhole, 200, Feed(0, limits),
         {std::string(300, 'x'), "1\n2\n3\n4\n5\n6\n7\n8", "\"%s%n\"&nbsp;"}},
        {LocalHttpServer::kStall, 200, "", {}},
        {LocalHttpServer::kEndless, 200, "", {}},
        {LocalHttpServer::kWhole, 200, Feed(3) + std::string(50 * 1024 * 1024, ' '), {}},
        {LocalHttpServer::kWhole, 200, Feed(2, item("a & b")), {}},
        {LocalHttpServer::kWhole, 200,
         "<!DOCTYPE rss [<!ENTITY a \"aaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>" + Feed(1, "&b;"), {}},
        {LocalHttpServer::kWhole, 200, nested, {}},
        {LocalHttpServer::kWhole, 200, "<rss><channel>" + item("\xFF\xFE") + "</channel></rss>", {}},
        {LocalHttpServer::kWhole, 200, "<?xml version=\"1.0\" encoding=\"x-unknown\"?><rss><channel/></rss>", {}},
        {LocalHttpServer::kWhole, 200, "<html><head><title>News</title></head><body>soon</body></html>", {}},
        {LocalHttpServer::kWhole, 404, Feed(3), {}},
        {LocalHttpServer::kWhole, 0, Feed(3), {}},
    };
    for (const auto& c : cases)
    {
        LocalHttpServer server(c.kind, c.status, c.body);
        const std::string url = c.status ? server.Url()
                                         : "http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()) + "/rss";
        InternetRssSource source(String("BBC News"), String(url.c_str()));
        platform::HttpLimits quick; // a stall ends within the test
        quick.lowSpeedSeconds = 1;
        source.SetLimits(quick);
        source.SetEnabled(true);
        ASSERT_TRUE(source.WaitForDownloads(1, kBound)) << c.body.substr(0, 60);
        EXPECT_EQ(Drain(source), c.queued) << c.body.substr(0, 60);
        // Nothing to show: the next try waits for the delay.
        EXPECT_EQ(source.GetRetryDelay(), c.queued.empty() ? 60.0f : 0.0f) << c.body.substr(0, 60);
        const bool answered = c.status == 200 && c.kind == LocalHttpServer::kWhole;
        for (const char* header : {"User-Agent: QW SCREENSAVER", "Cache-Control: no-cache", "Pragma: no-cache"})
            EXPECT_TRUE(!answered || server.lastRequest.find(header) != std::string::npos) << header;
    }
}

TEST(FeedSource, RefillsBelowTenItemsAndRetriesAfterTheDelay)
{
    LocalHttpServer server(LocalHttpServer::kWhole, 200, Feed(12));
    InternetRssSource source(String("BBC News"), String(server.Url().c_str()));
    Message message;
    EXPECT_FALSE(source.GetNextMessage(message)); // disabled: no worker, no download
    source.SetEnabled(true);
    ASSERT_TRUE(source.WaitForDownloads(1, kBound));
    for (int taken = 1; taken <= 3; ++taken)
    {
        ASSERT_TRUE(source.GetNextMessage(message));
        EXPECT_EQ(message.body, String(("Item " + std::to_string(taken - 1)).c_str()));
        EXPECT_EQ(message.title, String("BBC News"));
        // Of 12, 11 and 10 left start nothing (the short bound is far above
        // a local download); 9 left start one.
        EXPECT_EQ(source.WaitForDownloads(2, taken < 3 ? 250ms : kBound), taken == 3) << taken;
    }
    EXPECT_EQ(server.Requests(), 2);
    EXPECT_EQ(source.GetQueuedCount(), 21u);

    // Disabling empties the queue; enabling downloads afresh.
    source.SetEnabled(false);
    EXPECT_EQ(source.GetQueuedCount(), 0u);
    source.SetEnabled(true);
    EXPECT_EQ(source.GetQueuedCount(), 0u);
    ASSERT_TRUE(source.WaitForDownloads(3, kBound));
    EXPECT_EQ(source.GetQueuedCount(), 12u);

    // An answer with nothing to show waits 60 seconds of updates.
    server.SetBody("not a feed");
    Drain(source);
    ASSERT_TRUE(source.WaitForDownloads(4, kBound));
    source.Update(59.9f);
    EXPECT_NEAR(source.GetRetryDelay(), 0.1f, 1e-3f);
    EXPECT_FALSE(source.GetNextMessage(message)); // starts nothing yet
    source.Update(nanf(""));
    source.Update(0.2f);
    EXPECT_EQ(source.GetRetryDelay(), 0.0f);
    server.SetBody(Feed(1));
    EXPECT_FALSE(source.GetNextMessage(message)); // starts the download
    ASSERT_TRUE(source.WaitForDownloads(5, kBound));
    EXPECT_EQ(server.Requests(), 5);
    EXPECT_EQ(source.GetQueuedCount(), 1u);
}

TEST(FeedSource, DisablingDuringAStallReturnsWithinASecondOrSo)
{
    LocalHttpServer server(LocalHttpServer::kStall);
    InternetRssSource source(String("Quotes"), String(server.Url().c_str()));
    source.SetEnabled(true); // the shipped limits: this stall would last 15 seconds
    ASSERT_TRUE(server.WaitForRequests(1, kBound));
    const auto start = std::chrono::steady_clock::now();
    source.SetEnabled(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
    EXPECT_EQ(source.GetDownloadCount(), 1u);
}

TEST(FeedSource, TheServerSettingIsASchemeAHostAndAPort)
{
    for (const char* good : {"http://feeds.example", "https://a-b.example:8443", "http://127.0.0.1:80/"})
        EXPECT_TRUE(IsFeedServerAddress(good)) << good;
    for (const char* bad : {"", "ftp://feeds.example", "http://", "http://host/path", "http://host:0",
                            "http://host:65536", "http://us er@host", "http://host:8o", "feeds.example",
                            "http://-host", "http://host:"})
        EXPECT_FALSE(IsFeedServerAddress(bad)) << bad;
}
