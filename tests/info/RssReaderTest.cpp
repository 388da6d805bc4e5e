// Reading RSS on expat: which texts the path tracker takes, how they are
// condensed and converted, and the documents it refuses.
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

} // namespace

TEST(RssReader, TakesEachItemsFirstDescriptionTextAsTinyXmlGaveIt)
{
    const struct
    {
        std::string document;
        std::vector<std::string> texts;
    } cases[] = {
        // over several lines: condensed to single blanks, ends dropped
        {Rss("<item><description>\n  One\n\t two  \r\n three \n</description></item>"), {"One two three"}},
        // CDATA keeps its line feeds and blanks; text before it joins it
        {Rss("<item><description>a <![CDATA[ x\n y ]]></description></item>"), {"a  x\n y "}},
        // predefined and character references decoded, others as written
        {Rss("<item><description>&lt;b&gt; &amp;lt; &#65;&nbsp;&copy;</description></item>"),
         {"<b> &lt; A&nbsp;&copy;"}},
        // a comment, an element or an instruction ends the text
        {Rss("<item><description>before<!-- c -->after</description></item>"
             "<item><description>x<b>y</b>z</description></item>"
             "<item><description>p<?pi?>q</description></item>"),
         {"before", "x", "p"}},
        // no text first, blank text, no description, a second description
        {Rss("<item><description><b>y</b></description></item><item><description>  </description></item>"
             "<item><title>only a title</title></item>"
             "<item><description>first</description><description>second</description></item>"),
         {"first"}},
        // only the first channel's own items
        {"<rss><channel><item><description>a</description></item><x><item><description>deep</description>"
         "</item></x></channel><channel><item><description>b</description></item></channel></rss>",
         {"a"}},
        // UTF-8 to the code page; what it lacks becomes "?"
        {Rss("<item><description>\xD0\x96 \xE2\x80\x94 \xE4\xB8\xAD</description></item>"), {"\xC6 \x97 ?"}},
        // a single-byte encoding expat lacks comes through the C library
        {Rss("<item><description>\xC6\x97</description></item>",
             "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"),
         {"\xC6\x97"}},
        // an element of empty channel: no items, no failure
        {Rss(""), {}},
        {"<rss><channel/></rss>", {}},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> texts;
        std::string reason;
        EXPECT_EQ(rss::ReadDescriptions(c.document.data(), c.document.size(), texts, reason), 0)
            << c.document << ": " << reason;
        EXPECT_EQ(texts, c.texts) << c.document;
    }
}

TEST(RssReader, RefusesWhatIsNotAFeedWithTheReason)
{
    std::string nested = "<rss><channel>";
    for (int i = 0; i < 100000; ++i)
        nested += "<a>";
    const std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\">"
                             "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;\">]>"
                             "<rss x=\"&c;\"><channel><item><description>&c;</description></item></channel></rss>";
    const struct
    {
        std::string document;
        const char* reason;
    } cases[] = {
        {"<html><body><p>Not here</p></body></html>", "not RSS"},
        {"<rss version=\"2.0\"><item/></rss>", "no \"channel\""},
        {Rss("<item><description>a & b</description></item>"), "not well-formed"},
        {Rss("") + "<rss/>", "not well-formed"},
        {"<rss><channel><item><description>cut", "not well-formed"},
        {nested, "not well-formed"},
        {Rss("<item><description>\xC3\x28</description></item>"), "not well-formed"},
        {Rss("", "<?xml version=\"1.0\" encoding=\"x-made-up\"?>"), "not well-formed"},
        {Rss("", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>"), "not well-formed"},
        {bomb, "declares entities"},
        {"", "not well-formed"},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> texts{"left over"};
        std::string reason;
        EXPECT_EQ(rss::ReadDescriptions(c.document.data(), c.document.size(), texts, reason), 1)
            << c.document.substr(0, 80);
        EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        EXPECT_TRUE(texts.empty());
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
    std::string text;
    const std::string seven = "1<br>2<br>3<br>4<br>5<br>6<br>7\n8";
    EXPECT_TRUE(rss::ConvertFeedItem(seven, text));
    EXPECT_FALSE(rss::ConvertFeedItem(seven + "</p>", text));
    // Characters of the code page after conversion: "&quot;" is one.
    EXPECT_TRUE(rss::ConvertFeedItem(std::string(299, '\xE0') + "&quot;", text));
    EXPECT_EQ(text.size(), 300u);
    EXPECT_FALSE(rss::ConvertFeedItem(std::string(300, '\xE0') + "&quot;", text));
}
