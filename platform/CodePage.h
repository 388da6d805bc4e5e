#pragma once
#include <string>
#include <string_view>

namespace platform
{

// The system's UTF-8 text (paths, the environment) as the engine's
// Windows-1251 bytes, so that it reads like every other line of the log.
// Each character the code page lacks, and each byte that is no part of a
// well-formed UTF-8 character, becomes one "?".
std::string Utf8ToCp1251(std::string_view text);

// The engine's Windows-1251 bytes as UTF-8, for toolkits that take nothing
// else. Every byte has a meaning; the one unassigned byte (0x98) becomes
// U+FFFD.
std::string Cp1251ToUtf8(std::string_view text);

}
