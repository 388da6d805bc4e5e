#include "tools/qre/TextConversion.h"

#include <iconv.h>

std::string Cp1251ToUtf8(const std::string& text)
{
    iconv_t converter = iconv_open("UTF-8", "CP1251");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return text;
    std::string result;
    result.reserve(text.size() * 2);
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char chunk[256];
    while (inLeft > 0)
    {
        char* out = chunk;
        size_t outLeft = sizeof(chunk);
        size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
        result.append(chunk, sizeof(chunk) - outLeft);
        if (done == static_cast<size_t>(-1) && outLeft == sizeof(chunk))
        {
            // An unconvertible byte (0x98 has no character): skip it.
            result += '?';
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return result;
}
