#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace
{

std::string Utf8(const char8_t* text)
{
    return reinterpret_cast<const char*>(text);
}

} // namespace

TEST(CodePage, Utf8BecomesWindows1251WithAQuestionMarkForWhatItLacks)
{
    // Expected texts are narrow literals: the compiler writes them in
    // Windows-1251, as the engine's log lines are.
    const std::pair<std::string, std::string> cases[] = {
        {Utf8(u8"/home/a b/.local"), "/home/a b/.local"},
        {Utf8(u8"Домашняя ЁёАаЯя"), "Домашняя ЁёАаЯя"},
        {Utf8(u8"№€ЂџҐ«»\u00A0"), "№€ЂџҐ«»\xA0"},
        {Utf8(u8"漢字/😀/ä"), "?" "?/?/?"},
        // Cut, overlong, surrogate and stray bytes: one "?" per byte.
        {"\xD0", "?"},
        {"\xC0\xAF\x80", "???"},
        {"\xED\xA0\x80x", "???x"},
        {"\xF4\x90\x80\x80", "????"},
        {"\xE4\xB8", "??"},
    };
    for (const auto& [utf8, expected] : cases)
        EXPECT_EQ(platform::Utf8ToCp1251(utf8), expected) << utf8;
}
