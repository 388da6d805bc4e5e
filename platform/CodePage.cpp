#include "platform/CodePage.h"

#include <cstdint>

namespace
{

// The characters of bytes 0x80 to 0xBF (0 where the code page has none);
// 0xC0 to 0xFF are U+0410 to U+044F in order.
constexpr char32_t kUpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0,      0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char ToByte(char32_t code)
{
    if (code < 0x80)
        return static_cast<char>(code);
    if (code >= 0x0410 && code <= 0x044F)
        return static_cast<char>(0xC0 + (code - 0x0410));
    for (unsigned i = 0; i < 64; ++i)
        if (kUpperHalf[i] == code)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

namespace platform
{

std::string Utf8ToCp1251(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    while (at < text.size())
    {
        const auto lead = static_cast<uint8_t>(text[at]);
        // The length a lead byte announces, its payload bits, and the
        // smallest character that length may carry (a longer form than
        // needed is malformed). 0xC0, 0xC1 and 0xF5 up lead nothing.
        size_t length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if (lead < 0x80)
        {
            length = 1;
            code = lead;
        }
        else if (lead >= 0xC2 && lead < 0xE0)
        {
            length = 2;
            code = lead & 0x1Fu;
            smallest = 0x80;
        }
        else if (lead >= 0xE0 && lead < 0xF0)
        {
            length = 3;
            code = lead & 0x0Fu;
            smallest = 0x800;
        }
        else if (lead >= 0xF0 && lead < 0xF5)
        {
            length = 4;
            code = lead & 0x07u;
            smallest = 0x10000;
        }
        size_t taken = 1;
        while (length > 1 && taken < length && at + taken < text.size() &&
               (static_cast<uint8_t>(text[at + taken]) & 0xC0) == 0x80)
            code = (code << 6) | (static_cast<uint8_t>(text[at + taken++]) & 0x3F);
        const bool whole = length != 0 && taken == length && code >= smallest && code <= 0x10FFFF &&
                           (code < 0xD800 || code > 0xDFFF);
        out += whole ? ToByte(code) : '?';
        at += whole ? length : 1;
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text)
    {
        const auto byte = static_cast<uint8_t>(c);
        const char32_t mapped = byte < 0x80 ? byte : byte >= 0xC0 ? 0x0410 + (byte - 0xC0) : kUpperHalf[byte - 0x80];
        const char32_t code = mapped || !byte ? mapped : 0xFFFD;
        if (code < 0x80)
        {
            out += static_cast<char>(code);
        }
        else if (code < 0x800)
        {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

}
