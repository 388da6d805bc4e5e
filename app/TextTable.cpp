#include "app/TextTable.h"

namespace
{

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

}

TextTableReader::TextTableReader(const char* bytes, uint32_t size)
    : bytes(bytes), size(bytes ? size : 0)
{
}

bool TextTableReader::NextLine(String& line)
{
    while (position < size)
    {
        const char c = bytes[position];
        if (IsLineEnd(c))
        {
            ++position;
        }
        else if (c == ';')
        {
            while (position < size && !IsLineEnd(bytes[position]))
                ++position;
        }
        else
        {
            break;
        }
    }
    if (position >= size)
        return false;

    const uint32_t start = position;
    while (position < size && !IsLineEnd(bytes[position]) && bytes[position] != ';')
        ++position;
    line = String(bytes + start, position - start);
    return true;
}

void SplitKeyValue(const String& line, String& key, String& value)
{
    const char* text = line.CStr();
    const uint32_t length = line.Length();
    for (uint32_t i = 0; i + 2 < length; ++i)
    {
        if (text[i] == ' ' && text[i + 1] == '=' && text[i + 2] == ' ')
        {
            key = String(text, i);
            value = String(text + i + 3, length - i - 3);
            return;
        }
    }
    key = String();
    value = String();
}
