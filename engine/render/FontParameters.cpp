#include "engine/render/FontParameters.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace
{
// Walks a text line by line without needing a terminator.
class LineReader
{
public:
    LineReader(const char* text, uint32_t length) : at(text), end(text + length) {}

    // The next line without its LF or CR LF, copied with a terminator into
    // line (cut at its capacity, which no well-formed line reaches). False
    // at the end of the text.
    bool Next(char* line, size_t capacity)
    {
        if (!at || at >= end)
            return false;
        const char* stop = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
        const char* lineEnd = stop ? stop : end;
        size_t size = static_cast<size_t>(lineEnd - at);
        if (size > 0 && at[size - 1] == '\r')
            --size;
        if (size >= capacity)
            size = capacity - 1;
        std::memcpy(line, at, size);
        line[size] = '\0';
        at = stop ? stop + 1 : end;
        return true;
    }

private:
    const char* at;
    const char* end;
};

// Matches line against pattern: a blank in the pattern takes any run of
// white space (none too), '#' reads a number into the next of values,
// anything else must be there as written; what follows the pattern is
// ignored. Integers stop at a non-digit, as a C "%d" does. False when the
// line does not match or a value is not finite or too large.
bool Match(const char* line, const char* pattern, bool integers, double* values)
{
    const char* at = line;
    for (const char* p = pattern; *p; ++p)
    {
        if (*p == ' ')
        {
            while (std::isspace(static_cast<unsigned char>(*at)))
                ++at;
            continue;
        }
        if (*p != '#')
        {
            if (*at != *p)
                return false;
            ++at;
            continue;
        }
        char* stop = nullptr;
        const double value = integers ? static_cast<double>(std::strtol(at, &stop, 10)) : std::strtod(at, &stop);
        if (stop == at || !std::isfinite(value) || std::fabs(value) > kFontParameterLimit)
            return false;
        *values++ = value;
        at = stop;
    }
    return true;
}
} // namespace

int32_t ParseFontParameters(const char* text, uint32_t length, bool integerMetrics, FontParameters& out)
{
    static const char* const kHeader[] = {"ascent = #", "descent = #", "height = #", "xOffset = #", "yOffset = #"};
    // Built aside, so a refused file leaves the font as it was.
    std::unique_ptr<FontParameters> read(new (std::nothrow) FontParameters());
    if (!read)
        return 1;
    LineReader lines(text, length);
    char line[256];
    double header[5] = {};
    for (uint32_t i = 0; i < 5; ++i)
        if (!lines.Next(line, sizeof(line)) || !Match(line, kHeader[i], integerMetrics, &header[i]))
            return 1;
    double numChars = 0.0;
    if (!lines.Next(line, sizeof(line)) || !Match(line, "numChars = #", true, &numChars))
        return 1;
    // height and xOffset size every cell; a negative one is no font
    if (header[2] < 0.0 || header[3] < 0.0 || numChars < 0.0)
        return 1;
    read->ascent = static_cast<float>(header[0]);
    read->descent = static_cast<float>(header[1]);
    read->height = static_cast<float>(header[2]);
    read->xOffset = static_cast<float>(header[3]);
    read->yOffset = static_cast<float>(header[4]);
    const auto count = static_cast<uint32_t>(numChars);
    for (uint32_t i = 0; i < count && lines.Next(line, sizeof(line)); ++i)
    {
        double v[6] = {};
        if (!Match(line, "char = #; A = #; B = #; C = #; x = #; y = #;", true, v))
            return 1;
        if (v[2] < 0.0 || v[4] < 0.0 || v[5] < 0.0)
            return 1;
        if (v[0] < 0.0 || v[0] > 255.0)
            continue;
        const auto code = static_cast<uint32_t>(v[0]);
        FontGlyph& glyph = read->glyphs[code];
        read->present[code] = true;
        glyph.a = static_cast<float>(v[1]);
        glyph.b = static_cast<float>(v[2]);
        glyph.c = static_cast<float>(v[3]);
        glyph.cellWidth = glyph.b + 2.0f * read->xOffset;
        glyph.x = static_cast<float>(v[4]);
        glyph.y = static_cast<float>(v[5]);
    }
    out = *read;
    return 0;
}
