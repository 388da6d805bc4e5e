// `qre feed`: what a feed would queue, as UTF-8 lines and a count, and the
// reason when nothing would be; the shipped facts file read the same way,
// each fact fitting the message panel in the shipped font.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/EngineClasses.h"
#include "engine/core/EngineStartup.h"
#include "engine/files/CodecManager.h"
#include "engine/files/File.h"
#include "engine/files/FileManager.h"
#include "engine/render/MSFont.h"
#include "info/MessageWindow.h"
#include "info/RssReader.h"
#include "support/Bytes.h"
#include "support/TemporaryFolder.h"

namespace
{

struct Outcome
{
    int code;
    std::string out, err;
};

Outcome Feed(const TemporaryFolder& folder, const std::string& document)
{
    const std::string file = folder.Path() + "/feed.rss";
    WriteText(file, document);
    const std::string command = std::string("'") + QRE_BINARY + "' feed '" + file + "' >'" + folder.Path() +
                                "/out' 2>'" + folder.Path() + "/err'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(folder.Path() + "/out"),
            ReadText(folder.Path() + "/err")};
}

} // namespace

TEST(FeedCommand, PrintsWhatWouldBeQueuedOrWhyNothing)
{
    TemporaryFolder folder;
    const struct
    {
        std::string document;
        int code;
        const char* out;
        const char* err;
    } cases[] = {
        {"<?xml version=\"1.0\" encoding=\"windows-1251\"?><rss><channel><item><description>\x93One\x94 &lt;br&gt;"
         "two</description></item><item><description>" + std::string(301, 'x') + "</description></item></channel></rss>",
         0, "\xE2\x80\x9COne\xE2\x80\x9D \\ntwo\n1 items\n", ""},
        {"<rss><channel><item><title>t</title></item></channel></rss>", 1, "0 items\n", "no item within the limits"},
        {"<html><body/></html>", 1, "", "not RSS"},
        {"<rss><item/></rss>", 1, "", "no \"channel\""},
        {"<rss><channel>&</channel></rss>", 1, "", "not well-formed"},
    };
    for (const auto& c : cases)
    {
        const Outcome outcome = Feed(folder, c.document);
        EXPECT_EQ(outcome.code, c.code) << c.document;
        EXPECT_EQ(outcome.out, c.out) << c.document;
        EXPECT_NE(outcome.err.find(c.err), std::string::npos) << outcome.err;
    }
}

// The facts and the font as the build packed them into "Ms.rar2", the font
// set up as the show sets it, on the narrowest screen the show is run on.
TEST(FeedCommand, TheShippedFactsAreTenAndEachFitsThePanelInTheBakedFont)
{
    RegisterEngineClasses();
    ASSERT_EQ(InitializeEngine(), 0);
    for (const char* name : {"RAR2FileCodec", "TGAImageCodec"})
    {
        Codec* codec = nullptr;
        ASSERT_EQ(CodecManager::GetCodec(String(name), &codec), 0) << name;
    }
    File archive(String(VERNALIA_GENERATED_DIR "/archives/Ms.rar2"));
    ASSERT_EQ(FileManager::AttachArchive(&archive, String()), 0);
    File* file = FileManager::FindFile(String("import.rss"));
    ASSERT_TRUE(file && file->Open(File::kRead) == 0);
    std::vector<std::string> texts;
    std::string reason;
    EXPECT_EQ(rss::ReadDescriptions(reinterpret_cast<const char*>(file->GetBuffer()), file->GetSize(), texts, reason),
              0) << reason;
    file->Close();
    EXPECT_EQ(texts.size(), 10u);
    {
        Ptr<MSFont> font = new MSFont(String("times"));
        ASSERT_EQ(font->LoadParameters(String("times.txt")), 0);
        font->SetLineScale(0.2f);
        font->SetCharScale(0.2f);
        font->SetTabAdvance(0.005f);
        MessageWindow window(font.Get(), nullptr);
        window.SetScreenSize(1280, 1024);
        window.SetFooter(String("  Help - F1             Next - F  "));
        ASSERT_TRUE(window.GetFooterText());
        for (const std::string& text : texts)
        {
            std::string queued;
            EXPECT_TRUE(rss::ConvertFeedItem(text, queued)) << text;
            window.ShowText(String("Interesting facts about Vernalia"), String(rss::ConvertFactText(text).c_str()));
            EXPECT_TRUE(window.GetTitleText() && window.GetBodyText()) << text;
        }
    }
    TerminateEngine();
}
