#include "engine/core/String.h"

#include <new>
#include <utility>

String::String(const char* source)
{
    if (source)
        Assign(source, static_cast<uint32_t>(std::strlen(source)));
}

String::String(const char* bytes, uint32_t count)
{
    Assign(bytes, count);
}

String::String(std::string_view source)
{
    Assign(source.data(), static_cast<uint32_t>(source.size()));
}

String::String(const String& other)
{
    Assign(other.text, other.length);
}

String::String(String&& other) noexcept
    : text(std::exchange(other.text, nullptr)), length(std::exchange(other.length, 0))
{
}

String::~String()
{
    delete[] text;
}

String& String::operator=(const String& other)
{
    if (this != &other)
    {
        delete[] text;
        text = nullptr;
        length = 0;
        Assign(other.text, other.length);
    }
    return *this;
}

String& String::operator=(String&& other) noexcept
{
    if (this != &other)
    {
        delete[] text;
        text = std::exchange(other.text, nullptr);
        length = std::exchange(other.length, 0);
    }
    return *this;
}

void String::Assign(const char* bytes, uint32_t count)
{
    if (!bytes || count == 0)
        return;
    text = new char[count + 1];
    std::memcpy(text, bytes, count);
    text[count] = 0;
    length = count;
}

bool String::TryAssign(const char* bytes, uint32_t count)
{
    char* copy = nullptr;
    if (bytes && count != 0)
    {
        copy = new (std::nothrow) char[count + 1];
        if (!copy)
            return false;
        std::memcpy(copy, bytes, count);
        copy[count] = 0;
    }
    delete[] text;
    text = copy;
    length = copy ? count : 0;
    return true;
}

bool String::operator==(const String& other) const
{
    return length == other.length && (length == 0 || std::memcmp(text, other.text, length) == 0);
}

uint32_t String::Hash() const
{
    uint32_t hash = 2166136261u;
    for (uint32_t i = 0; i < length; ++i)
        hash = (hash ^ static_cast<uint8_t>(text[i])) * 16777619u;
    return hash;
}
