#include "app/TextTable.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#ifndef VERNALIA_SOURCE_DIR
#define VERNALIA_SOURCE_DIR "/work/main"
#endif

namespace
{

// Bytes with no terminator, as a linked-in resource hands them over.
std::vector<char> Bytes(const std::string& text)
{
    return std::vector<char>(text.begin(), text.end());
}

std::vector<std::string> AllLines(const std::vector<char>& bytes)
{
    TextTableReader reader(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::vector<std::string> lines;
    String line;
    while (reader.NextLine(line))
        lines.emplace_back(line.View());
    return lines;
}

std::pair<std::string, std::string> Split(const char* text)
{
    String key("unset");
    String value("unset");
    SplitKeyValue(String(text), key, value);
    return {std::string(key.View()), std::string(value.View())};
}

// Key -> value of every line of a table file in the source tree.
std::map<std::string, std::string> ReadTable(const char* name, std::vector<std::string>* order = nullptr)
{
    std::ifstream file(std::string(VERNALIA_SOURCE_DIR) + "/content/" + name, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(bytes.empty()) << name;
    std::map<std::string, std::string> table;
    for (const std::string& line : AllLines(bytes))
    {
        String key;
        String value;
        SplitKeyValue(String(line.data(), static_cast<uint32_t>(line.size())), key, value);
        if (key.IsEmpty())
            continue;
        EXPECT_TRUE(table.emplace(std::string(key.View()), std::string(value.View())).second) << "repeated " << line;
        if (order)
            order->emplace_back(key.View());
    }
    return table;
}

}

TEST(TextTableReader, SkipsCommentsBlankLinesAndEveryLineEnd)
{
    const auto lines = AllLines(Bytes("; heading comment\r\n"
                                      ";another\n"
                                      "\r\n\r\n"
                                      "A = 1\r\n"
                                      "B = 2\n"
                                      "C = 3\r"
                                      "\n\n\r\r"
                                      "  ; indented text is a line, not a comment\n"
                                      "D = 4"));
    EXPECT_EQ(lines, (std::vector<std::string>{"A = 1", "B = 2", "C = 3", "  ", "D = 4"}));
}

TEST(TextTableReader, SemicolonCutsTheValueAndTheRestOfTheLineIsSkipped)
{
    const auto lines = AllLines(Bytes("Volume = 75; Громкость музыки\r\n"
                                      "Url = a;b;c\r\n"
                                      "Next = x;"));
    EXPECT_EQ(lines, (std::vector<std::string>{"Volume = 75", "Url = a", "Next = x"}));
}

TEST(TextTableReader, ReadsExactlyToTheGivenSize)
{
    // The byte after the table would extend the last line if it were read.
    std::vector<char> bytes = Bytes("A = 1\nB = 2XXXX");
    const uint32_t size = static_cast<uint32_t>(bytes.size() - 4);
    TextTableReader reader(bytes.data(), size);
    String line;
    ASSERT_TRUE(reader.NextLine(line));
    EXPECT_EQ(line, "A = 1");
    ASSERT_TRUE(reader.NextLine(line));
    EXPECT_EQ(line, "B = 2");
    EXPECT_FALSE(reader.NextLine(line));
    EXPECT_FALSE(reader.NextLine(line));
}

TEST(TextTableReader, EmptyOrAllCommentTextHasNoLines)
{
    EXPECT_TRUE(AllLines({}).empty());
    EXPECT_TRUE(AllLines(Bytes("\r\n\n;only a comment")).empty());
    EXPECT_TRUE(AllLines(Bytes(";")).empty());

    TextTableReader null(nullptr, 10);
    String line;
    EXPECT_FALSE(null.NextLine(line));
}

TEST(SplitKeyValue, SplitsAtTheFirstBlankEqualsBlank)
{
    EXPECT_EQ(Split("Volume = 75"), std::make_pair(std::string("Volume"), std::string("75")));
    // The value is taken as it is: later " = ", backslashes and blanks stay.
    EXPECT_EQ(Split("A = b = c "), std::make_pair(std::string("A"), std::string("b = c ")));
    EXPECT_EQ(Split("RegistryPath = Software\\\\Maker"),
              std::make_pair(std::string("RegistryPath"), std::string("Software\\\\Maker")));
    EXPECT_EQ(Split(" Key  =  v"), std::make_pair(std::string(" Key "), std::string(" v")));
    EXPECT_EQ(Split("Mes_About_String2 = "), std::make_pair(std::string("Mes_About_String2"), std::string()));
}

TEST(SplitKeyValue, LineWithoutBlankEqualsBlankGivesEmptyKeyAndValue)
{
    for (const char* line : {"Volume=75", "Volume =75", "Volume= 75", "Volume =", "", " =", "="})
        EXPECT_EQ(Split(line), std::make_pair(std::string(), std::string())) << line;
}

TEST(ContentTables, DefaultsHoldEveryKeyWithItsValueInOrder)
{
    std::vector<std::string> order;
    const auto table = ReadTable("Defaults.txt", &order);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"RegistryPath", "Software\\\\Brightfold Software\\\\Vernalia 3D Screensaver"},
        {"main_web_site_url", "https://vernalia.brightfold.example/"},
        {"ShowFPS", "0"},
        {"ExitOnMouseMove", "0"},
        {"ShowTime", "1"},
        {"UseDesktopSettings", "1"},
        {"Music", "1"},
        {"SFX", "1"},
        {"Hour24", "0"},
        {"Volume", "75"},
        {"Width", "800"},
        {"Height", "600"},
        {"ColorDepth", "32"},
        {"AntiAliasing", "0"},
        {"Gamma", "0"},
        {"ShowInformation", "1"},
        {"ShowNews", "0"},
        {"ShowQuotes", "0"},
        {"Fur", "1"},
        {"Shadows", "1"},
        {"Bloom", "1"},
        {"Widescreen", "1"},
    };
    std::vector<std::string> expectedOrder;
    for (const auto& [key, value] : expected)
    {
        expectedOrder.push_back(key);
        auto found = table.find(key);
        ASSERT_NE(found, table.end()) << key;
        EXPECT_EQ(found->second, value) << key;
    }
    EXPECT_EQ(order, expectedOrder);
}

TEST(ContentTables, UiStringsHoldEveryKey)
{
    const auto table = ReadTable("UiStrings.txt");
    const std::map<std::string, std::string> fixed = {
        {"AppName", "Vernalia 3D Screensaver"},
        {"Mes_Button_OK", "OK"},
        {"Mes_Button_Cancel", "Cancel"},
        {"Mes_About_Title", "About"},
        {"Mes_About_String1", "Vernalia 3D Screensaver"},
        {"Mes_About_String2", ""},
        {"Mes_Settings_Box_Mode", "Video Mode"},
        {"Mes_Settings_Box_Sound", "Sound Control"},
        {"Mes_Settings_Box_Graphics", "Graphics"},
        {"Mes_Settings_Box_Misc", "Misc Options"},
        {"Mes_Settings_Box_Products", "Products"},
        {"Mes_Settings_Box_Quality", "Options"},
        {"Mes_Settings_UseDesktop", "Use Desktop Settings"},
        {"Mes_Settings_MusicVolume", "Volume"},
        {"Mes_Settings_EnableMusic", "Enable Music"},
        {"Mes_Settings_EnableSound", "Enable SFX"},
        {"Mes_Settings_ExitOnMouse", "Exit on Mouse Move"},
        {"Mes_Settings_Gamma", "Gamma Control:"},
        {"Mes_Settings_ShowTime", "Show Time"},
        {"Mes_Settings_24h", "24h format"},
        {"Mes_Settings_12h", "12h format"},
        {"Mes_Settings_Products", "Visit our official web-site for more great 3D screensavers"},
        {"Mes_Settings_Button_About", "About..."},
        {"Mes_Settings_Button_RestoreDefs", "Restore Defaults"},
        {"Mes_Settings_Button_Visit", "Visit..."},
        {"Mes_Settings_Title", "Vernalia 3D Screensaver Configuration"},
        {"Mes_Settings_ShowFPS", "Show FPS"},
        {"Mes_Settings_AdditionalInformation", "Additional Information"},
        {"Mes_Settings_Information", "Interesting facts (Vernalia symbols and traditions)"},
        {"Mes_Settings_Quotes", "Quotes (famous quotes from famous people)"},
        {"Mes_Settings_News", "BBC News (breaking world news)"},
        {"Mes_Settings_Fur", "Fur Rendering"},
        {"Mes_Settings_Shadows", "Shadow Rendering"},
        {"Mes_Settings_Bloom", "Bloom"},
        {"Mes_Settings_Widescreen", "Widescreen"},
    };
    for (const auto& [key, text] : fixed)
    {
        auto found = table.find(key);
        ASSERT_NE(found, table.end()) << key;
        EXPECT_EQ(found->second, text) << key;
    }
    for (int i = 3; i <= 8; ++i)
    {
        auto found = table.find("Mes_About_String" + std::to_string(i));
        ASSERT_NE(found, table.end()) << i;
        EXPECT_FALSE(found->second.empty()) << i;
    }
    EXPECT_EQ(table.size(), fixed.size() + 6);
}
