#pragma once
#include <cstdint>
#include <cstring>
#include <string_view>

// The engine's string: owned, zero-terminated bytes (Windows-1251 text) with
// a 32-bit length. Equality is exact: same length, same bytes.
class String
{
public:
    String() = default;
    String(const char* text);
    String(const char* bytes, uint32_t length);
    explicit String(std::string_view text);
    String(const String& other);
    String(String&& other) noexcept;
    ~String();

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;

    // Replaces the text with count bytes without throwing, for lengths
    // that come from files: false, the string unchanged, when the memory
    // cannot be had.
    bool TryAssign(const char* bytes, uint32_t count);

    uint32_t Length() const { return length; }
    bool IsEmpty() const { return length == 0; }

    // Never null: an empty string reads as "".
    const char* CStr() const { return text ? text : ""; }
    std::string_view View() const { return {CStr(), length}; }

    bool operator==(const String& other) const;
    bool operator==(const char* other) const { return View() == std::string_view(other ? other : ""); }

    // Hash used by the engine's 32-bucket maps; any function of the bytes.
    uint32_t Hash() const;

private:
    void Assign(const char* bytes, uint32_t count);

    char* text = nullptr;
    uint32_t length = 0;
};
