// Reading RSS on expat: which texts the path tracker takes, how they are
// condensed and converted, and the documents it refuses (the hostile ones a
// feed may serve are in FeedSourceTest, the reasons qre prints in
// FeedCommandTest).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "info/RssReader.h"

namespace
{

std::string Rss(const std::string& items, const char* declaration = "<?xml version=\"1.0\"?>")
{
    return std::string(declaration) + "<rss version=\"2.0\"><channel><title>t</title>" + items + "</channel></rss>";
}

std::string Item(const std::string& description)
{
    return "<item><description>" + description + "</description></item>";
}

} // namespace

TEST(RssReader, TakesEachItemsFirstDescriptionTextOrGivesTheReason)
{
    const std::string bomb = "<!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>" +
                             Rss(Item("&b;"));
    const struct
    {
        std::string document;
        std::vector<std::string> texts; // on success
        const char* reason;             // on failure
    } cases[] = {
        // condensed outside CDATA; CDATA kept and joined to the text before it
        {Rss(Item("\n  One\n\t two  \r\n three \n") + Item("a <![CDATA[ x\n y ]]>")),
         {"One two three", "a  x\n y "},
         nullptr},
        // predefined and character references decoded, others as written
        {Rss(Item("&lt;b&gt; &amp;lt; &#65;&nbsp;&copy;")), {"<b> &lt; A&nbsp;&copy;"}, nullptr},
        // a comment, an element or an instruction ends the text; none first,
        // blank, no description, a second description: nothing more
        {Rss(Item("before<!-- c -->after") + Item("x<b>y</b>z") + Item("p<?pi?>q") + Item("<b>y</b>") + Item("  ") +
             "<item><title>only a title</title></item><item><description>first</description><description>second"
             "</description></item>"),
         {"before", "x", "p", "first"}, nullptr},
        // only the first channel's own items
        {"<rss><channel>" + Item("a") + "<x>" + Item("deep") + "</x></channel><channel>" + Item("b") +
             "</channel></rss>",
         {"a"}, nullptr},
        // UTF-8 to the code page, "?" for what it lacks; windows-1251 through
        // the unknown-encoding handler
        {Rss(Item("\xD0\x96 \xE2\x80\x94 \xE4\xB8\xAD")), {"\xC6 \x97 ?"}, nullptr},
        {Rss(Item("\xC6\x97"), "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"), {"\xC6\x97"}, nullptr},
        {"<rss><channel/></rss>", {}, nullptr},
        {Rss("") + "<rss/>", {}, "not well-formed"},
        {"<rss><channel><item><description>cut", {}, "not well-formed"},
        {Rss("", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>"), {}, "not well-formed"},
        {bomb, {}, "declares entities"},
        {"", {}, "not well-formed"},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> texts{"left over"};
        std::string reason;
        EXPECT_EQ(rss::ReadDescriptions(c.document.data(), c.document.size(), texts, reason), c.reason ? 1 : 0)
            << c.document << ": " << reason;
        EXPECT_EQ(texts, c.texts) << c.document;
        EXPECT_NE(reason.find(c.reason ? c.reason : ""), std::string::npos) << reason;
    }
}

TEST(RssReader, ConvertsMarkupAndCountsTheFeedLimitsInCharacters)
{
    const struct
    {
        std::string description;
        std::string fact; // the facts file's conversion
        std::string feed; // a feed's
        uint32_t breaks;
    } cases[] = {
        {"a<br>b</p>c<p>d\ne", "a\nb</p>c<p>d\ne", "a\nb\nc\nd\ne", 4},
        {"&quot;&lt;&gt;&amp;&quot", "\"<>&amp;&quot", "\"<>&amp;&quot", 0},
        {"<BR>%s%n<br", "<BR>%s%n<br", "<BR>%s%n<br", 0},
    };
    for (const auto& c : cases)
    {
        uint32_t breaks = 99;
        EXPECT_EQ(rss::ConvertFactText(c.description), c.fact);
        EXPECT_EQ(rss::ConvertFeedText(c.description, breaks), c.feed);
        EXPECT_EQ(breaks, c.breaks) << c.description;
    }
    // The feeds' limits count characters of the code page after conversion,
    // "&quot;" one (the limits themselves are in FeedSourceTest).
    std::string text;
    EXPECT_TRUE(rss::ConvertFeedItem(std::string(299, '\xE0') + "&quot;", text));
    EXPECT_FALSE(rss::ConvertFeedItem(std::string(300, '\xE0') + "&quot;", text));
}
