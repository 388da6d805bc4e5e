#pragma once
#include <string>

// The engine's text is Windows-1251; a terminal wants UTF-8. Bytes that do
// not convert are shown as '?'.
std::string Cp1251ToUtf8(const std::string& text);
