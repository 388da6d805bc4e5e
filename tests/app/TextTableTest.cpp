#include "app/TextTable.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

// Reads the first `size` bytes with no terminator, as a linked-in resource hands them over.
std::vector<std::string> AllLines(const char* bytes, size_t size)
{
    TextTableReader reader(bytes, static_cast<uint32_t>(size));
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

TEST(TextTableReader, SkipsCommentsBlankLinesEveryLineEndAndWhatFollowsASemicolon)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"; heading comment\r\n;another\n\r\n\r\nA = 1\r\nB = 2\nC = 3\r\n\n\r\r"
         "  ; indented text is a line, not a comment\nD = 4",
         {"A = 1", "B = 2", "C = 3", "  ", "D = 4"}},
        {"Volume = 75; Громкость музыки\r\nUrl = a;b;c\r\nNext = x;", {"Volume = 75", "Url = a", "Next = x"}},
        {"", {}},
        {"\r\n\n;only a comment", {}},
        {";", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(AllLines(text.data(), text.size()), expected) << text;
    // The bytes after the table would extend the last line if they were read.
    EXPECT_EQ(AllLines("A = 1\nB = 2XXXX", 11), (std::vector<std::string>{"A = 1", "B = 2"}));
    EXPECT_TRUE(AllLines(nullptr, 10).empty());
}

TEST(SplitKeyValue, SplitsAtTheFirstBlankEqualsBlankOrGivesEmptyKeyAndValue)
{
    const char* const cases[][3] = {
        {"Volume = 75", "Volume", "75"},
        // The value is taken as it is: later " = ", backslashes and blanks stay.
        {"A = b = c ", "A", "b = c "},
        {"RegistryPath = Software\\\\Maker", "RegistryPath", "Software\\\\Maker"},
        {" Key  =  v", " Key ", " v"},
        {"Mes_About_String2 = ", "Mes_About_String2", ""},
        {"Volume=75", "", ""}, {"Volume =75", "", ""}, {"Volume= 75", "", ""}, {"Volume =", "", ""},
        {"", "", ""}, {" =", "", ""}, {"=", "", ""},
    };
    for (const auto& [line, key, value] : cases)
        EXPECT_EQ(Split(line), std::make_pair(std::string(key), std::string(value))) << line;
}
