#include "app/TextTable.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

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

