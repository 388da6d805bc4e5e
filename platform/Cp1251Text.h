#pragma once
#include <string>
#include <string_view>

namespace platform
{

// The engine's Windows-1251 bytes as UTF-8, for toolkits that take nothing
// else. Every byte has a meaning; the one unassigned byte (0x98) becomes
// U+FFFD.
std::string Cp1251ToUtf8(std::string_view text);

}
